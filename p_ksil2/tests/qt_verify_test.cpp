// The automatic verification on the Qt backend (offscreen). The run pumps no
// events, yet each result row is on the screen before the next point is
// measured, and the status line keeps showing what was reported on the way.
#include "p_ksil2/tests/qt_run_watch.h"
#include "tests/harness/harness.h"
#include "tests/scenario/verify_bench.h"
#include "tests/support/carrier_picker.h"

#include "p_ksil2/manual.h"
#include "p_ksil2/verify.h"
#include "si/select.h"
#include "sim/bench.h"
#include "toolkit/backend.h"
#include "toolkit/qt/qt_backend.h"
#include "toolkit/qt/tests/held_input.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

using verify::WatchingClock;

// What a widget showed the last time it was painted.
class PaintWatch : public QObject {
public:
    PaintWatch(QWidget* widget, std::function<QString()> shown) : shown_(std::move(shown))
    {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            painted = shown_();
            ++paints;
        }
        return false;
    }
    QString painted;
    int paints = 0;

private:
    std::function<QString()> shown_;
};

// The Qt run-time exists before start-up, so that the operator's timers can.
void ensureApplication()
{
    static int argc = 1;
    static char name[] = "p_ksil2_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QApplication(argc, argv);
}

// Started on the Qt backend with the first carrier double-clicked in the
// selection dialog; PP shown in automatic mode.
void startAutomatic(Harness& h)
{
    ensureApplication();
    const CarrierPicker picker;
    ASSERT_EQ(h.startWithQt(), 0);
    ASSERT_NE(mvi, 0u);
    tk::setActiveTabPage(hMP, hTab, 1);
    tk::setValue(hPP, PP_AUTO_POV, 1.0);
    auto_pov(hPP, PP_AUTO_POV, tk::EVENT_COMMIT, nullptr, 0, 0);
    tk::processEvents();
}

TEST(QtVerification, EachRowIsOnTheScreenBeforeTheNextPointIsMeasured)
{
    Harness h{verify::bench()};
    startAutomatic(h);

    auto* table = qobject_cast<QTableWidget*>(tk::qtui::current()->controlField(hPP, PP_TABLE_R));
    auto* status = qobject_cast<QLineEdit*>(tk::qtui::current()->controlField(hMP, MP_MSG));
    ASSERT_NE(table, nullptr);
    ASSERT_NE(status, nullptr);
    auto lastRow = [table] {
        const int n = table->rowCount();
        const QTableWidgetItem* item = n > 0 ? table->item(n - 1, 2) : nullptr;
        return QString::number(n) + QStringLiteral(": ") + (item ? item->text() : QString());
    };
    PaintWatch rows(table->viewport(), lastRow);
    PaintWatch line(status, [status] { return status->text(); });

    // Channel 2 is switched on with a warning, shown on the status line.
    const ViStatus warning = 0x3FFA0F01;
    sim::failCall("tvksil2_switch", warning, 1, sim::callCount("tvksil2_switch") + 4);
    const QString warningText = QString::fromStdString(sim::statusText(warning) + " tvksil2_switch (mvi, chan, 1)");

    WatchingClock clock;
    platform::setClock(&clock);
    int looks = 0;
    clock.watch = [&] {
        const int n = tk::numTableRows(hPP, PP_TABLE_R);
        if (n == 0)
            return;
        ++looks;
        ASSERT_EQ(table->rowCount(), n);
        ASSERT_FALSE(table->item(n - 1, 2)->text().isEmpty());
        EXPECT_EQ(rows.painted, lastRow()) << "at row " << n;
        if (n > 19) {
            EXPECT_EQ(line.painted, warningText);
        }
    };
    qt_run::runWatched(h, clock); // the verdict closed as it shows

    EXPECT_EQ(tk::numTableRows(hPP, PP_TABLE_R), 38);
    EXPECT_GT(looks, 37 * 3);
    EXPECT_GE(rows.paints, 38);
}

// The run's progress line and its dimmed "Запустить", as painted in each wait
// once the first row is in.
TEST(QtVerification, ProgressAndDimmedStartArePaintedDuringTheRun)
{
    Harness h{verify::bench()};
    startAutomatic(h);
    // The instruments in use, on the main window.
    auto* carrier = qobject_cast<QLabel*>(tk::qtui::current()->controlField(hMP, MP_CARRIER));
    ASSERT_NE(carrier, nullptr);
    EXPECT_TRUE(carrier->isVisible());
    EXPECT_EQ(carrier->text(), QStringLiteral("Носитель: VXI0::2::INSTR"));

    auto* progress = qobject_cast<QLabel*>(tk::qtui::current()->controlField(hPP, PP_PROGRESS));
    auto* start = qobject_cast<QPushButton*>(tk::qtui::current()->controlField(hPP, PP_SET));
    ASSERT_NE(progress, nullptr);
    ASSERT_NE(start, nullptr);
    PaintWatch line(progress, [progress] { return progress->text(); });
    PaintWatch button(start, [start] { return start->isEnabled() ? QStringLiteral("on") : QStringLiteral("off"); });

    WatchingClock clock;
    platform::setClock(&clock);
    int looks = 0;
    clock.watch = [&] {
        if (tk::numTableRows(hPP, PP_TABLE_R) == 0)
            return;
        ++looks;
        EXPECT_TRUE(progress->isVisible());
        EXPECT_EQ(line.painted.toStdString(), tk::textValue(hPP, PP_PROGRESS));
        EXPECT_EQ(button.painted, QStringLiteral("off"));
    };
    qt_run::runWatched(h, clock); // the verdict closed as it shows

    EXPECT_GT(looks, 37 * 3);
    EXPECT_TRUE(start->isEnabled());
    EXPECT_EQ(progress->text(), QStringLiteral("Поверка завершена:\nизмерено 38 из 38"));
}

#ifdef KSIL_HELD_INPUT
// A click on the dimmed "Запустить" while the run goes waits in the window
// system's queue, as the run pumps no input; it is dropped however the run
// ends, on a driver error or with its verdict, and starts no second run.
TEST(QtVerification, AClickOnTheDimmedStartDuringTheRunStartsNoOtherRun)
{
    struct End {
        const char* how;
        bool driverError;
        int rows;
    };
    for (const End end : {End{"driver error", true, 5}, End{"verdict", false, 38}}) {
        SCOPED_TRACE(end.how);
        Harness h{verify::bench()};
        startAutomatic(h);
        auto* start = qobject_cast<QPushButton*>(tk::qtui::current()->controlField(hPP, PP_SET));
        ASSERT_NE(start, nullptr);
        if (end.driverError) // the sixth point refused
            sim::failCall("tvksil2_config_R", -1, 1, sim::callCount("tvksil2_config_R") + end.rows + 1);

        WatchingClock clock;
        platform::setClock(&clock);
        bool clicked = false;
        clock.watch = [&] {
            if (clicked || tk::numTableRows(hPP, PP_TABLE_R) == 0)
                return;
            clicked = true;
            EXPECT_FALSE(start->isEnabled());
            heldinput::click(start);
        };
        qt_run::runWatched(h, clock, 3);

        EXPECT_TRUE(clicked);
        EXPECT_EQ(tk::numTableRows(hPP, PP_TABLE_R), end.rows);
        EXPECT_TRUE(start->isEnabled());
        EXPECT_EQ(tk::core::queued(), 0u);
    }
}
#endif

} // namespace
