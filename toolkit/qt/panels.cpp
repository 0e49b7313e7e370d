// Panels: a window for each top-level panel (menu bar on top, the panel's
// surface below it), tab pages moved into their host's QTabWidget, child
// panels embedded in their parent's surface.
#include "toolkit/qt/qt_backend.h"
#include "toolkit/qt/widgets.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabWidget>

#include <algorithm>
#include <functional>

namespace tk::qtui {

namespace {

// Runs an action the first time a widget is shown, then goes.
class FirstShow : public QObject {
public:
    FirstShow(QWidget* watched, std::function<void()> action) : QObject(watched), action_(std::move(action))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && action_) {
            watched->removeEventFilter(this);
            const auto action = std::move(action_);
            action_ = nullptr;
            deleteLater();
            action();
        }
        return false;
    }

private:
    std::function<void()> action_;
};

// The keyboard of a panel: Enter presses the command button that has the
// focus, or else the panel's default button; Escape in a panel with a close
// control acts as its close box. Keys reach here when the control that has
// the focus leaves them (a field commits its value on Enter first).
class PanelKeys : public QObject {
public:
    PanelKeys(QWidget* content, int panel) : QObject(content), panel_(panel) { content->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & ~(Qt::KeypadModifier))
            return false;
        QtBackend* be = current();
        const model::Panel* p = model::panel(panel_);
        if (!be || !p)
            return false;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
            if (focused && focused->isEnabled() && static_cast<QWidget*>(watched)->isAncestorOf(focused)) {
                focused->click();
                return true;
            }
            auto* button = p->defaultCtrl ? qobject_cast<QPushButton*>(be->controlField(panel_, p->defaultCtrl)) : nullptr;
            if (button && button->isVisible() && button->isEnabled()) {
                button->click();
                return true;
            }
            return false;
        }
        if (key->key() == Qt::Key_Escape && p->closeCtrl && p->hostPanel == 0) {
            core::queue({core::InputEvent::Type::Close, panel_, 0, 0, 0});
            return true;
        }
        return false;
    }

private:
    int panel_;
};

// The window of the program's main panel, when it is built and is not `self`.
QWidget* mainWindow(const QWidget* self)
{
    for (int h : model::panelHandles()) {
        const model::Panel* p = model::panel(h);
        if (p && p->mainPanel) {
            QtBackend* be = current();
            QWidget* w = be ? be->panelWindow(h) : nullptr;
            return w == self ? nullptr : w;
        }
    }
    return nullptr;
}

QString objectNameOf(const model::Panel& p)
{
    return p.constName.empty() ? QStringLiteral("panel%1").arg(p.handle) : toQString(p.constName);
}

// The window the operator is looking at, to centre a pop-up over it.
QWidget* frontWindow(const QWidget* except)
{
    QWidget* active = QApplication::activeWindow();
    if (active && active != except)
        return active;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != except && w->isVisible() && dynamic_cast<PanelWindow*>(w))
            return w;
    return nullptr;
}

} // namespace

PanelUi* QtBackend::ui(int panel)
{
    auto it = panels_.find(panel);
    return it == panels_.end() ? nullptr : &it->second;
}

PanelUi* QtBackend::built(int panel)
{
    if (!model::panel(panel))
        return nullptr;
    if (!ui(panel))
        buildPanel(panel);
    buildControls(panel);
    return ui(panel);
}

bool QtBackend::needsWidgets(const model::Panel& p)
{
    return p.visible || p.parent != 0 || p.hostPanel != 0;
}

QWidget* QtBackend::panelContent(int panel)
{
    PanelUi* u = built(panel);
    return u ? u->content.data() : nullptr;
}

QWidget* QtBackend::panelWindow(int panel)
{
    PanelUi* u = built(panel);
    return u ? u->window.data() : nullptr;
}

void QtBackend::panelCreated(int panel)
{
    const model::Panel* p = model::panel(panel);
    if (!p || !needsWidgets(*p))
        return;
    buildPanel(panel);
    repaintIfStarved();
}

void QtBackend::panelDiscarded(int panel)
{
    PanelUi* u = ui(panel);
    if (!u)
        return;
    Syncing guard(*this);
    // Deleting the window or the surface takes the controls (and any tab pages
    // hosted on it) along.
    if (u->window)
        delete u->window.data();
    else if (u->content)
        delete u->content.data();
    panels_.erase(panel);
}

void QtBackend::panelChanged(int panel)
{
    showHeld(); // a window shown or brought up shows its controls as they are
    if (!ui(panel)) {
        const model::Panel* p = model::panel(panel);
        if (p && needsWidgets(*p))
            buildPanel(panel);
        return;
    }
    reconcileControls(panel);
    hostPanel(panel);
    applyPanel(panel);
    repaintIfStarved();
}

void QtBackend::buildPanel(int panel)
{
    const model::Panel* p = model::panel(panel);
    if (!p)
        return;
    PanelUi& u = panels_[panel];
    if (!u.content) {
        auto* content = new QWidget;
        content->setObjectName(objectNameOf(*p));
        content->setProperty("tkPanel", panel);
        content->resize(p->width, p->height);
        if (!p->fontFamily.empty()) {
            QFont f = content->font();
            f.setFamily(toQString(p->fontFamily));
            content->setFont(f);
        }
        u.content = content;
        new PanelKeys(content, panel);
    }
    // A tab page builds its controls when it is first shown: most pages wait
    // behind the first one, some for the whole run.
    if (p->hostPanel == 0)
        buildControls(panel);
    else if (!u.controlsBuilt && !u.buildOnShow) {
        u.buildOnShow = true;
        new FirstShow(u.content, [this, panel] { buildControls(panel); });
    }
    hostPanel(panel);
    applyPanel(panel);
}

void QtBackend::buildControls(int panel)
{
    const model::Panel* p = model::panel(panel);
    PanelUi* u = ui(panel);
    if (!p || !u || !u->content || u->controlsBuilt)
        return;
    u->controlsBuilt = true;
    for (const model::Control& c : p->controls)
        if (!u->controls.count(c.id))
            buildControl(panel, c.id);
    restack(panel);
    if (p->activeCtrl > 0)
        activeCtrlChanged(panel, p->activeCtrl);
}

// A dialog (a pop-up, or a panel with a default or close button) shown
// without a control chosen by the program gives the keyboard to its first
// control that takes input: the operator types at once.
void QtBackend::focusOnShow(int panel)
{
    const model::Panel* p = model::panel(panel);
    if (!p)
        return;
    int ctrl = p->activeCtrl;
    if (ctrl == 0 && (p->popup || p->defaultCtrl || p->closeCtrl)) {
        for (const model::Control& c : p->controls) {
            QWidget* f = controlField(panel, c.id);
            if (f && f->isVisible() && f->isEnabled() && (f->focusPolicy() & Qt::TabFocus)) {
                ctrl = c.id;
                break;
            }
        }
    }
    if (ctrl > 0)
        activeCtrlChanged(panel, ctrl);
}

// A window the operator may widen: the stretching controls grow with it, the
// controls below them keep their place against its bottom and its middle.
void QtBackend::followResize(int panel)
{
    const model::Panel* p = model::panel(panel);
    PanelUi* u = ui(panel);
    if (!p || !u || !u->window || !u->content || !p->resizable)
        return;
    const int menuHeight = u->menuBar ? u->menuBar->height() : 0;
    u->content->setGeometry(0, menuHeight, u->window->width(), u->window->height() - menuHeight);
    const QSize grow(std::max(0, u->window->width() - p->width), std::max(0, u->content->height() - p->height));
    int stretchBottom = -1;
    for (const model::Control& c : p->controls)
        if (c.stretch)
            stretchBottom = std::max(stretchBottom, c.top + c.height);
    for (const model::Control& c : p->controls) {
        auto it = u->controls.find(c.id);
        if (it == u->controls.end() || !it->second.field)
            continue;
        CtrlUi& cu = it->second;
        cu.grow = c.stretch ? grow : QSize();
        cu.shift = !c.stretch && stretchBottom >= 0 && c.top >= stretchBottom ? QPoint(grow.width() / 2, grow.height())
                                                                              : QPoint();
        applyAttributes(c, cu);
    }
}

// Puts the panel's surface where it belongs: its own window, a page of the
// host's tab control (done by syncPages), or the parent's surface.
void QtBackend::hostPanel(int panel)
{
    const model::Panel* p = model::panel(panel);
    PanelUi* u = ui(panel);
    if (!p || !u || !u->content)
        return;
    if (p->hostPanel != 0) {
        PanelUi* host = ui(p->hostPanel);
        if (host) {
            auto it = host->controls.find(p->hostTab);
            if (it != host->controls.end() && it->second.field)
                syncPages(p->hostPanel, p->hostTab);
        }
        return;
    }
    if (p->parent != 0) {
        PanelUi* parent = ui(p->parent);
        if (!parent || !parent->content)
            return;
        if (u->content->parentWidget() != parent->content)
            u->content->setParent(parent->content);
        if (u->window) {
            delete u->window.data();
            u->menuBar = nullptr;
        }
        u->content->setGeometry(p->left, p->top, p->width, p->height);
        return;
    }
    if (!u->window) {
        auto* w = new PanelWindow([panel] { core::queue({core::InputEvent::Type::Close, panel, 0, 0, 0}); },
                                  [this, panel] { followResize(panel); });
        w->setObjectName(objectNameOf(*p) + QStringLiteral("_window"));
        w->setProperty("tkPanel", panel);
        // The panels have a fixed layout: no maximise button.
        w->setWindowFlag(Qt::WindowMaximizeButtonHint, false);
        u->content->setParent(w);
        u->content->show();
        u->window = w;
    }
    layoutWindow(panel);
}

void QtBackend::layoutWindow(int panel)
{
    const model::Panel* p = model::panel(panel);
    PanelUi* u = ui(panel);
    if (!p || !u || !u->window || !u->content)
        return;
    int menuHeight = 0;
    if (u->menuBar) {
        menuHeight = u->menuBar->sizeHint().height();
        u->menuBar->setGeometry(0, 0, p->width, menuHeight);
    }
    // The menu bar takes its own strip, so no control is covered by it.
    if (p->resizable) {
        u->window->setMinimumSize(p->width, p->height + menuHeight);
        u->window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        if (!u->window->isVisible())
            u->window->resize(p->width, p->height + menuHeight);
        followResize(panel);
        return;
    }
    u->content->setGeometry(0, menuHeight, p->width, p->height);
    u->window->setFixedSize(p->width, p->height + menuHeight);
}

void QtBackend::applyPanel(int panel)
{
    const model::Panel* p = model::panel(panel);
    PanelUi* u = ui(panel);
    if (!p || !u || !u->content)
        return;
    Syncing guard(*this);
    QPalette pal = u->content->palette();
    pal.setColor(QPalette::Window, toQColor(p->backColor));
    u->content->setPalette(pal);
    u->content->setAutoFillBackground(true);
    if (u->content->size() != QSize(p->width, p->height) && !p->hostPanel)
        u->content->resize(p->width, p->height);

    if (p->hostPanel != 0) {
        PanelUi* host = ui(p->hostPanel);
        if (!host)
            return;
        auto it = host->controls.find(p->hostTab);
        if (it == host->controls.end())
            return;
        if (auto* tabs = qobject_cast<QTabWidget*>(it->second.field.data())) {
            const int index = tabs->indexOf(u->content);
            if (index >= 0)
                tabs->setTabText(index, plainLabel(p->title));
        }
        return;
    }
    if (u->window) {
        u->window->setWindowTitle(toQString(p->title));
        showWindow(*p, *u);
    } else if (p->parent != 0) {
        u->content->setVisible(p->visible);
    }
}

void QtBackend::showWindow(const model::Panel& p, PanelUi& u)
{
    QWidget* w = u.window;
    if (!p.visible) {
        if (w->isVisible())
            w->hide();
        return;
    }
    // Modality can only change while the window is hidden.
    if (w->isVisible() && u.shownModal != p.popup)
        w->hide();
    const bool moved = u.placed && (p.top != u.placedTop || p.left != u.placedLeft);
    if (w->isVisible()) {
        if (moved && p.top != kCentered && p.left != kCentered)
            w->move(p.left, p.top);
        u.placedTop = p.top;
        u.placedLeft = p.left;
        return;
    }
    // Every window but the main one is kept in front of the main window (a
    // dialog of it for the window system); a panel without a frame has no
    // title bar and no buttons.
    QWidget* owner = p.mainPanel ? nullptr : mainWindow(w);
    Qt::WindowFlags flags = owner ? Qt::WindowFlags(Qt::Dialog) : Qt::WindowFlags(Qt::Window);
    if (!p.windowFrame)
        flags |= Qt::FramelessWindowHint;
    else if (!p.resizable && !owner)
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                 | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    if (w->parentWidget() != owner || w->windowFlags() != flags)
        w->setParent(owner, flags);
    w->setWindowModality(p.popup ? Qt::ApplicationModal : Qt::NonModal);
    u.shownModal = p.popup;
    if (!u.placed || p.popup || moved) {
        QScreen* screen = QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
        QPoint pos(p.left, p.top);
        if (p.top == kCentered || p.left == kCentered || p.popup) {
            const QWidget* over = p.popup ? frontWindow(w) : owner;
            if (over && !over->isVisible())
                over = nullptr;
            const QRect around = over ? over->frameGeometry() : area;
            pos = around.center() - QPoint(w->width() / 2, w->height() / 2);
        }
        pos.setX(std::clamp(pos.x(), area.left(), std::max(area.left(), area.right() - w->width())));
        pos.setY(std::clamp(pos.y(), area.top(), std::max(area.top(), area.bottom() - w->height())));
        w->move(pos);
        u.placed = true;
        u.placedTop = p.top;
        u.placedLeft = p.left;
    }
    w->show();
    // The offscreen platform of the tests has no window stacking.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        w->raise();
        w->activateWindow();
    }
    focusOnShow(p.handle);
    // Shown from a callback, the window must be seen before the callback goes
    // on with its work (a self-test may take seconds); while the display is
    // deferred, the work's next paint shows it.
    if (!deferring_)
        paintNow(w);
}

// Builds the widgets of controls the model has gained and drops those of
// controls it no longer has.
void QtBackend::reconcileControls(int panel)
{
    const model::Panel* p = model::panel(panel);
    PanelUi* u = ui(panel);
    if (!p || !u || !u->controlsBuilt)
        return;
    bool changed = false;
    for (auto it = u->controls.begin(); it != u->controls.end();) {
        const model::Control* c = model::control(panel, it->first);
        if (!c) {
            const int id = it->first;
            ++it;
            destroyControl(*u, id);
            changed = true;
        } else {
            ++it;
        }
    }
    for (const model::Control& c : p->controls) {
        auto it = u->controls.find(c.id);
        if (it == u->controls.end() || it->second.kind != c.kind || !it->second.field) {
            buildControl(panel, c.id);
            changed = true;
        }
    }
    if (changed)
        restack(panel);
}

// Decorations lie under everything, pictures above them, the other controls on top.
void QtBackend::restack(int panel)
{
    const model::Panel* p = model::panel(panel);
    PanelUi* u = ui(panel);
    if (!p || !u)
        return;
    auto lowerAll = [&](Kind kind) {
        for (auto it = p->controls.rbegin(); it != p->controls.rend(); ++it) {
            if (it->kind != kind)
                continue;
            auto cu = u->controls.find(it->id);
            if (cu != u->controls.end() && cu->second.field)
                cu->second.field->lower();
        }
    };
    lowerAll(Kind::Picture);
    lowerAll(Kind::Decoration);
}

void QtBackend::syncPages(int panel, int ctrl)
{
    const model::Control* c = model::control(panel, ctrl);
    PanelUi* u = ui(panel);
    if (!c || !u)
        return;
    auto it = u->controls.find(ctrl);
    if (it == u->controls.end())
        return;
    auto* tabs = qobject_cast<QTabWidget*>(it->second.field.data());
    if (!tabs)
        return;
    Syncing guard(*this);
    const QSignalBlocker block(tabs);
    int index = 0;
    for (const model::TabPage& page : c->pages) {
        PanelUi* pu = ui(page.panel);
        const model::Panel* pp = model::panel(page.panel);
        if (!pu || !pp || !pu->content)
            continue;
        QWidget* content = pu->content;
        if (tabs->widget(index) != content) {
            const int at = tabs->indexOf(content);
            if (at >= 0)
                tabs->removeTab(at);
            tabs->insertTab(index, content, plainLabel(pp->title));
            if (pu->window) {
                delete pu->window.data();
                pu->menuBar = nullptr;
            }
        } else {
            tabs->setTabText(index, plainLabel(pp->title));
        }
        ++index;
    }
    while (tabs->count() > index) {
        QWidget* gone = tabs->widget(index);
        tabs->removeTab(index);
        if (gone)
            gone->hide();
    }
    if (c->activePage >= 0 && c->activePage < tabs->count())
        tabs->setCurrentIndex(c->activePage);
}

} // namespace tk::qtui
