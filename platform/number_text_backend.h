// What the number texts need from the system's C library; number_text_posix.cpp
// and number_text_win.cpp implement it, with formatTextV. Internal to the
// platform layer.
#pragma once

#include <string>

namespace platform::detail {

// Reads text as strtod does in the C locale; false, with value unchanged,
// unless the number takes the whole text.
bool readWholeCNumber(const std::string& text, double& value);

} // namespace platform::detail
