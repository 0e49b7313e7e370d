// The tab control that hosts panels as pages, and the menu bar's items.
#include "toolkit/core_state.h"

#include <algorithm>

namespace tk {

using namespace detail;

namespace {

model::Control* tabControl(int panel, int ctrl, int& status)
{
    status = OK;
    if (!findPanel(panel)) {
        status = ERR_PANEL;
        return nullptr;
    }
    model::Control* c = findControl(panel, ctrl);
    if (!c || c->kind != Kind::Tab) {
        status = ERR_CONTROL;
        return nullptr;
    }
    return c;
}

int pageCount(const model::Control& c)
{
    return static_cast<int>(c.pages.size());
}

model::MenuItem* menuItem(int menuBar, int item)
{
    model::MenuBar* m = findMenuBar(menuBar);
    if (!m)
        return nullptr;
    for (auto& i : m->items)
        if (i.id == item)
            return &i;
    return nullptr;
}

} // namespace

int convertCanvasToTab(int panel, int canvasCtrl)
{
    model::Panel* p = findPanel(panel);
    if (!p)
        return ERR_PANEL;
    model::Control* c = findControl(*p, canvasCtrl);
    if (!c || c->kind != Kind::Canvas)
        return ERR_CONTROL;
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
    int st;
    model::Control* c = tabControl(panel, tabCtrl, st);
    if (!c)
        return st;
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
    int st;
    model::Control* c = tabControl(panel, tabCtrl, st);
    if (!c)
        return st;
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
    int st;
    const model::Control* c = tabControl(panel, tabCtrl, st);
    return c ? pageCount(*c) : st;
}

int tabPagePanel(int panel, int tabCtrl, int index)
{
    int st;
    const model::Control* c = tabControl(panel, tabCtrl, st);
    if (!c)
        return st;
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
    int st;
    const model::Control* c = tabControl(panel, tabCtrl, st);
    return c ? c->activePage : st;
}

int setActiveTabPage(int panel, int tabCtrl, int index)
{
    int st;
    model::Control* c = tabControl(panel, tabCtrl, st);
    if (!c)
        return st;
    if (index < 0 || index >= pageCount(*c))
        return ERR_ARG;
    c->activePage = index;
    notifyControl(panel, tabCtrl, Change::Pages);
    return OK;
}

// --- menu bar -----------------------------------------------------------------

int setMenuItemDimmed(int menuBar, int item, bool dimmed)
{
    if (!findMenuBar(menuBar))
        return ERR_PANEL;
    model::MenuItem* i = menuItem(menuBar, item);
    if (!i)
        return ERR_CONTROL;
    i->dimmed = dimmed;
    if (Backend* b = state().backend.get())
        b->menuChanged(menuBar, item);
    return OK;
}

bool menuItemDimmed(int menuBar, int item)
{
    const model::MenuItem* i = menuItem(menuBar, item);
    return i && i->dimmed;
}

std::string menuItemText(int menuBar, int item)
{
    const model::MenuItem* i = menuItem(menuBar, item);
    return i ? i->text : std::string();
}

} // namespace tk
