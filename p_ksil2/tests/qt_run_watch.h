// What the Qt backend tests of a run share: the run-time made before start-up,
// the operator's choice of the first carrier, and a virtual clock that lets a
// test look at the screen whenever the program waits.
#pragma once

#include "p_ksil2/globals.h"
#include "p_ksil2/manual.h"
#include "p_ksil2/p_ksil2.h"
#include "tests/harness/harness.h"
#include "tests/scenario/verify_bench.h"
#include "tests/support/carrier_picker.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

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

// Presses "Запустить" with the clock watching the run, closes each modal
// pop-up (the verdict) as it shows, pumps the main loop `pumpsAfter` times
// once the run has returned, and gives the harness its clock back.
inline void runWatched(Harness& h, WatchingClock& clock, int pumpsAfter = 0)
{
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget* popup = QApplication::activeModalWidget())
            popup->close();
    });
    closer.start(0);
    setP(hPP, PP_SET, tk::EVENT_COMMIT, nullptr, 0, 0);
    for (int i = 0; i < pumpsAfter; ++i)
        tk::pollMainLoop();
    clock.watch = nullptr;
    platform::setClock(&h.clock());
}

} // namespace qt_run
