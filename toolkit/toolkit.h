// The panel run-time the program is written against: panels and controls
// addressed by integer ids, typed values, attributes, tables, lists, text
// boxes, tab pages, a menu bar, pop-ups, the wait cursor and an event pump.
//
// The core keeps the whole user-interface state in memory (toolkit/model.h)
// and never includes Qt; a backend (toolkit/backend.h) presents it: the Qt
// backend for the program, the headless backend for tests.
//
// Conventions:
//  - panel handles are positive; a failed load returns a negative handle;
//  - control ids are the ids of the panel resource (constants of p_ksil2.h);
//  - table cells are addressed 1-based (row, column), list items 0-based;
//  - colours are 0xRRGGBB;
//  - operations on an unknown panel or control, or on a control of a kind
//    they do not apply to, return a negative status and change nothing (reads
//    return 0 / empty). Such a call is a mistake of the program: the backend
//    is told (logged in debug builds; the headless backend fails the test).
#pragma once

#include <string>
#include <string_view>

namespace tk {

using CtrlCallback = int (*)(int panel, int control, int event, void* callbackData, int eventData1,
                             int eventData2);
using MenuCallback = void (*)(int menuBar, int menuItem, void* callbackData, int panel);

// Event codes passed to callbacks.
inline constexpr int EVENT_COMMIT = 1;
inline constexpr int EVENT_VAL_CHANGED = 2;
inline constexpr int EVENT_LEFT_DOUBLE_CLICK = 4;
inline constexpr int EVENT_CLOSE = 11;
inline constexpr int EVENT_DISCARD = 16;
inline constexpr int EVENT_TAB_CHANGED = 6000; // data: panel handle of the page now shown, index of the page before

// Status codes of the toolkit's own operations.
inline constexpr int OK = 0;
inline constexpr int ERR_PANEL = -1;    // no such panel handle
inline constexpr int ERR_CONTROL = -2;  // no such control on the panel, or not of a kind the operation takes
inline constexpr int ERR_ARG = -3;      // index, row, column or attribute out of range
inline constexpr int ERR_RESOURCE = -4; // resource file missing or malformed

enum class Kind {
    Command, Numeric, String, TextMessage, TextBox, Table, ListBox, Ring,
    BinarySwitch, Toggle, Led, Decoration, Picture, Canvas, Tab
};

// The kind as the panel resource names it ("command", "table", ...).
std::string_view kindName(Kind kind);

enum class DataType { None, Int16, UInt16, Int32, UInt32, Double, String };

enum class Attr {
    Visible,          // int 0/1 (panel or control)
    Dimmed,           // int 0/1 (control)
    LabelText,        // text (control)
    Title,            // text (panel)
    TextColor,        // int colour (control)
    OnColor,          // int colour (LED)
    BackColor,        // int colour (panel; text box: its text background)
    FrameDecoration,  // int 0/1 (panel): window-frame option switched off on MP at start-up
    VisibleLines,     // int (text box): lines shown; setting it resizes the box to show them
                      // (the backend measures: 16 px a line headless, the font's lines on Qt)
    FirstVisibleLine, // int (text box): index of the top line shown; table: 1-based top row
    NumLines,         // int, read only (text box)
    ConstantName,     // text (panel or control)
    Top, Left, Height, Width, // int, pixels (panel or control)
    WindowFrame,      // int 0/1 (panel): the window's title bar and buttons; 0: a bare panel
    DefaultCtrl,      // int (panel): the command button Enter presses, 0 when none
};

inline constexpr int kBlack = 0x000000;
inline constexpr int kRed = 0xFF0000;
inline constexpr int kGreen = 0x00FF00;
inline constexpr int kBlue = 0x0000FF;
inline constexpr int kYellow = 0xFFFF00;
inline constexpr int kGrey = 0xA0A0A0;
inline constexpr int kLightGrey = 0xC0C0C0;
inline constexpr int kWhite = 0xFFFFFF;

inline constexpr int kCentered = -1; // position of a panel built in code: centred on the screen

// --- run-time ---------------------------------------------------------------
// A backend is started by its own function, which the program calls:
// tk::qt::start (toolkit/qt/qt.h) for the program, tk::headless::start
// (toolkit/headless/headless.h) for tests. On failure lastError() says why.
// Discards every panel and menu bar and the backend.
void shutdown();

// Callbacks are named in the resource; the program registers them before loading.
// Loading a resource that names an unregistered callback fails. A name may be
// registered with a null callback: it is known, and its control takes no action.
void registerCallback(std::string_view name, CtrlCallback cb);
void registerMenuCallback(std::string_view name, MenuCallback cb);

// --- panels -----------------------------------------------------------------
// Loads the panel with the given resource id. parent 0 = top-level window.
// Returns the handle, or ERR_RESOURCE (see lastError()).
int loadPanel(int parent, const std::string& file, int resourceId);
// Loads a menu bar onto a panel; returns its handle or ERR_RESOURCE.
int loadMenuBar(int panel, const std::string& file, int resourceId);
// One line naming the file and the problem of the last failed load, or why
// the backend could not start.
const std::string& lastError();

int newPanel(int parent, std::string_view title, int top, int left, int height, int width);
int displayPanel(int panel);
int hidePanel(int panel);
int discardPanel(int panel);
int installPopup(int panel);   // show as a modal pop-up
int removePopup(int all);      // 1: all pop-ups, 0: the top one
int setPanelCallback(int panel, CtrlCallback cb, void* data);
// Closing the window, or Escape in it, acts as a commit of ctrl.
int setPanelCloseCtrl(int panel, int ctrl);
// The program's main window: every other top-level panel is shown over it
// (kept in front of it by the window system; a centred one centred over it).
int setMainPanel(int panel);
// The control that takes the keyboard: at once if its panel is shown, else
// when it is. A panel shown without one gives it to its first control that
// takes input.
int setActiveCtrl(int panel, int ctrl);
int activeCtrl(int panel);
int defaultPanel(int panel); // every control back to its loaded state

// --- controls ---------------------------------------------------------------
int newCtrl(int panel, Kind kind, std::string_view label, int top, int left, int height, int width);
int setCtrlCallback(int panel, int ctrl, CtrlCallback cb, void* data);
int defaultCtrl(int panel, int ctrl); // value, items, rows, cells and colours back to the loaded state

// Values. A numeric the program sets is coerced to the control's data type and
// limits; what the operator types is kept as typed, outside the limits too
// (numericRange tells the program what it may accept).
// Lists and rings: the value is the current item's value; setting a value selects
// the item that has it. Text boxes: the whole text, lines separated by '\n'.
int setValue(int panel, int ctrl, double value);
int setValue(int panel, int ctrl, std::string_view text);
double numValue(int panel, int ctrl);
int intValue(int panel, int ctrl);
std::string textValue(int panel, int ctrl);
// The values a numeric takes: its limits, else the range of its integer data
// type. ERR_ARG for a double without limits: any number.
int numericRange(int panel, int ctrl, double& min, double& max);

int setAttr(int panel, int ctrl, Attr attr, int value);              // ctrl 0: the panel
int setAttr(int panel, int ctrl, Attr attr, std::string_view text);  // ctrl 0: the panel
int attr(int panel, int ctrl, Attr attr);
std::string attrText(int panel, int ctrl, Attr attr);

// --- tables (rows and columns 1-based) ---------------------------------------
int insertTableRows(int panel, int ctrl, int beforeRow /* -1: at the end */, int count);
int deleteTableRows(int panel, int ctrl, int firstRow, int count /* -1: to the end */);
int numTableRows(int panel, int ctrl);
int numTableCols(int panel, int ctrl);
int setCell(int panel, int ctrl, int row, int col, double value);
int setCell(int panel, int ctrl, int row, int col, std::string_view text);
double cellNum(int panel, int ctrl, int row, int col);
std::string cellText(int panel, int ctrl, int row, int col);
int setCellTextColor(int panel, int ctrl, int row, int col, int colour);
int cellTextColor(int panel, int ctrl, int row, int col);
int activeCell(int panel, int ctrl, int& row, int& col);

// --- list boxes and rings (items 0-based) -------------------------------------
int insertListItem(int panel, int ctrl, int index /* -1: at the end */, std::string_view label, int value);
int clearList(int panel, int ctrl);
int numListItems(int panel, int ctrl);
int listIndex(int panel, int ctrl); // -1 when the list is empty
int setListIndex(int panel, int ctrl, int index);
std::string listItemLabel(int panel, int ctrl, int index);
int listItemValue(int panel, int ctrl, int index, int& value);

// --- text boxes ---------------------------------------------------------------
int appendTextBoxLine(int panel, int ctrl, std::string_view line);
// Text colour of one line (0-based), until the text is replaced.
int setTextBoxLineColor(int panel, int ctrl, int index, int colour);
int textBoxLineColor(int panel, int ctrl, int index);
int resetTextBox(int panel, int ctrl, std::string_view text);
int numTextBoxLines(int panel, int ctrl);
std::string textBoxLine(int panel, int ctrl, int index);

// --- tab control ----------------------------------------------------------------
// Replaces a canvas by a tab control in the same place; returns the tab control's id.
int convertCanvasToTab(int panel, int canvasCtrl);
// Loads a panel from the resource as a page of the tab control; returns the page's
// panel handle (the page title is the panel's title) or ERR_RESOURCE.
int loadPanelAsTabPage(int panel, int tabCtrl, int index /* -1: at the end */, const std::string& file,
                       int resourceId);
int deleteTabPage(int panel, int tabCtrl, int index, int count);
int numTabPages(int panel, int tabCtrl);
int tabPagePanel(int panel, int tabCtrl, int index);
std::string tabPageTitle(int panel, int tabCtrl, int index);
int activeTabPage(int panel, int tabCtrl);
int setActiveTabPage(int panel, int tabCtrl, int index);

// --- menu bar -----------------------------------------------------------------
int setMenuItemDimmed(int menuBar, int item, bool dimmed);
bool menuItemDimmed(int menuBar, int item);
std::string menuItemText(int menuBar, int item);

// --- pop-ups and cursor --------------------------------------------------------
void messagePopup(std::string_view title, std::string_view text);
// 1 yes, 0 no. defaultAnswer is what the pop-up offers first (Enter takes it):
// 0 for a question whose careless "yes" would do harm.
int confirmPopup(std::string_view title, std::string_view text, int defaultAnswer = 1);
inline constexpr int FILE_NONE = 0, FILE_EXISTING = 1, FILE_NEW = 2;
// Returns FILE_NONE when cancelled (path unchanged), else FILE_EXISTING / FILE_NEW with the path.
int fileSelectPopup(std::string_view directory, std::string_view defaultName, std::string_view filter,
                    std::string_view title, bool save, std::string& path);
void setWaitCursor(bool on);
bool waitCursor();

// --- event pump -------------------------------------------------------------------
// Processes whatever events are pending and returns; never blocks.
// processEvents: a wait loop of an operation; pollMainLoop: the program's main loop.
void processEvents();
void pollMainLoop();
// Paints every pending change of the display now, without taking any input:
// no callback runs. For a long operation that pumps no events, so that the
// operator sees each result as it arrives.
void processDrawEvents();
// Hands the controls, as they are now, the input the operator made while the
// program pumped no events (a long operation inside one callback): a click
// on a control the operation dimmed is dropped, the rest is queued for the
// next pump. No callback runs. Called before such a control is enabled again,
// so that a click made while it was dimmed cannot reach it once it is not.
void deliverHeldInput();
// While deferred, a backend may keep changes of the controls and show them at
// the next processDrawEvents, event pump or pop-up, or when deferring ends: a
// long operation makes its changes cheaply and has them shown while it waits.
// Nothing else changes: the model holds every change at once.
void setDisplayDeferred(bool on);
bool displayDeferred();

} // namespace tk
