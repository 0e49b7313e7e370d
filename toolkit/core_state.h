// Internal to the toolkit core: the one state object behind toolkit.h and the
// look-up and notification helpers the core's files share. Not for backends.
#pragma once

#include "toolkit/backend.h"
#include "toolkit/model.h"

#include <deque>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tk::detail {

// Everything the core knows while a backend is installed. Installing a
// backend or shutting down starts again from `State{}`, so a new field is
// reset with the others.
struct State {
    std::unique_ptr<Backend> backend;
    std::map<int, std::unique_ptr<model::Panel>> panels;
    std::vector<int> order;                          // panel handles in creation order
    std::map<int, std::unique_ptr<model::MenuBar>> menuBars;
    int nextHandle = 1;
    std::deque<core::InputEvent> queue;
    std::vector<int> popups;                         // modal stack, top last
    std::string lastError;
    bool waitCursor = false;
    bool displayDeferred = false;
    // Page shown before the operator switched tabs, kept until the change is dispatched.
    std::map<std::pair<int, int>, int> pageBeforeChange;
};

State& state();

// Callback registries; they outlive the model, so names may be registered before start.
std::map<std::string, CtrlCallback, std::less<>>& ctrlCallbacks();
std::map<std::string, MenuCallback, std::less<>>& menuCallbacks();

// Plain look-ups: null when absent, nothing reported.
model::Panel* findPanel(int handle);
model::Control* findControl(int panel, int ctrl);
model::Control* findControl(model::Panel& p, int ctrl);
model::MenuBar* findMenuBar(int handle);

// What an operation of toolkit.h addresses. A panel or control that is not
// there, or a control of a kind the operation does not apply to, is the
// program's mistake: the look-up reports it (see reportMisuse) and gives the
// status the operation returns.
struct Target {
    model::Panel* panel = nullptr;
    model::Control* ctrl = nullptr;
    int status = OK;
    explicit operator bool() const { return status == OK; }
};
Target targetPanel(const char* op, int panel);
// Any kind when `kinds` is empty.
Target targetControl(const char* op, int panel, int ctrl, std::initializer_list<Kind> kinds = {});
model::MenuBar* targetMenuBar(const char* op, int menuBar, int& status);
// Reports a programmer error: op on panel/control failed with status.
void reportMisuse(const char* op, int panel, int ctrl, int status, const char* why);

void notifyPanel(int panel);
void notifyControl(int panel, int ctrl, Change what, int a = 0, int b = 0);

// Adds a panel to the model and tells the backend; returns its handle.
int addPanel(std::unique_ptr<model::Panel> p);
int addMenuBar(std::unique_ptr<model::MenuBar> m);

// A value the program sets, coerced to the control's data type and limits.
double coerce(const model::Control& c, double v);
// A value the operator typed: kept as typed (an integer control rounds it), so
// that the program sees a value outside the limits and refuses it with its
// reason instead of working on one the operator did not type.
double typedValue(const model::Control& c, double v);
// The range of an integer data type; false for the others.
bool typeRange(DataType type, double& lo, double& hi);
// Value of a list, ring or binary switch: the current item's value.
bool currentItemValue(const model::Control& c, int& value);
int visibleLinesFor(int height);
int clampFirstLine(const model::Control& c, int line);

// Loads one panel of a resource file into a fresh Panel (not yet in the model).
// Returns nullptr and sets lastError on failure.
std::unique_ptr<model::Panel> readPanel(const std::string& file, int resourceId);
std::unique_ptr<model::MenuBar> readMenuBar(const std::string& file, int resourceId);

// Number text: what a numeric or a cell shows, and what the operator typed.
std::string formatNumber(double v);
bool parseNumber(std::string_view text, double& v);
// Text-box lines.
std::vector<std::string> splitLines(std::string_view text);
std::string joinLines(const std::vector<std::string>& lines);

// Discards a panel, its child panels and its menu bar, sending EVENT_DISCARD first.
void discard(int handle);
// Discards every panel and menu bar.
void discardAll();

// Unsets the popup state of panels removed from the modal stack.
void dropFromPopupStack(int panel);

} // namespace tk::detail
