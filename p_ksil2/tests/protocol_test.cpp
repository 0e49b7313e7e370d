// The КСИЛ2-4Л and КСИЛ5 protocols: the bytes in the files, the LOG and
// BOX_PROT mirrors, the choice of the protocol file and the viewer.
#include "p_ksil2/protocol.h"
#include "platform/datetime.h"
#include "platform/process.h"
#include "tests/support/read_file.h"
#include "tests/support/time_zone.h"
#include "tests/harness/harness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>

namespace {

namespace fs = std::filesystem;

// 3 February 2026, 09:05:07 UTC.
constexpr std::time_t kWhen = 1770109507;

// Expected protocol bytes, written out in Windows-1251.
const std::string kDateLine = "02-03-2026, 09:05:07\n";
const std::string kTitle = "\xCF\xF0\xEE\xF2\xEE\xEA\xEE\xEB \xEF\xF0\xEE\xE2\xE5\xF0\xEA\xE8 \xEF\xEE\xE3\xF0\xE5\xF8"
                           "\xED\xEE\xF1\xF2\xE8 \xEC\xE5\xE7\xEE\xED\xE8\xED\xE0 \xCA\xD1\xC8\xCB" "2-4\xCB\n";
const std::string kHeader = "\xEA\xE0\xED\xE0\xEB          R\xE7            Rx           A(R)x                   "
                            "/\xED\xEE\xF0\xEC\xE0/\n";
const std::string kRowWithin = "1          1.0000 \xCE\xEC     1.2000 \xCE\xEC     0.2000 \xCE\xEC ( 20.000%) /    2.0020 "
                               "\xCE\xEC (200.200%)/ \n";
const std::string kRowOut = "2      131072.0000 \xCE\xEC 131500.0000 \xCE\xEC   428.0000 \xCE\xEC (  0.327%) /  264.1440 "
                            "\xCE\xEC (0.202%)/ \xED\xE5 \xED\xEE\xF0\xEC\xE0\n";
const std::string kRowZero = "1          0.0000 \xCE\xEC     0.5000 \xCE\xEC     0.5000 \xCE\xEC (  0.000%) /    2.0000 "
                             "\xCE\xEC (0.000%)/ \n";

class Protocol : public ::testing::Test {
protected:
    void SetUp() override
    {
        utc_.emplace("UTC0");
        platform::setCurrentTime(kWhen);
        ASSERT_EQ(h.start(), 0);
    }

    void TearDown() override
    {
        platform::setCurrentTime(0);
        utc_.reset();
    }

    // The operator brings PP to the front; its protocol opens on the first time.
    void showPP()
    {
        h.changeTab(hMP, hTab, 1);
        ASSERT_EQ(h.run(), Harness::kRunning);
        tabCB(hMP, hTab, tk::EVENT_TAB_CHANGED, nullptr, hPP, 0);
    }

    void chooseProtocol(const std::string& path)
    {
        h.answerFile(path);
        h.press(hPP, PP_FILE_NAME_S);
        ASSERT_EQ(h.run(), Harness::kRunning);
    }

    std::vector<std::string> log() const { return h.textBoxLines(hCHLP, CHLP_LOG); }
    fs::path file(const std::string& name) const { return h.folder() / name; }

    Harness h{Bench::empty()};
    std::optional<TimeZone> utc_;
};

TEST_F(Protocol, ResultLinesByteForByteWithHeaderFirstAndLogMirror)
{
    showPP();
    ASSERT_GT(logFile, 0);
    logPovResult(1, 1.0, 1.2, 0.2, false);
    logPovResult(2, 131072.0, 131500.0, 428.0, true);
    logPovResult(1, 0.0, 0.5, 0.5, false);

    EXPECT_EQ(readTextFile(file("ksil2.log")), kDateLine + kTitle + kHeader + kRowWithin + kRowOut + kRowZero);
    EXPECT_EQ(log(), (std::vector<std::string>{
                         "02-03-2026, 09:05:07",
                         "Протокол проверки погрешности мезонина КСИЛ2-4Л",
                         "канал          Rз            Rx           A(R)x                   /норма/",
                         "1          1.0000 Ом     1.2000 Ом     0.2000 Ом ( 20.000%) /    2.0020 Ом (200.200%)/ ",
                         "2      131072.0000 Ом 131500.0000 Ом   428.0000 Ом (  0.327%) /  264.1440 Ом (0.202%)/ "
                         "не норма",
                         "1          0.0000 Ом     0.5000 Ом     0.5000 Ом (  0.000%) /    2.0000 Ом (0.000%)/ ",
                     }));
    // Only the out-of-norm line stands out in LOG.
    for (int line = 3; line <= 5; ++line)
        EXPECT_EQ(tk::textBoxLineColor(hCHLP, CHLP_LOG, line) == tk::kRed, line == 4) << line;
}

TEST_F(Protocol, HeaderOncePerProgramRunEvenAcrossTwoFiles)
{
    showPP();
    logPovResult(1, 1.0, 1.2, 0.2, false);
    const std::string second = file("second.log").string();
    chooseProtocol(second);
    EXPECT_EQ(h.text(hPP, PP_FILE_NAME), second);
    EXPECT_EQ(logFileName, second);
    logPovResult(1, 1.0, 1.2, 0.2, false);

    EXPECT_EQ(readTextFile(file("ksil2.log")), kDateLine + kTitle + kHeader + kRowWithin);
    EXPECT_EQ(readTextFile(second), kDateLine + kTitle + kRowWithin);
    // The new opening emptied LOG first.
    EXPECT_EQ(log().size(), 3u);
}

TEST_F(Protocol, FailedOpeningGoesToLogOnlyAndIsRetriedOnlyByChoosingAFile)
{
    logFileName = file("no-such-folder/ksil2.log").string();
    showPP();
    EXPECT_EQ(logFile, -1);
    ASSERT_EQ(h.popups().size(), 1u);
    EXPECT_EQ(h.lastPopup().title, "Ошибка открытия файла протокола.");
    EXPECT_EQ(h.lastPopup().text, "Сообщения будут выводиться только на экран");
    logPovResult(1, 1.0, 1.2, 0.2, false);
    EXPECT_EQ(log().size(), 4u);
    EXPECT_EQ(log()[1], "Протокол проверки погрешности мезонина КСИЛ2-4Л");

    // Showing PP again does not retry; choosing the same path again does.
    tabCB(hMP, hTab, tk::EVENT_TAB_CHANGED, nullptr, hPP, 0);
    EXPECT_EQ(h.popups().size(), 1u);
    fs::create_directory(file("no-such-folder"));
    chooseProtocol(logFileName);
    EXPECT_GT(logFile, 0);
    EXPECT_EQ(readTextFile(logFileName), kDateLine + kTitle);
}

TEST_F(Protocol, OnlyTheFirstShowingOfPPOpensAndItFocusesTheSetValue)
{
    tabCB(hMP, hTab, tk::EVENT_TAB_CHANGED, nullptr, hCP, 0);
    EXPECT_EQ(logFile, 0);
    showPP();
    ASSERT_GT(logFile, 0);
    EXPECT_EQ(tk::activeCtrl(hPP), PP_R_Z);
    logPrintf(logFile, "mark\n");
    tabCB(hMP, hTab, tk::EVENT_TAB_CHANGED, nullptr, hPP, 0);
    EXPECT_EQ(log().back(), "mark");
    EXPECT_EQ(readTextFile(file("ksil2.log")), kDateLine + kTitle + "mark\n");
}

TEST_F(Protocol, WriterCutsLongTextsFlushesEveryLineAndScrollsLog)
{
    showPP();
    // Widths count characters: two Cyrillic letters take two places of six.
    logPrintf(logFile, "[%6s|%-4s]\n", "Ом", "ж");
    // Each write is in the file while it is still open.
    EXPECT_EQ(readTextFile(file("ksil2.log")), kDateLine + kTitle + "[    \xCE\xEC|\xE6   ]\n");

    const std::string longText(3000, 'x');
    logPrintf(logFile, "%s\n", longText);
    logPrintf(logFile, "after\n");
    EXPECT_EQ(readTextFile(file("ksil2.log")),
              kDateLine + kTitle + "[    \xCE\xEC|\xE6   ]\n" + std::string(1022, 'x') + "\nafter\n");

    // Inner line feeds make LOG lines; one final line feed is dropped, a second stays.
    logPrintf(logFile, "one\ntwo\n\n");
    const auto lines = log();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()), (std::vector<std::string>{"one", "two", ""}));

    for (int i = 0; i < 60; ++i)
        logPrintf(logFile, "line %d\n", i);
    const int total = tk::numTextBoxLines(hCHLP, CHLP_LOG);
    const int visible = tk::attr(hCHLP, CHLP_LOG, tk::Attr::VisibleLines);
    ASSERT_GT(total, visible);
    EXPECT_EQ(tk::attr(hCHLP, CHLP_LOG, tk::Attr::FirstVisibleLine), total - visible);
}

TEST_F(Protocol, ChoosingTheProtocolFileComparesWithTheFileOpenNow)
{
    showPP();
    logPrintf(logFile, "mark\n");

    // Cancel: nothing changes.
    chooseProtocol("");
    EXPECT_EQ(h.text(hPP, PP_FILE_NAME), "ksil2.log");
    EXPECT_EQ(log().back(), "mark");

    // The open file under another spelling is not reopened; the name shows.
    fs::create_directory(file("sub"));
    const std::string sameFile = (h.folder() / "sub" / ".." / "ksil2.log").string();
    chooseProtocol(sameFile);
    EXPECT_EQ(h.text(hPP, PP_FILE_NAME), sameFile);
    EXPECT_EQ(log().back(), "mark");
    EXPECT_EQ(logFileName, "ksil2.log");

    const std::string upper = file("KSIL2.LOG").string();
    chooseProtocol(upper);
#if defined(_WIN32)
    // Letter case does not matter to Windows: it is the file open now.
    EXPECT_EQ(logFileName, "ksil2.log");
    EXPECT_EQ(readTextFile(upper), kDateLine + kTitle + "mark\n");
#else
    // Where letter case matters, another case is another file, and it is opened.
    EXPECT_TRUE(fs::exists(upper));
    EXPECT_EQ(readTextFile(upper), kDateLine + kTitle);
    EXPECT_EQ(logFileName, upper);
#endif

    // Choosing is judged by the file open now, not by the name held: a choice
    // that names another file opens it, so the file named on the panel is the
    // one that receives the results.
    const std::string ksil5 = file("ksil5.log").string();
    logFileName = ksil5;
    chooseProtocol(ksil5);
    logPovResult(1, 1.0, 1.2, 0.2, false);
    EXPECT_EQ(readTextFile(ksil5), kDateLine + kTitle + kHeader + kRowWithin);
#if !defined(_WIN32)
    EXPECT_EQ(readTextFile(upper), kDateLine + kTitle);
#endif
    EXPECT_EQ(h.text(hPP, PP_FILE_NAME), ksil5);
}

TEST_F(Protocol, Ksil5LinesInTheFileAndInTheBox)
{
    const std::string path = file("ksil5.log").string();
    const int f = ksil5OpenProtocol(path);
    ASSERT_GT(f, 0);
    ksil5WriteRunHeader(f, kWhen);
    ksil5WriteChannelTitles(f, 2);
    ksil5WritePoint(f, 1.0, 1.3, 0.6, false);
    ksil5WritePoint(f, 255.0, 256.0, 0.6, true);
    ksil5CloseProtocol(f);

    EXPECT_EQ(readTextFile(path), "\n\n\xC2\xF0\xE5\xEC\xFF:9:5:7, \xC4\xE0\xF2\xE0: 3-2-2026 \n\n"
                              " \xCF\xF0\xEE\xE2\xE5\xF0\xFF\xE5\xEC\xFB\xE9 \xEA\xE0\xED\xE0\xEB 2\n"
                              "           Rn|           Rx|           dR|           An|   "
                              "\xD0\xE5\xE7\xF3\xEB\xFC\xF2\xE0\xF2\n"
                              "     1.000000|     1.300000|     0.300000|     0.600000|       \xCD\xEE\xF0\xEC\xE0\n"
                              "   255.000000|   256.000000|     1.000000|     0.600000|    "
                              "\xCD\xE5 \xED\xEE\xF0\xEC\xE0\n");
    EXPECT_EQ(h.textBoxLines(hPP5, PP5_BOX_PROT),
              (std::vector<std::string>{
                  "", "Время:9:5:7, Дата: 3-2-2026 ", "",
                  " Проверяемый канал 2",
                  "           Rn|           Rx|           dR|           An|   Результат",
                  "     1.000000|     1.300000|     0.300000|     0.600000|       Норма",
                  "   255.000000|   256.000000|     1.000000|     0.600000|    Не норма",
              }));
}

struct RecordingLauncher : platform::Launcher {
    struct Start {
        std::string program;
        std::vector<std::string> args;
    };
    int start(const std::string& program, const std::vector<std::string>& args) override
    {
        starts.push_back({program, args});
        return result;
    }
    std::vector<Start> starts;
    int result = 0;
};

class Ksil5Viewer : public Protocol {
protected:
    void SetUp() override
    {
        Protocol::SetUp();
        platform::setLauncher(&launcher);
        h.changeTab(hMP, hTab, 2);
        ASSERT_EQ(h.run(), Harness::kRunning);
    }
    void TearDown() override
    {
        platform::setLauncher(nullptr);
        Protocol::TearDown();
    }
    void openWith(const std::string& path)
    {
        h.setText(hPP5, PP5_LINE_PROT, path);
        h.press(hPP5, PP5_OPEN_PROT);
        ASSERT_EQ(h.run(), Harness::kRunning);
    }
    RecordingLauncher launcher;
};

TEST_F(Ksil5Viewer, PathIsTheViewersOneArgumentWhateverItHolds)
{
    const std::string path = file("a \"b\"; touch pwned; $(touch pwned2) `touch pwned3` c.log").string();
    openWith(path);
    ASSERT_EQ(launcher.starts.size(), 1u);
    EXPECT_EQ(launcher.starts[0].program, platform::textViewer());
    EXPECT_EQ(launcher.starts[0].args, std::vector<std::string>{path});
    EXPECT_EQ(pp5ProtFile, path);
    EXPECT_TRUE(h.popups().empty());
    for (const char* name : {"pwned", "pwned2", "pwned3"})
        EXPECT_FALSE(fs::exists(file(name))) << name;

    // A name that would read as an option is passed as a path.
    openWith("-x.log");
    ASSERT_EQ(launcher.starts.size(), 2u);
    EXPECT_EQ(launcher.starts[1].args, std::vector<std::string>{"./-x.log"});
}

TEST_F(Ksil5Viewer, OperatorToldWhenNoViewerStarts)
{
    launcher.result = -1;
    openWith("C:\\протоколы\\ksil5.log");
    ASSERT_EQ(h.popups().size(), 1u);
    EXPECT_NE(h.lastPopup().text.find("C:\\протоколы\\ksil5.log"), std::string::npos);
}

TEST_F(Ksil5Viewer, ChosenPathShowsAndCancelKeepsIt)
{
    const std::string path = file("run.log").string();
    h.answerFile(path, true);
    h.press(hPP5, PP5_SET_PROT);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(h.text(hPP5, PP5_LINE_PROT), path);
    EXPECT_EQ(h.lastPopup().title, "Сообщение оператору");

    h.answerFile("");
    h.press(hPP5, PP5_SET_PROT);
    ASSERT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(h.text(hPP5, PP5_LINE_PROT), path);
}

} // namespace
