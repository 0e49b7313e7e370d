// A build without the history says so at every call, and never reports a run as stored.
#include "p_ksil2/history_link.h"

#include <gtest/gtest.h>

namespace {

TEST(HistoryAbsent, EveryCallSaysTheHistoryIsNotInThisBuild)
{
    EXPECT_FALSE(historylink::available());
    history::Run run;
    run.kind = history::RunKind::Write;
    run.tables.push_back(history::wholeTable(history::TableRole::AsFound, {}));
    const historylink::Stored stored = historylink::store(run);
    EXPECT_FALSE(stored.status.ok());
    EXPECT_EQ(stored.status.message, historylink::kNoHistory);
    const history::ModuleId module{"VXI0::2::INSTR", "", 1, 64, "КСИЛ2-4Л"};
    EXPECT_EQ(historylink::backups(module).status.message, historylink::kNoHistory);
    EXPECT_EQ(historylink::runs(module).status.message, historylink::kNoHistory);
    EXPECT_EQ(historylink::backup("0123").status.message, historylink::kNoHistory);
    EXPECT_EQ(historylink::run("0123").status.message, historylink::kNoHistory);
}

} // namespace
