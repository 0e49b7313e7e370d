// The history window HI for the module that is open: its backups of the flash
// (one loaded into CP's table as from the flash, for WRITE to store), or its
// calibrations and verifications; newest first, each shown with its points.
#pragma once

// The menu items: the list of backups, the list of runs.
void showBackups();
void showModuleRuns();

// Toolkit callbacks
// HI's LIST: the chosen run shown in DETAIL.
int historyListCB(int panel, int control, int event, void* data, int e1, int e2);
// HI's LOAD: the chosen backup into CP's table, blue, as from the flash.
int loadBackupCB(int panel, int control, int event, void* data, int e1, int e2);
