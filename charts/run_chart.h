// The chart of a stored run: a verification's points against their norm, a
// КСИЛ5 run's against its An, a calibration's table against its tolerance.
#pragma once

#include "history/record.h"

#include <QChart>

#include <memory>

namespace charts {

// Nothing for a run that has neither points nor a calibration table.
std::unique_ptr<QChart> runChart(const history::Run& run);

} // namespace charts
