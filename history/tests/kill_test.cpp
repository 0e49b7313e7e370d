// A run is stored whole or not at all: the writer is killed with SIGKILL at
// varied moments while it stores runs, many times over, and the history then
// holds every run it acknowledged, at most the one it was storing besides,
// and each of them whole. The server holds every run acknowledged and none
// the station lacks, each whole; the runs a kill kept from it go with the
// writer's next start, each exactly once.
#include "history/tests/backend.h"
#include "history/tests/samples.h"

#include "history/history.h"
#include "history/run_store.h"
#include "tests/environment/child_process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <random>
#include <set>
#include <sstream>

namespace history::test {
namespace {

constexpr long kSpinStep = 20000;

class KilledWhileStoring : public BackendTest {
protected:
    std::vector<std::string> environment() const
    {
        std::vector<std::string> env{"PATH=/usr/bin:/bin", "HOME=" + folder().string(),
                                     std::string(kFileVariable) + "=" + config().localFile};
        if (const auto& server = config().server)
            env.push_back(std::string(kServerVariable) + "=" + connectionString(*server));
        for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
            if (const char* value = std::getenv(name))
                env.push_back(std::string(name) + "=" + value);
        return env;
    }

    // The numbers of the runs a database holds; fails the test on a run that is not whole.
    std::set<long> held(Database& db)
    {
        std::set<long> numbers;
        const auto list = readRuns(db, {});
        EXPECT_TRUE(list.ok()) << list.status.message;
        for (const auto& e : list.value) {
            const auto run = readRun(db, e.info.id);
            const auto n = run.ok() ? numberOf(run.value) : std::nullopt;
            EXPECT_TRUE(n) << "run " << e.info.id << " is not whole in " << db.label();
            if (n) {
                EXPECT_TRUE(numbers.insert(*n).second);
            }
        }
        return numbers;
    }
};

std::set<long> upTo(long n)
{
    std::set<long> s;
    for (long i = 1; i <= n; ++i)
        s.insert(i);
    return s;
}

TEST_P(KilledWhileStoring, HistoryHoldsEachRunWholeOrNotAtAll)
{
    std::mt19937 random(20261109);
    long last = 0;  // the last run the station holds: the writer goes on after it
    long acked = 0; // the last run the writer acknowledged
    long stepsPerRun = 0;
    int killedMidRun = 0;
    const int rounds = onServer() ? 12 : 25;
    for (int round = 0; round < rounds; ++round) {
        Child writer({{HISTORY_WRITER, "kill", std::to_string(last + 1)}, environment()});
        const auto acknowledge = [&](const std::optional<std::string>& line) {
            ASSERT_TRUE(line) << writer.wait().err;
            ASSERT_FALSE(line->starts_with("error")) << *line;
            const long n = std::stol(*line);
            last = std::max(last, n);
            acked = std::max(acked, n);
        };
        if (round == 0) {
            acknowledge(writer.readLine()); // the first creates the file and the schema
            std::optional<std::string> line;
            while (!(line = writer.lineWritten()) && !writer.ended()) {
                spin(kSpinStep);
                ++stepsPerRun;
            }
            stepsPerRun = std::max(1L, stepsPerRun);
            acknowledge(line);
        }
        for (int acks = std::uniform_int_distribution<int>(0, 2)(random); acks > 0; --acks)
            acknowledge(writer.readLine());
        spin(kSpinStep * std::uniform_int_distribution<long>(0, stepsPerRun)(random));
        writer.kill();
        const Child::End end = writer.wait();
        ASSERT_FALSE(end.exited) << "the writer ended by itself: " << end.code << " " << end.out << end.err;
        ASSERT_EQ(end.code, SIGKILL);
        std::istringstream unread(end.out);
        for (std::string line; std::getline(unread, line);) {
            const long n = std::stol(line);
            last = std::max(last, n);
            acked = std::max(acked, n);
        }

        // Read as the tool reads it: a reader finds the run a kill cut short
        // rolled back, not in its way.
        Database local;
        const Status opened = local.openFile(config().localFile, false);
        ASSERT_TRUE(opened.ok()) << opened.message;
        const std::set<long> here = held(local);
        ASSERT_TRUE(here == upTo(last) || here == upTo(last + 1)) << "round " << round << ": " << here.size()
                                                                  << " runs after run " << last << " was acknowledged";
        killedMidRun += here.size() == static_cast<std::size_t>(last + 1);
        if (onServer()) {
            // Runs a kill kept from the server go with the next start, oldest
            // first: the server holds every run acknowledged, and at most what
            // the station holds, without gaps.
            Database server;
            ASSERT_TRUE(openPrimary(server).ok());
            const std::set<long> there = held(server);
            ASSERT_EQ(there, upTo(static_cast<long>(there.size()))) << "round " << round;
            ASSERT_GE(static_cast<long>(there.size()), acked) << "round " << round;
            ASSERT_LE(there.size(), here.size()) << "round " << round;
        }
        last = static_cast<long>(here.size());
    }

    if (onServer()) {
        // The next start sends what a kill kept back, once.
        Child sender({{HISTORY_WRITER, "send"}, environment()});
        const Child::End end = sender.wait();
        ASSERT_TRUE(end.exited && end.code == 0) << end.out << end.err;
        Database server;
        ASSERT_TRUE(openPrimary(server).ok());
        EXPECT_EQ(held(server), upTo(last));
        EXPECT_EQ(scalar(server, "SELECT COUNT(*) FROM points"), 38 * last);
    }
    std::printf("history: %d kills, %d after the run being stored was committed, %ld runs\n", rounds, killedMidRun,
                last);
}

HISTORY_BACKENDS(KilledWhileStoring);

} // namespace
} // namespace history::test
