#include "history/tool/chart_output.h"

#include "charts/chart_build.h"
#include "charts/chart_file.h"
#include "charts/run_chart.h"

#include <QApplication>

#include <memory>

namespace history::tool {

namespace {

// The widgets' run-time, on the offscreen platform unless another is chosen.
void ensureApplication()
{
    static int argc = 1;
    static char name[] = "ksil_history";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
}

std::string save(std::unique_ptr<QChart> chart, const std::string& path)
{
    QString why;
    if (!charts::saveChart(std::move(chart), {QString::fromStdString(path)}, &why))
        return why.toStdString() + " (нужно имя файла .png или .svg)";
    return {};
}

} // namespace

ChartWritten writeRunChart(const history::Run& run, const std::string& path)
{
    ensureApplication();
    std::unique_ptr<QChart> chart = charts::runChart(run);
    if (!chart)
        return {true, "в запуске " + run.id + " нет ни точек поверки, ни таблицы калибровки"};
    return {false, save(std::move(chart), path)};
}

std::string writeDriftChart(const std::vector<history::DriftPoint>& drift, int row, const std::string& path)
{
    ensureApplication();
    const auto value = row == 0 ? charts::DriftValue::PercentOfNominal : charts::DriftValue::Ohms;
    return save(charts::driftChart(charts::driftLines(drift, value), value), path);
}

} // namespace history::tool
