// What ksil_history prints for a person: aligned columns, Russian words.
#pragma once

#include "history/query.h"
#include "history/record.h"

#include <ostream>
#include <string>
#include <vector>

namespace history::tool {

void printRunList(std::ostream& out, const std::vector<RunListEntry>& runs);
void printRun(std::ostream& out, const Run& run);
void printBackups(std::ostream& out, const std::vector<RunInfo>& backups);
void printDrift(std::ostream& out, const std::vector<DriftPoint>& drift, const ModuleRef& module);

// "VXI0::2::INSTR #1" with the serial and the model's name where known.
std::string moduleText(const ModuleId& module);

// Rows of text cells printed in columns padded to the widest cell, counted in
// characters, not bytes.
void printColumns(std::ostream& out, const std::vector<std::vector<std::string>>& rows, std::string_view indent = "");

} // namespace history::tool
