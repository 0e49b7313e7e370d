// Runs as a lab takes them away: CSV for a spreadsheet or a certificate
// (UTF-8, a header row, a fixed column order) and JSON for other programs.
// Every number is written in the shortest form that reads back as the same
// double, with a point for the decimals, whatever the locale.
#pragma once

#include "history/query.h"
#include "history/record.h"

#include <nlohmann/json.hpp>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace history {

struct CsvStyle {
    char separator = ',';
    bool byteOrderMark = false; // for spreadsheets that need one to see UTF-8
};

// One row per verification point:
// time_utc, carrier, serial, position, model, channel, set_ohm, measured_ohm,
// norm_ohm, deviation_ohm, verdict, kind, run
void writePointsCsv(std::ostream& out, const std::vector<Run>& runs, const CsvStyle& style = {});
// One row per calibration table cell:
// time_utc, carrier, serial, position, model, kind, table, channel, stage,
// value_ohm, state, reading_ohm, r0_used_ohm, value_bits, run
void writeCellsCsv(std::ostream& out, const std::vector<Run>& runs, const CsvStyle& style = {});
// One row per measured value:
// time_utc, carrier, serial, position, channel, stage, value_ohm,
// since_previous_ohm, since_first_ohm, state, kind, run
void writeDriftCsv(std::ostream& out, const std::vector<DriftPoint>& drift, const ModuleRef& module,
                   const CsvStyle& style = {});

nlohmann::ordered_json runJson(const Run& run);
// A JSON array of runs, indented, with a line feed at its end.
void writeRunsJson(std::ostream& out, const std::vector<Run>& runs);

// A CSV field, quoted when it holds the separator, a quote or a line break.
std::string csvField(std::string_view text, char separator = ',');

} // namespace history
