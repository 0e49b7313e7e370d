// Where the protocols go and what happens when their files refuse the lines:
// each protocol keeps its own file, a file that is not a regular one is never
// opened, a line that does not reach its file is shown to the operator, and
// numbers read the same on a station set up in Russian.
#include "verify_bench.h"

#include "p_ksil2/protocol.h"
#include "p_ksil2/verify_ksil5.h"
#include "platform/number_text.h"
#include "tests/support/russian_locale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#if defined(_WIN32)
#include "platform/process.h"
#include <windows.h>
#else
#include "tests/support/file_size_limit.h"
#include <sys/stat.h>
#endif

using namespace verify;

namespace {

namespace fs = std::filesystem;

constexpr const char* kDateLine = "12-08-2026, 14:05:09";
constexpr const char* kTitle = "Протокол проверки погрешности мезонина КСИЛ2-4Л";
constexpr const char* kOpenFailed = "Ошибка открытия файла протокола.";
constexpr const char* kWriteFailed = "Ошибка записи в файл протокола: ";
constexpr const char* kPassLine = "Автоповерка завершена, неисправностей не обнаружено.";

constexpr int kPp5Page = 2; // CP, PP, PP5 for a КСИЛ2-4Л

// The header lines of a КСИЛ5 run on channel 1 at the fixed moment.
std::vector<std::string> ksil5Header()
{
    return {"", "", cp("Время:14:5:9, Дата: 8-12-2026 "), "", cp(" Проверяемый канал 1"),
            cp("           Rn|           Rx|           dR|           An|   Результат")};
}

double ksil5Point(int p)
{
    return p < 8 ? double(1 << p) : 255.0;
}

// A whole КСИЛ5 run on PP5, every point entered exactly.
void runKsil5(Harness& h)
{
    h.changeTab(hMP, hTab, kPp5Page);
    h.press(hPP5, PP5_START);
    for (int p = 0; p < 9; ++p) {
        h.setNumber(hPP5, PP5_MEAS_R, ksil5Point(p));
        h.press(hPP5, PP5_NEXT_STEP);
    }
}

// A manual result row on PP: R_Z set, R_I typed, INPUT.
void inputRow(Harness& h, double set, double measured)
{
    h.setNumber(hPP, PP_R_Z, set);
    h.setNumber(hPP, PP_R_I, measured);
    h.press(hPP, PP_INPUT);
}

// The КСИЛ5 protocol holds one run's header and nine point lines, nothing else.
void expectOnlyKsil5Lines(const fs::path& file)
{
    const auto lines = fileLines(file);
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 6), ksil5Header());
    for (int p = 0; p < 9; ++p)
        EXPECT_EQ(lines[6 + p].substr(0, 14), cp(platform::formatText("  %11f|", ksil5Point(p)))) << p;
}

TEST(ProtocolNames, AKsil5RunLeavesTheKsil2ProtocolWherePPNamesIt)
{
    FixedTime fixed(fixedMoment());
    Harness h{bench(64, false)};
    startOn(h);
    runKsil5(h);
    ASSERT_EQ(h.run(), Harness::kRunning);
    showPP(h);
    inputRow(h, 1.0, 1.2);
    ASSERT_EQ(h.run(), Harness::kRunning);

    EXPECT_EQ(h.text(hPP, PP_FILE_NAME), "ksil2.log");
    const auto ksil2 = fileLines(h.folder() / "ksil2.log");
    ASSERT_EQ(ksil2.size(), 4u);
    EXPECT_EQ(ksil2[0], kDateLine);
    EXPECT_EQ(ksil2[1], cp(kTitle));
    EXPECT_EQ(ksil2[3], resultLine(1, 1.0, 1.2, false));
    expectOnlyKsil5Lines(h.folder() / "ksil5.log");
}

TEST(ProtocolNames, PPShownFirstDuringAKsil5RunDoesNotWriteIntoItsProtocol)
{
    FixedTime fixed(fixedMoment());
    Harness h{bench(64, false)};
    startOn(h);
    h.changeTab(hMP, hTab, kPp5Page);
    h.press(hPP5, PP5_START);
    // While the run waits at its first point, the operator records a row on PP.
    h.changeTab(hMP, hTab, 1);
    inputRow(h, 2.0, 2.1);
    h.changeTab(hMP, hTab, kPp5Page);
    for (int p = 0; p < 9; ++p) {
        h.setNumber(hPP5, PP5_MEAS_R, ksil5Point(p));
        h.press(hPP5, PP5_NEXT_STEP);
    }
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(pp5Running, 0);

    const auto ksil2 = fileLines(h.folder() / "ksil2.log");
    ASSERT_EQ(ksil2.size(), 4u);
    EXPECT_EQ(ksil2[3], resultLine(1, 2.0, 2.1, false));
    expectOnlyKsil5Lines(h.folder() / "ksil5.log");
}

// A FIFO (a pipe on Windows) would take some hundred lines and then block the
// program for good; a device such as /dev/full (NUL on Windows) would swallow
// every line without a word.
TEST(ProtocolFiles, OnlyARegularOrANewFileIsOpened)
{
    Harness h{bench(64, false)};
    startOn(h);
    showPP(h);
#if defined(_WIN32)
    const std::wstring pipeName = L"\\\\.\\pipe\\protocol-test-" + std::to_wstring(platform::processId());
    const HANDLE server = CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_NOWAIT, 4,
                                           4096, 4096, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    const std::string pipe(pipeName.begin(), pipeName.end());
    const std::string device = "NUL";
#else
    const std::string pipe = (h.folder() / "pipe.log").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string device = "/dev/full";
#endif
    for (const std::string& path : {pipe, device}) {
        SCOPED_TRACE(path);
        h.clearPopups();
        h.answerFile(path);
        h.press(hPP, PP_FILE_NAME_S);
        ASSERT_EQ(h.run(), Harness::kRunning);
        ASSERT_EQ(logFile, -1);
        ASSERT_EQ(h.lastPopup().title, kOpenFailed);
        // The lines go to LOG only, however many.
        for (int i = 0; i < 3000; ++i)
            logPovResult(1, 1.0, 1.2, 0.2, false);
        EXPECT_EQ(last(h.textBoxLines(hCHLP, CHLP_LOG)), platform::fromCp1251(resultLine(1, 1.0, 1.2, false)));

        h.clearPopups();
        h.changeTab(hMP, hTab, kPp5Page);
        h.setText(hPP5, PP5_LINE_PROT, path);
        h.press(hPP5, PP5_START);
        ASSERT_EQ(h.run(), Harness::kRunning);
        ASSERT_EQ(h.popups().size(), 1u);
        EXPECT_EQ(h.lastPopup().title, kOpenFailed);
        EXPECT_EQ(pp5Running, 0);
        h.changeTab(hMP, hTab, 1);
        ASSERT_EQ(h.run(), Harness::kRunning);
    }
#if defined(_WIN32)
    CloseHandle(server);
    // A new file is made.
    const fs::path target = h.folder() / "target.log";
    h.answerFile(target.string());
#else
    EXPECT_EQ(fs::status(pipe).type(), fs::file_type::fifo);

    // A new file is made, and a link to a regular file is followed.
    const fs::path target = h.folder() / "target.log";
    fs::create_symlink(target, h.folder() / "link.log");
    h.answerFile((h.folder() / "link.log").string());
#endif
    h.press(hPP, PP_FILE_NAME_S);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_GT(logFile, 0);
    EXPECT_EQ(fileLines(target).size(), 2u);
}

#if !defined(_WIN32)
// A full disk for one process is a file size limit (RLIMIT_FSIZE), which
// Windows does not have.

bool statusShowsWriteFailure(const Harness& h, const fs::path& file, const std::string& reason)
{
    const std::string msg = h.text(hMP, MP_MSG);
    return msg.rfind(kWriteFailed, 0) == 0 && msg.find(file.string()) != std::string::npos
           && msg.find(reason) != std::string::npos && h.textColor(hMP, MP_MSG) == tk::kRed;
}

// The disk fills up in the middle of an automatic verification: the torn line
// and the lost ones are shown on the status line while the run goes on (LOG
// keeps every line); once there is room, the next run starts on a line of its own.
TEST(ProtocolWrites, FullDiskDuringAnAutomaticRunIsShownAndTheNextRunStartsOnItsOwnLine)
{
    FixedTime fixed(fixedMoment());
    Harness h{bench()};
    startOn(h);
    showPP(h);
    h.setToggle(hPP, PP_AUTO_POV, true);
    ASSERT_EQ(h.run(), Harness::kRunning);
    const fs::path file = h.folder() / "ksil2.log";
    const auto room = static_cast<std::size_t>(fs::file_size(file)) + 400; // the header and a few rows
    {
        FileSizeLimit full(room);
        ASSERT_TRUE(full.active());
        h.press(hPP, PP_SET);
        ASSERT_EQ(h.run(), Harness::kRunning);
    }
    EXPECT_EQ(fs::file_size(file), room);
    EXPECT_TRUE(statusShowsWriteFailure(h, file, "превышен допустимый размер файла")) << h.text(hMP, MP_MSG);
    const auto log = h.textBoxLines(hCHLP, CHLP_LOG);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), kPassLine);
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.rfind("1      ", 0) == 0; }),
              19);
    const auto torn = fileLines(file);
    ASSERT_FALSE(torn.empty());
    const std::string tornLine = torn.back();
    ASSERT_NE(readTextFile(file).back(), '\n');

    h.press(hPP, PP_SET);
    ASSERT_EQ(h.run(), Harness::kRunning);
    const auto lines = fileLines(file);
    ASSERT_EQ(lines.size(), torn.size() + 1 + 38 + 1);
    EXPECT_EQ(lines[torn.size() - 1], tornLine);
    EXPECT_EQ(lines[torn.size()], kDateLine);
    EXPECT_EQ(lines[torn.size() + 1], resultLine(1, 1.0, reading(1.0), false));
    EXPECT_EQ(lines.back(), cp(kPassLine));
}

// The same for a КСИЛ5 run: the operator is told, BOX_PROT keeps the points,
// and the next run's header does not continue the torn point line.
TEST(ProtocolWrites, FullDiskDuringAKsil5RunIsShownAndTheNextRunStartsOnItsOwnLine)
{
    FixedTime fixed(fixedMoment());
    Harness h{bench(64, false)};
    startOn(h);
    const fs::path file = h.folder() / "ksil5.log";
    constexpr std::size_t kRoom = 150; // the header and part of the first point
    {
        FileSizeLimit full(kRoom);
        ASSERT_TRUE(full.active());
        runKsil5(h);
        ASSERT_EQ(h.run(), Harness::kRunning);
    }
    EXPECT_EQ(fs::file_size(file), kRoom);
    EXPECT_TRUE(statusShowsWriteFailure(h, file, "превышен допустимый размер файла")) << h.text(hMP, MP_MSG);
    const auto box = h.textBoxLines(hPP5, PP5_BOX_PROT);
    ASSERT_GE(box.size(), 9u);
    EXPECT_EQ(box.back(), "   255.000000|   255.000000|     0.000000|     0.600000|       Норма");

    runKsil5(h);
    ASSERT_EQ(h.run(), Harness::kRunning);
    const auto lines = fileLines(file);
    ASSERT_EQ(lines.size(), 6u + 1u + 6u + 9u);
    auto header = ksil5Header();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 7, lines.begin() + 13), header);
    EXPECT_EQ(lines.back(), cp("   255.000000|   255.000000|     0.000000|     0.600000|       Норма"));
}
#endif

// A station set up in Russian: the C library's locale writes and reads a
// decimal comma. Typed numbers are still read, and the protocols, fields and
// cells still show a decimal point.
TEST(RussianStation, NumbersAreTypedAndWrittenWithADecimalPoint)
{
    const RussianCLocale russian;
    ASSERT_TRUE(russian.active()) << kNoRussianLocale;
    FixedTime fixed(fixedMoment());
    Harness h{bench(64, false)};
    startOn(h);
    showPP(h);
    h.setText(hPP, PP_R_Z, "255.5");
    h.press(hPP, PP_SET);
    h.setText(hPP, PP_R_I, "255.7");
    h.press(hPP, PP_INPUT);
    ASSERT_EQ(h.run(), Harness::kRunning);

    EXPECT_EQ(h.text(hPP, PP_R_Z), "255.5");
    EXPECT_EQ(h.cellText(hPP, PP_TABLE_R, 1, 2), "255.5");
    EXPECT_EQ(h.cellText(hPP, PP_TABLE_R, 1, 4), "2.511");
    EXPECT_EQ(last(fileLines(h.folder() / "ksil2.log")),
              cp("1        255.5000 Ом   255.7000 Ом     0.2000 Ом (  0.078%) /    2.5110 Ом (0.983%)/ "));
    EXPECT_EQ(sim::journal("tvksil2_config_R(").back(), onModule(mvi, "tvksil2_config_R", "1, 255.5"));

    h.changeTab(hMP, hTab, kPp5Page);
    h.press(hPP5, PP5_START);
    for (int p = 0; p < 8; ++p) {
        h.setNumber(hPP5, PP5_MEAS_R, ksil5Point(p));
        h.press(hPP5, PP5_NEXT_STEP);
    }
    h.setText(hPP5, PP5_MEAS_R, "255.5");
    h.press(hPP5, PP5_NEXT_STEP);
    ASSERT_EQ(h.run(), Harness::kRunning);
    const std::string point = "   255.000000|   255.500000|     0.500000|     0.600000|       Норма";
    EXPECT_EQ(last(fileLines(h.folder() / "ksil5.log")), cp(point));
    EXPECT_EQ(last(h.textBoxLines(hPP5, PP5_BOX_PROT)), point);
}

} // namespace
