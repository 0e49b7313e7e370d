// The Qt Widgets presentation of the toolkit model. Each top-level panel is a
// window, each tab page a page of its host's QTabWidget, each control its
// natural widget. The model is only read here; the operator's input is stored
// in the core and queued as an event, so callbacks run only when the core
// dispatches them from the program's pump.
#pragma once

#include "toolkit/backend.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <map>
#include <vector>

namespace tk::qtui {

class Adapter;

struct CtrlUi {
    Kind kind = Kind::Command;
    const Adapter* adapter = nullptr;
    QPointer<QLabel> caption; // the label outside the field (null where the label is on the widget)
    QPointer<QWidget> field;
    QSize grow;   // in a window the operator resized: what the field grew by
    QPoint shift; // ... or moved by
};

struct PanelUi {
    QPointer<QWidget> window;  // top-level panels only
    QPointer<QWidget> content; // the panel's surface; the controls are its children
    QPointer<QMenuBar> menuBar;
    int menuBarHandle = 0;
    std::map<int, QPointer<QAction>> menuActions; // menu item id -> action
    std::map<int, CtrlUi> controls;
    bool controlsBuilt = false; // the controls' widgets exist (a tab page builds them when first shown)
    bool buildOnShow = false;   // ... and is waiting for that
    bool placed = false; // the window has been put at its position once
    int placedTop = 0, placedLeft = 0;
    bool shownModal = false;
};

class QtBackend final : public Backend {
public:
    QtBackend();
    ~QtBackend() override;

    void panelCreated(int panel) override;
    void panelDiscarded(int panel) override;
    void panelChanged(int panel) override;
    void controlCreated(int panel, int ctrl) override;
    void controlChanged(int panel, int ctrl, Change what, int a, int b) override;
    void menuBarCreated(int menuBar) override;
    void menuChanged(int menuBar, int item) override;
    void activeCtrlChanged(int panel, int ctrl) override;
    void waitCursorChanged(bool on) override;
    int textBoxHeight(int panel, int ctrl, int lines) override;
    void pump(bool mainLoop) override;
    void drawPending() override;
    void displayDeferred(bool on) override;
    void deliverHeldInput() override;
    void messagePopup(std::string_view title, std::string_view text) override;
    int confirmPopup(std::string_view title, std::string_view text, int defaultAnswer) override;
    int fileSelectPopup(std::string_view directory, std::string_view defaultName,
                        std::string_view filter, std::string_view title, bool save,
                        std::string& path) override;

    // The widgets presenting a panel and a control (null when unknown). A
    // panel's widgets are built when it is first shown; asking for them
    // builds them.
    QWidget* panelContent(int panel);
    QWidget* panelWindow(int panel);
    QWidget* controlField(int panel, int ctrl);
    QLabel* controlCaption(int panel, int ctrl);

    bool syncing() const { return syncing_ > 0; }

    // Makes the tab widget hold exactly the model's pages, in order, with
    // their titles and the active page.
    void syncPages(int panel, int ctrl);

private:
    friend struct Syncing;

    // panels.cpp
    PanelUi* ui(int panel);
    // The panel's widgets, built now if they are not yet.
    PanelUi* built(int panel);
    // Whether a panel without widgets needs them now: a top-level panel only
    // once it is shown (most are shown seldom or never), a tab page or an
    // embedded panel with its host.
    static bool needsWidgets(const model::Panel& p);
    void buildPanel(int panel);
    void buildControls(int panel);
    void hostPanel(int panel);
    void applyPanel(int panel);
    void showWindow(const model::Panel& p, PanelUi& u);
    void layoutWindow(int panel);
    void followResize(int panel);
    void focusOnShow(int panel);
    void reconcileControls(int panel);
    void restack(int panel);

    // A change of a control the model already holds, kept while the display is
    // deferred and shown later against the model as it is then.
    struct HeldChange {
        int panel = 0;
        int ctrl = 0;
        Change what = Change::Everything;
        int a = 0;
        int b = 0;
    };

    // deferred.cpp
    void hold(const HeldChange& change);
    // Shows the changes held so far (the widgets only: painting is the caller's).
    void showHeld();

    // controls.cpp: what every kind shares; the rest is the kind's adapter's.
    void applyChange(int panel, int ctrl, Change what, int a, int b);
    void buildControl(int panel, int ctrl);
    void destroyControl(PanelUi& u, int ctrl);
    void applyAll(int panel, const model::Control& c, CtrlUi& cu);
    void applyAttributes(const model::Control& c, CtrlUi& cu);
    void placeCaption(const model::Control& c, CtrlUi& cu);

    // menu.cpp
    void buildMenuBar(int menuBar);
    void applyMenuItem(int menuBar, int item);

    // Repaint during a long operation that pumps no events.
    void repaintIfStarved();
    // A window just shown is mapped and painted before the program goes on,
    // whatever the repaint throttle says: the operator sees a pop-up before
    // the work behind it starts.
    void paintNow(QWidget* window);

    std::map<int, PanelUi> panels_;
    int syncing_ = 0;
    int waitCursors_ = 0;
    QTimer wake_; // bounds the main loop's wait for events
    double lastPump_ = 0;    // platform clock, seconds
    double lastRepaint_ = 0;
    bool repainting_ = false;
    bool deferring_ = false;
    std::vector<HeldChange> held_; // in the order they were made, without repeats
};

// While alive, widget signals caused by the program's own updates are ignored.
struct Syncing {
    explicit Syncing(QtBackend& b) : b_(b) { ++b_.syncing_; }
    ~Syncing() { --b_.syncing_; }
    Syncing(const Syncing&) = delete;
    Syncing& operator=(const Syncing&) = delete;

private:
    QtBackend& b_;
};

// The backend installed by tk::qt::start, or null.
QtBackend* current();

} // namespace tk::qtui
