// Instrument discovery: one VISA scan at start-up fills the instrument table.
#pragma once

#include "drivers/visa.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

struct InstrInfo {
    char Address[128];   // VISA resource string; a mezzanine's record holds its carrier's
    char Descr[128];     // line offered in the selection list; may contain a line break
    ViUInt16 ModelCode;  // 0 marks a free entry
    ViSession Session;   // carrier session opened on this record by the session code
    ViInt16 CrateLA;
    ViInt16 LA;
    ViUInt16 Slot;
    ViInt16 Meznum;      // mezzanine position 1..4, 0 in other records
    ViInt16 IntfType;
    ViInt16 Kind;        // 0 carrier, 1 mezzanine, 2 other instrument
    char Serial[32];
    char Firmware[34];
};

namespace si {
inline constexpr int kInstrTableSize = 256;
inline constexpr ViInt16 KIND_CARRIER = 0, KIND_MEZZANINE = 1, KIND_OTHER = 2;
} // namespace si

extern std::array<InstrInfo, si::kInstrTableSize> instrTable;

// Runs one scan; returns the number of records published, or a negative VISA status.
ViStatus findInstruments();
// Binds the carrier driver by name; 0 when bound, -1 otherwise.
int loadBaseDriver();

// Asks the carrier driver which positions of the carrier list[0] are fitted and
// writes one record per fitted mezzanine into list[1], list[2] ...; returns how
// many it wrote (never more than list.size() - 1; 0 when the driver is unusable).
int findMezonins(std::span<InstrInfo> list);

namespace si {

// --- text helpers of the scan, exposed for unit tests -----------------------
// Formats into a fixed field, cutting the text to fit without splitting a UTF-8
// character; the field is always terminated.
void formatInto(std::span<char> field, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Fills Serial and Firmware from a chassis identification reply. Returns false
// (and changes nothing) when the reply is not one of our chassis.
bool parseChassisIdn(std::string_view reply, InstrInfo& record);

} // namespace si
