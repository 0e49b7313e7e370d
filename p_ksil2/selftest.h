// The module's self-test on the ST pop-up, and the driver's questions during it.
#pragma once

#include "drivers/visa.h"

// Asked by the module driver during its self-test: shows the question on ST and
// waits (pumping events) for "Продолжить" (0) or "Остановить" (1).
ViInt16 selftestAsk(ViInt32 arg1, ViInt32 arg2, ViInt32 code, const char* text);

// Toolkit callbacks
int SelftestCB(int panel, int control, int event, void* data, int e1, int e2);
int continueSelftest(int panel, int control, int event, void* data, int e1, int e2);
int stopSelftest(int panel, int control, int event, void* data, int e1, int e2);
