// The panel program: start-up, the event loop until the operator confirms the
// exit, shutdown.
#include "p_ksil2/app.h"
#include "p_ksil2/charts/program_charts.h"
#include "toolkit/qt/qt.h"

int main(int argc, char** argv)
{
    installCharts();
    if (const int failed = appStart(argc, argv, StartOptions{.startToolkit = tk::qt::start}); failed != 0)
        return failed;
    const int code = appRunLoop();
    appShutdown();
    return code;
}
