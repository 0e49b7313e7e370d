// What the main window shows of the open sessions: the link LED, the carrier
// and the multimeter in use, and the automatic-measurement controls that need
// a multimeter.
#pragma once

#include <string>

struct InstrInfo;

// MP's "Связь" LED: on while a module session is open; yellow when a multimeter
// is open too, green otherwise. MP's CARRIER and METER follow the sessions too.
void updateLinkLed();
// The instrument-table entry of the carrier whose session is open (nullptr: none).
void noteCarrier(const InstrInfo* entry);
// MP's lines, as the operator reads them: "Носитель: VXI0::2::INSTR".
std::string carrierLine();
std::string meterLine();
// After a multimeter search: MP's AUTO_POV is shown exactly when a multimeter is
// open, PP's AUTO_POV dimmed exactly when none is.
void showMeterControls();
