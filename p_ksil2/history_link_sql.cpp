// The history link through Qt SQL: one History, opened from the environment on
// first use, on the GUI thread.
#include "p_ksil2/history_link.h"

#include "history/history.h"

#include <memory>

namespace historylink {

namespace {

std::unique_ptr<history::History> opened;
history::Status openProblem; // why opening failed, told with the next stored run

history::History& theHistory()
{
    if (!opened) {
        opened = std::make_unique<history::History>();
        openProblem = opened->open();
    }
    return *opened;
}

} // namespace

bool available()
{
    return true;
}

Stored store(history::Run run)
{
    history::History& h = theHistory();
    const history::Station here = history::thisStation(run.station.programVersion, run.station.libraryCrc);
    run.station.host = here.host;
    run.station.user = here.user;
    const history::History::StoreResult r = h.store(run);
    Stored stored{r.status, r.warning};
    if (stored.warning.empty() && r.waiting > 0)
        stored.warning = "Записей истории, ожидающих отправки на сервер: " + std::to_string(r.waiting);
    // A file that could not be opened at first but took the run needs no word;
    // a variable that could not be read does.
    if (stored.status.ok() && stored.warning.empty() && openProblem.code == history::Code::Config)
        stored.warning = openProblem.message;
    openProblem = {};
    return stored;
}

history::Result<std::vector<history::RunInfo>> backups(const history::ModuleId& module)
{
    return theHistory().listBackups(history::refOf(module));
}

history::Result<history::TableValues> backup(const std::string& runId)
{
    return theHistory().loadBackup(runId);
}

history::Result<std::vector<history::RunListEntry>> runs(const history::ModuleId& module)
{
    history::RunFilter filter;
    filter.module = history::refOf(module);
    using history::RunKind;
    filter.kinds = {RunKind::AutoCalibration,  RunKind::PointCalibration,   RunKind::Write,
                    RunKind::AutoVerification, RunKind::ManualVerification, RunKind::Ksil5Verification};
    return theHistory().listRuns(filter);
}

history::Result<history::Run> run(const std::string& runId)
{
    return theHistory().loadRun(runId);
}

void close()
{
    opened.reset();
    openProblem = {};
}

} // namespace historylink
