// What the Qt backend tests of a run share: the run-time made before start-up,
// the operator's choice of the first carrier, and a virtual clock that lets a
// test look at the screen whenever the program waits.
#pragma once

#include "platform/clock.h"
#include "si/select.h"
#include "toolkit/backend.h"
#include "toolkit/toolkit.h"

#include <QApplication>
#include <QTimer>

#include <functional>

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
class FirstCarrierChooser {
public:
    FirstCarrierChooser()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const int panel = selectionPanel();
            if (panel > 0 && tk::attr(panel, 0, tk::Attr::Visible) > 0 && tk::core::queued() == 0) {
                tk::core::queue({tk::core::InputEvent::Type::DoubleClick, panel, selectionListCtrl(), 0, 0});
                timer_.stop();
            }
        });
        timer_.start(0);
    }

private:
    QTimer timer_;
};

class WatchingClock : public platform::VirtualClock {
public:
    std::function<void()> watch;
    void delay(double seconds) override
    {
        VirtualClock::delay(seconds);
        if (watch)
            watch();
    }
};

} // namespace qt_run
