// Controls: what every kind shares — the widget built by the kind's adapter
// at its position, with its label, state and colours, and a model change
// handed to the adapter that shows it.
#include "toolkit/qt/adapter.h"
#include "toolkit/qt/widgets.h"

#include <QAbstractSpinBox>
#include <QLineEdit>
#include <QTabWidget>

#include <algorithm>

namespace tk::qtui {

namespace {

void setTextColour(QWidget* w, int rgb)
{
    QPalette pal = w->palette();
    const QColor col = toQColor(rgb);
    pal.setColor(QPalette::Text, col);
    pal.setColor(QPalette::WindowText, col);
    pal.setColor(QPalette::ButtonText, col);
    w->setPalette(pal);
}

QString objectNameOf(const model::Control& c)
{
    return c.constName.empty() ? QStringLiteral("ctrl%1").arg(c.id) : toQString(c.constName);
}

} // namespace

QWidget* QtBackend::controlField(int panel, int ctrl)
{
    PanelUi* u = built(panel);
    if (!u)
        return nullptr;
    auto c = u->controls.find(ctrl);
    return c == u->controls.end() ? nullptr : c->second.field.data();
}

QLabel* QtBackend::controlCaption(int panel, int ctrl)
{
    PanelUi* u = built(panel);
    if (!u)
        return nullptr;
    auto c = u->controls.find(ctrl);
    return c == u->controls.end() ? nullptr : c->second.caption.data();
}

void QtBackend::controlCreated(int panel, int ctrl)
{
    if (!ui(panel)) {
        // Built with the panel, when it is needed.
        const model::Panel* p = model::panel(panel);
        if (p && needsWidgets(*p))
            buildPanel(panel);
        return;
    }
    if (!ui(panel)->controlsBuilt)
        return;
    buildControl(panel, ctrl);
    reconcileControls(panel);
    restack(panel);
    repaintIfStarved();
}

void QtBackend::controlChanged(int panel, int ctrl, Change what, int a, int b)
{
    if (deferring_) {
        hold({panel, ctrl, what, a, b});
        return;
    }
    applyChange(panel, ctrl, what, a, b);
    repaintIfStarved();
}

void QtBackend::applyChange(int panel, int ctrl, Change what, int a, int b)
{
    const model::Control* c = model::control(panel, ctrl);
    PanelUi* u = ui(panel);
    if (!c || !u || !u->controlsBuilt)
        return; // built from the model when they are needed
    auto it = u->controls.find(ctrl);
    if (it == u->controls.end() || !it->second.field || it->second.kind != c->kind) {
        // A new control, or one whose kind changed (a canvas became a tab control).
        reconcileControls(panel);
        return;
    }
    CtrlUi& cu = it->second;
    const Adapter& adapter = *cu.adapter;
    Syncing guard(*this);
    switch (what) {
    case Change::Everything:
        applyAll(panel, *c, cu);
        break;
    case Change::Value:
        adapter.showValue(*this, panel, *c, cu.field);
        break;
    case Change::Attributes:
        applyAttributes(*c, cu);
        break;
    case Change::Items:
        adapter.showItems(*c, cu.field);
        adapter.showValue(*this, panel, *c, cu.field);
        break;
    case Change::LinesAppended:
    case Change::LineColor:
    case Change::Cell:
    case Change::Rows:
    case Change::Pages:
        adapter.showChange(*this, panel, *c, cu.field, what, a, b);
        break;
    }
}

// The operator's keyboard cycle (a value typed, the focus on the button that
// uses it) depends on the program moving the focus.
void QtBackend::activeCtrlChanged(int panel, int ctrl)
{
    PanelUi* u = ui(panel);
    if (!u || !u->controlsBuilt)
        return; // the focus is given when the controls are built
    auto it = u->controls.find(ctrl);
    QWidget* f = it != u->controls.end() ? it->second.field.data() : nullptr;
    if (!f)
        return;
    // The focus ring is drawn, as when the operator moves the focus with the
    // keyboard; what a field shows is selected, so typing replaces it.
    f->window()->setAttribute(Qt::WA_KeyboardFocusChange);
    f->setFocus(Qt::TabFocusReason);
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(f))
        spin->selectAll();
    else if (auto* line = qobject_cast<QLineEdit*>(f))
        line->selectAll();
}

void QtBackend::destroyControl(PanelUi& u, int ctrl)
{
    auto it = u.controls.find(ctrl);
    if (it == u.controls.end())
        return;
    Syncing guard(*this);
    // Tab pages are panels of their own: take them off before the tab widget goes.
    if (auto* tabs = qobject_cast<QTabWidget*>(it->second.field.data())) {
        while (tabs->count() > 0) {
            QWidget* page = tabs->widget(0);
            tabs->removeTab(0);
            if (page) {
                page->hide();
                page->setParent(nullptr);
            }
        }
    }
    delete it->second.caption.data();
    delete it->second.field.data();
    u.controls.erase(it);
}

void QtBackend::buildControl(int panel, int ctrl)
{
    const model::Control* c = model::control(panel, ctrl);
    PanelUi* u = ui(panel);
    if (!c || !u || !u->content)
        return;
    destroyControl(*u, ctrl);
    Syncing guard(*this);
    const Adapter& adapter = adapterFor(c->kind);
    CtrlUi cu;
    cu.kind = c->kind;
    cu.adapter = &adapter;
    cu.field = adapter.make(*c, u->content);
    cu.field->setObjectName(objectNameOf(*c));
    cu.field->setProperty("tkPanel", panel);
    cu.field->setProperty("tkCtrl", ctrl);
    if (c->indicator)
        adapter.makeIndicator(cu.field);
    if (adapter.caption() != CaptionPlace::None) {
        cu.caption = new QLabel(u->content);
        cu.caption->setObjectName(cu.field->objectName() + QStringLiteral("_label"));
        cu.caption->setTextFormat(Qt::PlainText);
        cu.caption->setBuddy(cu.field);
    }
    adapter.connect(*this, panel, *c, cu.field);
    CtrlUi& stored = u->controls[ctrl];
    stored = cu;
    applyAll(panel, *c, stored);
}

void QtBackend::applyAll(int panel, const model::Control& c, CtrlUi& cu)
{
    Syncing guard(*this);
    cu.adapter->showAll(*this, panel, c, cu.field);
    applyAttributes(c, cu);
}

void QtBackend::applyAttributes(const model::Control& c, CtrlUi& cu)
{
    QWidget* f = cu.field;
    if (!c.constName.empty() && f->objectName() != toQString(c.constName))
        f->setObjectName(toQString(c.constName));
    cu.adapter->place(c, f);
    if (!cu.grow.isEmpty() || !cu.shift.isNull())
        f->setGeometry(f->geometry().translated(cu.shift).adjusted(0, 0, cu.grow.width(), cu.grow.height()));
    cu.adapter->showLook(c, f);
    if (c.textColor != kBlack || f->testAttribute(Qt::WA_SetPalette))
        setTextColour(f, c.textColor);

    f->setEnabled(!c.dimmed);
    f->setVisible(c.visible);
    if (cu.caption) {
        cu.caption->setText(mnemonicText(c.label));
        cu.caption->setEnabled(!c.dimmed);
        cu.caption->setVisible(c.visible && !c.label.empty());
        placeCaption(c, cu);
    }
}

void QtBackend::placeCaption(const model::Control& c, CtrlUi& cu)
{
    QLabel* l = cu.caption;
    const QSize hint = l->sizeHint();
    if (cu.adapter->caption() == CaptionPlace::Right) {
        const int h = c.height > 0 ? c.height : cu.field->height();
        l->setGeometry(c.left + cu.field->width() + 4, c.top + (h - hint.height()) / 2, hint.width(), hint.height());
        return;
    }
    const int y = std::max(0, c.top - hint.height() - 1);
    l->setGeometry(c.left, y, std::max(hint.width(), 1), hint.height());
}

} // namespace tk::qtui
