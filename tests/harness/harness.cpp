#include "tests/harness/harness.h"

#if defined(KSIL_WITH_QT)
#include "history/config.h"
#include <cstdlib>
#include <unistd.h>
#endif

#include "p_ksil2/reset.h"
#include "platform/process.h"
#include "tests/support/machine_search_path.h"
#include "si/select.h"
#include "sim/bench.h"
#if defined(KSIL_WITH_QT)
#include "toolkit/qt/qt.h"
#endif

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <system_error>

namespace {

void loadBench(const Bench& bench, const std::filesystem::path& stateDir)
{
    sim::reset();
    sim::setStateDir(stateDir.string());
    std::string error;
    bool ok = true;
    switch (bench.kind) {
    case Bench::Kind::BuiltIn: ok = sim::loadDefault(&error); break;
    case Bench::Kind::Json: ok = sim::loadJson(bench.json, &error); break;
    case Bench::Kind::Empty: ok = sim::loadJson("{}", &error); break;
    }
    if (!ok)
        ADD_FAILURE() << "bench not loaded: " << error;
}

} // namespace

Harness::Harness(Bench bench) : bench_(std::move(bench))
{
    previousFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
    platform::setClock(&clock_);
    startTime_ = clock_.now();
    std::filesystem::create_directories(folder_.path() / "bench-state");
    searchPath_ = std::make_unique<TestSearchPath>(folder_.path());
    loadBench(bench_, folder_.path() / "bench-state");
    resetProgramState();
    setResourceDir(KSIL_RESOURCE_DIR);
    // Every test keeps its own history and no lab server unless it names one.
    // The file lies in memory where the system offers a folder there: each
    // stored run waits for the disk otherwise, and the fault matrix stores thousands.
#if defined(KSIL_WITH_QT)
    ::setenv(history::kFileVariable, historyFile().c_str(), 1);
    ::unsetenv(history::kServerVariable);
#endif
}

std::filesystem::path Harness::historyFile() const
{
#if defined(KSIL_WITH_QT)
    const std::filesystem::path memory = "/dev/shm";
    if (std::error_code ec; std::filesystem::is_directory(memory, ec) && ::access(memory.c_str(), W_OK) == 0)
        return memory / (folder_.path().filename().string() + "-history.sqlite");
#endif
    return folder_.path() / "history.sqlite";
}

void Harness::setMachineSearchPath(const std::string& text)
{
    searchPath_->set(text);
}

void Harness::endRun()
{
    try {
        if (state_ == State::Running)
            appShutdown();
        else if (state_ != State::Ended)
            tk::shutdown();
    } catch (const std::exception& e) {
        ADD_FAILURE() << "shutdown failed: " << e.what();
        tk::shutdown();
    }
}

void Harness::restart()
{
    endRun();
    loadBench(bench_, folder_.path() / "bench-state");
    resetProgramState();
    setResourceDir(KSIL_RESOURCE_DIR);
    state_ = State::Fresh;
}

Harness::~Harness()
{
    endRun();
    resetProgramState();
    searchPath_.reset();
    platform::setClock(nullptr);
    std::error_code ec;
    std::filesystem::current_path(previousFolder_, ec); // the folder goes with folder_
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        std::filesystem::remove(historyFile().string() + suffix, ec);
}

int Harness::guarded(const std::function<int()>& step, const char* what)
{
    try {
        return step();
    } catch (const tk::headless::Starved& e) {
        ADD_FAILURE() << what << ": the program waits for an operator action the test did not queue ("
                      << e.what() << ")";
    } catch (const tk::headless::Unanswered& e) {
        ADD_FAILURE() << what << ": a pop-up asked a question with no scripted answer (" << e.what() << ")";
    } catch (const tk::headless::Refused& e) {
        ADD_FAILURE() << what << ": a queued action could not have been done by the operator ("
                      << e.what() << ")";
    } catch (const tk::headless::Misuse& e) {
        ADD_FAILURE() << what << ": " << e.what();
    }
    state_ = State::Failed;
    return kStuck;
}

int Harness::start()
{
    return startWith(true);
}

int Harness::startWithQt()
{
    return startWith(false);
}

int Harness::startWith(bool headless)
{
    if (state_ != State::Fresh) {
        ADD_FAILURE() << "start() called twice";
        return kStuck;
    }
    static char programName[] = "p_ksil2";
    static char* argv[] = {programName, nullptr};
    static int argc = 1;
#if defined(KSIL_WITH_QT)
    const StartOptions options{.startToolkit = headless ? [](int&, char**) { return tk::headless::start(); }
                                                        : tk::qt::start};
#else
    if (!headless) {
        ADD_FAILURE() << "this build has no Qt backend";
        return kStuck;
    }
    const StartOptions options{.startToolkit = [](int&, char**) { return tk::headless::start(); }};
#endif
    const int result = guarded([&options] { return appStart(argc, argv, options); }, "start-up");
    if (result == kStuck)
        return result;
    state_ = result == 0 ? State::Running : State::Failed;
    return result;
}

int Harness::run()
{
    if (state_ != State::Running) {
        ADD_FAILURE() << "run() needs a program that started and has not ended";
        return kStuck;
    }
    int code = kRunning;
    const int result = guarded(
        [&code] {
            try {
                code = appRunLoop();
            } catch (const tk::headless::MainLoopIdle&) {
                code = kRunning;
            }
            return code;
        },
        "main loop");
    if (result == kStuck)
        return result;
    if (code != kRunning) {
        appShutdown();
        state_ = State::Ended;
    }
    return code;
}

namespace {

bool selectionOpen()
{
    const int panel = si::selectionPanel();
    return panel > 0 && tk::attr(panel, 0, tk::Attr::Visible) != 0;
}

} // namespace

void Harness::chooseFromSelection(int index)
{
    tk::headless::respondWhenIdle([index] {
        if (!selectionOpen()) {
            ADD_FAILURE() << "chooseFromSelection(" << index << "): the selection dialog is not open";
            return;
        }
        tk::headless::doubleClickItem(si::selectionPanel(), si::selectionListCtrl(), index);
    });
}

void Harness::cancelSelection()
{
    tk::headless::respondWhenIdle([] {
        if (!selectionOpen()) {
            ADD_FAILURE() << "cancelSelection(): the selection dialog is not open";
            return;
        }
        tk::headless::closeWindow(si::selectionPanel());
    });
}

std::vector<std::string> Harness::listLabels(int panel, int ctrl) const
{
    std::vector<std::string> labels;
    const int n = tk::numListItems(panel, ctrl);
    for (int i = 0; i < n; ++i)
        labels.push_back(tk::listItemLabel(panel, ctrl, i));
    return labels;
}

std::vector<int> Harness::listValues(int panel, int ctrl) const
{
    std::vector<int> values;
    const int n = tk::numListItems(panel, ctrl);
    for (int i = 0; i < n; ++i) {
        int v = 0;
        tk::listItemValue(panel, ctrl, i, v);
        values.push_back(v);
    }
    return values;
}

std::vector<std::string> Harness::textBoxLines(int panel, int ctrl) const
{
    std::vector<std::string> lines;
    const int n = tk::numTextBoxLines(panel, ctrl);
    for (int i = 0; i < n; ++i)
        lines.push_back(tk::textBoxLine(panel, ctrl, i));
    return lines;
}

std::vector<std::string> Harness::tabTitles() const
{
    std::vector<std::string> titles;
    const int n = tk::numTabPages(hMP, hTab);
    for (int i = 0; i < n; ++i)
        titles.push_back(tk::tabPageTitle(hMP, hTab, i));
    return titles;
}

tk::headless::PopupRecord Harness::lastPopup() const
{
    const auto& shown = tk::headless::popups();
    if (shown.empty()) {
        ADD_FAILURE() << "no pop-up was shown";
        return {tk::headless::PopupKind::Message, {}, {}};
    }
    return shown.back();
}
