// Backend interface: how the core tells a presentation layer what changed,
// and how the presentation layer hands the operator's input to the core.
//
// The core knows no backend by name. A backend starts itself with a function
// of its own (tk::headless::start, tk::qt::start) that builds it and hands it
// to core::install; the program chooses which one to call.
#pragma once

#include "toolkit/model.h"

#include <memory>
#include <string>
#include <string_view>

namespace tk {

// What changed on a control; a and b locate the change where it says so.
enum class Change {
    Everything,   // rebuild the widget from the model
    Value,        // num / text / index
    Attributes,   // visible, dimmed, label, colours, first visible line
    Items,        // list or ring items
    LinesAppended,// text box: lines [a, end) were appended
    Cell,         // table cell (row a, column b), value or colour
    Rows,         // table rows inserted or deleted
    Pages,        // tab pages inserted, removed or activated
    LineColor,    // text box: the colour of line a
};

class Backend {
public:
    virtual ~Backend() = default;

    virtual void panelCreated(int /*panel*/) {}
    virtual void panelDiscarded(int /*panel*/) {}
    virtual void panelChanged(int /*panel*/) {} // title, visibility, popup state, colours
    virtual void controlCreated(int /*panel*/, int /*ctrl*/) {}
    virtual void controlChanged(int /*panel*/, int /*ctrl*/, Change /*what*/, int /*a*/, int /*b*/) {}
    virtual void menuBarCreated(int /*menuBar*/) {}
    virtual void menuChanged(int /*menuBar*/, int /*item*/) {}
    virtual void activeCtrlChanged(int /*panel*/, int /*ctrl*/) {} // the control takes the keyboard focus
    virtual void waitCursorChanged(bool /*on*/) {}
    // Height in pixels a text box needs to show `lines` lines of its text.
    virtual int textBoxHeight(int /*panel*/, int /*ctrl*/, int lines) { return lines * 16; }
    // The program addressed a panel or control that is not there, or one of a
    // kind the operation does not apply to; `what` names the operation, the
    // panel and the control. By default logged on standard error in debug builds.
    virtual void misuse(std::string_view what);

    // Gives the backend a chance to collect input; must not block.
    // mainLoop is true when called from tk::pollMainLoop.
    virtual void pump(bool mainLoop) = 0;
    // Paints pending changes of the display; takes no input. Nothing to do where nothing is painted.
    virtual void drawPending() {}
    // While on, controlChanged may be kept and shown at the next drawPending,
    // pump or pop-up, or when turned off (see tk::setDisplayDeferred).
    virtual void displayDeferred(bool /*on*/) {}
    // Hands the controls, as they are now, the input the window system held
    // while the program pumped no events: a dimmed control drops its part,
    // what the others take is queued. No callback runs. Nothing to do where
    // input reaches the queue at once.
    virtual void deliverHeldInput() {}

    virtual void messagePopup(std::string_view title, std::string_view text) = 0;
    virtual int confirmPopup(std::string_view title, std::string_view text, int defaultAnswer) = 0;
    virtual int fileSelectPopup(std::string_view directory, std::string_view defaultName,
                                std::string_view filter, std::string_view title, bool save,
                                std::string& path) = 0;
};

namespace core {

// Installs a backend (the core owns it) on a fresh, empty model.
void install(std::unique_ptr<Backend> backend);
Backend* backend();
// The line tk::lastError() gives: a backend that cannot start says why here.
void setLastError(std::string text);

// Input from the operator, queued and dispatched by the next pump in order.
struct InputEvent {
    enum class Type {
        Commit,          // command button pressed, value committed (value already stored);
                         // a table cell typed: a = row, b = column
        DoubleClick,     // list item (a = index) or table cell (a = row, b = column)
        Close,           // window close box
        TabChanged,      // a = new page index
        Menu,            // menu item a of menu bar `panel`
    } type = Type::Commit;
    int panel = 0;
    int ctrl = 0;
    int a = 0, b = 0;
};
void queue(const InputEvent& ev);
size_t queued();

// The number a text typed into a numeric field stands for, as storeText reads it.
bool parseTypedNumber(std::string_view text, double& value);

// Store a value the operator entered, without notifying the backend back.
// A numeric keeps the value as typed (see tk::numericRange).
void storeValue(int panel, int ctrl, double value);
void storeText(int panel, int ctrl, std::string_view text);
void storeIndex(int panel, int ctrl, int index);
void storeCell(int panel, int ctrl, int row, int col, double value);
void storeActivePage(int panel, int tabCtrl, int index);

} // namespace core
} // namespace tk
