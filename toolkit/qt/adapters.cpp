// What the adapters share, and the adapter of each kind.
#include "toolkit/qt/adapter.h"

namespace tk::qtui {

void post(core::InputEvent::Type type, int panel, int ctrl, int a, int b)
{
    core::queue({type, panel, ctrl, a, b});
}

void Adapter::makeIndicator(QWidget* field) const
{
    field->setAttribute(Qt::WA_TransparentForMouseEvents);
    field->setFocusPolicy(Qt::NoFocus);
}

void Adapter::place(const model::Control& c, QWidget* field) const
{
    // The size hint lays out the widget's text: asked only where the resource gives no size.
    QSize size(c.width, c.height);
    if (size.width() <= 0 || size.height() <= 0) {
        const QSize hint = field->sizeHint();
        size = QSize(c.width > 0 ? c.width : hint.width(), c.height > 0 ? c.height : hint.height());
    }
    field->setGeometry(c.left, c.top, size.width(), size.height());
}

void Adapter::showAll(QtBackend& be, int panel, const model::Control& c, QWidget* field) const
{
    showItems(c, field);
    showValue(be, panel, c, field);
}

void Adapter::showChange(QtBackend& be, int panel, const model::Control& c, QWidget* field, Change, int, int) const
{
    showAll(be, panel, c, field);
}

const Adapter& adapterFor(Kind kind)
{
    switch (kind) {
    case Kind::Command: return commandAdapter();
    case Kind::Numeric: return numericAdapter();
    case Kind::String: return stringAdapter();
    case Kind::TextMessage: return textMessageAdapter();
    case Kind::TextBox: return textBoxAdapter();
    case Kind::Table: return tableAdapter();
    case Kind::ListBox: return listBoxAdapter();
    case Kind::Ring: return ringAdapter();
    case Kind::BinarySwitch: return binarySwitchAdapter();
    case Kind::Toggle: return toggleAdapter();
    case Kind::Led: return ledAdapter();
    case Kind::Decoration: return decorationAdapter();
    case Kind::Picture: return pictureAdapter();
    case Kind::Canvas: return canvasAdapter();
    case Kind::Tab: return tabAdapter();
    }
    return decorationAdapter();
}

} // namespace tk::qtui
