// The panel program: start-up, the event loop until the operator confirms the
// exit, shutdown.
#include "p_ksil2/app.h"
#include "toolkit/qt/qt.h"

int main(int argc, char** argv)
{
    if (appStart(argc, argv, StartOptions{.startToolkit = tk::qt::start}) != 0)
        return -1;
    const int code = appRunLoop();
    appShutdown();
    return code;
}
