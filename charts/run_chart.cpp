#include "charts/run_chart.h"

#include "charts/chart_build.h"

#include <QDateTime>
#include <QTimeZone>

namespace charts {

namespace {

// The table a run's chart shows: what a calibration measured, what a WRITE wrote, what a READ read.
const history::CalTable* shownTable(const history::Run& run)
{
    for (const history::TableRole role : {history::TableRole::Result, history::TableRole::AsLeft,
                                          history::TableRole::Read})
        if (const history::CalTable* table = run.table(role))
            return table;
    return nullptr;
}

ChartTexts withRun(ChartTexts texts, const history::Run& run)
{
    const QDateTime started = QDateTime::fromMSecsSinceEpoch(run.started, QTimeZone::utc());
    texts.title += QStringLiteral(" — %1, позиция %2, %3 UTC")
                       .arg(QString::fromStdString(run.module.carrierSerial.empty() ? run.module.carrierResource
                                                                                   : run.module.carrierSerial))
                       .arg(run.module.position)
                       .arg(started.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")));
    return texts;
}

} // namespace

std::unique_ptr<QChart> runChart(const history::Run& run)
{
    if (!run.points.empty()) {
        const auto points = judgedRows(std::span<const history::VerifyPoint>(run.points));
        const ChartTexts texts = run.kind == history::RunKind::Ksil5Verification ? ksil5Texts() : verificationTexts();
        return deviationChart(deviationData(points, channelsOf(points)), withRun(texts, run));
    }
    if (const history::CalTable* table = shownTable(run)) {
        const std::vector<CalStage> stages = tableStages(*table);
        if (stages.empty())
            return nullptr;
        const auto points = relativeStages(stages);
        return deviationChart(deviationData(points, channelsOf(points)), withRun(calibrationTexts(), run));
    }
    return nullptr;
}

} // namespace charts
