// Manual control of a КСИЛ2-4Л channel on page PP, and MP's two toggles
// (switching mode of the module, automatic measurements).
#pragma once

// MP's AUTO_POV: measure with the multimeter right after setting a resistance
// (SET of PP) and before the point-calibration pop-up. Changes only when the
// operator operates the toggle; 0 at start-up whatever the toggle shows.
extern int autoMeasure;

// Toolkit callbacks
// PP's SET: the automatic verification with PP's AUTO_POV on, else one manual
// point (refused, with the reason, for a CHAN or R_Z outside its range).
int setP(int panel, int control, int event, void* data, int e1, int e2);
// PP's INPUT: channel off, the R_Z/R_I pair recorded as a row; refused, the
// channel left on, when CHAN or R_Z is outside its range or R_I no reading.
int inputP(int panel, int control, int event, void* data, int e1, int e2);
// PP's CHAN (and the page becoming visible): focus to R_Z.
int setChan(int panel, int control, int event, void* data, int e1, int e2);
// PP's R_Z: focus to SET.
int vavChgU_Z(int panel, int control, int event, void* data, int e1, int e2);
// PP's R_I: focus to INPUT.
int vavChgU_I(int panel, int control, int event, void* data, int e1, int e2);
// MP's MODE_R: the module's switching mode.
int modeR(int panel, int control, int event, void* data, int e1, int e2);
// MP's AUTO_POV.
int auto_measureCB(int panel, int control, int event, void* data, int e1, int e2);
