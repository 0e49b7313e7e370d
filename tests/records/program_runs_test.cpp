// What the program hands to its history, read back from the harness's file:
// the WRITE's backup and read-back when the flash will not be read, the runs
// of manual and КСИЛ5 verification, and a history that cannot be used.
#include "calibration_bench.h"
#include "verify_bench.h"

#include "history/history.h"
#include "p_ksil2/history_link.h"
#include "sim/bench.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace calib;

namespace {

constexpr const char* kNoBackupQuestion = "Записать таблицу во flash без резервной копии?";

// The runs of one kind in the harness's history, newest first, whole.
std::vector<history::Run> runsOf(Harness& h, history::RunKind kind)
{
    history::History store;
    EXPECT_TRUE(store.openToRead({h.historyFile().string(), std::nullopt}).ok());
    history::RunFilter filter;
    filter.kinds = {kind};
    const auto list = store.listRuns(filter);
    EXPECT_TRUE(list.ok()) << list.status.message;
    std::vector<history::Run> runs;
    for (const auto& entry : list.value)
        runs.push_back(store.loadRun(entry.info.id).value);
    return runs;
}

std::size_t flashReads()
{
    return sim::journal("tvksil2_readFlash").size();
}

std::size_t flashWrites()
{
    return sim::journal("tvksil2_writeFlash").size();
}

bool asked(Harness& h, const std::string& text)
{
    for (const auto& p : h.popups())
        if (p.text.find(text) != std::string::npos)
            return true;
    return false;
}

TEST(ProgramRuns, WriteWithoutBackupOnlyWhenTheOperatorSaysSoAndAFailedReadBackIsRed)
{
    Harness h{bench()};
    startOn(h);
    ASSERT_EQ(h.run(), Harness::kRunning);
    h.press(hCP, CP_DEFAULT);
    ASSERT_EQ(h.run(), Harness::kRunning);

    // The flash does not answer before the write: the careless answer keeps it as it is.
    sim::failCall("tvksil2_readFlash", -1, 5, static_cast<int>(flashReads()) + 1);
    h.clearPopups();
    h.answerConfirm(false);
    h.press(hCP, CP_WRITE);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_TRUE(asked(h, kNoBackupQuestion));
    EXPECT_EQ(flashWrites(), 0u);
    std::vector<history::Run> writes = runsOf(h, history::RunKind::Write);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].end, history::RunEnd::Stopped);

    // Said yes, the table is written without an as-found table.
    sim::failCall("tvksil2_readFlash", -1, 5, static_cast<int>(flashReads()) + 1);
    h.answerConfirm(true);
    h.press(hCP, CP_WRITE);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(flashWrites(), 1u);
    writes = runsOf(h, history::RunKind::Write);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].table(history::TableRole::AsFound), nullptr);
    ASSERT_NE(writes[0].table(history::TableRole::AsLeft), nullptr);
    EXPECT_EQ(writes[0].readBack, history::ReadBack::Match);

    // The read after the write fails: red, and recorded; the backup was kept.
    sim::failCall("tvksil2_readFlash", -1, 5, static_cast<int>(flashReads()) + 2);
    h.press(hCP, CP_WRITE);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(flashWrites(), 2u);
    EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kRed);
    EXPECT_NE(h.text(hMP, MP_MSG).find("Запись flash не проверена"), std::string::npos) << h.text(hMP, MP_MSG);
    writes = runsOf(h, history::RunKind::Write);
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[0].readBack, history::ReadBack::Failed);
    EXPECT_NE(writes[0].table(history::TableRole::AsFound), nullptr);
    EXPECT_EQ(writes[0].table(history::TableRole::ReadBack), nullptr);
}

TEST(ProgramRuns, APointCalibrationEndsAsStoppedWhenCancelledAndAsADriverErrorWhenTheModuleFails)
{
    Harness h{bench()};
    startOn(h);
    ASSERT_EQ(h.run(), Harness::kRunning);
    h.doubleClickCell(hCP, CP_TABLE, 3, 1);
    h.press(hDP, DP_COMMANDBUTTON_2);
    ASSERT_EQ(h.run(), Harness::kRunning);
    auto runs = runsOf(h, history::RunKind::PointCalibration);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].end, history::RunEnd::Stopped);

    // The stage's chain cannot be switched: DP never opens, and the run says why it ended.
    sim::failCall("tvksil2_config_R_Calibr", -1, 1,
                  static_cast<int>(sim::journal("tvksil2_config_R_Calibr").size()) + 1);
    h.doubleClickCell(hCP, CP_TABLE, 3, 1);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_FALSE(h.visible(hDP));
    runs = runsOf(h, history::RunKind::PointCalibration);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].end, history::RunEnd::DriverError);
    EXPECT_NE(runs[0].endDetail.find("tvksil2_config_R_Calibr"), std::string::npos) << runs[0].endDetail;
    EXPECT_TRUE(runs[0].tables.empty() || runs[0].tables[0].cells.empty());
}

TEST(ProgramRuns, ManualRowsAndPointCalibrationAreRunsOfTheirOwn)
{
    Harness h{bench()};
    startOn(h);
    ASSERT_EQ(h.run(), Harness::kRunning);
    // R0 of channel 2 by point calibration, the meter's reading accepted.
    h.setToggle(hMP, MP_AUTO_POV, true);
    h.doubleClickCell(hCP, CP_TABLE, kR0Row, 2);
    h.press(hDP, DP_OK);
    ASSERT_EQ(h.run(), Harness::kRunning);
    const auto points = runsOf(h, history::RunKind::PointCalibration);
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points[0].end, history::RunEnd::Complete);
    ASSERT_EQ(points[0].tables.size(), 1u);
    ASSERT_EQ(points[0].tables[0].cells.size(), 1u);
    EXPECT_EQ(points[0].tables[0].cells[0].channel, 2);
    EXPECT_EQ(points[0].tables[0].cells[0].row, kR0Row);
    EXPECT_EQ(points[0].tables[0].cells[0].value, h.cell(hCP, CP_TABLE, kR0Row, 2));
    EXPECT_EQ(points[0].readingsFrom, history::ReadingsFrom::Meter);

    // A row typed on PP: one manual verification, the operator's value, judged.
    h.changeTab(hMP, hTab, 1);
    h.setNumber(hPP, PP_CHAN, 1);
    h.setNumber(hPP, PP_R_Z, 1000);
    h.setNumber(hPP, PP_R_I, 1010);
    h.press(hPP, PP_INPUT);
    ASSERT_EQ(h.run(), Harness::kRunning);
    const auto rows = runsOf(h, history::RunKind::ManualVerification);
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_EQ(rows[0].points.size(), 1u);
    EXPECT_EQ(rows[0].points[0].set, 1000.0);
    EXPECT_EQ(rows[0].points[0].measured, 1010.0);
    EXPECT_EQ(rows[0].points[0].verdict, history::PointVerdict::Outside);
    EXPECT_EQ(rows[0].verdict, history::Verdict::Nonconform);
    EXPECT_EQ(rows[0].readingsFrom, history::ReadingsFrom::Operator);

    // The history window: newest first, READs left out, each run openable with its points.
    h.chooseMenu(MENUBAR_HIST_RUNS);
    ASSERT_EQ(h.run(), Harness::kRunning);
    ASSERT_TRUE(h.visible(hHI));
    EXPECT_FALSE(h.visible(hHI, HI_LOAD));
    const std::vector<std::string> items = h.listLabels(hHI, HI_LIST);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_NE(items[0].find("Поверка вручную: завершён, не соответствует норме"), std::string::npos) << items[0];
    EXPECT_NE(items[1].find("Калибровка точки: завершён"), std::string::npos) << items[1];
    const auto detail = [&h] {
        std::string all;
        for (const auto& line : h.textBoxLines(hHI, HI_DETAIL))
            all += line + "\n";
        return all;
    };
    EXPECT_NE(detail().find("1010"), std::string::npos) << detail();
    h.pickItem(hHI, HI_LIST, 1);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_NE(detail().find(points[0].id), std::string::npos) << detail();
}

TEST(ProgramRuns, HistoryThatCannotBeUsedIsOneLineAndTheProgramGoesOn)
{
    Harness h{bench()};
    std::ofstream(h.historyFile()) << "these are the lab's notes, not a database\n";
    startOn(h);
    ASSERT_EQ(h.run(), Harness::kRunning);
    // The READ at start-up could not be stored: the status line says so.
    EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kRed);
    EXPECT_EQ(h.text(hMP, MP_MSG).rfind("История: ", 0), 0u) << h.text(hMP, MP_MSG);
    EXPECT_NE(h.text(hMP, MP_MSG).find(h.historyFile().string()), std::string::npos) << h.text(hMP, MP_MSG);

    // The calibration runs and shows its results all the same.
    h.press(hCP, CP_DEFAULT);
    h.chooseMenu(MENUBAR_EXE_CALIBR);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_NE(h.cell(hCP, CP_TABLE, 18, 1), 131072.0);
    EXPECT_EQ(h.cellColor(hCP, CP_TABLE, 18, 1), tk::kBlack);
    EXPECT_EQ(h.text(hMP, MP_MSG).rfind("История: ", 0), 0u);

    // The backups window cannot open on it, and says why on the same line.
    h.press(hMP, MP_MSG_OK);
    h.chooseMenu(MENUBAR_HIST_BACKUPS);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_FALSE(h.visible(hHI));
    EXPECT_EQ(h.text(hMP, MP_MSG).rfind("История: ", 0), 0u);

    // A file that becomes usable again takes the next run.
    std::filesystem::remove(h.historyFile());
    h.chooseMenu(MENUBAR_EXE_CALIBR);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(runsOf(h, history::RunKind::AutoCalibration).size(), 1u);
}

TEST(ProgramRuns, Ksil5RunKeepsItsSettingsAndPointsAndAStopIsAStop)
{
    Harness h{verify::bench(79, false)};
    verify::startOn(h);
    h.press(hPP5, PP5_START);
    for (const double measured : {1.0, 2.0, 5.0}) {
        h.setNumber(hPP5, PP5_MEAS_R, measured);
        h.press(hPP5, PP5_NEXT_STEP);
    }
    h.press(hPP5, PP5_START); // "Стоп" at the fourth point
    ASSERT_EQ(h.run(), Harness::kRunning);
    const auto runs = runsOf(h, history::RunKind::Ksil5Verification);
    ASSERT_EQ(runs.size(), 1u);
    const history::Run& run = runs[0];
    EXPECT_EQ(run.end, history::RunEnd::Stopped);
    EXPECT_EQ(run.verdict, history::Verdict::None);
    ASSERT_EQ(run.points.size(), 3u);
    EXPECT_EQ(run.points[2].set, 4.0);
    EXPECT_EQ(run.points[2].verdict, history::PointVerdict::Outside);
    ASSERT_TRUE(run.ksil5);
    EXPECT_EQ(run.ksil5->tolerance, 0.6);
    EXPECT_EQ(run.ksil5->temperatureText, "20 °С");
    EXPECT_EQ(run.module.modelName, "КСИЛ5");
}

} // namespace
