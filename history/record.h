// One run of the program as the history keeps it: what was done to which
// module, with which meter, where, by whom, when, how it ended, and every
// value it measured, read or wrote. Plain data, no database types: the
// program fills it, the history stores and loads it.
#pragma once

#include "drivers/mezzanine.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace history {

// Milliseconds since 1970-01-01T00:00:00Z.
using UtcMs = std::int64_t;

enum class RunKind {
    AutoCalibration,    // the whole table measured, stage by stage
    PointCalibration,   // one cell re-measured
    Write,              // the table written to the flash: as-found, as-left, read-back
    Read,               // the flash read into the table
    AutoVerification,   // both channels through the test points, with a verdict
    ManualVerification, // a row recorded by hand (SET, INPUT)
    Ksil5Verification,  // the step-by-step run of the КСИЛ5
};

// How a run ended.
enum class RunEnd {
    Complete,
    Stopped,      // by the operator: Stop, Cancel, a "No" answer
    DriverError,  // a driver call failed; detail holds its message and call text
    MeterFailure, // the multimeter gave no reading
    FileError,    // a file the run needed could not be opened or written
};

enum class Verdict { None, Conform, Nonconform }; // None: the run gave no verdict
enum class PointVerdict { Within, Outside };
enum class ReadBack { NotDone, Match, Mismatch, Failed }; // WRITE: the flash read after writing
enum class ReadingsFrom { None, Meter, Operator };

// A calibration table's part in its run.
enum class TableRole {
    Result,   // what a calibration put into the table
    AsFound,  // the flash read just before a WRITE
    AsLeft,   // the table a WRITE wrote
    ReadBack, // the flash read just after a WRITE
    Read,     // the flash read by READ
};

// What a cell of a calibration result is.
enum class CellState {
    Stored,      // a value from the flash or to be written to it
    Within,      // measured in this run, within its tolerance
    Outside,     // measured in this run, outside its tolerance
    NotMeasured, // the run did not get a reading; the value is what the table held
};

inline constexpr int kChannelCount = kChannels;
inline constexpr int kStageCount = kStages;
inline constexpr int kR0Row = kStages + 1; // the table's row of R0, after the stages
inline constexpr int kRowCount = kStages + 1;

struct CalCell {
    int channel = 1; // 1 or 2
    int row = 1;     // 1..18 the stages (stage k weighs 2^(k-1) ohm), kR0Row the channel's R0
    double value = 0.0;
    CellState state = CellState::Stored;
    std::optional<double> reading; // the raw reading the value was computed from
    std::optional<double> r0Used;  // the R0 that corrected the reading
};

// One table of a run: a whole one (38 cells) or the cells a run touched.
struct CalTable {
    TableRole role = TableRole::Result;
    std::vector<CalCell> cells;
};

// The values of a whole table, [channel - 1][row - 1], rows as CalCell::row.
using TableValues = std::array<std::array<double, kRowCount>, kChannelCount>;

CalTable wholeTable(TableRole role, const TableValues& values, CellState state = CellState::Stored);
// The values of a table that holds every cell, else nullopt.
std::optional<TableValues> tableValues(const CalTable& table);

struct VerifyPoint {
    UtcMs time = 0;
    int channel = 1;
    double set = 0.0;       // the resistance set, ohm
    double measured = 0.0;  // ohm
    double norm = 0.0;      // the allowed deviation, ohm
    double deviation = 0.0; // measured - set
    PointVerdict verdict = PointVerdict::Within;
};

// The settings of a КСИЛ5 run.
struct Ksil5Settings {
    int channel = 1;
    int mode = 0;                   // MEAS_MODE's value
    std::string modeText;           // its position's label
    int temperature = 1;            // RING_TEMP's value
    std::string temperatureText;    // its item's text
    std::optional<int> temperatureC; // the degrees typed for "другая"
    double tolerance = 0.0;         // An, ohm
};

struct ModuleId {
    std::string carrierResource;
    std::string carrierSerial; // empty where the carrier reports none
    int position = 0;          // mezzanine position 1..4
    int model = 0;             // model code
    std::string modelName;
};

struct MeterId {
    std::string family;         // empty when no meter took part
    std::string resource;
    std::string identification; // empty where the driver gives none
};

struct Station {
    std::string host;
    std::string user;
    std::string programVersion;
    std::string libraryCrc; // the switch-code library's CRC-32 as ABOUT shows it, empty when unknown
};

// Everything about a run but its tables and points.
struct RunInfo {
    std::string id; // UUID; store() gives one to a run without
    RunKind kind = RunKind::AutoCalibration;
    RunEnd end = RunEnd::Complete;
    std::string endDetail; // the message that ended the run, if any
    UtcMs started = 0;
    UtcMs ended = 0;
    ModuleId module;
    MeterId meter;
    Station station;
    ReadingsFrom readingsFrom = ReadingsFrom::None;
    Verdict verdict = Verdict::None;
    ReadBack readBack = ReadBack::NotDone;
    std::string note; // free text, e.g. what the table a WRITE wrote came from
};

struct Run : RunInfo {
    std::vector<CalTable> tables;
    std::vector<VerifyPoint> points;
    std::optional<Ksil5Settings> ksil5;

    const CalTable* table(TableRole role) const;
};

// Texts of the enumerations: a stable code (stored in the database, written
// to exports and taken on the command line) and the operator's words.
std::string_view code(RunKind v);
std::string_view code(RunEnd v);
std::string_view code(Verdict v);
std::string_view code(PointVerdict v);
std::string_view code(ReadBack v);
std::string_view code(ReadingsFrom v);
std::string_view code(TableRole v);
std::string_view code(CellState v);

std::string_view words(RunKind v);
std::string_view words(RunEnd v);
std::string_view words(Verdict v);
std::string_view words(PointVerdict v);
std::string_view words(ReadBack v);
std::string_view words(ReadingsFrom v);
std::string_view words(TableRole v);
std::string_view words(CellState v);

// The value of a code, nullopt for an unknown one.
template <typename E>
std::optional<E> fromCode(std::string_view text);

// "1".."18" for the stages, "R0" for the R0 row.
std::string rowLabel(int row);
// The row of a label as rowLabel gives it, nullopt otherwise.
std::optional<int> rowOfLabel(std::string_view label);

} // namespace history
