#include "p_ksil2/chart_link.h"

#include "p_ksil2/status_line.h"
#include "platform/datetime.h"
#include "toolkit/toolkit.h"

#include <cstdio>

namespace {

ChartSink* installed = nullptr;

constexpr const char* kNoChartsTitle = "Графики";
constexpr const char* kNoCharts = "Графики в этой сборке программы недоступны.";

} // namespace

void setChartSink(ChartSink* sink)
{
    installed = sink;
}

void chartVerificationRow()
{
    if (installed)
        installed->verificationRow();
}

void chartKsil5Point(int index, int channel, double set, double measured, double tolerance)
{
    if (installed)
        installed->ksil5Point(index, channel, set, measured, tolerance);
}

void chartCalibrationCell()
{
    if (installed)
        installed->calibrationCell();
}

void chartsPaintWithin(double seconds)
{
    if (installed)
        installed->paintWithin(seconds);
}

void chartsClosed()
{
    if (installed)
        installed->close();
}

std::string chartFileStem(const std::string& protocolPath, std::time_t runStart)
{
    // The protocol's suffix gives way to the time; a dot in a folder's name is no suffix.
    const std::size_t slash = protocolPath.find_last_of("/\\");
    const std::size_t dot = protocolPath.rfind('.');
    const bool suffixed = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    const std::string stem = suffixed ? protocolPath.substr(0, dot) : protocolPath;
    const std::tm t = platform::localParts(runStart);
    char stamp[80]; // room for any int the fields may hold
    std::snprintf(stamp, sizeof stamp, "_%04d-%02d-%02d_%02d-%02d-%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec);
    return stem + stamp;
}

void chartSaveVerification(const std::string& protocolPath, std::time_t runStart)
{
    if (!installed || protocolPath.empty())
        return;
    std::string why;
    if (!installed->saveVerification(chartFileStem(protocolPath, runStart), &why))
        showStatusProblem(why);
}

int openCharts(int, int, int event, void*, int, int)
{
    if (event != tk::EVENT_COMMIT)
        return 0;
    if (installed)
        installed->open();
    else
        tk::messagePopup(kNoChartsTitle, kNoCharts);
    return 0;
}
