// Attributes of panels and controls: visibility, dimming, labels, colours,
// text-box lines, constant names and geometry.
#include "toolkit/core_state.h"

#include <algorithm>

namespace tk {

using namespace detail;

int setAttr(int panel, int ctrl, Attr a, int value)
{
    if (ctrl == 0) {
        const Target t = targetPanel("setAttr", panel);
        if (!t)
            return t.status;
        model::Panel* p = t.panel;
        switch (a) {
        case Attr::Visible:
            if (value)
                return displayPanel(panel);
            return hidePanel(panel);
        case Attr::BackColor: p->backColor = value; break;
        case Attr::FrameDecoration: p->frameDecoration = value != 0; break;
        case Attr::WindowFrame: p->windowFrame = value != 0; break;
        case Attr::DefaultCtrl:
            if (value != 0 && !findControl(*p, value))
                return ERR_ARG;
            p->defaultCtrl = value;
            break;
        case Attr::Top: p->top = value; break;
        case Attr::Left: p->left = value; break;
        case Attr::Height: p->height = value; break;
        case Attr::Width: p->width = value; break;
        default: return ERR_ARG;
        }
        notifyPanel(panel);
        return OK;
    }
    const Target t = targetControl("setAttr", panel, ctrl);
    if (!t)
        return t.status;
    model::Control* c = t.ctrl;
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
    if (ctrl == 0) {
        const Target t = targetPanel("setAttr", panel);
        if (!t)
            return t.status;
        if (a == Attr::Title)
            t.panel->title = std::string(text);
        else if (a == Attr::ConstantName)
            t.panel->constName = std::string(text);
        else
            return ERR_ARG;
        notifyPanel(panel);
        return OK;
    }
    const Target t = targetControl("setAttr", panel, ctrl);
    if (!t)
        return t.status;
    if (a == Attr::LabelText)
        t.ctrl->label = std::string(text);
    else if (a == Attr::ConstantName)
        t.ctrl->constName = std::string(text);
    else
        return ERR_ARG;
    notifyControl(panel, ctrl, Change::Attributes);
    return OK;
}

int attr(int panel, int ctrl, Attr a)
{
    if (ctrl == 0) {
        const Target t = targetPanel("attr", panel);
        if (!t)
            return t.status;
        const model::Panel* p = t.panel;
        switch (a) {
        case Attr::Visible: return p->visible ? 1 : 0;
        case Attr::BackColor: return p->backColor;
        case Attr::FrameDecoration: return p->frameDecoration ? 1 : 0;
        case Attr::WindowFrame: return p->windowFrame ? 1 : 0;
        case Attr::DefaultCtrl: return p->defaultCtrl;
        case Attr::Top: return p->top;
        case Attr::Left: return p->left;
        case Attr::Height: return p->height;
        case Attr::Width: return p->width;
        default: return ERR_ARG;
        }
    }
    const Target t = targetControl("attr", panel, ctrl);
    if (!t)
        return t.status;
    const model::Control* c = t.ctrl;
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
    if (ctrl == 0) {
        const Target t = targetPanel("attrText", panel);
        if (!t)
            return {};
        if (a == Attr::Title)
            return t.panel->title;
        if (a == Attr::ConstantName)
            return t.panel->constName;
        return {};
    }
    const Target t = targetControl("attrText", panel, ctrl);
    if (!t)
        return {};
    if (a == Attr::LabelText)
        return t.ctrl->label;
    if (a == Attr::ConstantName)
        return t.ctrl->constName;
    return {};
}

} // namespace tk
