// Start of the Qt run-time, the event pump, the wait cursor, and the repaint
// of a display that no pump refreshes while a long operation runs.
#include "toolkit/qt/qt_backend.h"

#include "platform/clock.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

#include <cstdlib>
#include <string>
#include <vector>

namespace tk::qtui {

namespace {

// Without a pump for this long (seconds), the program is busy inside one callback.
constexpr double kStarved = 0.050;
// Repaints of a busy program at most this often (about 25 per second).
constexpr double kRepaintEvery = 0.040;

double now()
{
    return platform::clock().now();
}
// Upper bound of the main loop's wait for new events, so an idle program
// sleeps instead of spinning and still returns to its exit check quickly.
constexpr int kIdleWaitMs = 25;

// Whether a display can be reached; QApplication would abort the process
// rather than report that it cannot start.
bool displayReachable()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

// The QApplication lives for the rest of the process: Qt does not support
// re-creating it reliably, and the toolkit may be started again after shutdown.
bool startApplication(int argc, char** argv)
{
    if (QCoreApplication::instance())
        return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    if (!displayReachable())
        return false;
    static int s_argc = 0;
    static std::vector<std::string> s_args;
    static std::vector<char*> s_argv;
    for (int i = 0; i < argc && argv && argv[i]; ++i)
        s_args.emplace_back(argv[i]);
    if (s_args.empty())
        s_args.emplace_back("p_ksil2");
    for (std::string& a : s_args)
        s_argv.push_back(a.data());
    s_argv.push_back(nullptr);
    s_argc = static_cast<int>(s_args.size());
    new QApplication(s_argc, s_argv.data());
    // A font with Cyrillic glyphs whatever the platform's default is.
    if (QFontDatabase::families().contains(QStringLiteral("DejaVu Sans"))) {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPointSize(9);
        QApplication::setFont(f);
    }
    return true;
}

} // namespace

QtBackend* current()
{
    return dynamic_cast<QtBackend*>(core::backend());
}

QtBackend::QtBackend()
{
    wake_.setSingleShot(true);
    lastPump_ = lastRepaint_ = now();
}

QtBackend::~QtBackend()
{
    Syncing guard(*this);
    while (waitCursors_ > 0) {
        QApplication::restoreOverrideCursor();
        --waitCursors_;
    }
    // Windows first (they hold their surfaces), then surfaces without a window
    // that are still alive (tab pages go with their host).
    for (auto& [handle, u] : panels_)
        if (u.window)
            delete u.window.data();
    for (auto& [handle, u] : panels_)
        if (u.content && !u.content->parentWidget())
            delete u.content.data();
    panels_.clear();
}

void QtBackend::pump(bool mainLoop)
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (mainLoop) {
        // Objects released with deleteLater outside any event loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The main loop and the wait loops of operations (a dialog waiting for a
    // choice) only go on after input, so with nothing queued they wait for it,
    // briefly, instead of spinning.
    if (core::queued() == 0) {
        wake_.start(mainLoop ? kIdleWaitMs : kIdleWaitMs / 2);
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        wake_.stop();
    }
    lastPump_ = now();
}

// Called after every change the program makes. A program that pumps no
// events (a calibration run inside one callback) still sees its display
// change; user input is held back, and in any case input only reaches the
// core's queue, so no callback can run from here.
void QtBackend::repaintIfStarved()
{
    const double t = now();
    // A clock that went back (another clock installed) counts as long ago.
    auto since = [t](double then) { return t >= then ? t - then : 1.0; };
    if (repainting_ || since(lastPump_) < kStarved || since(lastRepaint_) < kRepaintEvery)
        return;
    repainting_ = true;
    lastRepaint_ = t;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repainting_ = false;
}

void QtBackend::drawPending()
{
    if (repainting_)
        return;
    repainting_ = true;
    // Posted work first (the layout of rows just added, no input), then each
    // window paints what changed in it now instead of at the window system's
    // next frame, which a program that pumps no events would never reach.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) {
            QEvent update(QEvent::UpdateRequest);
            QCoreApplication::sendEvent(window, &update);
        }
    }
    lastRepaint_ = now();
    repainting_ = false;
}

void QtBackend::waitCursorChanged(bool on)
{
    if (on && waitCursors_ == 0) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++waitCursors_;
    } else if (!on && waitCursors_ > 0) {
        QApplication::restoreOverrideCursor();
        --waitCursors_;
    } else {
        return;
    }
    // The cursor changes as an operation starts or ends, often with no pump
    // to follow: show it now.
    if (!repainting_) {
        repainting_ = true;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        repainting_ = false;
    }
}

} // namespace tk::qtui

namespace tk {

bool initQt(int& argc, char** argv)
{
    if (!qtui::startApplication(argc, argv))
        return false;
    core::install(std::make_unique<qtui::QtBackend>());
    return true;
}

} // namespace tk
