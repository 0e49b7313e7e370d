// The in-memory state of every panel, control and menu bar. The core owns it;
// backends read it (never write it) to present it, and report the operator's
// input back to the core through tk::core (toolkit/backend.h).
#pragma once

#include "toolkit/toolkit.h"

#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace tk::model {

struct ListItem {
    std::string label;
    int value = 0;
};

struct Column {
    std::string label;
    DataType type = DataType::Double; // Double or String
    int precision = -1;               // digits shown after the point; -1: significant digits
};

struct Cell {
    double num = 0.0;
    std::string text;
    int textColor = kBlack;
};

struct TabPage {
    int panel = 0; // panel handle of the page
};

struct Control {
    int id = 0;
    std::string constName;
    Kind kind = Kind::Command;
    std::string label;
    DataType type = DataType::None;

    double num = 0.0;          // numeric, toggle, binary switch, LED state
    std::string text;          // string, text message
    double minValue = 0, maxValue = 0, step = 1;
    bool hasLimits = false;

    bool visible = true;
    bool dimmed = false;
    bool indicator = false;    // shows a value; the operator cannot change it
    int textColor = kBlack;
    int onColor = kGreen;
    int backColor = kWhite;    // text box
    bool monospace = false;
    int precision = -1;        // numeric: digits shown after the point; -1: its significant digits
    int columnsShown = 0;      // text box: its font sized so that this many characters fit a line
    bool stretch = false;      // grows with a panel the operator resizes
    int top = 0, left = 0, height = 0, width = 0;

    // picture: the image file, resolved against the resource's folder at load
    std::string image;

    // list box, ring, binary switch (two items: off, on)
    std::vector<ListItem> items;
    int index = -1;

    // text box
    std::vector<std::string> lines;
    std::map<int, int> lineColors; // line index -> text colour, where set
    int firstVisibleLine = 0;
    int visibleLines = 1;

    // table
    std::string cornerLabel;
    std::vector<Column> columns;
    std::vector<std::string> rowLabels; // empty: rows are numbered
    std::vector<std::vector<Cell>> cells; // [row][col], 0-based in memory
    int activeRow = 1, activeCol = 1;

    // tab control
    std::vector<TabPage> pages;
    int activePage = 0;

    std::string callbackName;
    CtrlCallback callback = nullptr;
    void* callbackData = nullptr;
};

struct Panel {
    int handle = 0;
    int parent = 0;
    int resourceId = 0;
    std::string constName;
    std::string title;
    int top = 0, left = 0, height = 0, width = 0;
    bool visible = false;
    bool popup = false;         // shown by installPopup
    bool frameDecoration = true;
    bool windowFrame = true;    // title bar and window buttons
    bool resizable = false;     // the operator may resize the window; "stretch" controls follow
    bool mainPanel = false;     // the program's main window (tk::setMainPanel)
    int backColor = 0xF0F0F0;
    std::string fontFamily;     // empty: the backend's default
    int hostPanel = 0, hostTab = 0; // set when the panel is a tab page
    int activeCtrl = 0;
    int closeCtrl = 0;
    int defaultCtrl = 0;
    int menuBar = 0;
    std::string callbackName;
    CtrlCallback callback = nullptr;
    void* callbackData = nullptr;
    std::vector<Control> controls;  // in id order (= tab order)
    std::vector<Control> defaults;  // the controls as loaded, for defaultCtrl/defaultPanel
};

struct MenuItem {
    int id = 0;
    std::string constName;
    std::string text;
    bool isMenu = false;    // a top-level menu; its items follow it
    bool separator = false;
    bool dimmed = false;
    std::string callbackName;
    MenuCallback callback = nullptr;
};

struct MenuBar {
    int handle = 0;
    int panel = 0;
    std::vector<MenuItem> items; // display order
};

// Read access for backends and tests. Pointers stay valid until the panel,
// control or menu bar is discarded or the control set of the panel changes.
const Panel* panel(int handle);
const Control* control(int panel, int ctrl);
const MenuBar* menuBar(int handle);
std::vector<int> panelHandles(); // every live panel, in creation order
int topPopup();                  // the modal pop-up on top of the stack, 0 when none

} // namespace tk::model
