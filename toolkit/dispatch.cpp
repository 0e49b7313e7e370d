// The operator's input: stored in the model by the backend, queued, and
// dispatched to the callbacks one event at a time when the program pumps.
#include "toolkit/core_state.h"

#include <cmath>

namespace tk {

using namespace detail;

namespace {

void callCtrl(int panel, int ctrl, int event, int d1, int d2)
{
    model::Control* c = findControl(panel, ctrl);
    if (!c || !c->callback)
        return;
    // Copy before calling: the callback may change the control set.
    const CtrlCallback cb = c->callback;
    void* data = c->callbackData;
    cb(panel, ctrl, event, data, d1, d2);
}

void dispatchTabChange(const core::InputEvent& ev)
{
    State& s = state();
    model::Control* c = findControl(ev.panel, ev.ctrl);
    if (!c || c->kind != Kind::Tab)
        return;
    const auto key = std::make_pair(ev.panel, ev.ctrl);
    int old = c->activePage;
    if (auto it = s.pageBeforeChange.find(key); it != s.pageBeforeChange.end()) {
        old = it->second;
        s.pageBeforeChange.erase(it);
    }
    if (ev.a < 0 || ev.a >= static_cast<int>(c->pages.size()))
        return;
    if (c->activePage != ev.a) {
        c->activePage = ev.a;
        notifyControl(ev.panel, ev.ctrl, Change::Pages);
    }
    const int shown = c->pages[static_cast<size_t>(ev.a)].panel;
    callCtrl(ev.panel, ev.ctrl, EVENT_TAB_CHANGED, shown, old);
}

void dispatch(const core::InputEvent& ev)
{
    using T = core::InputEvent::Type;
    switch (ev.type) {
    case T::Commit: {
        // A cell typed into a table: it becomes the active cell, and the
        // callback is told which one (row, column).
        model::Control* c = findControl(ev.panel, ev.ctrl);
        if (c && c->kind == Kind::Table && ev.a > 0) {
            c->activeRow = ev.a;
            c->activeCol = ev.b;
            callCtrl(ev.panel, ev.ctrl, EVENT_COMMIT, ev.a, ev.b);
        } else {
            callCtrl(ev.panel, ev.ctrl, EVENT_COMMIT, 0, 0);
        }
        break;
    }
    case T::DoubleClick: {
        model::Control* c = findControl(ev.panel, ev.ctrl);
        if (!c)
            return;
        if (c->kind == Kind::Table) {
            c->activeRow = ev.a;
            c->activeCol = ev.b;
            callCtrl(ev.panel, ev.ctrl, EVENT_LEFT_DOUBLE_CLICK, ev.a, ev.b);
        } else {
            callCtrl(ev.panel, ev.ctrl, EVENT_LEFT_DOUBLE_CLICK, ev.a, 0);
        }
        break;
    }
    case T::Close: {
        model::Panel* p = findPanel(ev.panel);
        if (!p)
            return;
        const CtrlCallback cb = p->callback;
        void* data = p->callbackData;
        if (cb)
            cb(ev.panel, 0, EVENT_CLOSE, data, 0, 0);
        p = findPanel(ev.panel);
        if (p && p->closeCtrl)
            callCtrl(ev.panel, p->closeCtrl, EVENT_COMMIT, 0, 0);
        break;
    }
    case T::TabChanged:
        dispatchTabChange(ev);
        break;
    case T::Menu: {
        model::MenuBar* m = findMenuBar(ev.panel);
        if (!m)
            return;
        for (const auto& item : m->items) {
            if (item.id == ev.a) {
                const MenuCallback cb = item.callback;
                const int owner = m->panel;
                if (cb)
                    cb(ev.panel, ev.a, nullptr, owner);
                break;
            }
        }
        break;
    }
    }
}

void pumpAndDispatch(bool mainLoop)
{
    State& s = state();
    if (!s.backend)
        return;
    s.backend->pump(mainLoop);
    // One event at a time: a callback may pump again (a wait loop) and take
    // the following events itself.
    while (!s.queue.empty()) {
        const core::InputEvent ev = s.queue.front();
        s.queue.pop_front();
        dispatch(ev);
    }
}

} // namespace

namespace core {

void queue(const InputEvent& ev)
{
    state().queue.push_back(ev);
}

size_t queued()
{
    return state().queue.size();
}

bool parseTypedNumber(std::string_view text, double& value)
{
    return parseNumber(text, value);
}

// The store functions take what a backend saw the operator do; a control
// that has gone meanwhile is no mistake of the program, so nothing is reported.

void storeValue(int panel, int ctrl, double value)
{
    model::Control* c = findControl(panel, ctrl);
    if (!c)
        return;
    switch (c->kind) {
    case Kind::ListBox:
    case Kind::Ring:
    case Kind::BinarySwitch:
        for (size_t i = 0; i < c->items.size(); ++i)
            if (c->items[i].value == static_cast<int>(std::lround(value))) {
                c->index = static_cast<int>(i);
                c->num = c->items[i].value;
                break;
            }
        break;
    case Kind::Toggle:
    case Kind::Led:
        c->num = value != 0.0 ? 1.0 : 0.0;
        break;
    default:
        c->num = typedValue(*c, value);
        break;
    }
}

void storeText(int panel, int ctrl, std::string_view text)
{
    model::Control* c = findControl(panel, ctrl);
    if (!c)
        return;
    if (c->kind == Kind::Numeric) {
        double v = 0;
        if (parseNumber(text, v))
            c->num = typedValue(*c, v);
    } else if (c->kind == Kind::TextBox) {
        c->lines = splitLines(text);
        c->lineColors.clear();
    } else {
        c->text = std::string(text);
    }
}

void storeIndex(int panel, int ctrl, int index)
{
    model::Control* c = findControl(panel, ctrl);
    if (!c || index < 0 || index >= static_cast<int>(c->items.size()))
        return;
    c->index = index;
    c->num = c->items[static_cast<size_t>(index)].value;
}

void storeCell(int panel, int ctrl, int row, int col, double value)
{
    model::Control* c = findControl(panel, ctrl);
    if (!c || row < 1 || row > static_cast<int>(c->cells.size()) || col < 1
        || col > static_cast<int>(c->columns.size()))
        return;
    model::Cell& cell = c->cells[static_cast<size_t>(row - 1)][static_cast<size_t>(col - 1)];
    cell.num = value;
    if (c->columns[static_cast<size_t>(col - 1)].type == DataType::String)
        cell.text = formatNumber(value);
}

void storeActivePage(int panel, int tabCtrl, int index)
{
    model::Control* c = findControl(panel, tabCtrl);
    if (!c || c->kind != Kind::Tab || index < 0 || index >= static_cast<int>(c->pages.size()))
        return;
    state().pageBeforeChange.try_emplace({panel, tabCtrl}, c->activePage);
    c->activePage = index;
}

} // namespace core

void processEvents()
{
    pumpAndDispatch(false);
}

void pollMainLoop()
{
    pumpAndDispatch(true);
}

void processDrawEvents()
{
    if (Backend* b = state().backend.get())
        b->drawPending();
}

void deliverHeldInput()
{
    if (Backend* b = state().backend.get())
        b->deliverHeldInput();
}

} // namespace tk
