// The operator message panel on the headless backend.
#include "p_ksil2/msgp.h"
#include "tests/harness/harness.h"
#include "toolkit/headless/headless.h"

#include <gtest/gtest.h>

namespace {

int messageBox(int panel)
{
    // The panel's one control, its text box: probing the other ids is expected to miss.
    tk::headless::ExpectMisuse probing;
    for (int id = 1; id < 10; ++id)
        if (tk::numTextBoxLines(panel, id) >= 0)
            return id;
    return 0;
}

TEST(MessagePanel, MadeOnceCentredUntitledAndSizedToTheWholeText)
{
    Harness h{Bench::empty()};
    ASSERT_EQ(h.start(), 0);
    EXPECT_EQ(msgpPanel(), 0);
    msgpHide(); // nothing to hide yet

    // An operator action waiting in the queue is not dispatched by the message.
    h.press(hMP, MP_EXIT);
    msgpShow("\nПодождите,\n\nидет открытие инструмента HP1412\n");
    EXPECT_EQ(tk::headless::pendingActions(), 1u);

    const int panel = msgpPanel();
    ASSERT_GT(panel, 0);
    const int box = messageBox(panel);
    ASSERT_GT(box, 0);
    EXPECT_TRUE(h.visible(panel));
    EXPECT_EQ(h.title(panel), "");
    EXPECT_EQ(tk::attr(panel, 0, tk::Attr::Top), tk::kCentered);
    EXPECT_EQ(tk::attr(panel, 0, tk::Attr::Left), tk::kCentered);
    EXPECT_EQ(tk::attr(panel, 0, tk::Attr::Width), 400);
    EXPECT_EQ(tk::attr(panel, box, tk::Attr::BackColor), 0xFFFFCC);
    EXPECT_EQ(h.textBoxLines(panel, box),
              (std::vector<std::string>{"", "Подождите,", "", "идет открытие инструмента HP1412", ""}));
    EXPECT_EQ(tk::attr(panel, box, tk::Attr::VisibleLines), 5);
    EXPECT_EQ(tk::attr(panel, 0, tk::Attr::Height), tk::attr(panel, box, tk::Attr::Height));
    const int fiveLines = tk::attr(panel, 0, tk::Attr::Height);

    // Carriage returns before line feeds are not shown; a shorter text shrinks the panel.
    msgpShow("\r\nИДЕТ КАЛИБРОВКА\r\n");
    EXPECT_EQ(msgpPanel(), panel);
    EXPECT_EQ(h.textBoxLines(panel, box), (std::vector<std::string>{"", "ИДЕТ КАЛИБРОВКА", ""}));
    EXPECT_EQ(tk::attr(panel, box, tk::Attr::VisibleLines), 3);
    EXPECT_LT(tk::attr(panel, 0, tk::Attr::Height), fiveLines);
    EXPECT_EQ(tk::attr(panel, 0, tk::Attr::Height), tk::attr(panel, box, tk::Attr::Height));

    msgpHide();
    EXPECT_FALSE(h.visible(panel));
    msgpShow("снова");
    EXPECT_TRUE(h.visible(panel));
    EXPECT_EQ(msgpPanel(), panel);
}

} // namespace
