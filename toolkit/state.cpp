// The state of the toolkit core: the one State object, the backend installed
// on it, panels and menu bars entering the model, and the change notices the
// backend receives.
#include "toolkit/core_state.h"

namespace tk::detail {

State& state()
{
    static State s;
    return s;
}

void notifyPanel(int panel)
{
    if (Backend* b = state().backend.get())
        b->panelChanged(panel);
}

void notifyControl(int panel, int ctrl, Change what, int a, int b)
{
    if (Backend* be = state().backend.get())
        be->controlChanged(panel, ctrl, what, a, b);
}

int addPanel(std::unique_ptr<model::Panel> p)
{
    State& s = state();
    const int h = s.nextHandle++;
    p->handle = h;
    s.panels[h] = std::move(p);
    s.order.push_back(h);
    if (s.backend)
        s.backend->panelCreated(h);
    return h;
}

int addMenuBar(std::unique_ptr<model::MenuBar> m)
{
    State& s = state();
    const int h = s.nextHandle++;
    m->handle = h;
    s.menuBars[h] = std::move(m);
    if (s.backend)
        s.backend->menuBarCreated(h);
    return h;
}

void discardAll()
{
    State& s = state();
    // Top-level panels first; their children go with them.
    while (!s.order.empty()) {
        int h = s.order.front();
        while (const model::Panel* p = findPanel(h)) {
            const int up = p->hostPanel ? p->hostPanel : p->parent;
            if (!up || !findPanel(up))
                break;
            h = up;
        }
        discard(h);
    }
    s.menuBars.clear();
}

} // namespace tk::detail

namespace tk {

namespace core {

void install(std::unique_ptr<Backend> backend)
{
    // The panels go while the old backend still presents them; then every
    // field starts afresh, and the old backend goes with the old state.
    detail::discardAll();
    detail::state() = detail::State{};
    detail::state().backend = std::move(backend);
}

Backend* backend()
{
    return detail::state().backend.get();
}

void setLastError(std::string text)
{
    detail::state().lastError = std::move(text);
}

} // namespace core

void shutdown()
{
    core::install(nullptr);
}

const std::string& lastError()
{
    return detail::state().lastError;
}

} // namespace tk
