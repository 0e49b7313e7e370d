// Adapters of the fields that show one value: numeric, string, text message.
#include "toolkit/qt/adapter.h"
#include "toolkit/qt/widgets.h"

#include <QLineEdit>
#include <QStyle>
#include <QSignalBlocker>

#include <algorithm>

namespace tk::qtui {

namespace {

using Type = core::InputEvent::Type;

// A field the operator cannot type into does not look like one: no field
// background, the panel's own showing through its frame.
void showAsIndicator(QWidget* f)
{
    QPalette pal = f->palette();
    pal.setColor(QPalette::Base, Qt::transparent);
    f->setPalette(pal);
    f->setFocusPolicy(Qt::NoFocus);
}

// The smallest font an indicator's text is shrunk to so that it shows whole.
constexpr double kSmallestPoints = 6.0;

// An indicator shows its whole text: where it does not fit the field, in a
// smaller font, down to kSmallestPoints; what still does not fit is in its tip.
void fitText(QLineEdit* e)
{
    QFont font = e->parentWidget() ? e->parentWidget()->font() : e->font();
    const QMargins margins = e->textMargins();
    // The frame and the field's own inner margin on either side.
    const int room = e->width() - margins.left() - margins.right() - 2 * e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) - 8;
    while (QFontMetrics(font).horizontalAdvance(e->text()) > room && font.pointSizeF() > kSmallestPoints)
        font.setPointSizeF(std::max(kSmallestPoints, font.pointSizeF() - 0.5));
    e->setFont(font);
    e->setToolTip(QFontMetrics(font).horizontalAdvance(e->text()) > room ? e->text() : QString());
}

class NumericAdapter final : public Adapter {
public:
    QWidget* make(const model::Control& c, QWidget* parent) const override
    {
        auto* num = new NumField(parent, c.type);
        num->setPrecision(c.precision);
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
        showAsIndicator(num);
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
    void makeIndicator(QWidget* f) const override
    {
        static_cast<QLineEdit*>(f)->setReadOnly(true);
        showAsIndicator(f);
    }
    void showValue(QtBackend&, int, const model::Control& c, QWidget* f) const override
    {
        auto* e = static_cast<QLineEdit*>(f);
        const QSignalBlocker block(e);
        const QString text = toQString(c.text);
        if (e->text() != text) {
            e->setText(text);
            e->setCursorPosition(0);
        }
        if (c.indicator)
            fitText(e);
    }
    void place(const model::Control& c, QWidget* f) const override
    {
        Adapter::place(c, f);
        if (c.indicator)
            fitText(static_cast<QLineEdit*>(f));
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
