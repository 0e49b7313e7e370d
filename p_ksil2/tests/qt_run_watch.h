// What the Qt backend tests of a run share: the run-time made before start-up,
// the operator's choice of the first carrier, and a virtual clock that lets a
// test look at the screen whenever the program waits.
#pragma once

#include "tests/scenario/verify_bench.h"
#include "tests/support/carrier_picker.h"

#include <QApplication>

namespace qt_run {

// The Qt run-time exists before start-up, so that the operator's timers can.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "p_ksil2_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QApplication(argc, argv);
}

// The operator's double-click on the first carrier of the selection dialog, once it shows.
using FirstCarrierChooser = CarrierPicker;

// Virtual time that lets a test look at the screen whenever the program waits.
using WatchingClock = verify::WatchingClock;

} // namespace qt_run
