// Nothing lost while the lab server is away: runs wait in the station's file,
// are counted, and go when the server answers again, each exactly once.
#include "history/tests/backend.h"
#include "history/tests/samples.h"

#include "history/history.h"
#include "history/text.h"

#include <gtest/gtest.h>

namespace history::test {
namespace {

class Outbox : public BackendTest {};
// Cases that need a real server.
class OutboxOnServer : public BackendTest {};

TEST_P(Outbox, RunsWaitLocallyWhileTheServerIsAwayAndGoWhenItAnswers)
{
    History away;
    ASSERT_TRUE(away.open(configWithServerAway()).ok()); // the start does not wait for the server
    std::vector<std::string> ids;
    for (int i = 0; i < 2; ++i) {
        const auto stored = away.store(verificationRun(vxiModule(), nowUtc() + i));
        ASSERT_TRUE(stored.status.ok()) << stored.status.message;
        EXPECT_FALSE(stored.onServer);
        EXPECT_EQ(stored.waiting, i + 1);
        EXPECT_NE(stored.warning.find("недоступен"), std::string::npos) << stored.warning;
        EXPECT_EQ(stored.warning.find('\n'), std::string::npos) << stored.warning;
        ids.push_back(stored.id);
    }
    EXPECT_EQ(away.waiting().value, 2);
    const auto onServer = away.listRuns({});
    EXPECT_EQ(onServer.status.code, Code::Unreachable);
    EXPECT_EQ(away.listRuns({}, History::Source::Local).value.size(), 2u);
    const auto retried = away.sendWaiting();
    EXPECT_EQ(retried.status.code, Code::Unreachable);
    EXPECT_EQ(retried.waiting, 2);

    if (!this->onServer())
        return;
    // The next start, with the server back.
    History back;
    ASSERT_TRUE(back.open(config()).ok());
    EXPECT_EQ(back.waiting().value, 2);
    const auto sent = back.sendWaiting();
    ASSERT_TRUE(sent.status.ok()) << sent.status.message;
    EXPECT_EQ(sent.sent, 2);
    EXPECT_EQ(sent.waiting, 0);
    // And the next run goes at once, with anything still waiting.
    ASSERT_TRUE(away.store(calibrationRun(vxiModule(), nowUtc() + 5, 0)).status.ok());
    const auto third = back.store(verificationRun(vxiModule(), nowUtc() + 10));
    ASSERT_TRUE(third.status.ok());
    EXPECT_TRUE(third.onServer);
    EXPECT_EQ(third.waiting, 0);
    EXPECT_EQ(third.warning, "");

    Database server;
    ASSERT_TRUE(openPrimary(server).ok());
    EXPECT_EQ(scalar(server, "SELECT COUNT(*) FROM runs"), 4);
    EXPECT_EQ(scalar(server, "SELECT COUNT(*) FROM points"), 3 * 38);
    EXPECT_EQ(scalar(server, "SELECT COUNT(*) FROM outbox"), 0);
    for (const std::string& id : ids)
        EXPECT_TRUE(back.loadRun(id).ok());
}

TEST_P(OutboxOnServer, AnAnswerLostAfterASendMakesNoDuplicate)
{
    History h;
    ASSERT_TRUE(h.open(config()).ok());
    const auto stored = h.store(writeRun(vxiModule(), nowUtc(), nominalTable(), nominalTable(1)));
    ASSERT_TRUE(stored.onServer);
    // The server committed but the station never heard: the run is still queued.
    {
        Database local;
        ASSERT_TRUE(local.openFile(config().localFile).ok());
        QSqlQuery q = local.query();
        ASSERT_TRUE(q.exec(QString("INSERT INTO outbox VALUES ('%1', '2026-01-01T00:00:00.000Z', 0, '')")
                               .arg(QString::fromStdString(stored.id))));
    }
    EXPECT_EQ(h.waiting().value, 1);
    const auto sent = h.sendWaiting();
    ASSERT_TRUE(sent.status.ok()) << sent.status.message;
    EXPECT_EQ(sent.waiting, 0);

    Database server;
    ASSERT_TRUE(openPrimary(server).ok());
    EXPECT_EQ(scalar(server, "SELECT COUNT(*) FROM runs"), 1);
    EXPECT_EQ(scalar(server, "SELECT COUNT(*) FROM cal_cells"), 3 * 38);
}

TEST_P(OutboxOnServer, AConnectionTheServerDroppedIsMadeAgainAtOnce)
{
    History h;
    ASSERT_TRUE(h.open(config()).ok());
    ASSERT_TRUE(h.store(verificationRun(vxiModule(), nowUtc())).onServer);
    {
        // The server ends every other session of the database (a restart, an
        // administrator, a network timeout).
        Database other;
        ASSERT_TRUE(openPrimary(other).ok());
        EXPECT_EQ(scalar(other, "SELECT COUNT(pg_terminate_backend(pid)) FROM pg_stat_activity "
                                "WHERE datname = current_database() AND pid <> pg_backend_pid()"),
                  1);
    }
    const auto again = h.store(verificationRun(vxiModule(), nowUtc() + 1));
    ASSERT_TRUE(again.status.ok());
    EXPECT_TRUE(again.onServer) << again.warning;
    EXPECT_EQ(again.waiting, 0);
    EXPECT_EQ(again.warning, "");
}

TEST_P(OutboxOnServer, WrongCredentialsSayItAndTheRunWaits)
{
    Config wrong = config();
    wrong.server->password = "not-the-password";
    wrong.server->user = "ksil_nobody";
    History h;
    ASSERT_TRUE(h.open(wrong).ok());
    const auto stored = h.store(verificationRun(vxiModule(), nowUtc()));
    ASSERT_TRUE(stored.status.ok());
    EXPECT_FALSE(stored.onServer);
    EXPECT_EQ(stored.waiting, 1);
    EXPECT_NE(stored.warning.find("не принял пользователя или пароль"), std::string::npos) << stored.warning;
    EXPECT_EQ(h.listRuns({}).status.code, Code::Credentials);
}

HISTORY_BACKENDS(Outbox);
INSTANTIATE_TEST_SUITE_P(Server, OutboxOnServer, ::testing::Values(Backend::PostgreSQL), backendName);

} // namespace
} // namespace history::test
