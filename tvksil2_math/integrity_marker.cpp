// The integrity marker and the file's checksum after it, which the stamping
// tool writes over the zeros once the library is linked. This file is built
// without debug information: that would hold a second copy of the marker.
#include "VeltrCRC32/marker.h"

#include <array>

namespace {

constexpr auto markerField()
{
    std::array<char, crc::kMarker.size() + crc::kFieldSize> field{};
    std::size_t i = 0;
    for (char c : crc::kMarker)
        field[i++] = c;
    for (std::size_t k = 0; k < crc::kDigits; ++k)
        field[i++] = '0';
    return field;
}

[[gnu::used]] const auto integrityMarker = markerField();

} // namespace
