// What the multimeter layer's own files share: the driver-call report and the
// way to the operator. Not for the rest of the program.
#pragma once

#include "gauge/gauge.h"

#include <optional>
#include <string_view>

namespace gauge {

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
