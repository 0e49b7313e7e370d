// Windows-1251, the single-byte Cyrillic code page of the protocol files.
// Sources and panels are UTF-8; protocol text is formatted in Windows-1251 (so
// field widths count characters) and converted back to UTF-8 only for display.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// A character Windows-1251 has no byte for becomes '?'; so does a broken UTF-8 sequence.
std::string toCp1251(std::string_view utf8);
// Every byte has a character except 0x98, which becomes '?'.
std::string fromCp1251(std::string_view cp1251);

} // namespace platform
