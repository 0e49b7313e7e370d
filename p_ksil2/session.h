// Carrier and module sessions, driver error reporting, reset and self-test.
#pragma once

#include "drivers/visa.h"

#include <array>
#include <cstdint>
#include <string>

// Shows a failed driver call on MP's status line: the driver's message, a blank
// and the call text, in red; status 0 only turns the line grey.
void reportStatus(const char* callText, ViStatus status);
// Shows a failure on MP's status line in red, cut to the status text's 255 characters.
void showStatusProblem(std::string text);

void selectInstrument();
void reselectInstrument();
void closeSessions(bool withMultimeter);
void resetCalTable();
ViStatus queryModuleTypes(ViSession carrier, std::array<std::int32_t, 4>& types);

struct tvksil2_device_data;
// Fills CP's calibration table from a record, every cell blue.
void showCalTable(const tvksil2_device_data& record);
// Asked by the module driver during its self-test: shows the question on ST and
// waits (pumping events) for "Продолжить" (0) or "Остановить" (1).
ViInt16 selftestAsk(ViInt32 arg1, ViInt32 arg2, ViInt32 code, const char* text);

// Toolkit callbacks
int selMezonin(int panel, int control, int event, void* data, int e1, int e2);
int ResetCB(int panel, int control, int event, void* data, int e1, int e2);
int SelftestCB(int panel, int control, int event, void* data, int e1, int e2);
// CP's READ: reads the module's flash into the table (5 attempts, 0.5 s apart).
int readFlash(int panel, int control, int event, void* data, int e1, int e2);
// READ's work; confirm: a successful read says so on the status line.
void readFlashTable(bool confirm);
int continueSelftest(int panel, int control, int event, void* data, int e1, int e2);
int stopSelftest(int panel, int control, int event, void* data, int e1, int e2);
