// The tab control that hosts panels as pages.
#include "toolkit/core_state.h"

#include <algorithm>

namespace tk {

using namespace detail;

namespace {

int pageCount(const model::Control& c)
{
    return static_cast<int>(c.pages.size());
}

} // namespace

int convertCanvasToTab(int panel, int canvasCtrl)
{
    const Target t = targetControl("convertCanvasToTab", panel, canvasCtrl, {Kind::Canvas});
    if (!t)
        return t.status;
    model::Panel* p = t.panel;
    model::Control* c = t.ctrl;
    // Same id, place, size and callback: only the kind changes.
    c->kind = Kind::Tab;
    c->pages.clear();
    c->activePage = 0;
    for (auto& d : p->defaults)
        if (d.id == canvasCtrl)
            d.kind = Kind::Tab;
    notifyControl(panel, canvasCtrl, Change::Everything);
    return canvasCtrl;
}

int loadPanelAsTabPage(int panel, int tabCtrl, int index, const std::string& file, int resourceId)
{
    const Target t = targetControl("loadPanelAsTabPage", panel, tabCtrl, {Kind::Tab});
    if (!t)
        return t.status;
    model::Control* c = t.ctrl;
    if (index == -1)
        index = pageCount(*c);
    if (index < 0 || index > pageCount(*c))
        return ERR_ARG;
    auto page = readPanel(file, resourceId);
    if (!page)
        return ERR_RESOURCE;
    page->parent = panel;
    page->hostPanel = panel;
    page->hostTab = tabCtrl;
    page->visible = true; // shown whenever its host shows it
    const int h = addPanel(std::move(page));
    c = findControl(panel, tabCtrl); // the backend may have looked things up meanwhile
    if (!c)
        return ERR_CONTROL;
    const bool wasEmpty = c->pages.empty();
    c->pages.insert(c->pages.begin() + index, model::TabPage{h});
    if (!wasEmpty && index <= c->activePage)
        ++c->activePage;
    notifyControl(panel, tabCtrl, Change::Pages);
    return h;
}

int deleteTabPage(int panel, int tabCtrl, int index, int count)
{
    const Target t = targetControl("deleteTabPage", panel, tabCtrl, {Kind::Tab});
    if (!t)
        return t.status;
    model::Control* c = t.ctrl;
    if (index < 0 || count < 0 || index + count > pageCount(*c))
        return ERR_ARG;
    std::vector<int> removed;
    for (int i = index; i < index + count; ++i)
        removed.push_back(c->pages[static_cast<size_t>(i)].panel);
    c->pages.erase(c->pages.begin() + index, c->pages.begin() + index + count);
    if (c->activePage >= index + count)
        c->activePage -= count;
    else if (c->activePage >= index)
        c->activePage = std::min(index, std::max(0, pageCount(*c) - 1));
    notifyControl(panel, tabCtrl, Change::Pages);
    // The page panels stay alive, hidden, so that code still holding their
    // handles keeps working; they go when the host panel is discarded.
    for (int h : removed)
        if (model::Panel* pg = findPanel(h)) {
            pg->visible = false;
            notifyPanel(h);
        }
    return OK;
}

int numTabPages(int panel, int tabCtrl)
{
    const Target t = targetControl("numTabPages", panel, tabCtrl, {Kind::Tab});
    return t ? pageCount(*t.ctrl) : t.status;
}

int tabPagePanel(int panel, int tabCtrl, int index)
{
    const Target t = targetControl("tabPagePanel", panel, tabCtrl, {Kind::Tab});
    if (!t)
        return t.status;
    const model::Control* c = t.ctrl;
    if (index < 0 || index >= pageCount(*c))
        return ERR_ARG;
    return c->pages[static_cast<size_t>(index)].panel;
}

std::string tabPageTitle(int panel, int tabCtrl, int index)
{
    const int h = tabPagePanel(panel, tabCtrl, index);
    const model::Panel* p = h > 0 ? findPanel(h) : nullptr;
    return p ? p->title : std::string();
}

int activeTabPage(int panel, int tabCtrl)
{
    const Target t = targetControl("activeTabPage", panel, tabCtrl, {Kind::Tab});
    return t ? t.ctrl->activePage : t.status;
}

int setActiveTabPage(int panel, int tabCtrl, int index)
{
    const Target t = targetControl("setActiveTabPage", panel, tabCtrl, {Kind::Tab});
    if (!t)
        return t.status;
    model::Control* c = t.ctrl;
    if (index < 0 || index >= pageCount(*c))
        return ERR_ARG;
    c->activePage = index;
    notifyControl(panel, tabCtrl, Change::Pages);
    return OK;
}

} // namespace tk
