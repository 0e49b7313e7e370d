// Panels: loading, creation in code, showing and hiding, the modal pop-up
// stack, the panel callback and close control, the active control, discarding.
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
    if (parent != 0 && !targetPanel("loadPanel", parent)) {
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
    if (!targetPanel("loadMenuBar", panel)) {
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
    if (parent != 0 && !targetPanel("newPanel", parent))
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
    const Target t = targetPanel("displayPanel", panel);
    if (!t)
        return t.status;
    t.panel->visible = true;
    notifyPanel(panel);
    return OK;
}

int hidePanel(int panel)
{
    const Target t = targetPanel("hidePanel", panel);
    if (!t)
        return t.status;
    t.panel->visible = false;
    dropFromPopupStack(panel);
    notifyPanel(panel);
    return OK;
}

int discardPanel(int panel)
{
    if (const Target t = targetPanel("discardPanel", panel); !t)
        return t.status;
    discard(panel);
    return OK;
}

int installPopup(int panel)
{
    const Target t = targetPanel("installPopup", panel);
    if (!t)
        return t.status;
    auto& stack = state().popups;
    if (std::find(stack.begin(), stack.end(), panel) == stack.end())
        stack.push_back(panel);
    t.panel->popup = true;
    t.panel->visible = true;
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
    const Target t = targetPanel("setPanelCallback", panel);
    if (!t)
        return t.status;
    t.panel->callback = cb;
    t.panel->callbackData = data;
    return OK;
}

int setPanelCloseCtrl(int panel, int ctrl)
{
    const Target t = ctrl != 0 ? targetControl("setPanelCloseCtrl", panel, ctrl)
                               : targetPanel("setPanelCloseCtrl", panel);
    if (!t)
        return t.status;
    t.panel->closeCtrl = ctrl;
    return OK;
}

int setMainPanel(int panel)
{
    const Target t = targetPanel("setMainPanel", panel);
    if (!t)
        return t.status;
    for (int h : state().order)
        if (model::Panel* p = findPanel(h))
            p->mainPanel = h == panel;
    // Every top-level panel is placed anew against it.
    for (int h : std::vector<int>(state().order))
        notifyPanel(h);
    return OK;
}

int setActiveCtrl(int panel, int ctrl)
{
    const Target t = targetControl("setActiveCtrl", panel, ctrl);
    if (!t)
        return t.status;
    t.panel->activeCtrl = ctrl;
    if (Backend* b = state().backend.get())
        b->activeCtrlChanged(panel, ctrl);
    return OK;
}

int activeCtrl(int panel)
{
    const Target t = targetPanel("activeCtrl", panel);
    return t ? t.panel->activeCtrl : t.status;
}

} // namespace tk
