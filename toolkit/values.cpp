// Control values and the attributes of panels and controls.
#include "toolkit/core_state.h"

#include <climits>
#include <cmath>

namespace tk {

using namespace detail;

namespace {

bool isItemKind(Kind k)
{
    return k == Kind::ListBox || k == Kind::Ring || k == Kind::BinarySwitch;
}

// Selects the item that carries value; false when none does.
bool selectItemByValue(model::Control& c, double value)
{
    const double v = std::round(value);
    for (size_t i = 0; i < c.items.size(); ++i)
        if (c.items[i].value == v) {
            c.index = static_cast<int>(i);
            c.num = c.items[i].value;
            return true;
        }
    return false;
}

std::string joinLines(const std::vector<std::string>& lines)
{
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i)
            out += '\n';
        out += lines[i];
    }
    return out;
}

} // namespace

int setValue(int panel, int ctrl, double value)
{
    if (!findPanel(panel))
        return ERR_PANEL;
    model::Control* c = findControl(panel, ctrl);
    if (!c)
        return ERR_CONTROL;
    if (isItemKind(c->kind)) {
        if (!selectItemByValue(*c, value))
            return ERR_ARG;
    } else {
        switch (c->kind) {
        case Kind::Toggle:
        case Kind::Led: c->num = value != 0.0 ? 1.0 : 0.0; break;
        case Kind::Numeric: c->num = coerce(*c, value); break;
        case Kind::String:
        case Kind::TextMessage: c->text = formatNumber(value); break;
        default: return ERR_ARG;
        }
    }
    notifyControl(panel, ctrl, Change::Value);
    return OK;
}

int setValue(int panel, int ctrl, std::string_view text)
{
    if (!findPanel(panel))
        return ERR_PANEL;
    model::Control* c = findControl(panel, ctrl);
    if (!c)
        return ERR_CONTROL;
    switch (c->kind) {
    case Kind::String:
    case Kind::TextMessage:
        c->text = std::string(text);
        break;
    case Kind::TextBox:
        c->lines = text.empty() ? std::vector<std::string>{} : splitLines(text);
        c->firstVisibleLine = clampFirstLine(*c, c->firstVisibleLine);
        notifyControl(panel, ctrl, Change::Everything);
        return OK;
    case Kind::Numeric: {
        double v = 0;
        if (!parseNumber(text, v))
            return ERR_ARG;
        c->num = coerce(*c, v);
        break;
    }
    case Kind::ListBox:
    case Kind::Ring: {
        bool found = false;
        for (size_t i = 0; i < c->items.size() && !found; ++i)
            if (c->items[i].label == text) {
                c->index = static_cast<int>(i);
                c->num = c->items[i].value;
                found = true;
            }
        if (!found)
            return ERR_ARG;
        break;
    }
    default:
        return ERR_ARG;
    }
    notifyControl(panel, ctrl, Change::Value);
    return OK;
}

double numValue(int panel, int ctrl)
{
    const model::Control* c = findControl(panel, ctrl);
    if (!c)
        return 0.0;
    if (isItemKind(c->kind)) {
        int v = 0;
        return currentItemValue(*c, v) ? v : 0.0;
    }
    if (c->kind == Kind::String || c->kind == Kind::TextMessage) {
        double v = 0;
        return parseNumber(c->text, v) ? v : 0.0;
    }
    return c->num;
}

int intValue(int panel, int ctrl)
{
    const double v = std::round(numValue(panel, ctrl));
    if (std::isnan(v))
        return 0;
    if (v >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (v <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(v);
}

std::string textValue(int panel, int ctrl)
{
    const model::Control* c = findControl(panel, ctrl);
    if (!c)
        return {};
    switch (c->kind) {
    case Kind::String:
    case Kind::TextMessage: return c->text;
    case Kind::TextBox: return joinLines(c->lines);
    case Kind::ListBox:
    case Kind::Ring:
    case Kind::BinarySwitch:
        if (c->index >= 0 && c->index < static_cast<int>(c->items.size()))
            return c->items[static_cast<size_t>(c->index)].label;
        return {};
    case Kind::Numeric:
    case Kind::Toggle:
    case Kind::Led: return formatNumber(c->num);
    default: return {};
    }
}

int setAttr(int panel, int ctrl, Attr a, int value)
{
    model::Panel* p = findPanel(panel);
    if (!p)
        return ERR_PANEL;
    if (ctrl == 0) {
        switch (a) {
        case Attr::Visible:
            if (value)
                return displayPanel(panel);
            return hidePanel(panel);
        case Attr::BackColor: p->backColor = value; break;
        case Attr::FrameDecoration: p->frameDecoration = value != 0; break;
        case Attr::Top: p->top = value; break;
        case Attr::Left: p->left = value; break;
        case Attr::Height: p->height = value; break;
        case Attr::Width: p->width = value; break;
        default: return ERR_ARG;
        }
        notifyPanel(panel);
        return OK;
    }
    model::Control* c = findControl(*p, ctrl);
    if (!c)
        return ERR_CONTROL;
    switch (a) {
    case Attr::Visible: c->visible = value != 0; break;
    case Attr::Dimmed: c->dimmed = value != 0; break;
    case Attr::TextColor: c->textColor = value; break;
    case Attr::OnColor: c->onColor = value; break;
    case Attr::BackColor:
        if (c->kind != Kind::TextBox)
            return ERR_ARG;
        c->backColor = value;
        break;
    case Attr::FirstVisibleLine:
        if (c->kind != Kind::TextBox && c->kind != Kind::Table)
            return ERR_ARG;
        c->firstVisibleLine = clampFirstLine(*c, value);
        break;
    case Attr::VisibleLines:
        if (c->kind != Kind::TextBox)
            return ERR_ARG;
        c->visibleLines = std::max(1, value);
        c->height = state().backend ? state().backend->textBoxHeight(panel, ctrl, c->visibleLines)
                                    : c->visibleLines * 16;
        c->firstVisibleLine = clampFirstLine(*c, c->firstVisibleLine);
        notifyControl(panel, ctrl, Change::Everything);
        return OK;
    case Attr::Top: c->top = value; break;
    case Attr::Left: c->left = value; break;
    case Attr::Height:
        c->height = value;
        if (c->kind == Kind::TextBox) {
            c->visibleLines = visibleLinesFor(value);
            c->firstVisibleLine = clampFirstLine(*c, c->firstVisibleLine);
        }
        break;
    case Attr::Width: c->width = value; break;
    default: return ERR_ARG;
    }
    notifyControl(panel, ctrl, Change::Attributes);
    return OK;
}

int setAttr(int panel, int ctrl, Attr a, std::string_view text)
{
    model::Panel* p = findPanel(panel);
    if (!p)
        return ERR_PANEL;
    if (ctrl == 0) {
        if (a != Attr::Title)
            return ERR_ARG;
        p->title = std::string(text);
        notifyPanel(panel);
        return OK;
    }
    model::Control* c = findControl(*p, ctrl);
    if (!c)
        return ERR_CONTROL;
    if (a != Attr::LabelText)
        return ERR_ARG;
    c->label = std::string(text);
    notifyControl(panel, ctrl, Change::Attributes);
    return OK;
}

int attr(int panel, int ctrl, Attr a)
{
    const model::Panel* p = findPanel(panel);
    if (!p)
        return ERR_PANEL;
    if (ctrl == 0) {
        switch (a) {
        case Attr::Visible: return p->visible ? 1 : 0;
        case Attr::BackColor: return p->backColor;
        case Attr::FrameDecoration: return p->frameDecoration ? 1 : 0;
        case Attr::Top: return p->top;
        case Attr::Left: return p->left;
        case Attr::Height: return p->height;
        case Attr::Width: return p->width;
        default: return ERR_ARG;
        }
    }
    const model::Control* c = findControl(panel, ctrl);
    if (!c)
        return ERR_CONTROL;
    switch (a) {
    case Attr::Visible: return c->visible ? 1 : 0;
    case Attr::Dimmed: return c->dimmed ? 1 : 0;
    case Attr::TextColor: return c->textColor;
    case Attr::OnColor: return c->onColor;
    case Attr::BackColor: return c->kind == Kind::TextBox ? c->backColor : ERR_ARG;
    case Attr::VisibleLines: return c->kind == Kind::TextBox ? c->visibleLines : ERR_ARG;
    case Attr::FirstVisibleLine:
        return c->kind == Kind::TextBox || c->kind == Kind::Table ? c->firstVisibleLine : ERR_ARG;
    case Attr::NumLines:
        return c->kind == Kind::TextBox ? static_cast<int>(c->lines.size()) : ERR_ARG;
    case Attr::Top: return c->top;
    case Attr::Left: return c->left;
    case Attr::Height: return c->height;
    case Attr::Width: return c->width;
    default: return ERR_ARG;
    }
}

std::string attrText(int panel, int ctrl, Attr a)
{
    const model::Panel* p = findPanel(panel);
    if (!p)
        return {};
    if (ctrl == 0) {
        if (a == Attr::Title)
            return p->title;
        if (a == Attr::ConstantName)
            return p->constName;
        return {};
    }
    const model::Control* c = findControl(panel, ctrl);
    if (!c)
        return {};
    if (a == Attr::LabelText)
        return c->label;
    if (a == Attr::ConstantName)
        return c->constName;
    return {};
}

} // namespace tk
