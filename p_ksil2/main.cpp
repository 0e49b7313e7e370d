// The panel program: start-up, the event loop until the operator confirms the
// exit, shutdown.
#include "p_ksil2/app.h"

int main(int argc, char** argv)
{
    if (appStart(argc, argv, StartOptions{}) != 0)
        return -1;
    const int code = appRunLoop();
    appShutdown();
    return code;
}
