// The history link of a build without Qt SQL: every call says that there is no history.
#include "p_ksil2/history_link.h"

namespace historylink {

namespace {

history::Status absent()
{
    return history::Status::failure(history::Code::Failed, kNoHistory);
}

} // namespace

bool available()
{
    return false;
}

Stored store(history::Run)
{
    return {absent(), {}};
}

history::Result<std::vector<history::RunInfo>> backups(const history::ModuleId&)
{
    return {absent()};
}

history::Result<history::TableValues> backup(const std::string&)
{
    return {absent()};
}

history::Result<std::vector<history::RunListEntry>> runs(const history::ModuleId&)
{
    return {absent()};
}

history::Result<history::Run> run(const std::string&)
{
    return {absent()};
}

void close() {}

} // namespace historylink
