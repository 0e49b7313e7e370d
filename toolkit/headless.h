// Headless backend for tests: an event queue the test fills with the
// operator's actions, a scripted answerer for pop-ups with a record of every
// pop-up shown, and a guard against wait loops that would hang.
//
// Every action is queued and runs when the program next pumps events
// (tk::processEvents or tk::pollMainLoop), in the order queued.
//
// Guard: when a pump finds the queue empty,
//  - tk::pollMainLoop throws MainLoopIdle: the program is idle, waiting for
//    the operator (the harness catches it and returns to the test);
//  - tk::processEvents throws Starved: an operation waits for an answer the
//    test never queued; the test fails instead of hanging.
// An action on a hidden or dimmed control, on a hidden panel or a tab page not
// on top (changeTab first, as the operator would), or on any panel
// but the top one while modal pop-ups are installed (tk::installPopup), throws
// Refused when it is dispatched: the operator could not have done it.
// A confirm or file pop-up with no scripted answer throws Unanswered.
//
// The script (actions, answers, responders) may be prepared before tk::initHeadless;
// tk::shutdown drops what is left of it. tk::initHeadless clears the pop-up record,
// which stays readable after tk::shutdown.
#pragma once

#include "toolkit/toolkit.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tk::headless {

struct Starved : std::runtime_error { using std::runtime_error::runtime_error; };
struct MainLoopIdle : std::runtime_error { using std::runtime_error::runtime_error; };
struct Refused : std::runtime_error { using std::runtime_error::runtime_error; };
struct Unanswered : std::runtime_error { using std::runtime_error::runtime_error; };

// --- the operator's actions -------------------------------------------------
void press(int panel, int ctrl);                       // command button, or commit of any control
void setNumber(int panel, int ctrl, double value);     // type a number and commit
void setText(int panel, int ctrl, std::string_view text); // type a text and commit
void setToggle(int panel, int ctrl, bool on);          // toggle / binary switch, commit
void pickItem(int panel, int ctrl, int index);         // list or ring: select and commit
void doubleClickItem(int panel, int ctrl, int index);  // list: select and double-click
void doubleClickCell(int panel, int ctrl, int row, int col); // table, 1-based
void closeWindow(int panel);                           // the window's close box
void changeTab(int panel, int tabCtrl, int index);     // pick a tab page
void chooseMenu(int menuBar, int item);                // menu item

// --- pop-ups -------------------------------------------------------------------
enum class PopupKind { Message, Confirm, FileSelect };
struct PopupRecord {
    PopupKind kind;
    std::string title;
    std::string text;
};
void answerConfirm(bool yes);            // next confirm pop-up answers yes (1) or no (0)
void answerFile(std::string path, bool isNew = false); // next file pop-up; "" cancels
const std::vector<PopupRecord>& popups();
void clearPopups();
size_t pendingAnswers();

size_t pendingActions();
void clearActions();

// For wait loops on a panel the test cannot name in advance (a dialog built on
// first use): when a pump finds the queue empty, the oldest responder is taken
// off the list and called before the guard applies; it may queue actions.
void respondWhenIdle(std::function<void()> responder);
size_t pendingResponders();

} // namespace tk::headless
