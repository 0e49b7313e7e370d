// Controls: each model control as its natural widget at its position, with
// its label, state and colours; the operator's input stored in the core and
// queued as an event.
#include "toolkit/qt/qt_backend.h"
#include "toolkit/qt/widgets.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>

#include <algorithm>

namespace tk::qtui {

namespace {

using Type = core::InputEvent::Type;

void post(Type type, int panel, int ctrl, int a = 0, int b = 0)
{
    core::queue({type, panel, ctrl, a, b});
}

// Kinds whose label stands above the field.
bool captionAbove(Kind k)
{
    switch (k) {
    case Kind::Numeric:
    case Kind::String:
    case Kind::TextBox:
    case Kind::Table:
    case Kind::ListBox:
    case Kind::Ring:
    case Kind::BinarySwitch:
        return true;
    default:
        return false;
    }
}

bool hasCaption(Kind k)
{
    return captionAbove(k) || k == Kind::Led;
}

QWidget* makeField(const model::Control& c, QWidget* parent)
{
    switch (c.kind) {
    case Kind::Command:
        return new QPushButton(parent);
    case Kind::Toggle: {
        auto* b = new QPushButton(parent);
        b->setCheckable(true);
        return b;
    }
    case Kind::Numeric:
        return new NumField(parent, c.type);
    case Kind::String:
        return new QLineEdit(parent);
    case Kind::TextMessage: {
        auto* l = new QLabel(parent);
        l->setTextFormat(Qt::PlainText);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return l;
    }
    case Kind::TextBox: {
        auto* t = new QPlainTextEdit(parent);
        t->setReadOnly(true);
        t->setLineWrapMode(QPlainTextEdit::NoWrap);
        t->setUndoRedoEnabled(false);
        if (c.monospace) {
            QFont mono(QStringLiteral("DejaVu Sans Mono"));
            mono.setStyleHint(QFont::Monospace);
            mono.setFixedPitch(true);
            t->setFont(mono);
        }
        return t;
    }
    case Kind::Table: {
        auto* t = new TableField(parent);
        t->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
        t->setSelectionMode(QAbstractItemView::SingleSelection);
        t->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
        t->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        return t;
    }
    case Kind::ListBox:
        return new QListWidget(parent);
    case Kind::Ring:
        return new QComboBox(parent);
    case Kind::BinarySwitch: {
        auto* w = new QWidget(parent);
        auto* row = new QHBoxLayout(w);
        row->setContentsMargins(2, 0, 2, 0);
        auto* group = new QButtonGroup(w);
        group->setObjectName(QStringLiteral("positions"));
        for (int i = 0; i < 2; ++i) {
            auto* r = new QRadioButton(w);
            group->addButton(r, i);
            row->addWidget(r);
        }
        return w;
    }
    case Kind::Led:
        return new LedLamp(parent);
    case Kind::Decoration: {
        auto* f = new QFrame(parent);
        f->setFrameStyle(QFrame::Box | QFrame::Sunken);
        f->setAttribute(Qt::WA_TransparentForMouseEvents);
        return f;
    }
    case Kind::Picture:
        return new PictureFrame(parent, toQString(c.image));
    case Kind::Canvas: {
        auto* f = new QFrame(parent);
        f->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        return f;
    }
    case Kind::Tab:
        return new QTabWidget(parent);
    }
    return new QWidget(parent);
}

QButtonGroup* positionsOf(QWidget* field)
{
    return field ? field->findChild<QButtonGroup*>(QStringLiteral("positions")) : nullptr;
}

void setTextColour(QWidget* w, int rgb)
{
    QPalette pal = w->palette();
    const QColor col = toQColor(rgb);
    pal.setColor(QPalette::Text, col);
    pal.setColor(QPalette::WindowText, col);
    pal.setColor(QPalette::ButtonText, col);
    w->setPalette(pal);
}

} // namespace

QWidget* QtBackend::controlField(int panel, int ctrl) const
{
    auto p = panels_.find(panel);
    if (p == panels_.end())
        return nullptr;
    auto c = p->second.controls.find(ctrl);
    return c == p->second.controls.end() ? nullptr : c->second.field.data();
}

QLabel* QtBackend::controlCaption(int panel, int ctrl) const
{
    auto p = panels_.find(panel);
    if (p == panels_.end())
        return nullptr;
    auto c = p->second.controls.find(ctrl);
    return c == p->second.controls.end() ? nullptr : c->second.caption.data();
}

void QtBackend::controlCreated(int panel, int ctrl)
{
    if (!ui(panel)) {
        buildPanel(panel);
        return;
    }
    buildControl(panel, ctrl);
    reconcileControls(panel);
    restack(panel);
    repaintIfStarved();
}

void QtBackend::controlChanged(int panel, int ctrl, Change what, int a, int b)
{
    const model::Control* c = model::control(panel, ctrl);
    PanelUi* u = ui(panel);
    if (!c || !u)
        return;
    auto it = u->controls.find(ctrl);
    if (it == u->controls.end() || !it->second.field || it->second.kind != c->kind) {
        reconcileControls(panel);
        if (c->kind == Kind::Tab)
            syncPages(panel, ctrl);
        repaintIfStarved();
        return;
    }
    CtrlUi& cu = it->second;
    Syncing guard(*this);
    switch (what) {
    case Change::Everything:
        applyAll(panel, *c, cu);
        break;
    case Change::Value:
        applyValue(panel, *c, cu);
        break;
    case Change::Attributes:
        applyAttributes(panel, *c, cu);
        break;
    case Change::Items:
        applyItems(*c, cu);
        applyValue(panel, *c, cu);
        break;
    case Change::LinesAppended:
        appendLines(*c, cu.field, a);
        break;
    case Change::Cell:
        applyCell(*c, cu.field, a, b);
        break;
    case Change::Rows:
        syncRows(*c, cu.field, a, b);
        break;
    case Change::Pages:
        syncPages(panel, ctrl);
        break;
    }
    repaintIfStarved();
}

// The operator's keyboard cycle (a value typed, the focus on the button that
// uses it) depends on the program moving the focus.
void QtBackend::activeCtrlChanged(int panel, int ctrl)
{
    if (QWidget* f = controlField(panel, ctrl))
        f->setFocus(Qt::OtherFocusReason);
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
    CtrlUi cu;
    cu.kind = c->kind;
    cu.field = makeField(*c, u->content);
    cu.field->setObjectName(c->constName.empty() ? QStringLiteral("ctrl%1").arg(ctrl) : toQString(c->constName));
    cu.field->setProperty("tkPanel", panel);
    cu.field->setProperty("tkCtrl", ctrl);
    if (hasCaption(c->kind)) {
        cu.caption = new QLabel(u->content);
        cu.caption->setObjectName(cu.field->objectName() + QStringLiteral("_label"));
        cu.caption->setTextFormat(Qt::PlainText);
        cu.caption->setBuddy(cu.field);
    }
    if (auto* num = dynamic_cast<NumField*>(cu.field.data())) {
        if (c->hasLimits)
            num->setRange(c->minValue, c->maxValue);
        if (c->step > 0)
            num->setSingleStep(c->step);
    }
    connectInput(panel, *c, cu);
    auto& stored = u->controls[ctrl];
    stored = cu;
    applyAll(panel, *c, stored);
    if (c->kind == Kind::Tab)
        syncPages(panel, ctrl);
}

void QtBackend::applyAll(int panel, const model::Control& c, CtrlUi& cu)
{
    Syncing guard(*this);
    switch (c.kind) {
    case Kind::TextBox:
        applyTextBox(c, cu.field);
        break;
    case Kind::Table:
        applyTable(c, cu.field);
        break;
    default:
        applyItems(c, cu);
        applyValue(panel, c, cu);
        break;
    }
    applyAttributes(panel, c, cu);
}

void QtBackend::applyItems(const model::Control& c, CtrlUi& cu)
{
    QWidget* f = cu.field;
    if (auto* list = qobject_cast<QListWidget*>(f)) {
        const QSignalBlocker block(list);
        list->clear();
        for (const model::ListItem& item : c.items)
            list->addItem(toQString(item.label));
    } else if (auto* ring = qobject_cast<QComboBox*>(f)) {
        const QSignalBlocker block(ring);
        ring->clear();
        for (const model::ListItem& item : c.items)
            ring->addItem(toQString(item.label));
    } else if (QButtonGroup* group = positionsOf(f)) {
        for (int i = 0; i < 2; ++i) {
            QAbstractButton* b = group->button(i);
            const bool known = i < static_cast<int>(c.items.size());
            b->setText(known ? toQString(c.items[static_cast<size_t>(i)].label) : QString::number(i));
        }
    }
}

void QtBackend::applyValue(int panel, const model::Control& c, CtrlUi& cu)
{
    QWidget* f = cu.field;
    const QSignalBlocker block(f);
    switch (c.kind) {
    case Kind::Numeric:
        static_cast<NumField*>(f)->setValue(c.num);
        break;
    case Kind::String: {
        auto* e = static_cast<QLineEdit*>(f);
        const QString text = toQString(c.text);
        if (e->text() != text) {
            e->setText(text);
            e->setCursorPosition(0);
        }
        break;
    }
    case Kind::TextMessage: {
        auto* l = static_cast<QLabel*>(f);
        l->setText(toQString(c.text));
        // A text message is as large as its text.
        const QSize hint = l->sizeHint();
        l->resize(std::max(c.width, hint.width()), std::max(c.height, hint.height()));
        break;
    }
    case Kind::TextBox:
        applyTextBox(c, f);
        break;
    case Kind::Table:
        applyTable(c, f);
        break;
    case Kind::ListBox: {
        auto* list = static_cast<QListWidget*>(f);
        list->setCurrentRow(c.index);
        break;
    }
    case Kind::Ring:
        static_cast<QComboBox*>(f)->setCurrentIndex(c.index);
        break;
    case Kind::BinarySwitch:
        if (QButtonGroup* group = positionsOf(f)) {
            const QSignalBlocker blockGroup(group);
            const bool on = c.items.size() == 2 ? c.num == c.items[1].value : c.num != 0;
            group->button(on ? 1 : 0)->setChecked(true);
        }
        break;
    case Kind::Toggle:
        static_cast<QPushButton*>(f)->setChecked(c.num != 0);
        break;
    case Kind::Led:
        static_cast<LedLamp*>(f)->setState(c.num != 0, toQColor(c.onColor));
        break;
    case Kind::Tab:
        syncPages(panel, c.id);
        break;
    default:
        break;
    }
}

void QtBackend::applyAttributes(int panel, const model::Control& c, CtrlUi& cu)
{
    QWidget* f = cu.field;
    const QSize hint = f->sizeHint();
    const int w = c.width > 0 ? c.width : hint.width();
    const int h = c.height > 0 ? c.height : hint.height();
    if (c.kind == Kind::TextMessage)
        f->move(c.left, c.top);
    else
        f->setGeometry(c.left, c.top, w, h);

    switch (c.kind) {
    case Kind::Command:
    case Kind::Toggle:
        static_cast<QPushButton*>(f)->setText(mnemonicText(c.label));
        break;
    case Kind::Led:
        static_cast<LedLamp*>(f)->setState(c.num != 0, toQColor(c.onColor));
        break;
    case Kind::TextBox:
        scrollTextBox(c, f);
        if (c.backColor != kWhite || f->testAttribute(Qt::WA_SetPalette)) {
            QPalette pal = f->palette();
            pal.setColor(QPalette::Base, toQColor(c.backColor));
            f->setPalette(pal);
        }
        break;
    case Kind::Table:
        scrollTable(c, f);
        break;
    default:
        break;
    }
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
    (void)panel;
}

void QtBackend::placeCaption(const model::Control& c, CtrlUi& cu)
{
    QLabel* l = cu.caption;
    const QSize hint = l->sizeHint();
    if (c.kind == Kind::Led) {
        const int h = c.height > 0 ? c.height : cu.field->height();
        l->setGeometry(c.left + cu.field->width() + 4, c.top + (h - hint.height()) / 2, hint.width(), hint.height());
        return;
    }
    const int y = std::max(0, c.top - hint.height() - 1);
    l->setGeometry(c.left, y, std::max(hint.width(), 1), hint.height());
}

void QtBackend::connectInput(int panel, const model::Control& c, CtrlUi& cu)
{
    const int ctrl = c.id;
    QWidget* f = cu.field;
    switch (c.kind) {
    case Kind::Command:
        QObject::connect(static_cast<QPushButton*>(f), &QPushButton::clicked, f, [this, panel, ctrl] {
            if (!syncing())
                post(Type::Commit, panel, ctrl);
        });
        break;
    case Kind::Toggle:
        QObject::connect(static_cast<QPushButton*>(f), &QPushButton::clicked, f, [this, panel, ctrl](bool on) {
            if (syncing())
                return;
            core::storeValue(panel, ctrl, on ? 1.0 : 0.0);
            post(Type::Commit, panel, ctrl);
        });
        break;
    case Kind::Numeric:
        QObject::connect(static_cast<NumField*>(f), &QDoubleSpinBox::valueChanged, f, [this, panel, ctrl](double v) {
            if (syncing())
                return;
            core::storeValue(panel, ctrl, v);
            post(Type::Commit, panel, ctrl);
        });
        break;
    case Kind::String: {
        auto* e = static_cast<QLineEdit*>(f);
        auto commit = [this, e, panel, ctrl](bool always) {
            if (syncing())
                return;
            const model::Control* m = model::control(panel, ctrl);
            const std::string text = e->text().toStdString();
            if (!m || (!always && m->text == text))
                return;
            core::storeText(panel, ctrl, text);
            post(Type::Commit, panel, ctrl);
        };
        QObject::connect(e, &QLineEdit::returnPressed, e, [commit] { commit(true); });
        QObject::connect(e, &QLineEdit::editingFinished, e, [commit] { commit(false); });
        break;
    }
    case Kind::ListBox: {
        auto* list = static_cast<QListWidget*>(f);
        QObject::connect(list, &QListWidget::currentRowChanged, list, [this, panel, ctrl](int row) {
            if (syncing() || row < 0)
                return;
            core::storeIndex(panel, ctrl, row);
            post(Type::Commit, panel, ctrl);
        });
        QObject::connect(list, &QListWidget::itemDoubleClicked, list, [this, list, panel, ctrl](QListWidgetItem* item) {
            if (syncing())
                return;
            const int row = list->row(item);
            core::storeIndex(panel, ctrl, row);
            post(Type::DoubleClick, panel, ctrl, row);
        });
        break;
    }
    case Kind::Ring:
        QObject::connect(static_cast<QComboBox*>(f), &QComboBox::activated, f, [this, panel, ctrl](int index) {
            const model::Control* m = model::control(panel, ctrl);
            if (syncing() || !m || m->index == index)
                return;
            core::storeIndex(panel, ctrl, index);
            post(Type::Commit, panel, ctrl);
        });
        break;
    case Kind::BinarySwitch:
        if (QButtonGroup* group = positionsOf(f)) {
            QObject::connect(group, &QButtonGroup::idClicked, f, [this, panel, ctrl](int position) {
                const model::Control* m = model::control(panel, ctrl);
                if (syncing() || !m)
                    return;
                const bool known = m->items.size() == 2;
                const double value = known ? m->items[static_cast<size_t>(position)].value : position;
                if (m->num == value)
                    return;
                core::storeValue(panel, ctrl, value);
                post(Type::Commit, panel, ctrl);
            });
        }
        break;
    case Kind::Table: {
        auto* t = static_cast<QTableWidget*>(f);
        QObject::connect(t, &QTableWidget::cellDoubleClicked, t, [this, panel, ctrl](int row, int col) {
            if (!syncing())
                post(Type::DoubleClick, panel, ctrl, row + 1, col + 1);
        });
        QObject::connect(t, &QTableWidget::itemChanged, t, [this, panel, ctrl](QTableWidgetItem* item) {
            if (syncing())
                return;
            bool ok = false;
            const double v = QLocale::c().toDouble(item->text().trimmed(), &ok);
            const int row = item->row() + 1, col = item->column() + 1;
            if (ok) {
                core::storeCell(panel, ctrl, row, col, v);
                post(Type::Commit, panel, ctrl, row, col);
            }
            // Show what the core holds: the number as accepted, or the old value.
            const model::Control* m = model::control(panel, ctrl);
            PanelUi* u = ui(panel);
            if (m && u && u->controls.count(ctrl)) {
                Syncing guard(*this);
                applyCell(*m, u->controls[ctrl].field, row, col);
            }
        });
        break;
    }
    case Kind::Tab:
        QObject::connect(static_cast<QTabWidget*>(f), &QTabWidget::currentChanged, f, [this, panel, ctrl](int index) {
            if (syncing() || index < 0)
                return;
            core::storeActivePage(panel, ctrl, index);
            post(Type::TabChanged, panel, ctrl, index);
        });
        break;
    default:
        break;
    }
}

} // namespace tk::qtui
