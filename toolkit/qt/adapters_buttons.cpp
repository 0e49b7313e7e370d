// Adapters of the kinds the operator presses or switches: command button,
// toggle button, binary switch, and the LED that only shows a state.
#include "toolkit/qt/adapter.h"
#include "toolkit/qt/widgets.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

namespace tk::qtui {

namespace {

using Type = core::InputEvent::Type;

class CommandAdapter final : public Adapter {
public:
    QWidget* make(const model::Control&, QWidget* parent) const override { return new QPushButton(parent); }
    void showLook(const model::Control& c, QWidget* f) const override
    {
        static_cast<QPushButton*>(f)->setText(mnemonicText(c.label));
    }
    void connect(QtBackend& be, int panel, const model::Control& c, QWidget* f) const override
    {
        const int ctrl = c.id;
        QObject::connect(static_cast<QPushButton*>(f), &QPushButton::clicked, f, [&be, panel, ctrl] {
            if (!be.syncing())
                post(Type::Commit, panel, ctrl);
        });
    }
};

class ToggleAdapter final : public Adapter {
public:
    QWidget* make(const model::Control&, QWidget* parent) const override
    {
        auto* b = new QPushButton(parent);
        b->setCheckable(true);
        return b;
    }
    void showValue(QtBackend&, int, const model::Control& c, QWidget* f) const override
    {
        const QSignalBlocker block(f);
        static_cast<QPushButton*>(f)->setChecked(c.num != 0);
    }
    void showLook(const model::Control& c, QWidget* f) const override
    {
        static_cast<QPushButton*>(f)->setText(mnemonicText(c.label));
    }
    void connect(QtBackend& be, int panel, const model::Control& c, QWidget* f) const override
    {
        const int ctrl = c.id;
        QObject::connect(static_cast<QPushButton*>(f), &QPushButton::clicked, f, [&be, panel, ctrl](bool on) {
            if (be.syncing())
                return;
            core::storeValue(panel, ctrl, on ? 1.0 : 0.0);
            post(Type::Commit, panel, ctrl);
        });
    }
};

// Two radio buttons in a row, one per position.
class BinarySwitchAdapter final : public Adapter {
public:
    QWidget* make(const model::Control&, QWidget* parent) const override
    {
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
    CaptionPlace caption() const override { return CaptionPlace::Above; }
    void showItems(const model::Control& c, QWidget* f) const override
    {
        QButtonGroup* group = positions(f);
        for (int i = 0; i < 2; ++i) {
            QAbstractButton* b = group->button(i);
            const bool known = i < static_cast<int>(c.items.size());
            b->setText(known ? toQString(c.items[static_cast<size_t>(i)].label) : QString::number(i));
        }
    }
    void showValue(QtBackend&, int, const model::Control& c, QWidget* f) const override
    {
        QButtonGroup* group = positions(f);
        const QSignalBlocker block(group);
        const bool on = c.items.size() == 2 ? c.num == c.items[1].value : c.num != 0;
        group->button(on ? 1 : 0)->setChecked(true);
    }
    void connect(QtBackend& be, int panel, const model::Control& c, QWidget* f) const override
    {
        const int ctrl = c.id;
        QObject::connect(positions(f), &QButtonGroup::idClicked, f, [&be, panel, ctrl](int position) {
            const model::Control* m = model::control(panel, ctrl);
            if (be.syncing() || !m)
                return;
            const bool known = m->items.size() == 2;
            const double value = known ? m->items[static_cast<size_t>(position)].value : position;
            if (m->num == value)
                return;
            core::storeValue(panel, ctrl, value);
            post(Type::Commit, panel, ctrl);
        });
    }

private:
    static QButtonGroup* positions(QWidget* f) { return f->findChild<QButtonGroup*>(QStringLiteral("positions")); }
};

class LedAdapter final : public Adapter {
public:
    QWidget* make(const model::Control&, QWidget* parent) const override { return new LedLamp(parent); }
    CaptionPlace caption() const override { return CaptionPlace::Right; }
    void showValue(QtBackend&, int, const model::Control& c, QWidget* f) const override { showLook(c, f); }
    void showLook(const model::Control& c, QWidget* f) const override
    {
        static_cast<LedLamp*>(f)->setState(c.num != 0, toQColor(c.onColor));
    }
};

} // namespace

const Adapter& commandAdapter() { static const CommandAdapter a; return a; }
const Adapter& toggleAdapter() { static const ToggleAdapter a; return a; }
const Adapter& binarySwitchAdapter() { static const BinarySwitchAdapter a; return a; }
const Adapter& ledAdapter() { static const LedAdapter a; return a; }

} // namespace tk::qtui
