// Texts and limits of the instrument scan: the Descr formats of each kind of record.
#pragma once

#include "drivers/tvbase.h"
#include "drivers/visa.h"

#include <array>

namespace si {

inline constexpr ViUInt16 kChassisSlotLA = 255;
inline constexpr ViInt16 kMaxSlot = 12;
inline constexpr ViUInt32 kLockTimeoutMs = 2000;
inline constexpr const char* kResourceExpr = "?*INSTR";
inline constexpr const char* kIdnQuery = "*IDN?\n";
inline constexpr const char* kNoFirmware = "n/a";

struct CarrierFormat {
    ViUInt16 model;
    const char* descr; // (CrateLA, Slot, Address)
};
inline constexpr std::array<CarrierFormat, 3> kCarrierFormats{{
    {kCarrierModelNm, "Н.М.  Л.А.крейта:0x%02X, слот:%d\n(%s)"},
    {kCarrierModelNmu, "Н.М.У.  Л.А.крейта:0x%02X, слот:%d\n(%s)"},
    {kCarrierModelNmm, "Н.М.М.  Л.А.крейта:0x%02X, слот:%d\n(%s)"},
}};
// (ModelCode, CrateLA, Slot, Address)
inline constexpr const char* kOtherVxiFormat = "Модель 0x%x Л.А.крейта:0x%02X, слот:%d\n(%s)";
// (address, Serial)
inline constexpr const char* kLxiFormat = "Karvel, LXI (%s, №:%s)";
// (Serial)
inline constexpr const char* kUsbFormat = "Karvel, USB (№:%s)";
// (carrier's Descr, position, model code)
inline constexpr const char* kMezzanineFormat = "%s мезонин N %d модель 0x%x";

} // namespace si
