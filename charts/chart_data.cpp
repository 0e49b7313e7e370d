#include "charts/chart_data.h"

#include "drivers/mezzanine.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace charts {

namespace {

// The y axis spans this many times the largest deviation or the narrowest tolerance.
constexpr double kRoom = 2.0;

bool onLogAxis(double x)
{
    return std::isfinite(x) && x > 0.0;
}

} // namespace

bool within(double deviation, double tolerance)
{
    return std::fabs(deviation) <= tolerance;
}

DeviationData deviationData(std::span<const Judged> points, std::span<const int> channels,
                            std::optional<Range> xAxis)
{
    DeviationData d;
    for (const int c : channels)
        d.channels.push_back({c, {}});
    std::map<double, double> envelope; // x → tolerance, the first row's at a repeated x
    double largest = 0.0;
    for (const Judged& p : points) {
        const auto line = std::find_if(d.channels.begin(), d.channels.end(),
                                       [&p](const ChannelLine& l) { return l.channel == p.channel; });
        if (!onLogAxis(p.x) || line == d.channels.end())
            continue;
        if (std::isfinite(p.tolerance))
            envelope.emplace(p.x, p.tolerance);
        if (!std::isfinite(p.deviation))
            continue;
        line->points.push_back({p.x, p.deviation});
        if (!within(p.deviation, p.tolerance))
            d.outside.push_back({p.x, p.deviation});
        largest = std::max(largest, std::fabs(p.deviation));
    }
    double narrowest = 0.0;
    for (const auto& [x, tolerance] : envelope) {
        d.upper.push_back({x, tolerance});
        d.lower.push_back({x, -tolerance});
        narrowest = narrowest == 0.0 ? tolerance : std::min(narrowest, tolerance);
    }
    // The y axis shows every point and the narrowest part of the envelope with
    // room to spare; a wider part (a norm of hundreds of ohms at the top of the
    // range) runs off the chart rather than flatten deviations of a few ohms.
    double half = kRoom * std::max(largest, narrowest);
    if (!(half > 0.0))
        half = 1.0;
    d.y = {-half, half};
    if (xAxis)
        d.x = *xAxis;
    if (!envelope.empty()) {
        const Range points{envelope.begin()->first, envelope.rbegin()->first};
        d.x = xAxis ? Range{std::min(d.x.low, points.low), std::max(d.x.high, points.high)} : points;
    } else if (!xAxis) {
        d.x = {1.0, 2.0};
    }
    if (d.x.high <= d.x.low)
        d.x.high = d.x.low * 2.0;
    return d;
}

std::vector<int> channelsOf(std::span<const Judged> points)
{
    std::vector<int> channels;
    for (const Judged& p : points)
        if (std::find(channels.begin(), channels.end(), p.channel) == channels.end())
            channels.push_back(p.channel);
    std::sort(channels.begin(), channels.end());
    return channels;
}

std::vector<Judged> judgedRows(std::span<const VerifyRow> rows)
{
    std::vector<Judged> judged;
    judged.reserve(rows.size());
    for (const VerifyRow& r : rows)
        judged.push_back({r.channel, r.set, r.measured - r.set, r.norm});
    return judged;
}

std::vector<Judged> judgedRows(std::span<const history::VerifyPoint> points)
{
    std::vector<Judged> judged;
    judged.reserve(points.size());
    for (const history::VerifyPoint& p : points)
        judged.push_back({p.channel, p.set, p.deviation, p.norm});
    return judged;
}

std::vector<Judged> relativeStages(std::span<const CalStage> stages)
{
    std::vector<Judged> judged;
    judged.reserve(stages.size());
    for (const CalStage& s : stages) {
        if (!onLogAxis(s.nominal))
            continue;
        judged.push_back({s.channel, s.nominal, 100.0 * (s.value - s.nominal) / s.nominal,
                          100.0 * s.tolerance / s.nominal});
    }
    return judged;
}

std::vector<CalStage> tableStages(const history::CalTable& table)
{
    std::vector<CalStage> stages;
    for (const history::CalCell& c : table.cells) {
        if (c.row < 1 || c.row > kStages)
            continue;
        const double nominal = stageWeight(c.row);
        stages.push_back({c.channel, nominal, c.value, stageTolerance(nominal)});
    }
    return stages;
}

std::vector<DriftLine> driftLines(std::span<const history::DriftPoint> points, DriftValue value)
{
    std::map<std::pair<int, int>, DriftLine> lines;
    for (const history::DriftPoint& p : points) {
        const bool stage = p.row >= 1 && p.row <= kStages;
        if (value == DriftValue::PercentOfNominal && !stage)
            continue;
        if (!std::isfinite(p.value))
            continue;
        double y = p.value;
        if (value == DriftValue::PercentOfNominal)
            y = 100.0 * (p.value - stageWeight(p.row)) / stageWeight(p.row);
        DriftLine& line = lines[{p.channel, p.row}];
        line.channel = p.channel;
        line.row = p.row;
        line.points.push_back({static_cast<double>(p.time), y});
    }
    std::vector<DriftLine> ordered;
    for (auto& [key, line] : lines) {
        std::stable_sort(line.points.begin(), line.points.end(),
                         [](const XY& a, const XY& b) { return a.x < b.x; });
        ordered.push_back(std::move(line));
    }
    return ordered;
}

} // namespace charts
