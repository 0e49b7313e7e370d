// The instrument selection dialog, built in code on first use.
#pragma once

#include "si/discovery.h"

// Offers the carriers; returns the chosen entry of instrTable or nullptr.
InstrInfo* selBase(const char* title);
// Offers the entries of one model code; returns the chosen entry or nullptr.
InstrInfo* selByModel(const char* title, int modelCode);

// Forgets the dialog without touching the toolkit: for a program started
// again on a new toolkit in the same process (tests), which builds it anew.
void forgetSelection();

// The dialog's panel handle (0 until first built) and control ids, for tests.
int selectionPanel();
int selectionListCtrl();
int selectionOkCtrl();
int selectionCancelCtrl();
