// The multimeter layer as the rest of the program sees it.
#pragma once

#include "platform/visa.h"

// Meter sessions, 0 = not open; viNM is the carrier session of a mezzanine meter.
extern ViSession viHP1412, viHP3458, viDMM, viDMM1, viM_DMM1, viNM;

// Tries the meter families in turn until one opens.
void findMultimeter();
// 1 when any meter session is open.
int isMultimeterOpen();
// Closes the first open meter session, then the carrier session of a mezzanine meter.
void closeMultimeter();
