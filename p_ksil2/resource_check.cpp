// The loaded panel resource against the controls and menu items the program addresses.
#include "p_ksil2/resource_check.h"

#include "toolkit/model.h"

namespace {

std::string named(const char* what, const std::string& name, int id)
{
    return std::string(what) + " " + name + " (" + std::to_string(id) + ")";
}

std::string shape(int rows, int columns)
{
    const auto count = [](int n) { return n < 0 ? std::string("any") : std::to_string(n); };
    return count(rows) + " rows x " + count(columns) + " columns";
}

// Empty when the control fits what the program needs of it.
std::string misfit(const ExpectedControl& want, const tk::model::Control* got)
{
    const std::string needed = std::string("the program needs a ") + std::string(tk::kindName(want.kind));
    if (!got)
        return "no " + named("control", want.name, want.id) + ": " + needed;
    if (got->kind != want.kind)
        return named("control", want.name, want.id) + " is a " + std::string(tk::kindName(got->kind)) + ": " + needed;
    if (want.kind != tk::Kind::Table)
        return {};
    const int rows = static_cast<int>(got->cells.size());
    const int columns = static_cast<int>(got->columns.size());
    if ((want.rows >= 0 && rows != want.rows) || (want.columns >= 0 && columns != want.columns))
        return named("control", want.name, want.id) + " is a table of " + shape(rows, columns) + ": " + needed +
               " of " + shape(want.rows, want.columns);
    return {};
}

} // namespace

std::string checkResource(const std::function<int(int resourceId)>& panelHandle, int menuBar)
{
    for (const ExpectedControl& want : kExpectedControls) {
        const int handle = panelHandle(want.panel);
        const tk::model::Panel* panel = tk::model::panel(handle);
        const std::string where =
            named("panel", panel ? panel->constName : std::string("?"), want.panel);
        if (!panel)
            return where + ": not loaded";
        if (std::string why = misfit(want, tk::model::control(handle, want.id)); !why.empty())
            return where + ": " + why;
    }
    const tk::model::MenuBar* bar = tk::model::menuBar(menuBar);
    for (const ExpectedMenuItem& want : kExpectedMenuItems) {
        const tk::model::MenuItem* found = nullptr;
        if (bar)
            for (const auto& item : bar->items)
                if (item.id == want.id)
                    found = &item;
        if (!found || found->isMenu || found->separator)
            return "menu bar: no " + named("item", want.name, want.id) + ", which the program dispatches";
    }
    return {};
}
