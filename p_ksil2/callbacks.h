// Callbacks of the main window, the ABOUT and self-test panels and the menu bar,
// and the table that makes every callback of the panel resource known by name.
#pragma once

// MP's panel callback: the window's close box asks for the exit.
int CloseCB(int panel, int control, int event, void* data, int e1, int e2);
// MP's EXIT button.
int exitCB(int panel, int control, int event, void* data, int e1, int e2);
// ABOUT's close button: hide that panel, bring MP back.
int ClosePanelCB(int panel, int control, int event, void* data, int e1, int e2);
// ST's close button: take down every pop-up.
int ClosePopupCB(int panel, int control, int event, void* data, int e1, int e2);
// MP's MSG_OK: clear the status line.
int messageCB(int panel, int control, int event, void* data, int e1, int e2);
// Every item of the menu bar.
void MenuCallback(int menuBar, int menuItem, void* data, int panel);

// Registers every callback name the panel resource uses with the toolkit.
void registerCallbacks();
