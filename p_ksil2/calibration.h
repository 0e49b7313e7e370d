// Calibration of the module's stages by measurement: the whole table at once
// (menu item CALIBR) and one cell at a time (a double-click on CP's table).
#pragma once

#include "platform/visa.h"

// Result of the pop-up DP: 0 while it waits, 1 after "Ввести", -1 after "Отмена".
extern int popupResult;

// Measures R0 and the 18 stages of both channels into CP's table, each cell
// coloured by its tolerance. Returns the last module driver status.
ViStatus autoCalibrate();

// Toolkit callbacks
// CP's TABLE, on a double-click: re-measures the cell (stage or R0 row).
int selectR(int panel, int control, int event, void* data, int e1, int e2);
// DP's OK ("Ввести") and COMMANDBUTTON_2 ("Отмена").
int inputVal(int panel, int control, int event, void* data, int e1, int e2);
int closePopup(int panel, int control, int event, void* data, int e1, int e2);
