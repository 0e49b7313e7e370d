// Appends verification result rows to a КСИЛ2-4Л protocol through the
// program's protocol writer, with its LOG mirror on the headless toolkit, and
// after each row writes on standard output every line LOG has newly shown
// (UTF-8). A test kills it at some moment and compares the file with LOG.
//
// Usage: protocol_writer PROTOCOL FIRST
// Row n sets n ohms and measures n + 0.5. Ends with 1 when the protocol or
// the panel cannot be opened.
#include "p_ksil2/app_state.h"
#include "p_ksil2/callbacks.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/protocol.h"
#include "toolkit/headless/headless.h"
#include "toolkit/toolkit.h"

#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

int shown = 0;

// Every LOG line not yet said, each on a line of its own.
bool sayNewLogLines()
{
    for (const int total = tk::numTextBoxLines(hCHLP, CHLP_LOG); shown < total; ++shown) {
        const std::string line = tk::textBoxLine(hCHLP, CHLP_LOG, shown) + "\n";
        if (::write(1, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || !tk::headless::start())
        return 2;
    registerCallbacks();
    hCHLP = tk::loadPanel(0, resourceFile(), CHLP);
    if (hCHLP < 0)
        return 1;
    openLog(logFile, argv[1]);
    if (logFile <= 0 || !sayNewLogLines())
        return 1;
    for (long n = std::strtol(argv[2], nullptr, 10);; ++n) {
        const double set = static_cast<double>(n);
        logPovResult(static_cast<std::uint16_t>(1 + n % 2), set, set + 0.5, 0.5, false);
        if (!sayNewLogLines())
            return 1;
    }
}
