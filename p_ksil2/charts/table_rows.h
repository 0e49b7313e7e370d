// The rows the charts read from the program's tables and the module open now.
#pragma once

#include "charts/chart_data.h"
#include "history/query.h"

#include <optional>
#include <vector>

// PP's result table, row by row.
std::vector<charts::VerifyRow> verificationRows();
// CP's stages of both channels against their nominal values (a cell without
// a resistance, an overload reading, left out).
std::vector<charts::CalStage> calibrationStages();
// The module open now as the history knows it; nothing without one.
std::optional<history::ModuleRef> openModuleRef();
