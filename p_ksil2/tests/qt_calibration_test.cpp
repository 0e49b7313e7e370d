// The automatic calibration on the Qt backend (offscreen): it pumps no events,
// yet the operator sees every result arrive in CP's table while the message
// panel stays up, and nothing the operator does runs before the run ends.
#include "tests/harness/harness.h"
#include "tests/scenario/calibration_bench.h"
#include "tests/support/carrier_picker.h"

#include "gauge/gauge.h"
#include "p_ksil2/msgp.h"
#include "si/select.h"
#include "toolkit/backend.h"
#include "toolkit/qt/qt_backend.h"

#include <QApplication>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The Qt run-time outlives a test; the first test to need it starts it.
void ensureApplication()
{
    if (QApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "p_ksil2";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

int calibratedCells(const QTableWidget& table)
{
    int n = 0;
    for (int row = 0; row < table.rowCount(); ++row)
        for (int col = 0; col < table.columnCount(); ++col)
            if (const QTableWidgetItem* item = table.item(row, col);
                item && item->foreground().color() != QColor(0x00, 0x00, 0xFF))
                ++n;
    return n;
}

TEST(QtCalibration, ResultsArriveOneByOneWhileInputWaits)
{
    Harness h{calib::bench()};
    ensureApplication();
    {
        CarrierPicker picker;
        ASSERT_EQ(h.startWithQt(), 0);
    }
    ASSERT_NE(mvi, 0u);
    ASSERT_NE(viHP3458, 0u);
    tk::qtui::QtBackend* qt = tk::qtui::current();
    ASSERT_NE(qt, nullptr);
    auto* table = qobject_cast<QTableWidget*>(qt->controlField(hCP, CP_TABLE));
    ASSERT_NE(table, nullptr);
    auto* exitButton = qobject_cast<QPushButton*>(qt->controlField(hMP, MP_EXIT));
    ASSERT_NE(exitButton, nullptr);
    ASSERT_EQ(calibratedCells(*table), 0);

    // What the screen shows each time the display is refreshed during the run.
    struct Frame {
        int cells;
        bool messageShown;
        int exitRequested;
    };
    std::vector<Frame> frames;
    bool clicked = false;
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        const QWidget* message = msgpPanel() > 0 ? qt->panelWindow(msgpPanel()) : nullptr;
        frames.push_back({calibratedCells(*table), message && message->isVisible(), exitRequest});
        // Half-way the operator presses "Выход": it must wait for the run's end.
        if (!clicked && frames.back().cells == 19) {
            QTest::mouseClick(exitButton, Qt::LeftButton);
            clicked = true;
        }
    });
    watcher.start();
    tk::core::queue({tk::core::InputEvent::Type::Menu, hMenuBar, 0, MENUBAR_EXE_CALIBR, 0});
    tk::processEvents(); // dispatches the menu item (the whole run happens inside), then the press
    watcher.stop();

    ASSERT_EQ(calibratedCells(*table), 38);
    std::vector<int> seen;
    for (const Frame& f : frames) {
        if (f.cells == 0 || f.cells == 38)
            continue;
        seen.push_back(f.cells);
        EXPECT_TRUE(f.messageShown) << "message panel hidden with " << f.cells << " results shown";
        EXPECT_EQ(f.exitRequested, 0) << "a callback ran during the run";
    }
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
    std::vector<int> every(37);
    for (int i = 0; i < 37; ++i)
        every[static_cast<std::size_t>(i)] = i + 1;
    EXPECT_EQ(seen, every) << "each result is shown as it arrives";
    EXPECT_TRUE(clicked);
    EXPECT_FALSE(qt->panelWindow(msgpPanel())->isVisible());

    // The press waited in the queue and ran once the run had ended.
    EXPECT_EQ(exitRequest, 1);
}

} // namespace
