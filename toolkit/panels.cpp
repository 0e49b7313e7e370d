// Panels and controls: loading, creation in code, showing and hiding, the
// modal pop-up stack, callbacks, discarding and restoring the loaded state.
#include "toolkit/core_state.h"

#include <algorithm>

namespace tk {

using namespace detail;

namespace detail {

void dropFromPopupStack(int panel)
{
    auto& stack = state().popups;
    stack.erase(std::remove(stack.begin(), stack.end(), panel), stack.end());
    if (model::Panel* p = findPanel(panel))
        p->popup = false;
}

void discard(int handle)
{
    State& s = state();
    if (!findPanel(handle))
        return;
    // Children (tab pages and child panels) go first, in creation order.
    for (int child : std::vector<int>(s.order)) {
        const model::Panel* c = findPanel(child);
        if (c && (c->parent == handle || c->hostPanel == handle))
            discard(child);
    }
    std::vector<int> ids;
    if (const model::Panel* p = findPanel(handle))
        for (const auto& c : p->controls)
            ids.push_back(c.id);
    for (int id : ids) {
        model::Control* c = findControl(handle, id);
        if (c && c->callback) {
            const CtrlCallback cb = c->callback;
            void* data = c->callbackData;
            cb(handle, id, EVENT_DISCARD, data, 0, 0);
        }
    }
    model::Panel* p = findPanel(handle);
    if (!p)
        return; // a discard callback discarded it already
    for (auto it = s.menuBars.begin(); it != s.menuBars.end();)
        it = it->second->panel == handle ? s.menuBars.erase(it) : std::next(it);
    dropFromPopupStack(handle);
    if (s.backend)
        s.backend->panelDiscarded(handle);
    s.panels.erase(handle);
    s.order.erase(std::remove(s.order.begin(), s.order.end(), handle), s.order.end());
    std::erase_if(s.pageBeforeChange, [&](const auto& kv) { return kv.first.first == handle; });
    std::erase_if(s.queue, [&](const core::InputEvent& ev) {
        return ev.type != core::InputEvent::Type::Menu && ev.panel == handle;
    });
}

} // namespace detail

int loadPanel(int parent, const std::string& file, int resourceId)
{
    if (parent != 0 && !findPanel(parent)) {
        state().lastError = "loadPanel: no parent panel " + std::to_string(parent);
        return ERR_PANEL;
    }
    auto p = readPanel(file, resourceId);
    if (!p)
        return ERR_RESOURCE;
    p->parent = parent;
    return addPanel(std::move(p));
}

int loadMenuBar(int panel, const std::string& file, int resourceId)
{
    model::Panel* p = findPanel(panel);
    if (!p) {
        state().lastError = "loadMenuBar: no panel " + std::to_string(panel);
        return ERR_PANEL;
    }
    auto m = readMenuBar(file, resourceId);
    if (!m)
        return ERR_RESOURCE;
    m->panel = panel;
    const int h = addMenuBar(std::move(m));
    if (model::Panel* again = findPanel(panel)) {
        again->menuBar = h;
        notifyPanel(panel);
    }
    return h;
}

int newPanel(int parent, std::string_view title, int top, int left, int height, int width)
{
    if (parent != 0 && !findPanel(parent))
        return ERR_PANEL;
    auto p = std::make_unique<model::Panel>();
    p->parent = parent;
    p->title = std::string(title);
    p->top = top;
    p->left = left;
    p->height = height;
    p->width = width;
    return addPanel(std::move(p));
}

int displayPanel(int panel)
{
    model::Panel* p = findPanel(panel);
    if (!p)
        return ERR_PANEL;
    p->visible = true;
    notifyPanel(panel);
    return OK;
}

int hidePanel(int panel)
{
    model::Panel* p = findPanel(panel);
    if (!p)
        return ERR_PANEL;
    p->visible = false;
    dropFromPopupStack(panel);
    notifyPanel(panel);
    return OK;
}

int discardPanel(int panel)
{
    if (!findPanel(panel))
        return ERR_PANEL;
    discard(panel);
    return OK;
}

int installPopup(int panel)
{
    model::Panel* p = findPanel(panel);
    if (!p)
        return ERR_PANEL;
    auto& stack = state().popups;
    if (std::find(stack.begin(), stack.end(), panel) == stack.end())
        stack.push_back(panel);
    p->popup = true;
    p->visible = true;
    notifyPanel(panel);
    return OK;
}

int removePopup(int all)
{
    auto& stack = state().popups;
    if (stack.empty())
        return ERR_ARG;
    do {
        const int top = stack.back();
        stack.pop_back();
        if (model::Panel* p = findPanel(top)) {
            p->popup = false;
            p->visible = false;
            notifyPanel(top);
        }
    } while (all && !stack.empty());
    return OK;
}

int setPanelCallback(int panel, CtrlCallback cb, void* data)
{
    model::Panel* p = findPanel(panel);
    if (!p)
        return ERR_PANEL;
    p->callback = cb;
    p->callbackData = data;
    return OK;
}

int setPanelCloseCtrl(int panel, int ctrl)
{
    model::Panel* p = findPanel(panel);
    if (!p)
        return ERR_PANEL;
    if (ctrl != 0 && !findControl(*p, ctrl))
        return ERR_CONTROL;
    p->closeCtrl = ctrl;
    return OK;
}

int setActiveCtrl(int panel, int ctrl)
{
    model::Panel* p = findPanel(panel);
    if (!p)
        return ERR_PANEL;
    if (!findControl(*p, ctrl))
        return ERR_CONTROL;
    p->activeCtrl = ctrl;
    if (Backend* b = state().backend.get())
        b->activeCtrlChanged(panel, ctrl);
    return OK;
}

int activeCtrl(int panel)
{
    const model::Panel* p = findPanel(panel);
    return p ? p->activeCtrl : ERR_PANEL;
}

int newCtrl(int panel, Kind kind, std::string_view label, int top, int left, int height, int width)
{
    model::Panel* p = findPanel(panel);
    if (!p)
        return ERR_PANEL;
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
    model::Panel* p = findPanel(panel);
    if (!p)
        return ERR_PANEL;
    model::Control* c = findControl(*p, ctrl);
    if (!c)
        return ERR_CONTROL;
    c->callback = cb;
    c->callbackData = data;
    return OK;
}

int defaultCtrl(int panel, int ctrl)
{
    model::Panel* p = findPanel(panel);
    if (!p)
        return ERR_PANEL;
    model::Control* c = findControl(*p, ctrl);
    if (!c)
        return ERR_CONTROL;
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
    model::Panel* p = findPanel(panel);
    if (!p)
        return ERR_PANEL;
    std::vector<int> ids;
    for (const auto& c : p->controls)
        ids.push_back(c.id);
    for (int id : ids)
        defaultCtrl(panel, id);
    return OK;
}

} // namespace tk
