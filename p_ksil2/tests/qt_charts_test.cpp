// The program's charts read back: their series against PP's result table, the
// КСИЛ5 run's points, CP's calibration table and the history of the module;
// filled during the automatic run inside its settling waits, and saved beside
// the protocol at its end.
#include "p_ksil2/tests/qt_run_watch.h"
#include "tests/harness/harness.h"
#include "tests/support/carrier_picker.h"
#include "tests/scenario/verify_bench.h"

#include "charts/chart_build.h"
#include "charts/chart_file.h"
#include "charts/chart_window.h"
#include "history/history.h"
#include "history/tests/samples.h"
#include "p_ksil2/chart_link.h"
#include "p_ksil2/manual.h"
#include "p_ksil2/charts/program_charts.h"
#include "p_ksil2/protocol.h"
#include "p_ksil2/protocol_file.h"
#include "p_ksil2/verify.h"

#include <QApplication>
#include <QChartView>
#include <QImage>
#include <QTimer>
#include <QXYSeries>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

using charts::Page;
using charts::XY;

// The charts for one test: installed, and uninstalled (the window closed) at its end.
struct ChartsInstalled {
    ChartsInstalled()
    {
        qt_run::ensureApplication();
        installCharts();
    }
    ~ChartsInstalled()
    {
        if (charts::ChartWindow* w = chartWindow())
            w->hide();
        setChartSink(nullptr);
    }
};

// The points of the chart's first series of that name.
std::vector<XY> series(QChart* chart, const QString& name)
{
    if (!chart)
        return {};
    for (QAbstractSeries* s : chart->series())
        if (s->name() == name)
            if (auto* xy = qobject_cast<QXYSeries*>(s)) {
                std::vector<XY> points;
                for (const QPointF& p : xy->points())
                    points.push_back({p.x(), p.y()});
                return points;
            }
    ADD_FAILURE() << "no series " << name.toStdString();
    return {};
}

QChart* shown(Page page)
{
    charts::ChartWindow* w = chartWindow();
    return w ? w->chart(page) : nullptr;
}

// PP's rows of a channel as the chart must show them, and the out-of-norm ones (red) of both.
struct TablePoints {
    std::vector<XY> channel[2];
    std::vector<XY> outside;
};
TablePoints tablePoints()
{
    TablePoints t;
    for (int r = 1; r <= tk::numTableRows(hPP, PP_TABLE_R); ++r) {
        const int channel = static_cast<int>(tk::cellNum(hPP, PP_TABLE_R, r, 1));
        const XY p{tk::cellNum(hPP, PP_TABLE_R, r, 2), tk::cellNum(hPP, PP_TABLE_R, r, 5)};
        t.channel[channel - 1].push_back(p);
        if (tk::cellTextColor(hPP, PP_TABLE_R, r, 5) == tk::kRed)
            t.outside.push_back(p);
    }
    return t;
}

// Within the tolerance of double arithmetic of measured − set.
void expectSame(const std::vector<XY>& got, const std::vector<XY>& want, const char* what)
{
    ASSERT_EQ(got.size(), want.size()) << what;
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_DOUBLE_EQ(got[i].x, want[i].x) << what << " point " << i;
        EXPECT_NEAR(got[i].y, want[i].y, 1e-9 * std::max(1.0, std::fabs(want[i].x))) << what << " point " << i;
    }
}

// The number of points of the verification chart each time its view was painted.
class PaintedPoints : public QObject {
public:
    explicit PaintedPoints(QWidget* viewport) { viewport->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            QChart* chart = shown(Page::Verification);
            last = static_cast<int>(series(chart, charts::channelName(1)).size() +
                                    series(chart, charts::channelName(2)).size());
            ++paints;
        }
        return false;
    }
    int last = -1;
    int paints = 0;
};

std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(QtCharts, AutomaticVerificationFillsTheChartInsideItsWaitsAndSavesItBesideTheProtocol)
{
    const verify::FixedTime fixed(verify::fixedMoment());
    Harness h{verify::bench()};
    const ChartsInstalled installed;
    const CarrierPicker picker;
    ASSERT_EQ(h.startWithQt(), 0);
    ASSERT_NE(mvi, 0u);
    tk::setActiveTabPage(hMP, hTab, 1);
    tabCB(hMP, hTab, tk::EVENT_TAB_CHANGED, nullptr, hPP, 0);
    tk::setValue(hPP, PP_AUTO_POV, 1.0);
    auto_pov(hPP, PP_AUTO_POV, tk::EVENT_COMMIT, nullptr, 0, 0);
    openCharts(hPP, PP_CHARTS, tk::EVENT_COMMIT, nullptr, 0, 0);
    tk::processEvents();
    ASSERT_NE(chartWindow(), nullptr);
    ASSERT_TRUE(chartWindow()->isVisible());
    EXPECT_EQ(chartWindow()->currentPage(), Page::Verification);
    PaintedPoints painted(chartWindow()->view(Page::Verification)->viewport());

    qt_run::WatchingClock clock;
    platform::setClock(&clock);
    int looks = 0;
    clock.watch = [&] {
        const int n = tk::numTableRows(hPP, PP_TABLE_R);
        if (n == 0)
            return;
        ++looks;
        // Every row so far is on the chart, and was painted, before the next point is measured.
        const TablePoints t = tablePoints();
        QChart* chart = shown(Page::Verification);
        ASSERT_EQ(series(chart, charts::channelName(1)).size(), t.channel[0].size()) << "at row " << n;
        ASSERT_EQ(series(chart, charts::channelName(2)).size(), t.channel[1].size()) << "at row " << n;
        EXPECT_EQ(painted.last, n) << "at row " << n;
    };
    qt_run::runWatched(h, clock); // the verdict closed as it shows

    ASSERT_EQ(tk::numTableRows(hPP, PP_TABLE_R), 38);
    EXPECT_GT(looks, 37);
    EXPECT_GE(painted.paints, 38);
    const TablePoints t = tablePoints();
    QChart* chart = shown(Page::Verification);
    expectSame(series(chart, charts::channelName(1)), t.channel[0], "channel 1");
    expectSame(series(chart, charts::channelName(2)), t.channel[1], "channel 2");
    expectSame(series(chart, charts::outsideName()), t.outside, "out of norm");
    // The envelope: ± normR at each test point.
    const std::vector<XY> envelope = series(chart, charts::verificationTexts().tolerance);
    ASSERT_EQ(envelope.size(), povPoints.size());
    for (std::size_t i = 0; i < povPoints.size(); ++i)
        EXPECT_DOUBLE_EQ(envelope[i].y, normR(povPoints[i])) << i;

    // Saved beside the protocol, with the run's date and time.
    const std::string stem = chartFileStem(protocolPath(logFile), verify::fixedMoment());
    EXPECT_TRUE(stem.ends_with("/ksil2_2026-12-08_14-05-09")) << stem;
    const QImage png(QString::fromStdString(stem + ".png"));
    EXPECT_FALSE(png.isNull());
    EXPECT_EQ(png.size(), charts::kSavedSize);
    const std::string svg = fileBytes(stem + ".svg");
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("Поверка КСИЛ2-4Л"), std::string::npos);
}

TEST(QtCharts, ManualRowsOutOfNormStandOutAndTheKsil5RunIsChartedAgainstItsAn)
{
    const ChartsInstalled installed;
    {
        Harness h{verify::bench()};
        verify::startOn(h);
        verify::showPP(h);
        h.press(hPP, PP_CHARTS);
        ASSERT_EQ(h.run(), Harness::kRunning);
        // Rows recorded by hand: one within, one a tie, one beyond the norm, on both channels.
        addPovRowValues(1, 100.0, 101.0);
        addPovRowValues(2, 1000.0, 1000.0 + normR(1000.0));
        addPovRowValues(2, 100.0, 100.0 - normR(100.0) - 0.5);
        QCoreApplication::sendPostedEvents();
        const TablePoints t = tablePoints();
        ASSERT_EQ(t.outside.size(), 1u);
        QChart* chart = shown(Page::Verification);
        expectSame(series(chart, charts::channelName(1)), t.channel[0], "channel 1");
        expectSame(series(chart, charts::channelName(2)), t.channel[1], "channel 2");
        expectSame(series(chart, charts::outsideName()), t.outside, "out of norm");
    }
    {
        Harness h{verify::bench(79, false)};
        verify::startOn(h);
        h.pickItem(hPP5, PP5_CHAN, 2);
        h.press(hPP5, PP5_START);
        const double entered[9] = {1.3, 2.6, 4.61, 7.9, 16, 32.2, 64, 128.4, 255.5};
        for (const double v : entered) {
            h.setNumber(hPP5, PP5_MEAS_R, v);
            h.press(hPP5, PP5_NEXT_STEP);
        }
        ASSERT_EQ(h.run(), Harness::kRunning);
        openCharts(0, 0, tk::EVENT_COMMIT, nullptr, 0, 0);
        chartWindow()->showPage(Page::Ksil5);
        QChart* chart = shown(Page::Ksil5);
        std::vector<XY> points, outside;
        for (int p = 0; p < 9; ++p) {
            const double set = p < 8 ? double(1 << p) : 255.0;
            points.push_back({set, entered[p] - set});
            if (std::fabs(entered[p] - set) > 0.6)
                outside.push_back({set, entered[p] - set});
        }
        expectSame(series(chart, charts::channelName(3)), points, "КСИЛ5 channel 3");
        expectSame(series(chart, charts::outsideName()), outside, "КСИЛ5 out of An");
        for (const XY& p : series(chart, charts::ksil5Texts().tolerance))
            EXPECT_DOUBLE_EQ(p.y, 0.6);
    }
}

TEST(QtCharts, CalibrationChartFollowsTheTableAndDriftChartTheHistory)
{
    const ChartsInstalled installed;
    Harness h{verify::bench()};
    // A history of two calibrations of this module, and one of another position.
    const std::string file = (h.folder() / "history.sqlite").string();
    {
        history::History stored;
        ASSERT_TRUE(stored.open(history::Config{file, std::nullopt}).ok());
        const history::UtcMs march = 1772445600000; // 2026-03-02T10:00:00Z
        for (const auto& [position, day, offset] : {std::tuple{1, 0, 0.25}, {1, 30, 0.5}, {2, 10, 9.0}})
            ASSERT_TRUE(stored.store(history::test::calibrationRun(history::test::vxiModule(position),
                                                                   march + day * 86'400'000LL, offset))
                            .status.ok());
    }
    setenv(history::kFileVariable, file.c_str(), 1);
    verify::startOn(h);
    verify::showPP(h);
    h.press(hPP, PP_CHARTS);
    h.chooseMenu(MENUBAR_EXE_CALIBR);
    ASSERT_EQ(h.run(), Harness::kRunning);

    chartWindow()->showPage(Page::Calibration);
    QChart* chart = shown(Page::Calibration);
    for (int channel = 1; channel <= 2; ++channel) {
        std::vector<XY> want;
        for (int k = 1; k <= kStages; ++k) {
            const double nominal = nominalR[static_cast<std::size_t>(k - 1)];
            want.push_back({nominal, 100.0 * (tk::cellNum(hCP, CP_TABLE, k, channel) - nominal) / nominal});
        }
        expectSame(series(chart, charts::channelName(channel)), want, "calibration");
    }
    const std::vector<XY> tolerance = series(chart, charts::calibrationTexts().tolerance);
    ASSERT_EQ(tolerance.size(), static_cast<std::size_t>(kStages));
    EXPECT_NEAR(tolerance.back().y, 100.0 * stageTolerance(131072.0) / 131072.0, 1e-12);

    // The drift of stage 6 on both channels: the module's two stored calibrations
    // and the one the program has just recorded, not the other position's.
    chartWindow()->showPage(Page::Drift);
    chartWindow()->setDriftChoice({0, 6});
    history::History read;
    ASSERT_TRUE(read.openToRead(history::Config{file, std::nullopt}).ok());
    const auto drift = read.drift({{"VXI0::2::INSTR", 1}, 0, 6});
    ASSERT_TRUE(drift.ok());
    for (int channel = 1; channel <= 2; ++channel) {
        std::vector<XY> want;
        for (const history::DriftPoint& p : drift.value)
            if (p.channel == channel)
                want.push_back({static_cast<double>(p.time), p.value});
        ASSERT_EQ(want.size(), 3u);
        expectSame(series(shown(Page::Drift), charts::driftLineName(channel, 6)), want, "drift");
    }
    EXPECT_EQ(shown(Page::Drift)->series().size(), 2);
    unsetenv(history::kFileVariable);
}

} // namespace
