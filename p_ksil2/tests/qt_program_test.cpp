// The real program on the Qt backend (offscreen): what the operator sees and
// clicks reaches the program's own callbacks.
#include "tests/harness/harness.h"
#include "toolkit/qt/widgets.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QWidget* panelContent(const char* name)
{
    for (QWidget* w : QApplication::allWidgets())
        if (w->objectName() == name)
            return w;
    return nullptr;
}

QWidget* mainWindowContent() { return panelContent("MP"); }

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

// The pictures of MP and ABOUT show their artwork, and on ABOUT the text that
// goes with the program-version label stands clear of that label.
TEST(QtProgram, PicturesShowTheirArtworkAndAboutTextsDoNotOverlap)
{
    Harness h{Bench::empty()};
    ASSERT_EQ(h.startWithQt(), 0);
    QWidget* mp = mainWindowContent();
    QWidget* about = panelContent("ABOUT");
    ASSERT_NE(mp, nullptr);
    ASSERT_NE(about, nullptr);

    for (auto [panel, name] : {std::pair{mp, "PICTURE"}, std::pair{mp, "PICTURE_2"},
                               std::pair{about, "PICTURE_2"}, std::pair{about, "VXI_LOGO"}}) {
        auto* picture = dynamic_cast<tk::qtui::PictureFrame*>(panel->findChild<QWidget*>(name));
        ASSERT_NE(picture, nullptr) << name;
        EXPECT_FALSE(picture->image().isNull()) << panel->objectName().toStdString() << " " << name;
    }

    tk::displayPanel(hABOUT);
    tk::processEvents();
    auto* text = about->findChild<QLabel*>("TEXTMSG");
    auto* versionLabel = about->findChild<QLabel*>("SOFT_VERSION_label");
    ASSERT_NE(text, nullptr);
    ASSERT_NE(versionLabel, nullptr);
    const QRect textRect(text->pos(), text->fontMetrics().boundingRect(text->text()).size());
    EXPECT_FALSE(textRect.intersects(versionLabel->geometry()))
        << "text at " << textRect.x() << "," << textRect.y() << " " << textRect.width() << "x" << textRect.height()
        << ", label at " << versionLabel->x() << "," << versionLabel->y() << " " << versionLabel->width() << "x"
        << versionLabel->height();
}

} // namespace
