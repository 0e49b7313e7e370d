// List boxes and rings: their items and the current item.
#include "toolkit/core_state.h"

namespace tk {

using namespace detail;

namespace detail {

bool currentItemValue(const model::Control& c, int& value)
{
    if (c.index < 0 || c.index >= static_cast<int>(c.items.size()))
        return false;
    value = c.items[static_cast<size_t>(c.index)].value;
    return true;
}

} // namespace detail

int insertListItem(int panel, int ctrl, int index, std::string_view label, int value)
{
    const Target t = targetControl("insertListItem", panel, ctrl, {Kind::ListBox, Kind::Ring});
    model::Control* c = t.ctrl;
    if (!c)
        return t.status;
    const int n = static_cast<int>(c->items.size());
    if (index == -1)
        index = n;
    if (index < 0 || index > n)
        return ERR_ARG;
    c->items.insert(c->items.begin() + index, model::ListItem{std::string(label), value});
    if (c->index < 0)
        c->index = 0;
    else if (index <= c->index)
        ++c->index; // the current item stays current
    int v = 0;
    if (currentItemValue(*c, v))
        c->num = v;
    notifyControl(panel, ctrl, Change::Items);
    return OK;
}

int clearList(int panel, int ctrl)
{
    const Target t = targetControl("clearList", panel, ctrl, {Kind::ListBox, Kind::Ring});
    model::Control* c = t.ctrl;
    if (!c)
        return t.status;
    c->items.clear();
    c->index = -1;
    c->num = 0;
    notifyControl(panel, ctrl, Change::Items);
    return OK;
}

int numListItems(int panel, int ctrl)
{
    const Target t = targetControl("numListItems", panel, ctrl, {Kind::ListBox, Kind::Ring, Kind::BinarySwitch});
    const model::Control* c = t.ctrl;
    return c ? static_cast<int>(c->items.size()) : t.status;
}

int listIndex(int panel, int ctrl)
{
    const Target t = targetControl("listIndex", panel, ctrl, {Kind::ListBox, Kind::Ring, Kind::BinarySwitch});
    const model::Control* c = t.ctrl;
    if (!c)
        return t.status;
    return c->items.empty() ? -1 : c->index;
}

int setListIndex(int panel, int ctrl, int index)
{
    const Target t = targetControl("setListIndex", panel, ctrl, {Kind::ListBox, Kind::Ring, Kind::BinarySwitch});
    model::Control* c = t.ctrl;
    if (!c)
        return t.status;
    if (index < 0 || index >= static_cast<int>(c->items.size()))
        return ERR_ARG;
    c->index = index;
    c->num = c->items[static_cast<size_t>(index)].value;
    notifyControl(panel, ctrl, Change::Value);
    return OK;
}

std::string listItemLabel(int panel, int ctrl, int index)
{
    const Target t = targetControl("listItemLabel", panel, ctrl, {Kind::ListBox, Kind::Ring, Kind::BinarySwitch});
    const model::Control* c = t.ctrl;
    if (!c || index < 0 || index >= static_cast<int>(c->items.size()))
        return {};
    return c->items[static_cast<size_t>(index)].label;
}

int listItemValue(int panel, int ctrl, int index, int& value)
{
    const Target t = targetControl("listItemValue", panel, ctrl, {Kind::ListBox, Kind::Ring, Kind::BinarySwitch});
    const model::Control* c = t.ctrl;
    if (!c)
        return t.status;
    if (index < 0 || index >= static_cast<int>(c->items.size()))
        return ERR_ARG;
    value = c->items[static_cast<size_t>(index)].value;
    return OK;
}

} // namespace tk
