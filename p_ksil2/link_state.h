// What the main window shows of the open sessions: the link LED and the
// automatic-measurement controls that need a multimeter.
#pragma once

// MP's "Связь" LED: on while a module session is open; yellow when a multimeter
// is open too, green otherwise.
void updateLinkLed();
// After a multimeter search: MP's AUTO_POV is shown exactly when a multimeter is
// open, PP's AUTO_POV dimmed exactly when none is.
void showMeterControls();
