// The program's history end to end, on the default simulated bench: calibrate,
// write, verify; ksil_history then shows both runs, the as-found and as-left
// tables and the meter, and exports the verification; the as-found backup
// loaded from the history window and written gives the module's old flash
// back bit for bit. The same on SQLite and on a PostgreSQL server.
#include "history/tests/backend.h"

#include "p_ksil2/globals.h"
#include "p_ksil2/p_ksil2.h"
#include "sim/bench.h"
#include "sim/core.h"
#include "tests/environment/child_process.h"
#include "tests/harness/harness.h"
#include "toolkit/headless/headless.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

using history::test::Backend;

constexpr const char* kCarrier = "VXI0::2::INSTR";

struct ToolOutput {
    int code = -1;
    std::string out, err;
};

// ksil_history on the harness's history, named only by the variables.
ToolOutput runTool(std::vector<std::string> args)
{
    args.insert(args.begin(), KSIL_HISTORY_TOOL);
    std::vector<std::string> env{"PATH=/usr/bin:/bin", "LANG=C.UTF-8", "HOME=/nonexistent"};
    for (const char* name : {history::kFileVariable, history::kServerVariable, "ASAN_OPTIONS", "LSAN_OPTIONS"})
        if (const char* value = std::getenv(name))
            env.push_back(std::string(name) + "=" + value);
    Child child({args, env});
    const Child::End end = child.wait();
    return {end.exited ? end.code : -end.code, end.out, end.err};
}

nlohmann::json runsOfKind(const char* kind)
{
    const ToolOutput r = runTool({"json", "--carrier", kCarrier, "--position", "1", "--kind", kind});
    EXPECT_EQ(r.code, 0) << r.err;
    return r.code == 0 ? nlohmann::json::parse(r.out) : nlohmann::json::array();
}

sim::detail::FlashData flash()
{
    sim::detail::FlashData data;
    EXPECT_EQ(sim::detail::readFlash(kCarrier, 1, data), 0);
    return data;
}

bool sameBits(const sim::detail::FlashData& a, const sim::detail::FlashData& b)
{
    return std::memcmp(a.step.data(), b.step.data(), sizeof(double) * a.step.size()) == 0 &&
           std::memcmp(a.r0.data(), b.r0.data(), sizeof(double) * a.r0.size()) == 0;
}

// The table of a role in a run's JSON: [channel - 1][row - 1] as the tool wrote them.
std::vector<std::vector<double>> tableOf(const nlohmann::json& run, const char* role)
{
    std::vector<std::vector<double>> values(2, std::vector<double>(kStages + 1, -1.0));
    for (const auto& t : run["tables"])
        if (t["role"] == role)
            for (const auto& c : t["cells"]) {
                const std::string stage = c["stage"];
                const int row = stage == "R0" ? kStages + 1 : std::stoi(stage);
                values[c["channel"].get<int>() - 1][static_cast<std::size_t>(row - 1)] = c["value"].get<double>();
            }
    return values;
}

std::vector<std::vector<double>> tableOf(const sim::detail::FlashData& data)
{
    std::vector<std::vector<double>> values(2, std::vector<double>(kStages + 1));
    for (std::size_t ch = 0; ch < 2; ++ch) {
        for (std::size_t k = 0; k < kStages; ++k)
            values[ch][k] = data.step[ch * kStages + k];
        values[ch][kStages] = data.r0[ch];
    }
    return values;
}

// The test server's database of its own comes from the history's backend fixture.
class ProgramRecords : public history::test::BackendTest {
protected:
    // After the harness set its own variables: the server, on PostgreSQL.
    void nameServer()
    {
        if (server_)
            ::setenv(history::kServerVariable, history::connectionString(server_->config()).c_str(), 1);
    }
};

TEST_P(ProgramRecords, CalibrateWriteVerifyThenToolShowsThemAndTheBackupRestoresTheOldFlash)
{
    Harness h{Bench::builtIn()};
    nameServer();
    // Every question (a stage far from nominal before WRITE) is answered yes.
    tk::headless::answerUnscripted([](const tk::headless::PopupRecord&, std::string&) { return 1; });
    h.chooseFromSelection(0); // the carrier
    h.chooseFromSelection(0); // the first meter found
    ASSERT_EQ(h.start(), 0);
    ASSERT_NE(mvi, 0u);
    ASSERT_EQ(h.run(), Harness::kRunning);
    const sim::detail::FlashData old = flash();

    h.chooseMenu(MENUBAR_EXE_CALIBR);
    ASSERT_EQ(h.run(), Harness::kRunning);
    h.press(hCP, CP_WRITE);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_NE(h.textColor(hMP, MP_MSG), tk::kRed) << h.text(hMP, MP_MSG);
    const sim::detail::FlashData calibrated = flash();
    ASSERT_FALSE(sameBits(calibrated, old));

    h.changeTab(hMP, hTab, 1);
    h.setToggle(hPP, PP_AUTO_POV, true);
    h.press(hPP, PP_SET);
    ASSERT_EQ(h.run(), Harness::kRunning);
    ASSERT_EQ(h.rows(hPP, PP_TABLE_R), 38);

    // The calibration, with the meter that measured it.
    const nlohmann::json calibrations = runsOfKind("auto_calibration");
    ASSERT_EQ(calibrations.size(), 1u);
    const nlohmann::json& cal = calibrations[0];
    EXPECT_EQ(cal["outcome"], "complete");
    EXPECT_EQ(cal["readings_from"], "meter");
    EXPECT_FALSE(cal["meter"]["family"].get<std::string>().empty());
    EXPECT_FALSE(cal["meter"]["resource"].get<std::string>().empty());
    EXPECT_EQ(cal["module"]["carrier_resource"], kCarrier);
    EXPECT_EQ(cal["module"]["name"], "КСИЛ2-4Л");
    EXPECT_EQ(cal["station"]["program_version"], kProgramVersion);
    EXPECT_EQ(cal["tables"][0]["cells"].size(), 38u);

    // The WRITE: as found is the old flash, as left and read back the new one, bit for bit.
    const nlohmann::json writes = runsOfKind("write");
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0]["read_back"], "match");
    EXPECT_EQ(tableOf(writes[0], "as_found"), tableOf(old));
    EXPECT_EQ(tableOf(writes[0], "as_left"), tableOf(calibrated));
    EXPECT_EQ(tableOf(writes[0], "read_back"), tableOf(calibrated));
    const std::string writeId = writes[0]["id"];
    const ToolOutput shown = runTool({"show", writeId.substr(0, 8)});
    EXPECT_EQ(shown.code, 0) << shown.err;
    EXPECT_NE(shown.out.find("до записи (из flash)"), std::string::npos) << shown.out;

    // The verification: every point with its verdict, and its CSV, one row a point.
    const nlohmann::json verifications = runsOfKind("auto_verification");
    ASSERT_EQ(verifications.size(), 1u);
    EXPECT_EQ(verifications[0]["points"].size(), 38u);
    EXPECT_EQ(verifications[0]["verdict"], "conform");
    const ToolOutput csv = runTool({"csv", verifications[0]["id"]});
    EXPECT_EQ(csv.code, 0) << csv.err;
    std::istringstream lines(csv.out);
    int rows = 0;
    for (std::string line; std::getline(lines, line);)
        ++rows;
    EXPECT_EQ(rows, 1 + 38);

    // The backup from the history window into the table, blue, and written.
    h.changeTab(hMP, hTab, 0);
    h.chooseMenu(MENUBAR_HIST_BACKUPS);
    ASSERT_EQ(h.run(), Harness::kRunning);
    ASSERT_TRUE(h.visible(hHI));
    ASSERT_EQ(h.listLabels(hHI, HI_LIST).size(), 1u);
    EXPECT_NE(h.listLabels(hHI, HI_LIST)[0].find("Запись flash"), std::string::npos);
    h.press(hHI, HI_LOAD);
    ASSERT_EQ(h.run(), Harness::kRunning);
    for (int row = 1; row <= kStages + 1; ++row)
        for (int ch = 1; ch <= 2; ++ch) {
            const double want = tableOf(old)[static_cast<std::size_t>(ch - 1)][static_cast<std::size_t>(row - 1)];
            const double got = h.cell(hCP, CP_TABLE, row, ch);
            EXPECT_EQ(std::memcmp(&want, &got, sizeof want), 0) << "row " << row << ", channel " << ch;
            EXPECT_EQ(h.cellColor(hCP, CP_TABLE, row, ch), tk::kBlue);
        }
    h.press(hCP, CP_WRITE);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_TRUE(sameBits(flash(), old));
    const nlohmann::json after = runsOfKind("write");
    ASSERT_EQ(after.size(), 2u);
    // Exports read oldest first: the restoring WRITE is the last, and says what it wrote.
    EXPECT_NE(after.back()["note"].get<std::string>().find(writeId), std::string::npos) << after.back()["note"];
}

INSTANTIATE_TEST_SUITE_P(Backends, ProgramRecords,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL), history::test::backendName);

} // namespace
