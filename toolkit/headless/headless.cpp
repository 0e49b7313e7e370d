// The headless backend: the operator's actions come from a script the test
// fills, pop-ups are recorded and answered from a script, a pump that finds
// nothing to do throws instead of letting a wait loop spin for ever, and a
// toolkit call the program cannot mean fails the test.
//
// The script (actions, answers, idle responders) is kept apart from the
// backend so that a test can prepare it before the program starts; it is
// emptied when the backend goes (tk::shutdown). The pop-up record is emptied
// when a headless backend is installed and stays readable after shutdown.
#include "toolkit/headless/headless.h"

#include "toolkit/backend.h"
#include "toolkit/model.h"

#include <deque>
#include <variant>

namespace tk::headless {

// Counts a misuse in the innermost ExpectMisuse, or throws Misuse.
void noteMisuse(std::string_view what);

namespace {

struct Action {
    enum class Type { Press, Number, Text, Toggle, Pick, DoubleClickItem, DoubleClickCell, Close, Tab, Menu };
    Type type;
    int panel = 0, ctrl = 0, a = 0, b = 0;
    double number = 0;
    std::string text;
};

struct ConfirmAnswer {
    bool yes;
};
struct FileAnswer {
    std::string path;
    bool isNew;
};

struct Script {
    std::deque<Action> actions;
    std::deque<std::variant<ConfirmAnswer, FileAnswer>> answers;
    std::deque<std::function<void()>> responders;
    Answerer unscripted;
    std::vector<PopupRecord> popups;
};

Script& script()
{
    static Script s;
    return s;
}

std::string where(int panel, int ctrl)
{
    std::string s = "panel " + std::to_string(panel);
    if (const model::Panel* p = model::panel(panel); p && !p->constName.empty())
        s += " (" + p->constName + ")";
    if (ctrl) {
        s += ", control " + std::to_string(ctrl);
        if (const model::Control* c = model::control(panel, ctrl); c && !c->constName.empty())
            s += " (" + c->constName + ")";
    }
    return s;
}

// Only the page on top of its tab control can be seen and used.
bool isActivePageOf(const model::Panel& page)
{
    const model::Control* tab = model::control(page.hostPanel, page.hostTab);
    if (!tab || tab->activePage < 0 || tab->activePage >= static_cast<int>(tab->pages.size()))
        return false;
    return tab->pages[static_cast<size_t>(tab->activePage)].panel == page.handle;
}

// Whether the operator can see the panel at all.
bool panelShown(int handle)
{
    const model::Panel* p = model::panel(handle);
    if (!p)
        return false;
    if (p->hostPanel)
        return isActivePageOf(*p) && panelShown(p->hostPanel);
    if (!p->visible)
        return false;
    return p->parent == 0 || panelShown(p->parent);
}

// Whether the panel is `outer` or lies on it (a tab page or a child panel).
bool partOf(int panel, int outer)
{
    for (const model::Panel* p = model::panel(panel); p; ) {
        if (p->handle == outer)
            return true;
        const int up = p->hostPanel ? p->hostPanel : p->parent;
        p = up ? model::panel(up) : nullptr;
    }
    return false;
}

void requirePanel(int panel)
{
    if (!model::panel(panel))
        throw Refused("no such panel: " + where(panel, 0));
    if (!panelShown(panel))
        throw Refused("the panel is not shown: " + where(panel, 0));
    // A modal pop-up takes all input until it is removed.
    if (const int top = model::topPopup(); top && !partOf(panel, top))
        throw Refused("a modal pop-up (" + where(top, 0) + ") holds the input: " + where(panel, 0));
}

const model::Control& requireControl(int panel, int ctrl)
{
    requirePanel(panel);
    const model::Control* c = model::control(panel, ctrl);
    if (!c)
        throw Refused("no such control: " + where(panel, ctrl));
    if (!c->visible)
        throw Refused("the control is hidden: " + where(panel, ctrl));
    if (c->dimmed)
        throw Refused("the control is dimmed: " + where(panel, ctrl));
    if (c->indicator)
        throw Refused("the control is an indicator: " + where(panel, ctrl));
    return *c;
}

void requireIndex(const model::Control& c, int index, int panel)
{
    if (index < 0 || index >= static_cast<int>(c.items.size()))
        throw Refused("no item " + std::to_string(index) + " in " + where(panel, c.id));
}

// Turns one scripted action into what the operator's input does: the value
// goes into the model, the event into the core's queue.
void perform(const Action& act)
{
    using T = Action::Type;
    using E = core::InputEvent::Type;
    if (act.type == T::Menu) {
        const model::MenuBar* m = model::menuBar(act.panel);
        if (!m)
            throw Refused("no such menu bar: " + std::to_string(act.panel));
        requirePanel(m->panel);
        const model::MenuItem* item = nullptr;
        for (const auto& i : m->items)
            if (i.id == act.a)
                item = &i;
        if (!item || item->isMenu || item->separator)
            throw Refused("no menu item " + std::to_string(act.a) + " to choose");
        if (item->dimmed)
            throw Refused("the menu item is dimmed: " + std::to_string(act.a) + " " + item->constName);
        core::queue({E::Menu, act.panel, 0, act.a, 0});
        return;
    }
    if (act.type == T::Close) {
        requirePanel(act.panel);
        core::queue({E::Close, act.panel, 0, 0, 0});
        return;
    }
    const model::Control& c = requireControl(act.panel, act.ctrl);
    switch (act.type) {
    case T::Press: break;
    case T::Number: core::storeValue(act.panel, act.ctrl, act.number); break;
    case T::Text: core::storeText(act.panel, act.ctrl, act.text); break;
    case T::Toggle:
        if (c.kind == Kind::BinarySwitch)
            core::storeIndex(act.panel, act.ctrl, act.a);
        else
            core::storeValue(act.panel, act.ctrl, act.a);
        break;
    case T::Pick: requireIndex(c, act.a, act.panel); core::storeIndex(act.panel, act.ctrl, act.a); break;
    case T::DoubleClickItem:
        requireIndex(c, act.a, act.panel);
        core::storeIndex(act.panel, act.ctrl, act.a);
        core::queue({E::DoubleClick, act.panel, act.ctrl, act.a, 0});
        return;
    case T::DoubleClickCell:
        if (c.kind != Kind::Table || act.a < 1 || act.a > static_cast<int>(c.cells.size()) || act.b < 1
            || act.b > static_cast<int>(c.columns.size()))
            throw Refused("no cell (" + std::to_string(act.a) + ", " + std::to_string(act.b) + ") in "
                          + where(act.panel, act.ctrl));
        core::queue({E::DoubleClick, act.panel, act.ctrl, act.a, act.b});
        return;
    case T::Tab:
        if (c.kind != Kind::Tab || act.a < 0 || act.a >= static_cast<int>(c.pages.size()))
            throw Refused("no tab page " + std::to_string(act.a) + " in " + where(act.panel, act.ctrl));
        core::storeActivePage(act.panel, act.ctrl, act.a);
        core::queue({E::TabChanged, act.panel, act.ctrl, act.a, 0});
        return;
    default: break;
    }
    core::queue({E::Commit, act.panel, act.ctrl, 0, 0});
}

ExpectMisuse*& expected()
{
    static ExpectMisuse* innermost = nullptr;
    return innermost;
}

class HeadlessBackend final : public Backend {
public:
    HeadlessBackend() { script().popups.clear(); }
    ~HeadlessBackend() override
    {
        Script& s = script();
        s.actions.clear();
        s.answers.clear();
        s.responders.clear();
        s.unscripted = nullptr;
    }

    void pump(bool mainLoop) override
    {
        if (core::queued() > 0)
            return;
        Script& s = script();
        if (s.actions.empty() && !s.responders.empty()) {
            auto responder = std::move(s.responders.front());
            s.responders.pop_front();
            responder();
        }
        if (s.actions.empty()) {
            if (mainLoop)
                throw MainLoopIdle("the program waits for the operator");
            throw Starved("an operation pumps events, and no action is queued for it");
        }
        // One action per pump, so that a wait loop sees each action's effect before the next.
        const Action act = std::move(s.actions.front());
        s.actions.pop_front();
        perform(act);
    }

    void misuse(std::string_view what) override { noteMisuse(what); }

    void messagePopup(std::string_view title, std::string_view text) override
    {
        script().popups.push_back({PopupKind::Message, std::string(title), std::string(text)});
    }

    int confirmPopup(std::string_view title, std::string_view text, int defaultAnswer) override
    {
        Script& s = script();
        s.popups.push_back({PopupKind::Confirm, std::string(title), std::string(text), defaultAnswer});
        const bool scripted = !s.answers.empty() && std::holds_alternative<ConfirmAnswer>(s.answers.front());
        if (!scripted && s.unscripted) {
            std::string unused;
            return s.unscripted(s.popups.back(), unused) ? 1 : 0;
        }
        if (!scripted)
            throw Unanswered("no scripted answer for the question \"" + std::string(title) + "\": \""
                             + std::string(text) + "\"");
        const bool yes = std::get<ConfirmAnswer>(s.answers.front()).yes;
        s.answers.pop_front();
        return yes ? 1 : 0;
    }

    int fileSelectPopup(std::string_view directory, std::string_view defaultName, std::string_view filter,
                        std::string_view title, bool save, std::string& path) override
    {
        Script& s = script();
        s.popups.push_back({PopupKind::FileSelect, std::string(title), std::string(defaultName)});
        const bool scripted = !s.answers.empty() && std::holds_alternative<FileAnswer>(s.answers.front());
        if (!scripted && s.unscripted)
            return s.unscripted(s.popups.back(), path);
        if (!scripted)
            throw Unanswered("no scripted file for the file pop-up \"" + std::string(title) + "\"");
        FileAnswer a = std::get<FileAnswer>(std::move(s.answers.front()));
        s.answers.pop_front();
        if (a.path.empty())
            return FILE_NONE; // path unchanged, as the Qt dialog leaves it
        path = a.path;
        return a.isNew ? FILE_NEW : FILE_EXISTING;
    }
};

void add(Action a)
{
    script().actions.push_back(std::move(a));
}

} // namespace

void noteMisuse(std::string_view what)
{
    ExpectMisuse* scope = expected();
    if (!scope)
        throw Misuse("toolkit call the program cannot mean: " + std::string(what));
    ++scope->count_;
    scope->last_ = std::string(what);
}

ExpectMisuse::ExpectMisuse() : outer_(expected())
{
    expected() = this;
}

ExpectMisuse::~ExpectMisuse()
{
    expected() = outer_;
}

bool start()
{
    core::install(std::make_unique<HeadlessBackend>());
    return true;
}

using T = Action::Type;

namespace {
void add(T type, int panel, int ctrl = 0, int a = 0, int b = 0, double number = 0, std::string text = {})
{
    add(Action{type, panel, ctrl, a, b, number, std::move(text)});
}
} // namespace

void press(int panel, int ctrl) { add(T::Press, panel, ctrl); }
void setNumber(int panel, int ctrl, double value) { add(T::Number, panel, ctrl, 0, 0, value); }
void setText(int panel, int ctrl, std::string_view text) { add(T::Text, panel, ctrl, 0, 0, 0, std::string(text)); }
void setToggle(int panel, int ctrl, bool on) { add(T::Toggle, panel, ctrl, on ? 1 : 0); }
void pickItem(int panel, int ctrl, int index) { add(T::Pick, panel, ctrl, index); }
void doubleClickItem(int panel, int ctrl, int index) { add(T::DoubleClickItem, panel, ctrl, index); }
void doubleClickCell(int panel, int ctrl, int row, int col) { add(T::DoubleClickCell, panel, ctrl, row, col); }
void closeWindow(int panel) { add(T::Close, panel); }
void changeTab(int panel, int tabCtrl, int index) { add(T::Tab, panel, tabCtrl, index); }
void chooseMenu(int menuBar, int item) { add(T::Menu, menuBar, 0, item); }

void answerConfirm(bool yes) { script().answers.emplace_back(ConfirmAnswer{yes}); }
void answerFile(std::string path, bool isNew) { script().answers.emplace_back(FileAnswer{std::move(path), isNew}); }
void answerUnscripted(Answerer answerer) { script().unscripted = std::move(answerer); }
const std::vector<PopupRecord>& popups() { return script().popups; }
void clearPopups() { script().popups.clear(); }
size_t pendingAnswers() { return script().answers.size(); }

size_t pendingActions() { return script().actions.size(); }
void clearActions() { script().actions.clear(); }

void respondWhenIdle(std::function<void()> responder) { script().responders.push_back(std::move(responder)); }
size_t pendingResponders() { return script().responders.size(); }

} // namespace tk::headless
