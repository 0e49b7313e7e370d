// The VISA binding: loaded by name once, kept for the rest of the process.
#include "platform/visa_bind.h"

#include <iterator>

namespace platform {
namespace {

static_assert(std::size(kVisaEntryPoints) == 9, "every VisaApi member is bound below");

template <class F>
bool bindEntry(const Library& lib, const char* name, F& slot, std::string* error)
{
    slot = lib.entry<F>(name, error);
    return slot != nullptr;
}

} // namespace

std::optional<VisaBinding> bindVisa(std::string_view libraryName, std::string* error)
{
    auto lib = Library::open(libraryName, error);
    if (!lib)
        return std::nullopt;

    VisaApi api;
    const char* const* name = kVisaEntryPoints;
    const bool bound = bindEntry(*lib, name[0], api.viOpenDefaultRM, error) &&
                       bindEntry(*lib, name[1], api.viFindRsrc, error) &&
                       bindEntry(*lib, name[2], api.viFindNext, error) &&
                       bindEntry(*lib, name[3], api.viOpen, error) &&
                       bindEntry(*lib, name[4], api.viClose, error) &&
                       bindEntry(*lib, name[5], api.viGetAttribute, error) &&
                       bindEntry(*lib, name[6], api.viLock, error) &&
                       bindEntry(*lib, name[7], api.viUnlock, error) &&
                       bindEntry(*lib, name[8], api.viQueryf, error);
    if (!bound)
        return std::nullopt;
    return VisaBinding{std::move(*lib), api};
}

const VisaApi* VisaOnce::get(std::string* error)
{
    if (bound_)
        return &*bound_;
    auto binding = bindVisa(name_, error);
    if (!binding)
        return nullptr;
    binding->library.keep();
    bound_ = binding->api;
    return &*bound_;
}

const VisaApi* visa(std::string* error)
{
    static VisaOnce system(kVisaLibraryName);
    return system.get(error);
}

} // namespace platform
