// The message panel and the protocol box on the Qt backend (offscreen).
#include "p_ksil2/msgp.h"
#include "p_ksil2/protocol.h"
#include "tests/harness/harness.h"
#include "toolkit/qt/qt_backend.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

#include <gtest/gtest.h>

#include <set>

namespace {

// Records every widget that received a paint event.
struct PaintRecorder : QObject {
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            painted.insert(o);
        return false;
    }
    std::set<QObject*> painted;
};

QPlainTextEdit* messageBox()
{
    QWidget* window = tk::qtui::current()->panelWindow(msgpPanel());
    return window ? window->findChild<QPlainTextEdit*>() : nullptr;
}

// The run behind the message pumps no events: the panel must be on the screen
// when msgpShow returns. Needs the Qt backend to paint a panel as it is displayed.
TEST(QtMessagePanel, PaintedBeforeTheCallerGoesOnAndShowsTheWholeText)
{
    Harness h{Bench::empty()};
    ASSERT_EQ(h.startWithQt(), 0);
    tk::processEvents();

    PaintRecorder recorder;
    qApp->installEventFilter(&recorder);
    msgpShow("\nПодождите,\n\nидет открытие инструмента HP1412\n");
    qApp->removeEventFilter(&recorder);

    QPlainTextEdit* box = messageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->window()->isVisible());
    EXPECT_TRUE(recorder.painted.count(box->viewport())) << "the message was not painted before msgpShow returned";
    EXPECT_EQ(box->window()->windowTitle(), QString());
    EXPECT_EQ(box->palette().color(QPalette::Base), QColor(0xFF, 0xFF, 0xCC));
    // Every line is in view: nothing to scroll to.
    EXPECT_EQ(box->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(box->document()->blockCount(), 5);
    msgpHide();
    EXPECT_FALSE(box->window()->isVisible());
}

TEST(QtProtocolBox, LogShowsItsLastLine)
{
    Harness h{Bench::empty()};
    ASSERT_EQ(h.startWithQt(), 0);
    tk::installPopup(hCHLP);
    for (int i = 0; i < 200; ++i)
        logPrintf(0, "строка %d\n", i);
    tk::processEvents();
    auto* log = dynamic_cast<QPlainTextEdit*>(tk::qtui::current()->controlField(hCHLP, CHLP_LOG));
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->document()->blockCount(), 200);
    EXPECT_EQ(log->document()->lastBlock().text(), QStringLiteral("строка 199"));
    EXPECT_GT(log->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(log->verticalScrollBar()->value(), log->verticalScrollBar()->maximum());
    tk::removePopup(1);
}

} // namespace
