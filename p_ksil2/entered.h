// Values the operator typed into numeric fields, taken where the program uses
// them: a setting must lie within its field's range, a reading must be a
// number. What cannot be used is refused with a message saying why (the field,
// the value, the range) and the focus goes back to the field; a value is never
// fitted to the range or guessed.
#pragma once

#include <optional>

// The value of a field that sets something (a resistance, a channel, a
// temperature) when it lies within the field's range (tk::numericRange).
std::optional<double> enteredSetting(int panel, int ctrl);
// The value of a field holding a measured value when it is a reading (a
// finite number, as the meter layer judges its own readings).
std::optional<double> enteredReading(int panel, int ctrl);
