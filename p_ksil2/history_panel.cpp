// The history window: the open module's backups and runs, from the history.
#include "p_ksil2/history_panel.h"

#include "history/tool/text_view.h"
#include "p_ksil2/caltable.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/history_link.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/run_record.h"
#include "p_ksil2/flash_read.h"
#include "p_ksil2/status_line.h"
#include "platform/datetime.h"
#include "toolkit/toolkit.h"
#include "toolkit/wait_cursor.h"

#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr const char* kTitle = "История мезонина";
constexpr const char* kNoModule = "Мезонин не открыт: его истории нет.";
constexpr const char* kBackupsTitle = "Резервные копии flash мезонина";
constexpr const char* kNoBackups = "В истории нет резервных копий flash этого мезонина.";
constexpr const char* kNoRuns = "В истории нет калибровок и поверок этого мезонина.";

enum class Listing { Backups, Runs };
Listing listing = Listing::Runs;
std::vector<std::string> listedIds; // the runs of LIST, by its item values

std::string localTime(history::UtcMs t)
{
    const auto seconds = static_cast<std::time_t>(t / 1000);
    return platform::dateText(seconds) + " " + platform::timeText(seconds);
}

// "09.12.2026 14:02:11  Запись flash: завершён" and the verdict where there is one.
std::string itemText(const history::RunInfo& run)
{
    std::string text = localTime(run.started) + "  " + std::string(history::words(run.kind)) + ": " +
                       std::string(history::words(run.end));
    if (run.verdict != history::Verdict::None)
        text += ", " + std::string(history::words(run.verdict));
    if (run.readBack == history::ReadBack::Mismatch || run.readBack == history::ReadBack::Failed)
        text += ", " + std::string(history::words(run.readBack));
    return text;
}

// Opens the window on the items, or says why there are none. The history's
// own failure goes to the status line; the window stays as it was.
template <typename Entries, typename InfoOf>
void showListing(Listing what, const history::Result<Entries>& found, InfoOf infoOf, const char* none)
{
    if (!found.ok()) {
        showHistoryProblem(found.status.message);
        return;
    }
    if (found.value.empty()) {
        tk::messagePopup(kTitle, none);
        return;
    }
    listing = what;
    listedIds.clear();
    tk::clearList(hHI, HI_LIST);
    for (const auto& entry : found.value) {
        const history::RunInfo& info = infoOf(entry);
        tk::insertListItem(hHI, HI_LIST, -1, itemText(info), static_cast<int>(listedIds.size()));
        listedIds.push_back(info.id);
    }
    tk::setAttr(hHI, 0, tk::Attr::Title, what == Listing::Backups ? kBackupsTitle : kTitle);
    tk::setAttr(hHI, HI_LOAD, tk::Attr::Visible, what == Listing::Backups ? 1 : 0);
    tk::setListIndex(hHI, HI_LIST, 0);
    historyListCB(hHI, HI_LIST, tk::EVENT_COMMIT, nullptr, 0, 0);
    tk::displayPanel(hHI);
}

// The chosen run's id, or "" when the list holds none.
std::string chosenId()
{
    const int index = tk::listIndex(hHI, HI_LIST);
    int value = -1;
    if (index < 0 || tk::listItemValue(hHI, HI_LIST, index, value) < 0 || value < 0 ||
        static_cast<std::size_t>(value) >= listedIds.size())
        return {};
    return listedIds[static_cast<std::size_t>(value)];
}

// Asked only with a module open and a history in this build.
bool mayAsk()
{
    if (mvi == 0) {
        tk::messagePopup(kTitle, kNoModule);
        return false;
    }
    if (!historylink::available()) {
        showStatusProblem(historylink::kNoHistory);
        return false;
    }
    return true;
}

} // namespace

void showBackups()
{
    if (!mayAsk())
        return;
    const tk::WaitCursor busy;
    showListing(Listing::Backups, historylink::backups(runrecord::openModule()),
                [](const history::RunInfo& info) -> const history::RunInfo& { return info; }, kNoBackups);
}

void showModuleRuns()
{
    if (!mayAsk())
        return;
    const tk::WaitCursor busy;
    showListing(Listing::Runs, historylink::runs(runrecord::openModule()),
                [](const history::RunListEntry& entry) -> const history::RunInfo& { return entry.info; }, kNoRuns);
}

int historyListCB(int, int, int event, void*, int, int)
{
    if (event != tk::EVENT_COMMIT && event != tk::EVENT_VAL_CHANGED)
        return 0;
    const std::string id = chosenId();
    if (id.empty())
        return 0;
    const auto run = historylink::run(id);
    if (!run.ok()) {
        tk::resetTextBox(hHI, HI_DETAIL, "");
        showHistoryProblem(run.status.message);
        return 0;
    }
    std::ostringstream text;
    history::tool::printRun(text, run.value);
    tk::resetTextBox(hHI, HI_DETAIL, text.str());
    return 0;
}

int loadBackupCB(int, int, int event, void*, int, int)
{
    if (event != tk::EVENT_COMMIT || listing != Listing::Backups)
        return 0;
    const std::string id = chosenId();
    if (id.empty())
        return 0;
    const auto found = historylink::backup(id);
    if (!found.ok()) {
        showHistoryProblem(found.status.message);
        return 0;
    }
    // The table takes the backup as it would the flash: blue, every cell the module's.
    showCalTable(recordOf(found.value));
    setCalTableOrigin("резервная копия flash из запуска " + id);
    tk::hidePanel(hHI);
    tk::displayPanel(hMP);
    return 0;
}
