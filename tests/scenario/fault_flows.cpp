#include "fault_flows.h"

#include "gauge/gauge.h"
#include "p_ksil2/verify_ksil5.h"
#include "platform/datetime.h"
#include "si/select.h"
#include "tests/harness/harness.h"
#include "tests/scenario/verify_bench.h"
#include "tests/support/read_file.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <regex>
#include <set>

namespace faults {

using testbench::kCarrier;
constexpr int kKsil5Position = 3;
constexpr int kMaxSelections = 3; // a choice that fails is not retried for ever
constexpr int kMaxResponses = 120;

// One run of a flow: the program, and the operator who answers whatever it
// waits for the way a patient operator would.
struct Run {
    Harness& h;
    int selections = 0;
    int responses = 0;
    int ksil5Points = 0;
    int ksil5StopAt = -1; // the point at which the operator presses "Стоп"
};

namespace {

bool shown(int panel, int ctrl = 0)
{
    return panel > 0 && tk::attr(panel, ctrl, tk::Attr::Visible) != 0;
}

bool usable(int panel, int ctrl)
{
    return shown(panel, ctrl) && tk::attr(panel, ctrl, tk::Attr::Dimmed) == 0;
}

// The operator's answer when the program waits and nothing is queued. It
// queues nothing when it sees nothing to do: a wait nothing can end then fails
// the run instead of hanging.
void respond(Run& r)
{
    if (++r.responses > kMaxResponses)
        return;
    tk::headless::respondWhenIdle([&r] { respond(r); });
    namespace hl = tk::headless;
    if (const int sel = si::selectionPanel(); shown(sel)) {
        if (r.selections < kMaxSelections && tk::numListItems(sel, si::selectionListCtrl()) > 0) {
            ++r.selections;
            hl::doubleClickItem(sel, si::selectionListCtrl(), 0);
        } else {
            hl::closeWindow(sel);
        }
    } else if (shown(hDP)) {
        // With a failure on the status line there is no reading to accept.
        hl::press(hDP, tk::attr(hMP, MP_MSG, tk::Attr::TextColor) == tk::kRed ? DP_COMMANDBUTTON_2 : DP_OK);
    } else if (shown(hST)) {
        if (usable(hST, ST_CANCEL))
            hl::press(hST, ST_CANCEL);
        else if (usable(hST, ST_CLOSE))
            hl::press(hST, ST_CLOSE);
    } else if (pp5Running && usable(hPP5, PP5_NEXT_STEP)) {
        if (r.ksil5Points == r.ksil5StopAt) {
            hl::press(hPP5, PP5_START);
        } else {
            // The operator reads the module's setting off a meter and types it.
            hl::setNumber(hPP5, PP5_MEAS_R, tk::numValue(hPP5, PP5_SET_R));
            hl::press(hPP5, PP5_NEXT_STEP);
        }
        ++r.ksil5Points;
    }
}

// Queues an action only when the operator could do it now: after a failed
// call a panel may be gone or a control dimmed, and that is no finding.
void pressIf(int panel, int ctrl)
{
    if (usable(panel, ctrl))
        tk::headless::press(panel, ctrl);
}

void showPage(Run& r, int page)
{
    for (int i = 0; i < tk::numTabPages(hMP, hTab); ++i)
        if (tk::tabPagePanel(hMP, hTab, i) == page)
            r.h.changeTab(hMP, hTab, i);
}

int idle(Run& r)
{
    return r.h.running() ? r.h.run() : Harness::kRunning;
}

// Start-up: the first carrier and the first multimeter offered.
void startUp(Run& r)
{
    if (r.h.start() == 0)
        idle(r);
}

void started(Run& r)
{
    startUp(r);
    r.selections = 0;
}

void startedOnPP(Run& r);

// The bench without the meters the search would find before the one wanted:
// the mezzanine meter, and for the HP 3458A also the E1412.
void withoutMezzanineMeter()
{
    for (auto& i : sim::bench().instruments)
        std::erase_if(i.mezzanines, [](const sim::Mezzanine& m) { return m.model == sim::kModelMezMeter; });
}

void startedOnPPWithE1412(Run& r)
{
    withoutMezzanineMeter();
    startedOnPP(r);
}

void startedOnCP(Run& r);

void startedOnCPWith3458(Run& r)
{
    withoutMezzanineMeter();
    std::erase_if(sim::bench().instruments, [](const sim::Instrument& i) { return i.meter && i.meter->family == 579; });
    startedOnCP(r);
}

void startedOnPPWith3458(Run& r)
{
    withoutMezzanineMeter();
    std::erase_if(sim::bench().instruments, [](const sim::Instrument& i) { return i.meter && i.meter->family == 579; });
    startedOnPP(r);
}

void switchToKsil5(Run& r)
{
    for (int i = 0; i < tk::numListItems(hMP, MP_MEZ_NUM); ++i) {
        int position = 0;
        tk::listItemValue(hMP, MP_MEZ_NUM, i, position);
        if (position == kKsil5Position)
            r.h.pickItem(hMP, MP_MEZ_NUM, i);
    }
    idle(r);
}

void startedOnKsil5(Run& r)
{
    started(r);
    switchToKsil5(r);
    if (shown(hPP5)) {
        showPage(r, hPP5);
        r.h.setText(hPP5, PP5_LINE_PROT, (r.h.folder() / "ksil5.log").string());
    }
    idle(r);
}

void startedOnPP(Run& r)
{
    started(r);
    showPage(r, hPP);
    idle(r);
}

void startedOnCP(Run& r)
{
    started(r);
    showPage(r, hCP);
    idle(r);
}

void startedWithSelfTestQuestion(Run& r)
{
    if (sim::Mezzanine* m = sim::mezzanine(kCarrier, 1))
        m->selfTest.questions = {{0x21, "Проверка реле канала 1"}};
    started(r);
}

void startedOnCPMeasuring(Run& r)
{
    startedOnCP(r);
    r.h.setToggle(hMP, MP_AUTO_POV, true);
    idle(r);
}

void doReset(Run& r)
{
    pressIf(hMP, MP_RESET);
    idle(r);
}

void doSelfTest(Run& r)
{
    pressIf(hMP, MP_SELFTEST);
    idle(r);
}

void doSwitch(Run& r)
{
    switchToKsil5(r);
}

void doRead(Run& r)
{
    pressIf(hCP, CP_READ);
    idle(r);
}

void doDefaultWrite(Run& r)
{
    pressIf(hCP, CP_DEFAULT);
    pressIf(hCP, CP_WRITE);
    idle(r);
}

void doPointCalibration(Run& r)
{
    if (usable(hCP, CP_TABLE))
        r.h.doubleClickCell(hCP, CP_TABLE, 5, 2);
    idle(r);
}

void doAutoCalibration(Run& r)
{
    if (!tk::menuItemDimmed(hMenuBar, MENUBAR_EXE_CALIBR))
        r.h.chooseMenu(MENUBAR_EXE_CALIBR);
    idle(r);
}

void doManual(Run& r)
{
    if (!usable(hPP, PP_SET))
        return;
    r.h.setNumber(hPP, PP_R_Z, 100);
    r.h.press(hPP, PP_SET);
    idle(r);
    if (!usable(hPP, PP_INPUT))
        return;
    r.h.setNumber(hPP, PP_R_I, 100.05);
    r.h.press(hPP, PP_INPUT);
    idle(r);
}

void doAutoVerify(Run& r)
{
    if (!usable(hPP, PP_AUTO_POV))
        return;
    r.h.setToggle(hPP, PP_AUTO_POV, true);
    pressIf(hPP, PP_SET);
    idle(r);
}

void doKsil5(Run& r)
{
    pressIf(hPP5, PP5_START);
    idle(r);
}

void doKsil5Stopped(Run& r)
{
    r.ksil5StopAt = 3;
    doKsil5(r);
}

void doMeterSearch(Run& r)
{
    if (!tk::menuItemDimmed(hMenuBar, MENUBAR_INSTR_SELECT_HP))
        r.h.chooseMenu(MENUBAR_INSTR_SELECT_HP);
    idle(r);
}

// Date and time stamps differ from run to run only in their digits.
std::string withoutStamps(std::string line)
{
    static const std::regex stamp(R"(\d{1,4}[-.:/]\d{1,2}[-.:/]\d{1,4})");
    return std::regex_replace(line, stamp, "<stamp>");
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t from = 0;
    for (std::size_t nl = text.find('\n'); nl != std::string::npos; nl = text.find('\n', from)) {
        std::string line = text.substr(from, nl - from);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        out.push_back(withoutStamps(line));
        from = nl + 1;
    }
    if (from < text.size())
        out.push_back(withoutStamps(text.substr(from)));
    return out;
}

std::string number(double v)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.12g", v);
    return buf;
}

std::map<std::string, double> cpCells()
{
    std::map<std::string, double> cells;
    if (hCP <= 0)
        return cells;
    for (int row = 1; row <= tk::numTableRows(hCP, CP_TABLE); ++row)
        for (int col = 1; col <= tk::numTableCols(hCP, CP_TABLE); ++col)
            cells["CP row " + std::to_string(row) + " column " + std::to_string(col)] =
                tk::cellNum(hCP, CP_TABLE, row, col);
    return cells;
}

std::map<std::string, std::string> flashFiles(const Harness& h)
{
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(h.folder() / "bench-state", ec))
        if (e.is_regular_file() && e.path().filename().string().rfind("flash_", 0) == 0)
            files[e.path().filename().string()] = readBytes(e.path());
    return files;
}

void collectProtocols(const Harness& h, Outcome& o)
{
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(h.folder(), ec))
        if (e.is_regular_file() && e.path().extension() == ".log")
            o.protocol[e.path().filename().string()] = lines(readBytes(e.path()));
    if (hPP > 0) {
        auto& rows = o.protocol["PP's result table"];
        for (int row = 1; row <= tk::numTableRows(hPP, PP_TABLE_R); ++row) {
            std::string text;
            for (int col = 1; col <= tk::numTableCols(hPP, PP_TABLE_R); ++col)
                text += number(tk::cellNum(hPP, PP_TABLE_R, row, col)) + " ";
            rows.push_back(text);
        }
    }
}

void collectShown(const Harness& h, Outcome& o)
{
    for (const auto& p : h.popups())
        o.shown.push_back(p.title + "\n" + p.text);
    if (hMP > 0)
        o.shown.push_back(tk::textValue(hMP, MP_MSG));
    if (hABOUT > 0)
        o.shown.push_back(tk::textValue(hABOUT, ABOUT_DRVR_VERSION));
    if (hST > 0)
        for (int i = 0; i < tk::numTextBoxLines(hST, ST_MSG); ++i)
            o.shown.push_back(tk::textBoxLine(hST, ST_MSG, i));
}

void collectSessions(Outcome& o)
{
    std::set<ViSession> held;
    for (const ViSession vi : {mvi, baseSession, viHP1412, viHP3458, viDMM, viDMM1, viM_DMM1, viNM})
        if (vi != 0)
            held.insert(vi);
    std::set<ViSession> open;
    for (const auto& s : sim::openSessions()) {
        open.insert(s.handle);
        if (!held.count(s.handle))
            o.leaked.push_back(s.what + " (" + std::to_string(s.handle) + ")");
    }
    for (const ViSession vi : held)
        if (!open.count(vi))
            o.stale.push_back(std::to_string(vi));
}

bool isLookup(const std::string& line)
{
    return line.find("_error_message(") != std::string::npos || line.rfind("tvksil2_get_attribute(", 0) == 0;
}

std::string firstArgument(const std::string& line)
{
    const std::size_t open = line.find('(');
    return line.substr(open + 1, line.find_first_of(",)", open) - open - 1);
}

std::vector<Call> callsSince(std::size_t first)
{
    std::map<std::string, int> counts;
    std::vector<Call> calls;
    const auto& journal = sim::journal();
    std::string scanManager; // the resource manager of a discovery scan under way
    for (std::size_t i = 0; i < journal.size(); ++i) {
        const std::string& line = journal[i];
        const std::string entry = line.substr(0, line.find('('));
        const int ordinal = ++counts[entry];
        if (entry == "viFindRsrc")
            scanManager = firstArgument(line);
        const bool inScan = !scanManager.empty();
        if (entry == "viClose" && firstArgument(line) == scanManager)
            scanManager.clear();
        std::size_t next = i + 1;
        while (next < journal.size() && isLookup(journal[next]))
            ++next;
        const bool retried = next < journal.size() && journal[next] == line;
        if (i >= first)
            calls.push_back({entry, ordinal, line, inScan, retried});
    }
    return calls;
}

// Exact meters: a repeated run measures the same values.
void makeMetersExact()
{
    for (auto& i : sim::bench().instruments) {
        if (i.meter)
            i.meter->noise = i.meter->gainError = 0.0;
        for (auto& m : i.mezzanines)
            if (m.meter)
                m.meter->noise = m.meter->gainError = 0.0;
    }
}


} // namespace

const std::vector<Flow>& flows()
{
    static const std::vector<Flow> all = {
        {"StartUp", "start-up with carrier choice", nullptr, startUp},
        {"SwitchMezzanine", "switching mezzanine", started, doSwitch},
        {"Reset", "reset", started, doReset},
        {"SelfTest", "self-test", startedWithSelfTestQuestion, doSelfTest},
        {"Read", "READ", startedOnCP, doRead},
        {"DefaultWrite", "DEFAULT + WRITE", startedOnCP, doDefaultWrite},
        {"PointCalibration", "point calibration", startedOnCPMeasuring, doPointCalibration},
        {"AutoCalibration", "automatic calibration", startedOnCP, doAutoCalibration},
        {"AutoCalibration3458", "automatic calibration with the 3458A", startedOnCPWith3458, doAutoCalibration},
        {"ManualSetInput", "manual SET + INPUT", startedOnPP, doManual},
        {"AutoVerification", "automatic verification", startedOnPP, doAutoVerify},
        {"AutoVerificationE1412", "automatic verification with the E1412", startedOnPPWithE1412, doAutoVerify},
        {"AutoVerification3458", "automatic verification with the 3458A", startedOnPPWith3458, doAutoVerify},
        {"Ksil5ToEnd", "КСИЛ5 run to the end", startedOnKsil5, doKsil5},
        {"Ksil5Stopped", "КСИЛ5 run with Stop", startedOnKsil5, doKsil5Stopped},
        {"MeterSearch", "multimeter search", started, doMeterSearch},
    };
    return all;
}

Outcome run(const Flow& flow, const std::optional<Fault>& fault)
{
    Outcome o;
    testing::TestPartResultArray failures;
    {
        // The harness reports stuck waits and program faults as test failures;
        // here they are findings of this one run.
        testing::ScopedFakeTestPartResultReporter intercept(
            testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
        platform::setCurrentTime(verify::fixedMoment());
        Harness h{Bench::builtIn()};
        makeMetersExact();
        Run r{h};
        tk::headless::answerUnscripted([&h](const tk::headless::PopupRecord& popup, std::string& path) {
            if (popup.kind == tk::headless::PopupKind::Confirm)
                return 1;
            path = (h.folder() / "chosen.log").string();
            return tk::FILE_NEW;
        });
        respond(r);
        if (flow.prepare)
            flow.prepare(r);
        const std::size_t first = sim::journal().size();
        o.cellsBefore = cpCells();
        o.flashBefore = flashFiles(h);
        h.clearPopups();
        if (fault)
            sim::failCall(fault->call.entry, fault->status, 1, fault->call.ordinal);
        flow.act(r);
        o.calls = callsSince(first);
        if (h.running()) {
            collectShown(h, o);
            collectProtocols(h, o);
            o.cells = cpCells();
            for (const auto& s : sim::openSessions())
                if (s.handle == mvi)
                    o.module = s.what;
            collectSessions(o);
        } else {
            o.findings.push_back("the program ended");
        }
        o.flash = flashFiles(h);
        platform::setCurrentTime(0);
    }
    for (int i = 0; i < failures.size(); ++i)
        o.findings.push_back(failures.GetTestPartResult(i).message());
    return o;
}

namespace {

bool isVisaCall(const std::string& entry)
{
    return entry.rfind("vi", 0) == 0;
}

} // namespace

std::vector<std::string> judge(const Flow&, const Fault& fault, const Outcome& baseline, const Outcome& outcome)
{
    std::vector<std::string> f = outcome.findings;
    // A session whose close failed is given up: the driver has said it cannot
    // close it, and the program has nothing better to do with the handle.
    std::string givenUp = "-";
    if (fault.status < 0 && (fault.call.entry.ends_with("close") || fault.call.entry.ends_with("Close")))
        givenUp = "(" + fault.call.line.substr(fault.call.line.find('(') + 1);
    for (const auto& s : outcome.leaked)
        if (!s.ends_with(givenUp))
            f.push_back("session left open and held by nothing: " + s);
    for (const auto& s : outcome.stale)
        f.push_back("the program holds session " + s + ", which is not open");

    // VISA has no words for its statuses; a scan lists what answers; a call
    // retried at once and mended is no failure of the flow.
    const auto failed = std::find_if(outcome.calls.begin(), outcome.calls.end(), [&](const Call& c) {
        return c.entry == fault.call.entry && c.ordinal == fault.call.ordinal;
    });
    const bool retried = failed != outcome.calls.end() && failed->retried;
    if (fault.status < 0 && !isVisaCall(fault.call.entry) && !fault.call.inScan && !retried) {
        const std::string message = sim::statusText(fault.status);
        const bool told = std::any_of(outcome.shown.begin(), outcome.shown.end(),
                                      [&](const std::string& s) { return s.find(message) != std::string::npos; });
        if (!told)
            f.push_back("the driver's message \"" + message + "\" is shown nowhere");
    }

    for (const auto& [name, got] : outcome.protocol) {
        const auto it = baseline.protocol.find(name);
        const std::vector<std::string> expected = it == baseline.protocol.end() ? std::vector<std::string>{}
                                                                                 : it->second;
        std::multiset<std::string> pool(expected.begin(), expected.end());
        for (const auto& line : got) {
            const auto at = pool.find(line);
            if (at == pool.end())
                f.push_back(name + ": line \"" + line + "\" that the fault-free run does not write");
            else
                pool.erase(at);
        }
        // A run that writes the closing line claims to be complete.
        if (!expected.empty() && !got.empty() && got.back() == expected.back() && got.size() < expected.size())
            f.push_back(name + ": ends with \"" + expected.back() + "\" but holds " + std::to_string(got.size()) +
                        " of its " + std::to_string(expected.size()) + " lines");
    }

    // The table is judged when it shows the module of the fault-free run (a
    // failed call at start-up may open another one). A cell holds its old
    // value, or what the fault-free run measures up to the rounding of a
    // correction made with another R0, or nothing (the resource's empty table).
    if (outcome.module == baseline.module)
        for (const auto& [cell, value] : outcome.cells) {
            const auto before = outcome.cellsBefore.find(cell);
            const auto after = baseline.cells.find(cell);
            const auto near = [v = value](double w) { return std::fabs(v - w) <= 1e-6 * std::max(1.0, std::fabs(w)); };
            if (value == 0.0 || (before != outcome.cellsBefore.end() && before->second == value) ||
                (after != baseline.cells.end() && near(after->second)))
                continue;
            f.push_back(cell + " shows " + number(value) + ", neither what it held nor what the fault-free run measures (" +
                        (after == baseline.cells.end() ? std::string("none") : number(after->second)) + ")");
        }

    for (const auto& [file, content] : outcome.flash) {
        const auto before = outcome.flashBefore.find(file);
        const auto after = baseline.flash.find(file);
        if ((before == outcome.flashBefore.end() || before->second != content) &&
            (after == baseline.flash.end() || after->second != content))
            f.push_back("flash " + file + " holds a record that is neither the old one nor the fault-free run's");
    }
    return f;
}

std::vector<Call> sample(const std::vector<Call>& calls, bool all)
{
    if (all)
        return calls;
    constexpr std::size_t kStride = 7;
    std::vector<Call> chosen;
    std::set<std::string> seen;
    for (std::size_t i = 0; i < calls.size(); ++i)
        if (seen.insert(calls[i].entry).second || i % kStride == 0)
            chosen.push_back(calls[i]);
    return chosen;
}

std::string describe(const Fault& fault)
{
    char status[16];
    std::snprintf(status, sizeof status, "%08X", static_cast<unsigned>(fault.status));
    return fault.call.line + " [call " + std::to_string(fault.call.ordinal) + " of " + fault.call.entry + "] -> 0x" +
           status;
}

std::string join(const std::vector<std::string>& lines, std::size_t limit)
{
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (limit && i == limit) {
            out += "... and " + std::to_string(lines.size() - limit) + " more\n";
            break;
        }
        out += lines[i] + "\n";
    }
    return out;
}

} // namespace faults
