// A resource at the bounds of what the loader accepts, on the Qt backend:
// the largest panel, places far off the panel and the screen, the largest
// table, long texts and lists, extreme limits, as a window, as a child panel
// and as a tab page. Each shows and paints; none takes the process down.
#include "tests/support/temp_dir.h"
#include "toolkit/qt/qt.h"
#include "toolkit/qt/tests/qt_start.h"
#include "toolkit/qt/qt_backend.h"
#include "toolkit/qt/widgets.h"
#include "toolkit/toolkit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QListWidget>
#include <QPixmap>
#include <QScreen>
#include <QTabWidget>
#include <QTableWidget>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

int noAction(int, int, int, void*, int, int) { return 0; }

std::string boundsResource()
{
    std::string columns, items;
    for (int i = 0; i < 100; ++i)
        columns += std::string(i ? "," : "") + R"({"label": "столбец )" + std::to_string(i) + R"(", "type": ")"
                   + (i % 2 ? "string" : "double") + "\"}";
    for (int i = 0; i < 2000; ++i)
        items += std::string(i ? "," : "") + R"({"label": "__пункт )" + std::to_string(i) + R"(", "value": )"
                 + std::to_string(i - 1000) + "}";
    std::string longText;
    for (int i = 0; i < 400; ++i)
        longText += "Калибровка ";
    return R"({"panels": [
      {"id": 1, "title": ")" + longText + R"(", "top": -16384, "left": 16384, "height": 4096, "width": 4096,
       "font": "no such font family", "backColor": 16777215, "controls": [
        {"id": 1, "kind": "table", "corner": "&&", "numRows": 1000, "columns": [)" + columns + R"(],
         "top": -16384, "left": -16384, "height": 16384, "width": 16384},
        {"id": 2, "kind": "listbox", "items": [)" + items + R"(], "index": 1999, "top": 16384, "left": 16384},
        {"id": 3, "kind": "numeric", "type": "double", "min": -1e300, "max": 1e300, "value": 1e300, "step": 1e300},
        {"id": 4, "kind": "numeric", "type": "uint32", "min": 10, "max": -10, "value": 4294967295},
        {"id": 5, "kind": "textbox", "value": ")" + longText + R"(\n\r\n\t", "height": 16384, "width": 0},
        {"id": 6, "kind": "textmsg", "value": ")" + longText + R"(", "top": 4000, "left": 4000},
        {"id": 7, "kind": "led", "label": ")" + longText + R"(", "color": 16777215, "left": 16384},
        {"id": 8, "kind": "picture", "image": "/dev/null", "height": 16384, "width": 16384},
        {"id": 9, "kind": "canvas", "top": 100, "left": 100, "height": 16384, "width": 16384}]}],
      "menubars": [{"id": 1, "items": [{"id": 1, "text": ")" + longText + R"(", "menu": true},
        {"id": 2, "text": "", "callback": "cb"}, {"id": 3, "separator": true}, {"id": 4, "menu": true}]}]})";
}

class QtResourceBounds : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(qttest::startQt());
        tk::registerCallback("cb", noAction);
        tk::registerMenuCallback("cb", [](int, int, void*, int) {});
    }
    void TearDown() override { tk::shutdown(); }
    std::string write(const std::string& text)
    {
        const std::string file = (dir / "bounds.uir").string();
        std::ofstream(file) << text;
        return file;
    }

    const TempDir folder{"ksil-qt-bounds"};
    const std::filesystem::path& dir = folder.path();
};

TEST_F(QtResourceBounds, AcceptedExtremesShowAndPaint)
{
    const std::string file = write(boundsResource());

    const int window = tk::loadPanel(0, file, 1);
    ASSERT_GT(window, 0) << tk::lastError();
    ASSERT_GT(tk::loadMenuBar(window, file, 1), 0) << tk::lastError();
    const int child = tk::loadPanel(window, file, 1);
    ASSERT_GT(child, 0) << tk::lastError();
    ASSERT_EQ(tk::convertCanvasToTab(window, 9), 9);
    const int page = tk::loadPanelAsTabPage(window, 9, -1, file, 1);
    ASSERT_GT(page, 0) << tk::lastError();
    tk::displayPanel(child);
    tk::displayPanel(window);
    tk::processDrawEvents();

    tk::qtui::QtBackend& qt = *tk::qtui::current();
    QWidget* w = qt.panelWindow(window);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(qt.panelContent(window)->size(), QSize(4096, 4096));
    // A window placed far off the screen is brought onto it.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(w->pos())) << w->pos().x() << "," << w->pos().y();

    auto* table = dynamic_cast<QTableWidget*>(qt.controlField(page, 1));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), 1000);
    EXPECT_EQ(table->columnCount(), 100);
    auto* list = dynamic_cast<QListWidget*>(qt.controlField(child, 2));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->count(), 2000);
    EXPECT_EQ(list->currentRow(), 1999);
    EXPECT_EQ(dynamic_cast<QTabWidget*>(qt.controlField(window, 9))->count(), 1);
    EXPECT_FALSE(w->grab().isNull());

    tk::discardPanel(window);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

// A picture naming a FIFO froze the program in the image's open; only
// regular files are read, anything else is the blank frame.
TEST_F(QtResourceBounds, PictureReadsOnlyRegularFiles)
{
    ASSERT_EQ(::mkfifo((dir / "fifo.png").c_str(), 0600), 0);
    const int p = tk::loadPanel(0, write(R"({"panels": [{"id": 1, "height": 100, "width": 200, "controls": [
        {"id": 1, "kind": "picture", "image": "fifo.png", "height": 60, "width": 60},
        {"id": 2, "kind": "picture", "image": ")" KSIL_RESOURCE_DIR R"(/pictures/module.png", "height": 60, "width": 60},
        {"id": 3, "kind": "picture", "image": "/dev/zero", "height": 60, "width": 60}]}]})"), 1);
    ASSERT_GT(p, 0) << tk::lastError();
    tk::displayPanel(p);
    tk::processDrawEvents();
    const auto image = [p](int ctrl) {
        return dynamic_cast<tk::qtui::PictureFrame*>(tk::qtui::current()->controlField(p, ctrl))->image();
    };
    EXPECT_TRUE(image(1).isNull());
    EXPECT_FALSE(image(2).isNull());
    EXPECT_TRUE(image(3).isNull());
}

} // namespace
