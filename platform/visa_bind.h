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

} // namespace platform
