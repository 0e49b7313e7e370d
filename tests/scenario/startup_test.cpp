// Start-up on the simulated bench, and a panel resource that cannot be loaded.
#include "tests/harness/harness.h"

#include "p_ksil2/app_state.h"
#include "tests/support/read_file.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace {

void writeFile(const std::filesystem::path& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

TEST(Startup, FirstModuleOpenedAndWindowShown)
{
    Harness h;
    h.chooseFromSelection(0);
    h.chooseFromSelection(0); // the mezzanine multimeter, offered first by the search
    ASSERT_EQ(h.start(), 0);

    EXPECT_NE(mvi, 0u);
    EXPECT_EQ(moduleModel, 64);
    EXPECT_TRUE(h.visible(hMP));
    EXPECT_EQ(h.tabTitles(), (std::vector<std::string>{"Калибровка", "Поверка", "Поверка КСИЛ5"}));
    EXPECT_TRUE(h.ledOn(hMP, MP_LED));
    EXPECT_EQ(h.ledColor(hMP, MP_LED), tk::kYellow);
    EXPECT_TRUE(h.popups().empty());
    EXPECT_TRUE(h.visible(hMP, MP_AUTO_POV));
    EXPECT_FALSE(h.dimmed(hPP, PP_AUTO_POV));
    EXPECT_EQ(h.run(), Harness::kRunning);
}

TEST(Startup, CancelledChoiceLeavesNoSession)
{
    Harness h;
    h.cancelSelection();
    ASSERT_EQ(h.start(), 0);

    EXPECT_EQ(mvi, 0u);
    EXPECT_EQ(moduleModel, 0);
    EXPECT_FALSE(h.ledOn(hMP, MP_LED));
    EXPECT_TRUE(h.popups().empty());
    EXPECT_EQ(h.run(), Harness::kRunning);
}

TEST(Startup, AboutShowsDriverRevisionAndProgramVersion)
{
    Harness h{Bench::empty()};
    ASSERT_EQ(h.start(), 0);

    char driver[256] = "";
    char instrument[256] = "";
    tvksil2_revision_query(0, driver, instrument);
    ASSERT_STRNE(driver, "");
    EXPECT_EQ(h.text(hABOUT, ABOUT_DRVR_VERSION), driver);
    EXPECT_EQ(h.text(hABOUT, ABOUT_SOFT_VERSION), "1.1.0");
    EXPECT_FALSE(h.visible(hABOUT));
}

TEST(Startup, UnansweredSelectionFailsTheTestInsteadOfHanging)
{
    Harness h;
    int result = 0;
    EXPECT_NONFATAL_FAILURE(result = h.start(), "waits for an operator action the test did not queue");
    EXPECT_EQ(result, Harness::kStuck);
    EXPECT_FALSE(h.running());
}

// Each broken resource: start-up returns -1 and prints one line naming the file.
class BrokenResource : public testing::Test {
protected:
    int startWith(const std::string* content)
    {
        const auto dir = h.folder() / "resource";
        std::filesystem::create_directories(dir);
        if (content)
            writeFile(dir / kResourceFile, *content);
        setResourceDir(dir.string());
        testing::internal::CaptureStderr();
        const int result = h.start();
        stderrText = testing::internal::GetCapturedStderr();
        return result;
    }
    static std::string goodResource()
    {
        return readBytes(std::filesystem::path(KSIL_RESOURCE_DIR) / kResourceFile);
    }
    void expectOneLineNamingTheFile() const
    {
        EXPECT_NE(stderrText.find(kResourceFile), std::string::npos) << stderrText;
        ASSERT_FALSE(stderrText.empty());
        EXPECT_EQ(stderrText.find('\n'), stderrText.size() - 1) << stderrText;
    }
    Harness h{Bench::empty()};
    std::string stderrText;
};

TEST_F(BrokenResource, Missing)
{
    EXPECT_EQ(startWith(nullptr), -1);
    expectOneLineNamingTheFile();
}

TEST_F(BrokenResource, NotJson)
{
    const std::string text = "{ \"panels\": [ ";
    EXPECT_EQ(startWith(&text), -1);
    expectOneLineNamingTheFile();
}

TEST_F(BrokenResource, UnknownCallbackName)
{
    std::string text = goodResource();
    const std::string name = "\"exitCB\"";
    const auto at = text.find(name);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, name.size(), "\"exitCallback\"");
    EXPECT_EQ(startWith(&text), -1);
    expectOneLineNamingTheFile();
    EXPECT_NE(stderrText.find("exitCallback"), std::string::npos) << stderrText;
}

// Without the canvas of the tab pages the program ends with a message, not an
// empty one, before anything tries to turn it into the tab control.
TEST_F(BrokenResource, MainWindowWithoutCanvas)
{
    std::string text = goodResource();
    const std::string canvas = "\"kind\": \"canvas\"";
    const auto at = text.find(canvas);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, canvas.size(), "\"kind\": \"decoration\"");
    EXPECT_EQ(startWith(&text), -1);
    expectOneLineNamingTheFile();
    EXPECT_NE(stderrText.find("panel MP (5): control CANVAS (20) is a decoration: the program needs a canvas"),
              std::string::npos)
        << stderrText;
}

TEST_F(BrokenResource, MenuBarMissing)
{
    std::string text = goodResource();
    // Renaming the menu bar's callback fails the menu-bar load, after every panel loaded.
    const std::string name = "\"MenuCallback\"";
    auto at = text.find(name);
    ASSERT_NE(at, std::string::npos);
    for (; at != std::string::npos; at = text.find(name, at))
        text.replace(at, name.size(), "\"MenuCB\"");
    EXPECT_EQ(startWith(&text), -1);
    expectOneLineNamingTheFile();
    EXPECT_GT(hMP, 0); // the panels before it were loaded
    EXPECT_LT(hMenuBar, 0);
}

} // namespace
