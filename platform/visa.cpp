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

const VisaApi* visa(std::string* error)
{
    // Bound once; a failed attempt is not remembered, so a later call tries again.
    static std::optional<VisaApi> bound;
    if (bound)
        return &*bound;
    auto binding = bindVisa(kVisaLibraryName, error);
    if (!binding)
        return nullptr;
    binding->library.keep();
    bound = binding->api;
    return &*bound;
}

} // namespace platform
