// The embedded checksum marker: "ВстроенныйCRC32=" in Windows-1251, matched as
// bytes. In a file it is followed by eight upper-case hexadecimal digits (the
// stored checksum) and a zero byte.
#pragma once

#include <string_view>

namespace crc {

inline constexpr std::string_view kMarker{"\xC2\xF1\xF2\xF0\xEE\xE5\xED\xED\xFB\xE9"
                                          "CRC32="};
// Digits and the zero byte that follow the marker.
inline constexpr std::size_t kDigits = 8;
inline constexpr std::size_t kFieldSize = kDigits + 1;

} // namespace crc
