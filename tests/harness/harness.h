// Test harness: runs the whole panel program headless on a simulated bench.
//
// One Harness object is one run of the program inside one test:
//
//   #include "tests/harness/harness.h"
//
//   TEST(Exit, NoKeepsRunning) {
//       Harness h;                       // default bench; or Harness h{Bench::empty()}
//       h.chooseFromSelection(0);        // the carrier dialog of start-up: first item
//       h.chooseFromSelection(0);        // then the multimeter the search offers first
//       ASSERT_EQ(h.start(), 0);         // the whole start-up, headless
//       h.press(hMP, MP_EXIT);           // queue the operator's actions ...
//       h.answerConfirm(false);          // ... and the answers to pop-ups
//       EXPECT_EQ(h.run(), Harness::kRunning); // main loop until idle, or its exit code
//       EXPECT_EQ(h.lastPopup().title, "КСИЛ2-4Л");
//   }
//
// What the constructor does: makes a temporary working folder and changes into
// it (the bench's state folder, e.g. the module flashes, lives inside it);
// installs a virtual clock (Delay costs no real time, elapsed() measures it);
// loads the chosen bench; resets the program's globals; points the program at
// the panel resource of the source tree and its machine-wide search path at
// the test's own (setMachineSearchPath()). The destructor shuts the program down
// if it is still running, discards the toolkit, restores the real clock and the
// working folder, and removes the temporary folder.
//
// Panels are addressed by their current handles, the globals of
// p_ksil2/globals.h (hMP, hCP, hPP, hPP5, hABOUT, ...), valid after start();
// controls by the constants of p_ksil2/p_ksil2.h (MP_MSG, PP_AUTO_POV, ...);
// the menu bar by hMenuBar and MENUBAR_* items.
//
// Actions and answers are queued; they happen when the program next pumps
// events: inside start() (e.g. the selection dialog) or run(). Dialogs built
// on first use (the instrument selection) are answered with
// chooseFromSelection / cancelSelection, queued before the call that opens them.
//
// When the program waits for an action the test never queued, or asks a
// question with no scripted answer, start()/run() fail the test with a message
// saying so and return kStuck; nothing hangs.
//
// The driver journal, faults and bench edits are reached through sim/bench.h.
#pragma once

#include "p_ksil2/app.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/p_ksil2.h"
#include "platform/clock.h"
#include "tests/support/temp_dir.h"
#include "toolkit/headless/headless.h"
#include "toolkit/toolkit.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TestSearchPath;

// Which simulated bench the program runs on.
struct Bench {
    enum class Kind { BuiltIn, Json, Empty };
    Kind kind = Kind::BuiltIn;
    std::string json;

    static Bench builtIn() { return {}; }                      // the bench's default set-up
    static Bench fromJson(std::string text) { return {Kind::Json, std::move(text)}; }
    static Bench empty() { return {Kind::Empty, {}}; }         // no instruments at all
};

class Harness {
public:
    static constexpr int kRunning = 1000; // run(): the loop is idle, waiting for the operator
    static constexpr int kStuck = 1001;   // start()/run(): the test failed, see its message

    explicit Harness(Bench bench = Bench::builtIn());
    ~Harness();
    Harness(const Harness&) = delete;
    Harness& operator=(const Harness&) = delete;

    // Start-up (headless). Returns appStart's result (0 or -1), or kStuck.
    int start();
    // Start-up on the Qt backend (QT_QPA_PLATFORM=offscreen in tests): for the
    // few tests that check the real widgets. Actions are then made on the
    // widgets and reach the program through tk::processEvents.
    int startWithQt();
    // Runs the main loop until it is idle (kRunning) or ends; on its end the
    // program is shut down as main() does and its exit code returned.
    int run();
    // Ends this run of the program (shutting it down if it still runs) and
    // prepares a new one, as after closing the program and starting it again:
    // the bench is loaded afresh from its description (instruments added by
    // hand after construction are gone) with the same state folder, so the
    // module flashes survive; globals are reset. Then queue answers and start().
    void restart();
    bool running() const { return state_ == State::Running; }

    // --- the operator's actions (queued) ---
    void press(int panel, int ctrl) { tk::headless::press(panel, ctrl); }
    void setNumber(int panel, int ctrl, double v) { tk::headless::setNumber(panel, ctrl, v); }
    void setText(int panel, int ctrl, std::string_view t) { tk::headless::setText(panel, ctrl, t); }
    void setToggle(int panel, int ctrl, bool on) { tk::headless::setToggle(panel, ctrl, on); }
    void pickItem(int panel, int ctrl, int index) { tk::headless::pickItem(panel, ctrl, index); }
    void doubleClickItem(int panel, int ctrl, int i) { tk::headless::doubleClickItem(panel, ctrl, i); }
    void doubleClickCell(int panel, int ctrl, int row, int col)
    {
        tk::headless::doubleClickCell(panel, ctrl, row, col);
    }
    void typeCell(int panel, int ctrl, int row, int col, double value)
    {
        tk::headless::typeCell(panel, ctrl, row, col, value);
    }
    void closeWindow(int panel) { tk::headless::closeWindow(panel); }
    void changeTab(int panel, int tabCtrl, int index) { tk::headless::changeTab(panel, tabCtrl, index); }
    void chooseMenu(int item) { tk::headless::chooseMenu(hMenuBar, item); }

    // The instrument selection dialog, when it next waits: double-click item
    // `index` of its list, or close its window. Fails the test if, at that
    // moment, the dialog is not open.
    void chooseFromSelection(int index);
    void cancelSelection();

    // --- pop-up answers (queued, used in order) ---
    void answerConfirm(bool yes) { tk::headless::answerConfirm(yes); }
    void answerFile(std::string path, bool isNew = false) { tk::headless::answerFile(std::move(path), isNew); }

    // --- reading the panels ---
    double number(int panel, int ctrl) const { return tk::numValue(panel, ctrl); }
    std::string text(int panel, int ctrl) const { return tk::textValue(panel, ctrl); }
    bool visible(int panel, int ctrl = 0) const { return tk::attr(panel, ctrl, tk::Attr::Visible) != 0; }
    bool dimmed(int panel, int ctrl) const { return tk::attr(panel, ctrl, tk::Attr::Dimmed) != 0; }
    int textColor(int panel, int ctrl) const { return tk::attr(panel, ctrl, tk::Attr::TextColor); }
    std::string title(int panel) const { return tk::attrText(panel, 0, tk::Attr::Title); }
    double cell(int panel, int ctrl, int row, int col) const { return tk::cellNum(panel, ctrl, row, col); }
    std::string cellText(int panel, int ctrl, int row, int col) const
    {
        return tk::cellText(panel, ctrl, row, col);
    }
    int cellColor(int panel, int ctrl, int row, int col) const
    {
        return tk::cellTextColor(panel, ctrl, row, col);
    }
    int rows(int panel, int ctrl) const { return tk::numTableRows(panel, ctrl); }
    std::vector<std::string> listLabels(int panel, int ctrl) const;
    std::vector<int> listValues(int panel, int ctrl) const;
    std::vector<std::string> textBoxLines(int panel, int ctrl) const;
    bool ledOn(int panel, int ctrl) const { return tk::numValue(panel, ctrl) != 0.0; }
    int ledColor(int panel, int ctrl) const { return tk::attr(panel, ctrl, tk::Attr::OnColor); }
    bool menuDimmed(int item) const { return tk::menuItemDimmed(hMenuBar, item); }
    std::vector<std::string> tabTitles() const;

    // --- pop-ups shown so far ---
    const std::vector<tk::headless::PopupRecord>& popups() const { return tk::headless::popups(); }
    // The last pop-up shown (fails the test and returns an empty record if none).
    tk::headless::PopupRecord lastPopup() const;
    void clearPopups() { tk::headless::clearPopups(); }

    // --- time and files ---
    double elapsed() const { return clock_.now() - startTime_; } // virtual seconds since construction
    platform::VirtualClock& clock() { return clock_; }
    const std::filesystem::path& folder() const { return folder_.path(); } // the temporary working folder
    // The history file the program keeps its runs in (KSIL_HISTORY_FILE, set
    // for each harness, in memory where /dev/shm is; KSIL_HISTORY_PG is unset).
    std::filesystem::path historyFile() const;
    // The machine-wide search path the program reads: the test's own (on
    // Linux a file in the temporary folder, on Windows a registry key of the
    // user's), absent until a test sets it (then only the working folder is
    // searched), never the machine's. Entries are separated by
    // platform::kSearchPathSeparator.
    void setMachineSearchPath(const std::string& text);

private:
    enum class State { Fresh, Running, Ended, Failed };
    int guarded(const std::function<int()>& step, const char* what);
    void endRun(); // shuts the program or the toolkit down, whichever is up
    int startWith(bool headless);

    State state_ = State::Fresh;
    Bench bench_;
    std::filesystem::path previousFolder_;
    TempDir folder_;
    std::unique_ptr<TestSearchPath> searchPath_;
    mutable platform::VirtualClock clock_; // now() is not const
    double startTime_ = 0.0;
};
