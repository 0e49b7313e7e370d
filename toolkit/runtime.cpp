// The run-time of the toolkit core: the state object, the backend, the
// callback registries, read access to the model, the input queue and the
// dispatch of input to callbacks, pop-ups and the wait cursor.
#include "toolkit/core_state.h"
#include "toolkit/headless/headless_backend.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tk::detail {

State& state()
{
    static State s;
    return s;
}

std::map<std::string, CtrlCallback, std::less<>>& ctrlCallbacks()
{
    static std::map<std::string, CtrlCallback, std::less<>> m;
    return m;
}

std::map<std::string, MenuCallback, std::less<>>& menuCallbacks()
{
    static std::map<std::string, MenuCallback, std::less<>> m;
    return m;
}

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

double coerce(const model::Control& c, double v)
{
    auto toInt = [&](double lo, double hi) {
        if (std::isnan(v))
            return 0.0;
        return std::clamp(std::round(v), lo, hi);
    };
    switch (c.type) {
    case DataType::Int16: v = toInt(-32768.0, 32767.0); break;
    case DataType::UInt16: v = toInt(0.0, 65535.0); break;
    case DataType::Int32: v = toInt(-2147483648.0, 2147483647.0); break;
    case DataType::UInt32: v = toInt(0.0, 4294967295.0); break;
    default: break;
    }
    if (c.hasLimits && !std::isnan(v))
        v = std::clamp(v, c.minValue, std::max(c.minValue, c.maxValue));
    return v;
}

bool currentItemValue(const model::Control& c, int& value)
{
    if (c.index < 0 || c.index >= static_cast<int>(c.items.size()))
        return false;
    value = c.items[static_cast<size_t>(c.index)].value;
    return true;
}

int visibleLinesFor(int height)
{
    return std::max(1, height / 16);
}

int clampFirstLine(const model::Control& c, int line)
{
    if (c.kind == Kind::Table)
        return std::clamp(line, 1, std::max(1, static_cast<int>(c.cells.size())));
    const int last = std::max(0, static_cast<int>(c.lines.size()) - c.visibleLines);
    return std::clamp(line, 0, last);
}

std::string formatNumber(double v)
{
    char buf[64];
    if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 1e15)
        std::snprintf(buf, sizeof buf, "%.0f", v);
    else
        std::snprintf(buf, sizeof buf, "%.10g", v);
    return buf;
}

bool parseNumber(std::string_view text, double& v)
{
    std::string s(text);
    const char* begin = s.c_str();
    char* end = nullptr;
    const double d = std::strtod(begin, &end);
    if (end == begin)
        return false;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end != '\0')
        return false;
    v = d;
    return true;
}

std::vector<std::string> splitLines(std::string_view text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (true) {
        const size_t nl = text.find('\n', start);
        if (nl == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, nl - start));
        start = nl + 1;
    }
    return lines;
}

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

void dispatch(const core::InputEvent& ev)
{
    using T = core::InputEvent::Type;
    State& s = state();
    switch (ev.type) {
    case T::Commit:
        callCtrl(ev.panel, ev.ctrl, EVENT_COMMIT, 0, 0);
        break;
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
    case T::TabChanged: {
        model::Control* c = findControl(ev.panel, ev.ctrl);
        if (!c || c->kind != Kind::Tab)
            return;
        const auto key = std::make_pair(ev.panel, ev.ctrl);
        int old = c->activePage;
        if (auto it = s.pageBeforeChange.find(key); it != s.pageBeforeChange.end()) {
            old = it->second;
            s.pageBeforeChange.erase(it);
        }
        if (c->activePage != ev.a && ev.a >= 0 && ev.a < static_cast<int>(c->pages.size())) {
            c->activePage = ev.a;
            notifyControl(ev.panel, ev.ctrl, Change::Pages);
        }
        callCtrl(ev.panel, ev.ctrl, EVENT_TAB_CHANGED, ev.a, old);
        break;
    }
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

} // namespace
} // namespace tk::detail

namespace tk {

using namespace detail;

namespace core {

void install(std::unique_ptr<Backend> backend)
{
    discardAll();
    State& s = state();
    s.backend.reset();
    s.panels.clear();
    s.order.clear();
    s.menuBars.clear();
    s.queue.clear();
    s.popups.clear();
    s.pageBeforeChange.clear();
    s.lastError.clear();
    s.waitCursor = false;
    s.backend = std::move(backend);
}

Backend* backend()
{
    return state().backend.get();
}

void queue(const InputEvent& ev)
{
    state().queue.push_back(ev);
}

size_t queued()
{
    return state().queue.size();
}

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
        c->num = coerce(*c, value);
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
            c->num = coerce(*c, v);
    } else if (c->kind == Kind::TextBox) {
        c->lines = splitLines(text);
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

bool initHeadless()
{
    core::install(headless::makeBackend());
    return true;
}

void shutdown()
{
    core::install(nullptr);
}

void registerCallback(std::string_view name, CtrlCallback cb)
{
    ctrlCallbacks()[std::string(name)] = cb;
}

void registerMenuCallback(std::string_view name, MenuCallback cb)
{
    menuCallbacks()[std::string(name)] = cb;
}

const std::string& lastError()
{
    return state().lastError;
}

void messagePopup(std::string_view title, std::string_view text)
{
    if (Backend* b = state().backend.get())
        b->messagePopup(title, text);
}

int confirmPopup(std::string_view title, std::string_view text)
{
    Backend* b = state().backend.get();
    return b ? b->confirmPopup(title, text) : 0;
}

int fileSelectPopup(std::string_view directory, std::string_view defaultName, std::string_view filter,
                    std::string_view title, bool save, std::string& path)
{
    Backend* b = state().backend.get();
    if (!b)
        return FILE_NONE;
    return b->fileSelectPopup(directory, defaultName, filter, title, save, path);
}

void setWaitCursor(bool on)
{
    State& s = state();
    if (s.waitCursor == on)
        return;
    s.waitCursor = on;
    if (s.backend)
        s.backend->waitCursorChanged(on);
}

bool waitCursor()
{
    return state().waitCursor;
}

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

} // namespace tk

namespace tk::model {

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

} // namespace tk::model
