// What the charts show, computed from the rows the tables show and from the
// history: plain points, no Qt. The chart widgets draw these and nothing else,
// so the tests compare them with the tables.
#pragma once

#include "history/query.h"
#include "history/record.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace charts {

struct XY {
    double x = 0.0;
    double y = 0.0;
    bool operator==(const XY&) const = default;
};

struct Range {
    double low = 0.0;
    double high = 0.0;
};

// A point against a symmetric allowance: deviation and tolerance in the
// chart's unit, x the set or nominal value.
struct Judged {
    int channel = 1;
    double x = 0.0;
    double deviation = 0.0;
    double tolerance = 0.0;
};

struct ChannelLine {
    int channel = 1;
    std::vector<XY> points; // in the order of the rows
};

// Deviations of the channels against their ± envelope.
struct DeviationData {
    std::vector<ChannelLine> channels;
    std::vector<XY> outside;                         // the points beyond their tolerance, either channel
    std::vector<XY> upper, lower;                    // + and − tolerance at each x, ascending
    Range x;                                         // the x axis (logarithmic)
    Range y;                                         // the y axis, symmetric about 0
};

// A tie is within; a deviation that is not a number never is.
bool within(double deviation, double tolerance);

// The chart of judged points of the channels named (a line each, in that
// order, empty when a channel has no point yet); points of other channels are
// left out. xAxis fixes the x axis (the run's first and last
// set value) so that a chart filled point by point does not rescale, widened
// for a point beyond it; without it the axis spans the points. A point whose x is not positive cannot be on a
// logarithmic axis and is left out, as is one that is not a number.
DeviationData deviationData(std::span<const Judged> points, std::span<const int> channels,
                            std::optional<Range> xAxis = std::nullopt);
// The channels the points are of, ascending.
std::vector<int> channelsOf(std::span<const Judged> points);

// A row of the verification table: deviation measured − set against the norm.
struct VerifyRow {
    int channel = 1;
    double set = 0.0;
    double measured = 0.0;
    double norm = 0.0;
};
std::vector<Judged> judgedRows(std::span<const VerifyRow> rows);
// The points of a stored verification run.
std::vector<Judged> judgedRows(std::span<const history::VerifyPoint> points);

// A stage of a calibration table: its value against its nominal, in per cent
// of the nominal, with the tolerance (ohms) the calibration colours it by.
struct CalStage {
    int channel = 1;
    double nominal = 0.0;
    double value = 0.0;
    double tolerance = 0.0;
};
std::vector<Judged> relativeStages(std::span<const CalStage> stages);
// The stages of a stored table (R0 left out), judged by the verification norm
// on their nominal weights as the calibration does.
std::vector<CalStage> tableStages(const history::CalTable& table);

// One line of the drift chart: a cell across the calibrations, x the time (ms
// since 1970, UTC) and y the value (ohms) or its deviation from the stage's
// nominal weight (per cent).
enum class DriftValue { Ohms, PercentOfNominal };
struct DriftLine {
    int channel = 1;
    int row = 1; // 1..18 the stages, history::kR0Row the R0
    std::vector<XY> points;
};
// Lines ordered by channel, then row; points oldest first. In PercentOfNominal
// the R0 has no nominal and is left out.
std::vector<DriftLine> driftLines(std::span<const history::DriftPoint> points, DriftValue value);

} // namespace charts
