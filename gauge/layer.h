// What the multimeter layer's own files share: the driver-call report and the
// way to the operator. Not for the rest of the program.
#pragma once

#include "gauge/bindings.h"
#include "gauge/gauge.h"

#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace gauge {

// The meter families, as the layer dispatches on the open one.
enum class Meter { HpE1412, Hp3458, Dmm, Dmm1, MezDmm };

// What the layer keeps of each meter: its session variable, model code, the
// name the records know it by, and the bound entry points every family has.
struct MeterSlot {
    Meter meter;
    ViSession* session;
    int model;
    std::string_view recordName;       // as a run records the meter it was read by
    std::string_view callPrefix;       // the call texts of its entry points begin so
    meter_close_t* close;
    std::string_view closeText;
    meter_error_message_t* errorMessage;
};
inline constexpr std::array kMeterSlots{
    MeterSlot{Meter::HpE1412, &viHP1412, kModelHpE1412, "HP E1412", "p_hpe1412_", &p_hpe1412_close,
              "p_hpe1412_close (viHP1412)", &p_hpe1412_error_message},
    MeterSlot{Meter::Hp3458, &viHP3458, kModelHp3458, "HP 3458A", "p_hp3458a_", &p_hp3458a_close,
              "p_hp3458a_close (viHP3458)", &p_hp3458a_error_message},
    MeterSlot{Meter::Dmm, &viDMM, kModelDmm, "DMM1", "p_tvmult_", &p_tvmult_close, "p_tvmult_close (viDMM)",
              &p_tvmult_error_message},
    MeterSlot{Meter::Dmm1, &viDMM1, kModelDmm1, "ЦMM1", "p_tvmultc1_", &p_tvmultc1_close,
              "p_tvmultc1_close (viDMM1)", &p_tvmultc1_error_message},
    MeterSlot{Meter::MezDmm, &viM_DMM1, kModelMezDmm, "МЦMM", "p_tvmmultc1_", &p_tvmmultc1_close,
              "p_tvmmultc1_close (viM_DMM1)", &p_tvmmultc1_error_message},
};

constexpr bool isFamily(int model)
{
    for (const Family& f : kFamilies)
        if (f.model == model)
            return true;
    return false;
}

constexpr bool slotsInEnumOrder()
{
    for (std::size_t i = 0; i < kMeterSlots.size(); ++i)
        if (kMeterSlots[i].meter != static_cast<Meter>(i) || !isFamily(kMeterSlots[i].model))
            return false;
    return true;
}
static_assert(slotsInEnumOrder(), "kMeterSlots is indexed by Meter and names families");

constexpr const MeterSlot& slotOf(Meter m)
{
    return kMeterSlots[static_cast<std::size_t>(m)];
}

// The two orders in which the open sessions are looked at: the reading's (and
// the driver message's, and the record's), and the range's (and the closing's,
// and the meter named to the operator). At most one meter is open (each
// opening closes the others before it opens its own), so the order picks
// among none or one; it is kept as the procedures were written.
inline constexpr std::array kReadingOrder{Meter::HpE1412, Meter::Hp3458, Meter::Dmm, Meter::Dmm1, Meter::MezDmm};
inline constexpr std::array kRangeOrder{Meter::HpE1412, Meter::Hp3458, Meter::Dmm1, Meter::Dmm, Meter::MezDmm};

// The first meter of order whose session is open; nothing when none is.
std::optional<Meter> openMeter(std::span<const Meter> order);

// Records status as meterStatus and, when it is not 0, shows on the status
// line the label cut before its first "(" followed by the message of the first
// open meter's driver. Returns status.
ViStatus checked(std::string_view label, ViStatus status);

// Reports a reading that is not a number on the status line, as the call
// label cut before its first "(" and the value, and records kStatusNotANumber
// as meterStatus. Returns kStatusNotANumber.
ViStatus notANumber(std::string_view label, double reading);

// The operator, through the hooks the program set.
std::optional<Choice> choose(const char* title, int modelCode);
void showWait(std::string_view text);
void hideWait();
void meterChanged();
// The message box that ends a search which opened no meter.
void tellNoMeter();

} // namespace gauge
