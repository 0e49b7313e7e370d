// Binding the VISA entry points from a named library; platform::visa() uses it
// with the system's VISA library, tests with libraries of their own.
#pragma once

#include "platform/library.h"
#include "platform/visa.h"

#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct VisaBinding {
    Library library;
    VisaApi api;
};

// Loads libraryName and binds all nine entry points; on failure nullopt and one
// line in error naming the library, or the first missing entry point and the file.
std::optional<VisaBinding> bindVisa(std::string_view libraryName, std::string* error = nullptr);

// VISA bound on the first successful call and kept loaded for the rest of the
// process; a failed attempt is not remembered, so a later call tries again.
// visa() holds the one for the system's VISA library.
class VisaOnce {
public:
    explicit VisaOnce(std::string_view libraryName) : name_(libraryName) {}
    const VisaApi* get(std::string* error = nullptr);

private:
    std::string name_;
    std::optional<VisaApi> bound_;
};

} // namespace platform
