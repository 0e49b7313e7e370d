// UTF-8 text of the program and the UTF-16 of the Windows W functions, and the
// system's message for an error code. Internal to the Windows implementations.
#pragma once

#include <string>
#include <string_view>

namespace platform::win {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);
// The system's text for an error code (GetLastError), one line, without the
// final full stop and line break; "error N" when the system has none.
std::string systemMessage(unsigned long code);

} // namespace platform::win
