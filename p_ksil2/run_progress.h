// Where an automatic run is, on the page that shows its results: the channel,
// the step of the channel, and how many measurements and about how much time
// are left. Set before each measurement and painted in the settling wait that
// follows it, with the results (run_paint.h).
#pragma once

#include <string>

class RunProgress {
public:
    // panel, ctrl: the text message that shows it; total: the run's measurements;
    // afterChannel: what follows "Канал c" (a line break where the page is narrow).
    RunProgress(int panel, int ctrl, int total, const char* afterChannel = ": ");
    // Measurement `done` + 1 is next: on `channel`, step `step` of `steps`,
    // named by `unit` ("точка", "ступень") or, for step 0, by `unit` alone ("R0").
    void next(int channel, const char* unit, int step, int steps);
    // One measurement was made (or given up).
    void measured();
    int done() const { return done_; }
    // The run is over: its closing text replaces the progress.
    void end(const std::string& text);

private:
    int panel_;
    int ctrl_;
    int total_;
    const char* afterChannel_;
    int done_ = 0;
    double start_;
};

// A control or menu item dimmed for the length of a scope: what starts a run
// while the run goes. At the end of the scope the input the operator made
// meanwhile is delivered first, so that a click on it while it was dimmed is
// dropped rather than starting the run again; then it is as it was before.
class DimmedWhileRunning {
public:
    struct MenuItem {
        int menuBar;
        int item;
    };
    DimmedWhileRunning(int panel, int ctrl);
    explicit DimmedWhileRunning(MenuItem item);
    ~DimmedWhileRunning();
    DimmedWhileRunning(const DimmedWhileRunning&) = delete;
    DimmedWhileRunning& operator=(const DimmedWhileRunning&) = delete;

private:
    void set(bool dimmed) const;

    bool menu_;
    int owner_; // the panel, or the menu bar
    int id_;    // the control, or the menu item
    bool before_;
};

// "1 ячейка", "2 ячейки", "5 ячеек": a count with the word's form that goes with it.
std::string countText(int n, const char* one, const char* few, const char* many);
// About how long `seconds` is, as the operator reads it: "около 4 с", "около 2 мин 10 с".
std::string timeLeftText(double seconds);
