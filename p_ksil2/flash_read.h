// The module's flash read into CP's calibration table, and the table's fill and reset.
#pragma once

struct tvksil2_device_data;

// Fills CP's calibration table from a record, every cell blue.
void showCalTable(const tvksil2_device_data& record);
// CP's table back to its defaults, no cell known, MP's VER to 1.
void resetCalTable();

// Toolkit callbacks
// CP's READ: reads the module's flash into the table (5 attempts, 0.5 s apart).
int readFlash(int panel, int control, int event, void* data, int e1, int e2);
