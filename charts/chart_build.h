// The Qt Charts of the chart data: deviation (verification, КСИЛ5 run,
// calibration) and drift. Each chart is built whole from its data; a chart
// that follows a run is built again at each point, which costs less than the
// paint that follows it.
#pragma once

#include "charts/chart_data.h"

#include <QChart>
#include <QString>

#include <memory>
#include <vector>

namespace charts {

struct ChartTexts {
    QString title;
    QString xTitle;
    QString yTitle;
    QString tolerance; // the envelope's name in the legend
};

ChartTexts verificationTexts();
ChartTexts ksil5Texts();
ChartTexts calibrationTexts();

// Series names, for the legend and for whoever reads the chart back.
QString channelName(int channel); // "Канал 1"
QString outsideName();            // the points beyond their tolerance
QString driftLineName(int channel, int row);

// A line per channel, the points beyond the tolerance marked red on top, the
// ± envelope dashed; x logarithmic.
std::unique_ptr<QChart> deviationChart(const DeviationData& data, const ChartTexts& texts);
// A line per cell over time; a chart without lines says so in its title.
std::unique_ptr<QChart> driftChart(const std::vector<DriftLine>& lines, DriftValue value);

} // namespace charts
