// The chart data: which points a chart shows, where, and which stand out.
#include "charts/chart_data.h"

#include "drivers/mezzanine.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace charts;

namespace {

constexpr int kBoth[] = {1, 2};

TEST(DeviationData, SplitsChannelsInRowOrderAndMarksOnlyPointsBeyondTheirTolerance)
{
    const std::vector<Judged> points{
        {1, 4.0, 0.5, 2.0},    // within
        {2, 4.0, -2.0, 2.0},   // a tie is within
        {1, 1.0, 2.5, 2.0},    // beyond, above
        {2, 16.0, -3.0, 2.5},  // beyond, below
        {1, 0.0, 1.0, 2.0},    // no place on a logarithmic axis
        {3, 8.0, 9.0, 2.0},    // a channel not shown
        {2, 8.0, NAN, 2.0},    // no value: no point, but the set value keeps its envelope
    };
    const DeviationData d = deviationData(points, kBoth);
    ASSERT_EQ(d.channels.size(), 2u);
    EXPECT_EQ(d.channels[0].channel, 1);
    EXPECT_EQ(d.channels[0].points, (std::vector<XY>{{4.0, 0.5}, {1.0, 2.5}}));
    EXPECT_EQ(d.channels[1].points, (std::vector<XY>{{4.0, -2.0}, {16.0, -3.0}}));
    EXPECT_EQ(d.outside, (std::vector<XY>{{1.0, 2.5}, {16.0, -3.0}}));
    // The envelope: one point per set value, ascending, the first row's tolerance.
    EXPECT_EQ(d.upper, (std::vector<XY>{{1.0, 2.0}, {4.0, 2.0}, {8.0, 2.0}, {16.0, 2.5}}));
    EXPECT_EQ(d.lower, (std::vector<XY>{{1.0, -2.0}, {4.0, -2.0}, {8.0, -2.0}, {16.0, -2.5}}));
    EXPECT_DOUBLE_EQ(d.x.low, 1.0);
    EXPECT_DOUBLE_EQ(d.x.high, 16.0);
    // Every point and the narrowest envelope fit; the y axis is symmetric.
    EXPECT_GE(d.y.high, 3.0);
    EXPECT_DOUBLE_EQ(d.y.low, -d.y.high);
}

TEST(DeviationData, FixedAxisHoldsForAnEmptyRunAndWidensForAPointBeyondIt)
{
    const DeviationData empty = deviationData({}, kBoth, Range{1.0, 262143.0});
    EXPECT_EQ(empty.channels.size(), 2u);
    EXPECT_TRUE(empty.channels[0].points.empty());
    EXPECT_DOUBLE_EQ(empty.x.low, 1.0);
    EXPECT_DOUBLE_EQ(empty.x.high, 262143.0);
    EXPECT_GT(empty.y.high, 0.0);

    const std::vector<Judged> beyond{{1, 300000.0, 1.0, normR(300000.0)}};
    const DeviationData wide = deviationData(beyond, kBoth, Range{1.0, 262143.0});
    EXPECT_DOUBLE_EQ(wide.x.low, 1.0);
    EXPECT_DOUBLE_EQ(wide.x.high, 300000.0);
}

TEST(DeviationData, LargeNormAtTheTopDoesNotFlattenSmallDeviations)
{
    // A verification's envelope grows from about 2 to 526 ohms; deviations of a few ohms stay readable.
    std::vector<Judged> points;
    for (int k = 0; k < 19; ++k) {
        const double set = k < 18 ? stageWeight(k + 1) : 262143.0;
        points.push_back({1, set, 0.01 * k, normR(set)});
    }
    const DeviationData d = deviationData(points, kBoth);
    EXPECT_LT(d.y.high, 10.0);
    EXPECT_GE(d.y.high, normR(1.0));
    EXPECT_TRUE(d.outside.empty());
}

TEST(VerificationRows, DeviationIsMeasuredMinusSetAgainstTheRowsNorm)
{
    const std::vector<VerifyRow> rows{{2, 1024.0, 1030.5, normR(1024.0)}};
    const auto judged = judgedRows(std::span<const VerifyRow>(rows));
    ASSERT_EQ(judged.size(), 1u);
    EXPECT_EQ(judged[0].channel, 2);
    EXPECT_DOUBLE_EQ(judged[0].x, 1024.0);
    EXPECT_DOUBLE_EQ(judged[0].deviation, 6.5);
    EXPECT_DOUBLE_EQ(judged[0].tolerance, normR(1024.0));
}

TEST(CalibrationStages, DeviationAndToleranceInPerCentOfTheNominal)
{
    const std::vector<CalStage> stages{{1, 1024.0, 1024.512, stageTolerance(1024.0)},
                                       {2, 0.0, 0.1, 1.0}}; // no nominal: no place on the chart
    const auto judged = relativeStages(stages);
    ASSERT_EQ(judged.size(), 1u);
    EXPECT_DOUBLE_EQ(judged[0].x, 1024.0);
    EXPECT_NEAR(judged[0].deviation, 0.05, 1e-12);
    EXPECT_NEAR(judged[0].tolerance, 100.0 * (0.002 * 1024.0 + 2.0) / 1024.0, 1e-12);

    // A stored table: the stages only, judged on their nominal weights.
    history::CalTable table{history::TableRole::Result,
                            {{1, 3, 4.1, history::CellState::Within, {}, {}},
                             {2, history::kR0Row, 0.1, history::CellState::Within, {}, {}},
                             {2, 18, 131000.0, history::CellState::Outside, {}, {}}}};
    const auto fromTable = tableStages(table);
    ASSERT_EQ(fromTable.size(), 2u);
    EXPECT_DOUBLE_EQ(fromTable[0].nominal, 4.0);
    EXPECT_DOUBLE_EQ(fromTable[1].nominal, 131072.0);
    EXPECT_DOUBLE_EQ(fromTable[1].tolerance, stageTolerance(131072.0));
}

TEST(DriftLines, OneLinePerCellOldestFirstInOhmsOrPerCent)
{
    auto point = [](history::UtcMs t, int channel, int row, double value) {
        history::DriftPoint p;
        p.time = t;
        p.channel = channel;
        p.row = row;
        p.value = value;
        return p;
    };
    const std::vector<history::DriftPoint> points{
        point(2000, 2, 5, 16.02), point(1000, 2, 5, 16.01), point(1000, 1, 5, 15.99),
        point(1000, 1, history::kR0Row, 0.1), point(3000, 1, 5, NAN)};

    const auto ohms = driftLines(points, DriftValue::Ohms);
    ASSERT_EQ(ohms.size(), 3u);
    EXPECT_EQ(ohms[0].channel, 1);
    EXPECT_EQ(ohms[0].row, 5);
    EXPECT_EQ(ohms[0].points, (std::vector<XY>{{1000.0, 15.99}}));
    EXPECT_EQ(ohms[1].row, history::kR0Row);
    EXPECT_EQ(ohms[2].channel, 2);
    EXPECT_EQ(ohms[2].points, (std::vector<XY>{{1000.0, 16.01}, {2000.0, 16.02}}));

    const auto percent = driftLines(points, DriftValue::PercentOfNominal);
    ASSERT_EQ(percent.size(), 2u); // R0 has no nominal
    EXPECT_NEAR(percent[1].points[1].y, 100.0 * 0.02 / 16.0, 1e-12);
}

} // namespace
