// The instrument selection dialog, built in code on first use.
#pragma once

#include "si/discovery.h"

// A choice that already waits is not started again: both operations then bring
// its dialog to the front and return nullptr at once.
// Offers the carriers; returns the chosen entry of instrTable or nullptr.
InstrInfo* selBase(const char* title);
// Offers the entries of one model code; returns the chosen entry or nullptr.
InstrInfo* selByModel(const char* title, int modelCode);

namespace si {

// True while a caller waits on the dialog; the dialog is then brought to the front.
bool selectionWaiting();

// The dialog's panel handle (0 until first built) and control ids, for tests.
int selectionPanel();
int selectionListCtrl();
int selectionOkCtrl();
int selectionCancelCtrl();

} // namespace si
