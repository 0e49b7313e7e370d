// Controls: made in code, their callbacks, and their way back to the state
// they were loaded in.
#include "toolkit/core_state.h"

#include <algorithm>

namespace tk {

using namespace detail;

int newCtrl(int panel, Kind kind, std::string_view label, int top, int left, int height, int width)
{
    const Target t = targetPanel("newCtrl", panel);
    if (!t)
        return t.status;
    model::Panel* p = t.panel;
    model::Control c;
    int maxId = 1;
    for (const auto& other : p->controls)
        maxId = std::max(maxId, other.id);
    c.id = maxId + 1;
    c.kind = kind;
    c.label = std::string(label);
    c.top = top;
    c.left = left;
    c.height = height;
    c.width = width;
    switch (kind) {
    case Kind::Numeric: c.type = DataType::Double; break;
    case Kind::String:
    case Kind::TextMessage:
    case Kind::TextBox: c.type = DataType::String; break;
    case Kind::ListBox:
    case Kind::Ring: c.type = DataType::Int32; break;
    case Kind::BinarySwitch:
        c.type = DataType::Int32;
        c.items = {{"", 0}, {"", 1}};
        c.index = 0;
        break;
    default: break;
    }
    if (kind == Kind::TextBox)
        c.visibleLines = visibleLinesFor(height);
    p->controls.push_back(c);
    p->defaults.push_back(c);
    if (Backend* b = state().backend.get())
        b->controlCreated(panel, c.id);
    return c.id;
}

int setCtrlCallback(int panel, int ctrl, CtrlCallback cb, void* data)
{
    const Target t = targetControl("setCtrlCallback", panel, ctrl);
    if (!t)
        return t.status;
    t.ctrl->callback = cb;
    t.ctrl->callbackData = data;
    return OK;
}

int defaultCtrl(int panel, int ctrl)
{
    const Target t = targetControl("defaultCtrl", panel, ctrl);
    if (!t)
        return t.status;
    model::Panel* p = t.panel;
    model::Control* c = t.ctrl;
    auto it = std::find_if(p->defaults.begin(), p->defaults.end(),
                           [&](const model::Control& d) { return d.id == ctrl; });
    if (it == p->defaults.end())
        return ERR_CONTROL;
    model::Control restored = *it;
    // What the program attached at run time stays: callbacks, and the pages of a tab control.
    restored.callback = c->callback;
    restored.callbackData = c->callbackData;
    restored.callbackName = c->callbackName;
    if (c->kind == Kind::Tab) {
        restored.kind = Kind::Tab;
        restored.pages = c->pages;
        restored.activePage = c->activePage;
    }
    *c = std::move(restored);
    notifyControl(panel, ctrl, Change::Everything);
    return OK;
}

int defaultPanel(int panel)
{
    const Target t = targetPanel("defaultPanel", panel);
    if (!t)
        return t.status;
    std::vector<int> ids;
    for (const auto& c : t.panel->controls)
        ids.push_back(c.id);
    for (int id : ids)
        defaultCtrl(panel, id);
    return OK;
}

} // namespace tk
