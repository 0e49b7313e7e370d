// Carrier and module sessions: choosing the carrier, listing its modules,
// opening one of them, closing both, and the module's reset.
#pragma once

#include "drivers/mezzanine.h"
#include "drivers/visa.h"

#include <array>
#include <cstdint>

void selectInstrument();
void reselectInstrument();
void closeSessions(bool withMultimeter);
ViStatus queryModuleTypes(ViSession carrier, std::array<std::int32_t, kMezzaninePositions>& types);

// Toolkit callbacks
int selMezonin(int panel, int control, int event, void* data, int e1, int e2);
int ResetCB(int panel, int control, int event, void* data, int e1, int e2);
