// The menu bar's items: dimming and text.
#include "toolkit/core_state.h"

namespace tk {

using namespace detail;

namespace {

model::MenuItem* menuItem(const char* op, int menuBar, int item, int& status)
{
    model::MenuBar* m = targetMenuBar(op, menuBar, status);
    if (!m)
        return nullptr;
    for (auto& i : m->items)
        if (i.id == item)
            return &i;
    status = ERR_CONTROL;
    if (Backend* b = state().backend.get())
        b->misuse(std::string(op) + ": menu bar " + std::to_string(menuBar) + ", item " + std::to_string(item)
                  + ": no such item");
    return nullptr;
}

} // namespace

int setMenuItemDimmed(int menuBar, int item, bool dimmed)
{
    int status = OK;
    model::MenuItem* i = menuItem("setMenuItemDimmed", menuBar, item, status);
    if (!i)
        return status;
    i->dimmed = dimmed;
    if (Backend* b = state().backend.get())
        b->menuChanged(menuBar, item);
    return OK;
}

bool menuItemDimmed(int menuBar, int item)
{
    int status = OK;
    const model::MenuItem* i = menuItem("menuItemDimmed", menuBar, item, status);
    return i && i->dimmed;
}

std::string menuItemText(int menuBar, int item)
{
    int status = OK;
    const model::MenuItem* i = menuItem("menuItemText", menuBar, item, status);
    return i ? i->text : std::string();
}

} // namespace tk
