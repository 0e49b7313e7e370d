// What a program built on the panel's library reaches of its state from
// outside the panel: where the resource is loaded from, the panels it
// loaded, and the module session the start-up opened. The rest of the
// program's state is in globals.h.
#pragma once

#include "drivers/visa.h"

#include <string>

// Panel handles (the tab pages CP, PP and PP5 hold their page handles).
extern int hABOUT, hST, hDP, hCP, hPP, hPP5, hTP, hCHLP, hHI, hMP;
extern int hMenuBar; // menu bar on MP
extern int hTab;     // tab control that replaced MP's CANVAS

extern ViSession mvi; // module session, 0 = none

// Folder the resource is loaded from (the program's own folder unless set).
std::string resourcePath();
void setResourceDir(const std::string& dir);
