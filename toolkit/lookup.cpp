// Look-ups in the model: plain ones for the core's own use, and the ones the
// operations of toolkit.h make on what the program addresses, which report a
// wrong panel, control or kind as the programmer error it is. Also the
// read-only access backends and tests have to the model.
#include "toolkit/core_state.h"

#include <algorithm>
#include <cstdio>

namespace tk {

void Backend::misuse(std::string_view what)
{
#ifndef NDEBUG
    std::fprintf(stderr, "toolkit: %.*s\n", static_cast<int>(what.size()), what.data());
#else
    (void)what;
#endif
}

namespace detail {

model::Panel* findPanel(int handle)
{
    auto& panels = state().panels;
    auto it = panels.find(handle);
    return it == panels.end() ? nullptr : it->second.get();
}

model::Control* findControl(model::Panel& p, int ctrl)
{
    for (auto& c : p.controls)
        if (c.id == ctrl)
            return &c;
    return nullptr;
}

model::Control* findControl(int panel, int ctrl)
{
    model::Panel* p = findPanel(panel);
    return p ? findControl(*p, ctrl) : nullptr;
}

model::MenuBar* findMenuBar(int handle)
{
    auto& bars = state().menuBars;
    auto it = bars.find(handle);
    return it == bars.end() ? nullptr : it->second.get();
}

namespace {

std::string describe(int handle, const std::string& constName)
{
    std::string s = std::to_string(handle);
    if (!constName.empty())
        s += " (" + constName + ")";
    return s;
}

} // namespace

void reportMisuse(const char* op, int panel, int ctrl, int status, const char* why)
{
    std::string what = std::string(op) + ": panel ";
    const model::Panel* p = findPanel(panel);
    what += describe(panel, p ? p->constName : std::string());
    if (ctrl != 0) {
        const model::Control* c = p ? findControl(panel, ctrl) : nullptr;
        what += ", control " + describe(ctrl, c ? c->constName : std::string());
    }
    what += ": ";
    what += why;
    what += " (status " + std::to_string(status) + ")";
    if (Backend* b = state().backend.get())
        b->misuse(what);
}

Target targetPanel(const char* op, int panel)
{
    Target t;
    t.panel = findPanel(panel);
    if (!t.panel) {
        t.status = ERR_PANEL;
        reportMisuse(op, panel, 0, t.status, "no such panel");
    }
    return t;
}

Target targetControl(const char* op, int panel, int ctrl, std::initializer_list<Kind> kinds)
{
    Target t = targetPanel(op, panel);
    if (!t)
        return t;
    t.ctrl = findControl(*t.panel, ctrl);
    if (!t.ctrl) {
        t.status = ERR_CONTROL;
        reportMisuse(op, panel, ctrl, t.status, "no such control");
        return t;
    }
    if (kinds.size() != 0 && std::find(kinds.begin(), kinds.end(), t.ctrl->kind) == kinds.end()) {
        t.status = ERR_CONTROL;
        reportMisuse(op, panel, ctrl, t.status, "the operation does not apply to a control of this kind");
        t.ctrl = nullptr;
    }
    return t;
}

model::MenuBar* targetMenuBar(const char* op, int menuBar, int& status)
{
    model::MenuBar* m = findMenuBar(menuBar);
    status = m ? OK : ERR_PANEL;
    if (!m) {
        std::string what = std::string(op) + ": menu bar " + std::to_string(menuBar) + ": no such menu bar";
        if (Backend* b = state().backend.get())
            b->misuse(what);
    }
    return m;
}

} // namespace detail

namespace model {

const Panel* panel(int handle)
{
    return detail::findPanel(handle);
}

const Control* control(int panel, int ctrl)
{
    return detail::findControl(panel, ctrl);
}

const MenuBar* menuBar(int handle)
{
    return detail::findMenuBar(handle);
}

std::vector<int> panelHandles()
{
    return detail::state().order;
}

int topPopup()
{
    const auto& stack = detail::state().popups;
    return stack.empty() ? 0 : stack.back();
}

} // namespace model
} // namespace tk
