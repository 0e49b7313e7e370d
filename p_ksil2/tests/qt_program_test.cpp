// The real program on the Qt backend (offscreen): what the operator sees and
// clicks reaches the program's own callbacks.
#include "tests/harness/harness.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QWidget* mainWindowContent()
{
    for (QWidget* w : QApplication::allWidgets())
        if (w->objectName() == "MP")
            return w;
    return nullptr;
}

TEST(QtProgram, PanelsTabsExitAndValuesOnRealWidgets)
{
    Harness h{Bench::empty()};
    ASSERT_EQ(h.startWithQt(), 0);

    QWidget* mp = mainWindowContent();
    ASSERT_NE(mp, nullptr);
    EXPECT_TRUE(mp->window()->isVisible());

    auto* tabs = mp->findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Калибровка"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Поверка"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("Поверка КСИЛ5"));

    // A status text set by the program shows in the status line.
    tk::setValue(hMP, MP_MSG, "Идет инициализация");
    auto* msg = mp->findChild<QLineEdit*>("MSG");
    ASSERT_NE(msg, nullptr);
    EXPECT_EQ(msg->text(), QStringLiteral("Идет инициализация"));

    // A click on "Выход" reaches exitCB when the program pumps.
    auto* exitButton = mp->findChild<QPushButton*>("EXIT");
    ASSERT_NE(exitButton, nullptr);
    EXPECT_EQ(exitButton->text(), QStringLiteral("Выход"));
    ASSERT_EQ(exitRequest, 0);
    QTest::mouseClick(exitButton, Qt::LeftButton);
    tk::processEvents();
    EXPECT_EQ(exitRequest, 1);
}

} // namespace
