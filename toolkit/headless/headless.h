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
// So is any action on an indicator (a control marked "indicator" in the
// resource): the operator cannot change what it shows.
// A confirm or file pop-up with no scripted answer throws Unanswered.
// A toolkit call on a panel or control that is not there, or of a kind the
// call does not apply to, throws Misuse: it is a mistake of the program (or
// of the test). A test that makes such a call on purpose holds an
// ExpectMisuse while it does.
//
// The script (actions, answers, responders) may be prepared before
// tk::headless::start; tk::shutdown drops what is left of it. start clears the
// pop-up record, which stays readable after tk::shutdown.
#pragma once

#include "toolkit/toolkit.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tk::headless {

struct Starved : std::runtime_error { using std::runtime_error::runtime_error; };
struct MainLoopIdle : std::runtime_error { using std::runtime_error::runtime_error; };
struct Refused : std::runtime_error { using std::runtime_error::runtime_error; };
struct Unanswered : std::runtime_error { using std::runtime_error::runtime_error; };
struct Misuse : std::logic_error { using std::logic_error::logic_error; };

// Installs the headless backend on a fresh model (see tk::core::install).
// Always succeeds.
bool start();

// While one is alive, misuses are counted here instead of thrown.
class ExpectMisuse {
public:
    ExpectMisuse();
    ~ExpectMisuse();
    ExpectMisuse(const ExpectMisuse&) = delete;
    ExpectMisuse& operator=(const ExpectMisuse&) = delete;
    int count() const { return count_; }
    const std::string& last() const { return last_; } // what the last one said

private:
    friend void noteMisuse(std::string_view what);
    ExpectMisuse* outer_;
    int count_ = 0;
    std::string last_;
};

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
    int defaultAnswer = -1; // a confirm pop-up: the answer Enter would give
};
void answerConfirm(bool yes);            // next confirm pop-up answers yes (1) or no (0)
void answerFile(std::string path, bool isNew = false); // next file pop-up; "" cancels
// For runs whose questions cannot be scripted in advance (fault runs): a
// confirm or file pop-up with no scripted answer goes to this answerer instead
// of throwing Unanswered. For a confirm it returns 1 or 0; for a file pop-up it
// sets path and returns a FILE_* value. tk::shutdown drops it.
using Answerer = std::function<int(const PopupRecord& popup, std::string& path)>;
void answerUnscripted(Answerer answerer);
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
