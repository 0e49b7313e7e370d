#include "p_ksil2/charts/program_charts.h"

#include "charts/chart_build.h"
#include "charts/chart_file.h"
#include "charts/chart_window.h"
#include "drivers/mezzanine.h"
#include "history/history.h"
#include "p_ksil2/chart_link.h"
#include "p_ksil2/charts/table_rows.h"
#include "p_ksil2/verify.h"
#include "platform/clock.h"
#include "toolkit/toolkit.h"

#include <cmath>
#include <memory>
#include <vector>

namespace {

using charts::Page;

constexpr double kDrawingRoom = 1.5;

class ProgramCharts final : public ChartSink {
public:
    // At the process's end Qt's own state may be gone before this: a window
    // still open then is left to the system (close() is the orderly end).
    ~ProgramCharts() override { static_cast<void>(window_.release()); }

    void open() override
    {
        window().showPage(Page::Verification);
        // What a drawing costs is known before a run asks for one within its waits.
        timeDrawing(Page::Verification);
    }

    void verificationRow() override { changed(Page::Verification); }

    void ksil5Point(int index, int channel, double set, double measured, double tolerance) override
    {
        if (index == 0)
            ksil5_.clear();
        ksil5Channel_ = channel;
        ksil5_.push_back({channel, set, measured, tolerance});
        changed(Page::Ksil5);
    }

    void calibrationCell() override { changed(Page::Calibration); }

    void close() override { window_.reset(); }

    void paintWithin(double seconds) override
    {
        if (!window_ || !window_->isVisible())
            return;
        const Page page = window_->currentPage();
        // The cost of the last drawing, with room for its variation, stands for the next one.
        if (!window_->stale(page))
            return;
        // Where no wait follows (the run's end) the page is drawn in the next
        // round of events, not on the run's time.
        if (std::isinf(seconds))
            window_->changed(page);
        else if (kDrawingRoom * lastDrawing_ <= seconds)
            timeDrawing(page);
    }

    bool saveVerification(const std::string& stem, std::string* why) override
    {
        const QString base = QString::fromStdString(stem);
        QString text;
        const bool ok = charts::saveChart(build(Page::Verification, {}), {base + ".png", base + ".svg"}, &text);
        if (!ok && why)
            *why = text.toStdString();
        return ok;
    }

    std::unique_ptr<QChart> build(Page page, const charts::DriftChoice& choice) const
    {
        switch (page) {
        case Page::Verification: {
            const std::vector<charts::VerifyRow> rows = verificationRows();
            const auto points = charts::judgedRows(std::span<const charts::VerifyRow>(rows));
            static constexpr int kBoth[] = {1, 2};
            return charts::deviationChart(
                charts::deviationData(points, kBoth, charts::Range{povPoints.front(), povPoints.back()}),
                charts::verificationTexts());
        }
        case Page::Ksil5: {
            const auto points = charts::judgedRows(std::span<const charts::VerifyRow>(ksil5_));
            const int channel[] = {ksil5Channel_};
            return charts::deviationChart(charts::deviationData(points, channel), charts::ksil5Texts());
        }
        case Page::Calibration: {
            const std::vector<charts::CalStage> stages = calibrationStages();
            static constexpr int kBoth[] = {1, 2};
            const auto points = charts::relativeStages(stages);
            return charts::deviationChart(
                charts::deviationData(points, kBoth, charts::Range{stageWeight(1), stageWeight(kStages)}),
                charts::calibrationTexts());
        }
        case Page::Drift: break;
        }
        return drift(choice);
    }

    charts::ChartWindow* existing() const { return window_.get(); }

private:
    void timeDrawing(Page page)
    {
        const double start = Timer();
        window_->drawNow(page);
        lastDrawing_ = Timer() - start;
    }

    charts::ChartWindow& window()
    {
        if (!window_)
            window_ = std::make_unique<charts::ChartWindow>(
                [this](Page page, const charts::DriftChoice& choice) { return build(page, choice); });
        return *window_;
    }

    // During a run (the display deferred) the page is drawn inside the run's
    // waits, never from an event round of its own, which would hold the run up.
    void changed(Page page)
    {
        if (!window_)
            return;
        if (tk::displayDeferred())
            window_->markStale(page);
        else
            window_->changed(page);
    }

    std::unique_ptr<QChart> drift(const charts::DriftChoice& choice) const
    {
        const auto value = choice.row == 0 ? charts::DriftValue::PercentOfNominal : charts::DriftValue::Ohms;
        const std::optional<history::ModuleRef> module = openModuleRef();
        if (!module)
            return charts::driftChart({}, value);
        history::History h;
        const auto config = history::configFromEnvironment();
        if (!config.ok() || !h.openToRead(config.value).ok())
            return charts::driftChart({}, value);
        const auto found = h.drift({*module, choice.channel, choice.row});
        if (!found.ok())
            return charts::driftChart({}, value);
        return charts::driftChart(charts::driftLines(found.value, value), value);
    }

    std::unique_ptr<charts::ChartWindow> window_;
    std::vector<charts::VerifyRow> ksil5_;
    int ksil5Channel_ = 1;
    double lastDrawing_ = 0.0; // seconds
};

ProgramCharts& programCharts()
{
    static ProgramCharts charts;
    return charts;
}

} // namespace

void installCharts()
{
    setChartSink(&programCharts());
}

charts::ChartWindow* chartWindow()
{
    return programCharts().existing();
}
