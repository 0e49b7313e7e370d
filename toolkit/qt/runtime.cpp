// Start of the Qt run-time, the event pump, the wait cursor, and the repaint
// of a display that no pump refreshes while a long operation runs.
#include "toolkit/qt/qt.h"
#include "toolkit/qt/qt_backend.h"

#include "platform/clock.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibrary>
#include <QLibraryInfo>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QLocale>
#include <QTranslator>
#include <QPluginLoader>
#include <QWindow>

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
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

// A window just shown is exposed by the window system after a round trip;
// how long the backend waits for that before it paints anyway.
constexpr int kExposeRounds = 20;
constexpr int kExposeWaitMs = 10;

// Rounds of the event loop that deliver the input held while the program pumped no events.
constexpr int kHeldInputRounds = 3;

// The value of a "-name value" option of the command line Qt reads (also
// written "--name"; the last one counts, as for Qt), or null.
const char* option(int argc, char** argv, const char* name)
{
    const char* value = nullptr;
    for (int i = 1; i + 1 < argc && argv && argv[i]; ++i) {
        const char* arg = argv[i];
        if (arg[0] == '-' && arg[1] == '-')
            ++arg;
        if (std::strcmp(arg, name) == 0)
            value = argv[i + 1];
    }
    return value;
}

std::string envValue(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

// Connects to the X display and disconnects at once, through the same client
// library the xcb platform uses, loaded by name so that the program does not
// depend on it where it is not needed.
bool xDisplayAnswers(const std::string& display)
{
    QLibrary xcb(QStringLiteral("xcb"), 1);
    if (!xcb.load())
        return false;
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    const auto connect = reinterpret_cast<Connect>(xcb.resolve("xcb_connect"));
    const auto hasError = reinterpret_cast<HasError>(xcb.resolve("xcb_connection_has_error"));
    const auto disconnect = reinterpret_cast<Disconnect>(xcb.resolve("xcb_disconnect"));
    if (!connect || !hasError || !disconnect)
        return false;
    void* connection = connect(display.c_str(), nullptr);
    const bool ok = connection && hasError(connection) == 0;
    if (connection)
        disconnect(connection);
    return ok;
}

// Whether QApplication can reach a display. It would abort the process rather
// than report that it cannot, so the X display is tried first; why it cannot
// goes into `why`.
bool displayReachable(int argc, char** argv, std::string& why)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const char* platformOption = option(argc, argv, "-platform");
    const std::string platform = platformOption ? platformOption : envValue("QT_QPA_PLATFORM");
    // Another platform (offscreen, a framebuffer, Wayland) reports for itself.
    if (!platform.empty() && platform.rfind("xcb", 0) != 0)
        return true;
    const char* displayOption = option(argc, argv, "-display");
    const std::string display = displayOption ? displayOption : envValue("DISPLAY");
    if (display.empty()) {
        if (platform.empty() && !envValue("WAYLAND_DISPLAY").empty())
            return true;
        why = "no display: DISPLAY is not set";
        return false;
    }
    if (!xDisplayAnswers(display)) {
        why = "cannot connect to the display \"" + display + "\"";
        return false;
    }
    return true;
#else
    (void)argc;
    (void)argv;
    (void)why;
    return true;
#endif
}

// What platform plugins declare they implement (the version left out).
constexpr QLatin1StringView kPlatformPluginIid("org.qt-project.Qt.QPA.QPlatformIntegrationFactoryInterface");

// The folders QApplication looks for platform plugins in: the folder of
// QT_QPA_PLATFORM_PLUGIN_PATH (or -platformpluginpath) and its "platforms",
// "platforms" in every library path (QT_PLUGIN_PATH, Qt's own plugin folder)
// and beside the program.
QStringList platformFolders(int argc, char** argv)
{
    QStringList folders;
    const char* pathOption = option(argc, argv, "-platformpluginpath");
    const QString pluginPath = pathOption ? QString::fromLocal8Bit(pathOption)
                                          : qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH");
    if (!pluginPath.isEmpty())
        folders << pluginPath << pluginPath + QStringLiteral("/platforms");
    for (const QString& path : QCoreApplication::libraryPaths())
        folders << path + QStringLiteral("/platforms");
#if defined(Q_OS_LINUX)
    folders << QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath() + QStringLiteral("/platforms");
#else
    if (argc > 0 && argv && argv[0])
        folders << QFileInfo(QFile::decodeName(argv[0])).absolutePath() + QStringLiteral("/platforms");
#endif
    return folders;
}

// Adds the platform keys a plugin's metadata declares.
void addPlatformKeys(const QJsonObject& meta, QStringList& keys)
{
    if (!meta.value(QStringLiteral("IID")).toString().startsWith(kPlatformPluginIid))
        return;
    for (const QJsonValue& key : meta.value(QStringLiteral("MetaData")).toObject().value(QStringLiteral("Keys")).toArray())
        if (!keys.contains(key.toString(), Qt::CaseInsensitive))
            keys << key.toString().toLower();
}

// The keys of the platform plugins installed in those folders, and of the
// plugins linked in. Only the plugins' metadata is read; none is loaded.
QStringList installedPlatforms(const QStringList& folders)
{
    QStringList keys;
    for (const QStaticPlugin& plugin : QPluginLoader::staticPlugins())
        addPlatformKeys(plugin.metaData(), keys);
    for (const QString& folder : folders)
        for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files))
            if (QLibrary::isLibrary(file.fileName()))
                addPlatformKeys(QPluginLoader(file.absoluteFilePath()).metaData(), keys);
    return keys;
}

// Whether the plugin file a platform is conventionally named by ("libqxcb.so"
// for "xcb") is in one of the folders and declares that platform: the common
// case, answered without reading every plugin.
bool platformFileDeclares(const QStringList& folders, const QString& name)
{
#if defined(Q_OS_WIN)
    const QString file = QStringLiteral("q%1.dll").arg(name.toLower());
#else
    const QString file = QStringLiteral("libq%1.so").arg(name.toLower());
#endif
    for (const QString& folder : folders) {
        const QString path = folder + u'/' + file;
        if (!QFileInfo::exists(path))
            continue;
        QStringList keys;
        addPlatformKeys(QPluginLoader(path).metaData(), keys);
        if (keys.contains(name, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// Whether a platform plugin the start names ("-platform", else QT_QPA_PLATFORM:
// names separated by ';', each with its ':' arguments) is installed.
// QApplication would abort the process rather than report that none is;
// without a name it takes its own default, which the display check covers.
bool platformInstalled(int argc, char** argv, std::string& why)
{
    const char* platformOption = option(argc, argv, "-platform");
    const std::string named = platformOption ? platformOption : envValue("QT_QPA_PLATFORM");
    if (named.empty())
        return true;
    const QStringList folders = platformFolders(argc, argv);
    const QStringList entries = QString::fromLocal8Bit(named.c_str()).split(u';', Qt::SkipEmptyParts);
    for (const QString& entry : entries)
        if (platformFileDeclares(folders, entry.section(u':', 0, 0)))
            return true;
    const QStringList installed = installedPlatforms(folders);
    for (const QString& entry : entries)
        if (installed.contains(entry.section(u':', 0, 0), Qt::CaseInsensitive))
            return true;
    why = "no Qt platform plugin for \"" + named + "\" (" + (platformOption ? "-platform" : "QT_QPA_PLATFORM") +
          ") is installed; installed: " + (installed.isEmpty() ? std::string("none") : installed.join(u", ").toStdString());
    return false;
}

// The style of the panels: the platform's own, but for the icon of a menu
// bar's overflow button, which a menu bar asks for when it is made. The
// common style reads that icon from a file through every image plugin
// installed (loading each, and its libraries, at start-up); it is drawn here.
class PanelStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const override
    {
        if (icon != SP_ToolBarHorizontalExtensionButton && icon != SP_ToolBarVerticalExtensionButton)
            return QProxyStyle::standardIcon(icon, option, widget);
        QPixmap chevrons(16, 16);
        chevrons.fill(Qt::transparent);
        QPainter p(&chevrons);
        p.setPen(QPen(widget ? widget->palette().color(QPalette::ButtonText) : QColor(Qt::black), 1.5));
        if (icon == SP_ToolBarVerticalExtensionButton)
            p.rotate(90), p.translate(0, -16);
        for (const int x : {4, 9}) // "»"
            p.drawPolyline(QPolygon({QPoint(x, 4), QPoint(x + 4, 8), QPoint(x, 12)}));
        p.end();
        return QIcon(chevrons);
    }
};

// The QApplication lives for the rest of the process: Qt does not support
// re-creating it reliably, and the toolkit may be started again after shutdown.
bool startApplication(int argc, char** argv, std::string& why)
{
    if (QCoreApplication::instance()) {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()))
            return true;
        why = "another Qt application object without widgets exists";
        return false;
    }
    if (!platformInstalled(argc, argv, why) || !displayReachable(argc, argv, why))
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
    QApplication::setStyle(new PanelStyle);
    // Qt's own texts (the file dialog, standard buttons) in the station's
    // language; where the station names none, in Russian, as every text of
    // the program is.
    const QLocale station = QLocale::system();
    const QLocale language = station.language() == QLocale::C ? QLocale(QLocale::Russian, QLocale::Russia) : station;
    auto* translator = new QTranslator(qApp);
    if (translator->load(language, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
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
    showHeld();
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
    showHeld();
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

void QtBackend::deliverHeldInput()
{
    if (repainting_)
        return;
    repainting_ = true;
    showHeld(); // the widgets as the model has them: a dimmed control disabled
    // The event loop takes queued window-system events only after a wake-up;
    // a pump that excluded input used the last one and left the input queued,
    // so each round wakes it first. The window system's events are read in
    // one round and dispatched to the widgets in the next; a third takes what
    // those posted. Input reaches only the core's queue, so no callback runs.
    for (int round = 0; round < kHeldInputRounds; ++round) {
        if (QAbstractEventDispatcher* loop = QAbstractEventDispatcher::instance())
            loop->wakeUp();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    lastPump_ = now();
    repainting_ = false;
}

void QtBackend::paintNow(QWidget* shown)
{
    if (repainting_ || !shown || !shown->isVisible())
        return;
    repainting_ = true;
    const QPointer<QWidget> window(shown); // events may take it away meanwhile
    auto showing = [&window] { return window && window->isVisible(); };
    auto exposed = [&window] { return window->windowHandle() && window->windowHandle()->isExposed(); };
    // The window system maps the window and asks for its contents; no input
    // is dispatched meanwhile.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    for (int round = 0; round < kExposeRounds && showing() && !exposed(); ++round) {
        wake_.start(kExposeWaitMs);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
        wake_.stop();
    }
    if (showing())
        window->repaint();
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
    // to follow: show it now, with what changed before it.
    if (!repainting_) {
        showHeld();
        repainting_ = true;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        repainting_ = false;
    }
}

} // namespace tk::qtui

namespace tk::qt {

bool start(int& argc, char** argv)
{
    std::string why;
    if (!qtui::startApplication(argc, argv, why)) {
        core::setLastError(why);
        return false;
    }
    core::install(std::make_unique<qtui::QtBackend>());
    return true;
}

} // namespace tk::qt
