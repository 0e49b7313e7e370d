// Adapters of the fields that show one value: numeric, string, text message.
#include "toolkit/qt/adapter.h"
#include "toolkit/qt/widgets.h"

#include <QLineEdit>
#include <QSignalBlocker>

#include <algorithm>

namespace tk::qtui {

namespace {

using Type = core::InputEvent::Type;

class NumericAdapter final : public Adapter {
public:
    QWidget* make(const model::Control& c, QWidget* parent) const override
    {
        auto* num = new NumField(parent, c.type);
        if (c.hasLimits)
            num->setLimits(c.minValue, c.maxValue);
        if (c.step > 0)
            num->setStep(c.step);
        return num;
    }
    CaptionPlace caption() const override { return CaptionPlace::Above; }
    void makeIndicator(QWidget* f) const override
    {
        auto* num = static_cast<NumField*>(f);
        num->setReadOnly(true);
        num->setButtonSymbols(QAbstractSpinBox::NoButtons);
    }
    void showValue(QtBackend&, int, const model::Control& c, QWidget* f) const override
    {
        static_cast<NumField*>(f)->setValue(c.num);
    }
    void connect(QtBackend& be, int panel, const model::Control& c, QWidget* f) const override
    {
        const int ctrl = c.id;
        static_cast<NumField*>(f)->onCommit = [&be, panel, ctrl](double v) {
            if (be.syncing())
                return;
            core::storeValue(panel, ctrl, v);
            post(Type::Commit, panel, ctrl);
        };
    }
};

class StringAdapter final : public Adapter {
public:
    QWidget* make(const model::Control&, QWidget* parent) const override { return new QLineEdit(parent); }
    CaptionPlace caption() const override { return CaptionPlace::Above; }
    void makeIndicator(QWidget* f) const override { static_cast<QLineEdit*>(f)->setReadOnly(true); }
    void showValue(QtBackend&, int, const model::Control& c, QWidget* f) const override
    {
        auto* e = static_cast<QLineEdit*>(f);
        const QSignalBlocker block(e);
        const QString text = toQString(c.text);
        if (e->text() != text) {
            e->setText(text);
            e->setCursorPosition(0);
        }
    }
    void connect(QtBackend& be, int panel, const model::Control& c, QWidget* f) const override
    {
        auto* e = static_cast<QLineEdit*>(f);
        const int ctrl = c.id;
        auto commit = [&be, e, panel, ctrl](bool always) {
            if (be.syncing() || e->isReadOnly())
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
    }
};

// Static text, as large as its text.
class TextMessageAdapter final : public Adapter {
public:
    QWidget* make(const model::Control&, QWidget* parent) const override
    {
        auto* l = new QLabel(parent);
        l->setTextFormat(Qt::PlainText);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return l;
    }
    void place(const model::Control& c, QWidget* f) const override { f->move(c.left, c.top); }
    void showValue(QtBackend&, int, const model::Control& c, QWidget* f) const override
    {
        auto* l = static_cast<QLabel*>(f);
        l->setText(toQString(c.text));
        const QSize hint = l->sizeHint();
        l->resize(std::max(c.width, hint.width()), std::max(c.height, hint.height()));
    }
};

} // namespace

const Adapter& numericAdapter() { static const NumericAdapter a; return a; }
const Adapter& stringAdapter() { static const StringAdapter a; return a; }
const Adapter& textMessageAdapter() { static const TextMessageAdapter a; return a; }

} // namespace tk::qtui
