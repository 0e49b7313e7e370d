// The panel resource on the Qt backend (offscreen): every panel an accepted
// document holds is built as a window, as a child panel and as a tab page,
// shown, painted and discarded, so that every size, place, text, colour, list,
// table and page the loader lets through reaches the Qt widgets. A refused
// document gets one short line naming the file, as on the headless backend.
#include "fuzz/fuzz_util.h"
#include "fuzz/json_mutator.h"
#include "fuzz/resource_callbacks.h"
#include "toolkit/qt/qt.h"
#include "toolkit/qt/qt_backend.h"
#include "toolkit/toolkit.h"

#include <nlohmann/json.hpp>

#include <QApplication>
#include <QEvent>
#include <QString>
#include <QWidget>
#include <QtGlobal>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <set>
#include <vector>

#include <sys/stat.h>

namespace {

// Panels of one document tried at most; each costs a parse and a window.
constexpr std::size_t kMaxIds = 8;

// The ids the document's panels or menu bars claim that an int can hold.
std::vector<int> idsOf(const nlohmann::json& doc, const char* listName)
{
    std::vector<int> ids;
    if (!doc.is_object())
        return ids;
    auto list = doc.find(listName);
    if (list == doc.end() || !list->is_array())
        return ids;
    for (const auto& entry : *list) {
        if (!entry.is_object())
            continue;
        auto id = entry.find("id");
        // Negative ids are signed; every other integer is unsigned.
        if (id == entry.end() || !id->is_number_unsigned())
            continue;
        const auto n = id->get<std::uint64_t>();
        if (n > static_cast<std::uint64_t>(std::numeric_limits<int>::max()))
            continue;
        if (std::find(ids.begin(), ids.end(), static_cast<int>(n)) == ids.end())
            ids.push_back(static_cast<int>(n));
        if (ids.size() == kMaxIds)
            break;
    }
    return ids;
}

void checkRefusal(int status, const std::string& file, const std::string& name)
{
    fuzz::check(status == tk::ERR_RESOURCE, "a failed load returns the resource error");
    const std::string& why = tk::lastError();
    fuzz::check(why.rfind(name + ": ", 0) == 0 || why.rfind(file + ": ", 0) == 0, "the message names the file");
    fuzz::checkOneLine(why, 1024, "the message is one short line");
}

// The window of a top-level panel holds the panel's surface at the panel's size.
void checkWindow(int panel)
{
    const tk::model::Panel* p = tk::model::panel(panel);
    QWidget* content = tk::qtui::current()->panelContent(panel);
    QWidget* window = tk::qtui::current()->panelWindow(panel);
    fuzz::check(p && content && window, "a top-level panel has a window");
    fuzz::check(content->width() == p->width && content->height() == p->height,
                "the panel's surface has the panel's size");
    fuzz::check(window->isVisible(), "a displayed panel's window is visible");
}

// Turns every canvas of the panel into a tab control and fills the first one
// with a page of each accepted panel, each brought on top and painted.
// False when the panel has no canvas.
bool hostPages(int host, const std::string& file, const std::vector<int>& ids)
{
    std::vector<int> canvases;
    for (const tk::model::Control& c : tk::model::panel(host)->controls)
        if (c.kind == tk::Kind::Canvas)
            canvases.push_back(c.id);
    if (canvases.empty())
        return false;
    for (int id : canvases)
        fuzz::check(tk::convertCanvasToTab(host, id) == id, "a canvas becomes a tab control");
    const int tab = canvases.front();
    int pages = 0;
    for (int id : ids)
        if (tk::loadPanelAsTabPage(host, tab, -1, file, id) > 0)
            ++pages;
    fuzz::check(tk::numTabPages(host, tab) == pages, "every page loaded is on the tab control");
    for (int i = 0; i < pages; ++i) {
        tk::setActiveTabPage(host, tab, i);
        tk::processDrawEvents();
    }
    return true;
}

// Qt's own warnings, each shown once: the offscreen platform repeats one for
// every window, which would bury the rest.
void onceEach(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    static std::set<QString> seen;
    if (type == QtFatalMsg)
        fuzz::fault(qPrintable(message));
    if (seen.insert(message).second)
        std::fprintf(stderr, "qt: %s\n", qPrintable(message));
}

// A FIFO beside the scratch resource, for pictures to name: opening it would
// block until a writer comes, so it must never be read.
const std::string& fifoName()
{
    static const std::string path = fuzz::scratchFile("fifo.png");
    static const std::string name = std::filesystem::path(path).filename().string();
    return name;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(onceEach);
    static int argc = 1;
    static char name[] = "fuzz_resource_qt";
    static char* argv[] = {name, nullptr};
    if (!tk::qt::start(argc, argv))
        fuzz::fault("the Qt backend does not start offscreen");
    fuzz::registerProgramCallbacks(KSIL_RESOURCE_DIR "/p_ksil2.uir");
    static const std::string fifo = fuzz::scratchFile("fifo.png");
    if (::mkfifo(fifo.c_str(), 0600) == 0)
        std::atexit([] { std::filesystem::remove(fifo); });
    return 0;
}

// Documents mutated as documents, with the fields, kinds and types of the
// resource to add and try.
extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned seed)
{
    static const fuzz::JsonVocabulary vocab = {
        {"id", "name", "title", "top", "left", "height", "width", "font", "backColor", "callback", "controls",
         "kind", "label", "hidden", "dimmed", "indicator", "monospace", "textColor", "color", "type", "value",
         "min", "max", "step", "items", "index", "corner", "rows", "numRows", "columns", "image", "text", "menu",
         "separator", "panels", "menubars"},
        {"command", "numeric", "string", "textmsg", "textbox", "table", "listbox", "ring", "binary", "toggle",
         "led", "decoration", "picture", "canvas", "double", "int16", "uint16", "int32", "uint32", "cb",
         "DejaVu Sans Mono", "p_ksil2.uir", "/dev/zero", ".", fifoName()},
    };
    return fuzz::mutateJson(data, size, maxSize, seed, vocab);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string file = fuzz::scratchFile("p_ksil2.uir");
    static const std::string name = std::filesystem::path(file).filename().string();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    fuzz::writeFile(file, bytes);

    const nlohmann::json doc = nlohmann::json::parse(bytes, nullptr, false);
    std::vector<int> ids = idsOf(doc, "panels");
    if (ids.empty())
        ids.push_back(1); // the refusal still goes through the Qt backend's start

    std::vector<int> accepted; // resource ids
    std::vector<int> windows;  // panel handles
    for (int id : ids) {
        const int p = tk::loadPanel(0, file, id);
        if (p < 0) {
            checkRefusal(p, file, name);
            continue;
        }
        accepted.push_back(id);
        windows.push_back(p);
        tk::displayPanel(p);
        checkWindow(p);
    }
    if (windows.empty())
        return 0;

    const int first = windows.front();
    for (int id : idsOf(doc, "menubars")) {
        const int m = tk::loadMenuBar(first, file, id);
        if (m < 0)
            checkRefusal(m, file, name);
        else
            checkWindow(first);
    }
    // A panel inside another: the last one accepted, on the first one's surface.
    const int child = tk::loadPanel(first, file, accepted.back());
    fuzz::check(child > 0, "a panel accepted once is accepted again");
    tk::displayPanel(child);
    for (int p : windows)
        if (hostPages(p, file, accepted))
            break;
    tk::processDrawEvents();

    // Discarding a panel takes its child panels and pages along.
    for (int p : windows)
        tk::discardPanel(p);
    fuzz::check(tk::model::panelHandles().empty(), "every panel is discarded");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    fuzz::check(QApplication::topLevelWidgets().isEmpty(), "no widget outlives its panel");
    return 0;
}
