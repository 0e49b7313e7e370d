// Mezzanine-carrier driver (tvbase_32). Statuses follow VISA: negative = failure.
// Linked by import for the session code, loaded by name for discovery and the
// multimeter layer.
#pragma once

#include "drivers/visa.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" {

ViStatus tvbase_init(ViConstString rsrcName, ViBoolean idQuery, ViBoolean reset, ViSession* vi);
// position 1..4; present: non-zero when a mezzanine is fitted; model: its model code
ViStatus tvbase_m_type_q(ViSession vi, ViInt16 position, ViInt16* present, ViInt16* model);
ViStatus tvbase_close(ViSession vi);

} // extern "C"

using tvbase_init_t = decltype(&tvbase_init);
using tvbase_m_type_q_t = decltype(&tvbase_m_type_q);
using tvbase_close_t = decltype(&tvbase_close);

inline constexpr std::string_view kCarrierLibrary = "tvbase_32.dll";
// Every entry point the driver exports, in the order discovery looks them up.
inline constexpr std::array<std::string_view, 3> kCarrierEntries{"tvbase_init", "tvbase_close", "tvbase_m_type_q"};
// What the multimeter layer needs to open a mezzanine multimeter: a prefix of the list above.
inline constexpr std::size_t kCarrierSessionEntries = 2;

// The maker's VXI identity: manufacturer id and the model codes of its three carriers.
inline constexpr std::uint16_t kCarrierManufacturer = 0x0E76; // 3702
inline constexpr std::uint16_t kCarrierModelNm = 0x10D;       // 269, also the carrier's code in the meter tables
inline constexpr std::uint16_t kCarrierModelNmu = 0x155;
inline constexpr std::uint16_t kCarrierModelNmm = 0x177;
inline constexpr std::array<std::uint16_t, 3> kCarrierModels{kCarrierModelNm, kCarrierModelNmu, kCarrierModelNmm};
// Stand-alone chassis (LXI, USB): the model code and the identification reply's prefix.
inline constexpr std::uint16_t kChassisModelCode = 0x1004;
inline constexpr std::string_view kChassisIdnPrefix = "VELTRONA,TVBASE";
