// The status line, the module reset and the self-test dialogue.
#include "session_bench.h"

#include "p_ksil2/session.h"
#include "p_ksil2/status_line.h"
#include "tests/harness/harness.h"

#include <gtest/gtest.h>

#include <string>

using namespace scene;

namespace {

constexpr const char* kCarrier = "VXI0::5::INSTR";

void startWithModule(Harness& h, sim::SelfTest selfTest = {})
{
    add({carrier(kCarrier, 5, {{1, 64}})});
    sim::mezzanine(kCarrier, 1)->selfTest = std::move(selfTest);
    h.chooseFromSelection(0);
    ASSERT_EQ(h.start(), 0);
    ASSERT_NE(mvi, 0u);
}

std::size_t characters(const std::string& utf8)
{
    std::size_t n = 0;
    for (unsigned char c : utf8)
        n += (c & 0xC0) != 0x80;
    return n;
}

struct Question {
    bool buttonsShown = false;
    bool closeDimmed = false;
    double result = 0;
    std::string text;
};

void answerQuestion(Harness& h, Question& q, int button)
{
    tk::headless::respondWhenIdle([&h, &q, button] {
        q.buttonsShown = h.visible(hST, ST_CANCEL) && h.visible(hST, ST_STOP);
        q.closeDimmed = h.dimmed(hST, ST_CLOSE);
        q.result = h.number(hST, ST_RESULT);
        q.text = h.text(hST, ST_MSG);
        h.press(hST, button);
    });
}

} // namespace

TEST(StatusLine, ResetErrorWarningAndSuccess)
{
    Harness h{Bench::empty()};
    startWithModule(h);
    EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kBlack); // after a clean open

    sim::failCall("tvksil2_reset", sim::kStatusBadParameter);
    h.press(hMP, MP_RESET);
    EXPECT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(h.text(hMP, MP_MSG), sim::statusText(sim::kStatusBadParameter) + " tvksil2_reset (mvi)");
    EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kRed);
    EXPECT_EQ(lastStatus, sim::kStatusBadParameter);

    // A warning is shown, then cleared at once; the line keeps its red colour.
    constexpr ViStatus kWarning = 0x3FFF0085;
    sim::failCall("tvksil2_reset", kWarning, 1, 2);
    h.press(hMP, MP_RESET);
    EXPECT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(h.text(hMP, MP_MSG), "");
    EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kRed);
    EXPECT_EQ(lastStatus, kWarning);

    tk::setValue(hMP, MP_MSG, "прежний текст");
    h.press(hMP, MP_RESET);
    EXPECT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(h.text(hMP, MP_MSG), "");
    EXPECT_EQ(lastStatus, 0);
    EXPECT_EQ(sim::callCount("tvksil2_reset"), 3);
}

TEST(StatusLine, ReportTextColourAndLength)
{
    Harness h{Bench::empty()};
    ASSERT_EQ(h.start(), 0);

    reportStatus("tvksil2_switch (mvi, 0, 0)", sim::kStatusBadChannel);
    EXPECT_EQ(h.text(hMP, MP_MSG), sim::statusText(sim::kStatusBadChannel) + " tvksil2_switch (mvi, 0, 0)");
    // Status 0 only greys the line.
    reportStatus("ignored", 0);
    EXPECT_EQ(h.text(hMP, MP_MSG), sim::statusText(sim::kStatusBadChannel) + " tvksil2_switch (mvi, 0, 0)");
    EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kGrey);

    // The status text holds at most 255 characters, cut without breaking a letter.
    std::string longCall;
    for (int i = 0; i < 300; ++i)
        longCall += "ж";
    reportStatus(longCall.c_str(), sim::kStatusBadChannel);
    const std::string shown = h.text(hMP, MP_MSG);
    EXPECT_EQ(characters(shown), 255u);
    EXPECT_EQ(shown.rfind(sim::statusText(sim::kStatusBadChannel) + " жжж", 0), 0u);
    EXPECT_EQ(shown.substr(shown.size() - 2), "ж");
    EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kRed);
}

// A carrier whose module list cannot be read whole: the failed query is shown
// after the module opens, unless opening it has a failure of its own to show.
TEST(StatusLine, FailedModuleQueryGivesWayToAFailedOpening)
{
    Harness h{Bench::empty()};
    startWithModule(h);
    const auto reselect = [&h] {
        h.chooseFromSelection(0);
        h.chooseMenu(MENUBAR_INSTR_SELECT);
        ASSERT_EQ(h.run(), Harness::kRunning);
    };

    sim::failCall("tvbase_m_type_q", -3, 1, sim::callCount("tvbase_m_type_q") + 3);
    reselect();
    EXPECT_NE(mvi, 0u);
    EXPECT_EQ(h.text(hMP, MP_MSG), sim::statusText(-3) + " tvbase_m_type_q");
    EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kRed);

    // The line was red before this choice; only this opening's own failure counts.
    sim::failCall("tvbase_m_type_q", -3, 1, sim::callCount("tvbase_m_type_q") + 3);
    sim::failCall("tvksil2_init", sim::kStatusNoModule, 1, sim::callCount("tvksil2_init") + 1);
    reselect();
    EXPECT_EQ(mvi, 0u);
    EXPECT_EQ(h.text(hMP, MP_MSG), sim::statusText(sim::kStatusNoModule) + " tvksil2_init");

    // A clean opening empties the line again.
    reselect();
    EXPECT_NE(mvi, 0u);
    EXPECT_EQ(h.text(hMP, MP_MSG), "");
}

TEST(SelfTest, WithoutSessionWaitsASecond)
{
    Harness h{Bench::empty()};
    ASSERT_EQ(h.start(), 0);
    ASSERT_EQ(mvi, 0u);
    tk::setValue(hST, ST_RESULT, 5.0);

    const double before = h.elapsed();
    h.press(hMP, MP_SELFTEST);
    EXPECT_EQ(h.run(), Harness::kRunning);
    EXPECT_DOUBLE_EQ(h.elapsed() - before, 1.0);
    EXPECT_TRUE(h.visible(hST));
    EXPECT_EQ(h.number(hST, ST_RESULT), 0);
    EXPECT_EQ(h.text(hST, ST_MSG), "Сеанс не открыт");
    EXPECT_FALSE(h.dimmed(hST, ST_CLOSE));

    h.press(hST, ST_CLOSE);
    EXPECT_EQ(h.run(), Harness::kRunning);
    EXPECT_FALSE(h.visible(hST));
}

TEST(SelfTest, DriverQuestionAnsweredContinue)
{
    Harness h{Bench::empty()};
    sim::SelfTest test;
    test.questions = {{7, "Замкните перемычку"}};
    startWithModule(h, test);

    Question q;
    answerQuestion(h, q, ST_CANCEL);
    h.press(hMP, MP_SELFTEST);
    EXPECT_EQ(h.run(), Harness::kRunning);

    EXPECT_TRUE(q.buttonsShown);
    EXPECT_TRUE(q.closeDimmed);
    EXPECT_EQ(q.result, 7);
    EXPECT_EQ(q.text, "Замкните перемычку");
    EXPECT_EQ(selftestAnswer, 0);
    EXPECT_EQ(h.number(hST, ST_RESULT), 0);
    EXPECT_EQ(h.text(hST, ST_MSG), "Самоконтроль завершен успешно");
    EXPECT_FALSE(h.visible(hST, ST_CANCEL));
    EXPECT_FALSE(h.visible(hST, ST_STOP));
    EXPECT_FALSE(h.dimmed(hST, ST_CLOSE));
}

TEST(SelfTest, DriverQuestionAnsweredStop)
{
    Harness h{Bench::empty()};
    sim::SelfTest test;
    test.questions = {{3, "Первый вопрос"}, {4, "Второй вопрос"}};
    test.stoppedResult = -2;
    test.stoppedText = "Прервано";
    startWithModule(h, test);

    Question q;
    answerQuestion(h, q, ST_STOP);
    h.press(hMP, MP_SELFTEST);
    EXPECT_EQ(h.run(), Harness::kRunning); // a second question would find no answer queued

    EXPECT_EQ(q.text, "Первый вопрос");
    EXPECT_EQ(selftestAnswer, 1);
    EXPECT_EQ(h.number(hST, ST_RESULT), -2);
    EXPECT_EQ(h.text(hST, ST_MSG), "Прервано");
    EXPECT_FALSE(h.visible(hST, ST_STOP));
}

TEST(SelfTest, TextLeftUntouchedByTheDriver)
{
    Harness h{Bench::empty()};
    sim::SelfTest test;
    test.leaveText = true;
    test.result = 3;
    test.text = "не должно появиться";
    startWithModule(h, test);

    const double before = h.elapsed();
    h.press(hMP, MP_SELFTEST);
    EXPECT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(h.number(hST, ST_RESULT), 3);
    EXPECT_EQ(h.text(hST, ST_MSG), "Самоконтроль завершен успешно");
    EXPECT_DOUBLE_EQ(h.elapsed() - before, 0.0); // the one-second wait is only for no session
}

TEST(SelfTest, FailedCallIsNotShownAsSuccess)
{
    Harness h{Bench::empty()};
    startWithModule(h);
    sim::failCall("tvksil2_self_test", sim::kStatusNotConnected);

    h.press(hMP, MP_SELFTEST);
    EXPECT_EQ(h.run(), Harness::kRunning);
    EXPECT_EQ(h.text(hST, ST_MSG), sim::statusText(sim::kStatusNotConnected));
    EXPECT_EQ(h.text(hMP, MP_MSG),
              sim::statusText(sim::kStatusNotConnected) + " tvksil2_self_test (mvi, &result, text)");
    EXPECT_EQ(h.textColor(hMP, MP_MSG), tk::kRed);
    EXPECT_FALSE(h.dimmed(hST, ST_CLOSE));
}
