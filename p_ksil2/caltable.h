// CP's calibration table and the calibration record behind it: the record an
// operation works on, the table's colours, and the DEFAULT and WRITE buttons.
// Column c of the table is channel c; rows 1 to 18 are the stages, row 19 is R0.
#pragma once

#include "drivers/tvksil2.h"
#include "history/record.h"

#include <memory>
#include <optional>
#include <string>

inline constexpr int kCalR0Row = kStages + 1; // rows 1..18 are the stages

// The record an operation works on: the open session's, or, while no session
// is open (or the driver gives none), a zero-filled record of its own with
// model code 0. get() is null only when that own record could not be had.
// When the driver refuses the session's record (refused()), the operation
// reports that and does nothing: its own record belongs to no module.
class CalRecord {
public:
    CalRecord();
    tvksil2_device_data* get() const { return record_; }
    // True, after showing the driver's status on the status line, when the
    // driver refused the session's record.
    bool refused() const;

private:
    std::unique_ptr<tvksil2_device_data> own_;
    tvksil2_device_data* record_ = nullptr;
    ViStatus lookup_ = 0;
};

// Reads the module's flash into record, in attempts a pause apart, until one
// succeeds; lastStatus holds the last attempt's status. Nothing (and no
// attempt) without a module session.
std::optional<ViStatus> readModuleFlash(tvksil2_device_data& record);
// The stage values and R0s of a record, as the history keeps a table.
history::TableValues recordValues(const tvksil2_device_data& record);
// A record holding those values (and nothing else).
tvksil2_device_data recordOf(const history::TableValues& values);

// Where the table shown came from when it is not the module's flash or a
// measurement (a backup loaded from the history); "" otherwise. Any other
// change of the table forgets it.
void setCalTableOrigin(std::string origin);
const std::string& calTableOrigin();

// Text colour of all 38 cells (tk::kBlue: values from the flash or the defaults;
// tk::kBlack / tk::kRed: measured within / outside tolerance).
void colourCalTable(int colour);
// Copies the table into the record: per channel, rows 1 to 18 into its step
// values and row 19 into its R0. Always returns 0.
ViStatus setFlash(tvksil2_device_data& record);

// Where each cell's value came from since the module was opened. A cell is
// known once it was read from the module's flash, reset to nominal, measured
// or typed by the operator; anything else (the resource's zeros after a failed
// read, what another module left) is never written to a flash.
// A cell is changed from the moment it is known other than from the flash
// until the table is read from or written to the flash; CP says so while any is.
void forgetCalCells();              // a module opened or closed, the table reset
void knowCalCells();                // a record shown, DEFAULT: every cell known and changed
void knowCalCell(int row, int channel); // known and changed
void calTableSaved();               // read from or written to the flash: nothing changed
int changedCalCells();
// A measured value into its cell, in its colour; the cell is known from now on.
void storeCalCell(int row, int channel, double value, int colour);

// True, after telling the operator, when the open module is not a КСИЛ2-4Л:
// the calibration table, the calibrations and the flash operations are that
// model's only.
bool refuseOtherModel();
// CP's READ, WRITE, DEFAULT and TABLE and the menu item CALIBR are dimmed while
// a module of another model is open (CALIBR stays dimmed in a window set up for
// the КСИЛ5).
void updateCalibrationControls();

// CP's DEFAULT: nominal stage values and R0 0.0 in both columns, all blue.
// Only the table changes; changed cells are replaced only when the operator
// confirms it.
int defaultFlash(int panel, int control, int event, void* data, int e1, int e2);
// CP's WRITE: the table into the record, then the record into the module's
// flash. Refused, the flash and the record left as they were, without a
// КСИЛ2-4Л open or when a cell is not known or holds no resistance; a value
// that is physical but far from a healthy module's is written only when the
// operator confirms it.
int writeFlash(int panel, int control, int event, void* data, int e1, int e2);
