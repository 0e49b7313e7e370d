// A history file the station cannot use says so in one line, and the caller
// goes on: a file that is no database, a folder, a file it may not write, a
// full disk. With a server the run still reaches it.
#include "history/tests/backend.h"
#include "history/tests/samples.h"

#include "history/history.h"
#include "history/text.h"
#include "tests/support/read_file.h"
#include "tests/environment/child_process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace history::test {
namespace {

namespace fs = std::filesystem;

class BadLocalFile : public BackendTest {};

std::string errorLine(Code code) { return "error " + std::to_string(static_cast<int>(code)) + " "; }

TEST_P(BadLocalFile, FileThatIsNoDatabaseIsNamedAndNotTouched)
{
    fs::create_directories(fs::path(config().localFile).parent_path());
    const std::string junk = "protocol of 2019\r\nканал 1 ...\r\n";
    std::ofstream(config().localFile, std::ios::binary) << junk;

    History h;
    const Status opened = h.open(config());
    EXPECT_EQ(opened.code, Code::NotDatabase);
    EXPECT_NE(opened.message.find(config().localFile + " не является базой данных SQLite"), std::string::npos)
        << opened.message;
    EXPECT_EQ(opened.message.find('\n'), std::string::npos);

    const auto stored = h.store(verificationRun(vxiModule(), nowUtc()));
    if (onServer()) {
        ASSERT_TRUE(stored.status.ok()) << stored.status.message;
        EXPECT_TRUE(stored.onServer);
        EXPECT_NE(stored.warning.find("не является базой данных"), std::string::npos);
        EXPECT_EQ(h.listRuns({}).value.size(), 1u);
    } else {
        EXPECT_EQ(stored.status.code, Code::NotDatabase);
        EXPECT_EQ(stored.status.message.find('\n'), std::string::npos);
    }
    EXPECT_EQ(readBytes(config().localFile), junk);
}

TEST(BadLocalPath, FolderInsteadOfAFile)
{
    TempDir folder;
    History h;
    const Status s = h.open(Config{folder.path().string(), std::nullopt});
    EXPECT_EQ(s.code, Code::NotDatabase);
    EXPECT_EQ(s.message, "Файл истории " + folder.path().string() + " — это папка, а не файл");
}

std::vector<std::string> writerEnvironment(const std::string& file)
{
    std::vector<std::string> env{"PATH=/usr/bin:/bin", "HOME=/nonexistent", std::string(kFileVariable) + "=" + file};
    for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
        if (const char* value = std::getenv(name))
            env.push_back(std::string(name) + "=" + value);
    return env;
}

TEST(BadLocalPath, FileThatMayNotBeWrittenRefusesRunsButStillReads)
{
    TempDir folder;
    const fs::path file = folder.path() / "history.sqlite";
    {
        History h;
        ASSERT_TRUE(h.open(Config{file.string(), std::nullopt}).ok());
        ASSERT_TRUE(h.store(verificationRun(vxiModule(), nowUtc())).status.ok());
    }
    // Root may write anything: the writer then runs as nobody, to whom the
    // folder and the file are only readable.
    const bool root = ::geteuid() == 0;
    struct Writable { // gives the folder back to its owner, so that it can be removed
        fs::path folder;
        ~Writable() { fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add); }
    } restore{folder.path()};
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                       fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    Child writer({{HISTORY_WRITER, "once"}, writerEnvironment(file.string()), root});
    const auto stored = writer.readLine();
    const auto listed = writer.readLine();
    const Child::End end = writer.wait();
    ASSERT_TRUE(stored && listed) << end.err;
    EXPECT_TRUE(stored->starts_with(errorLine(Code::ReadOnly))) << *stored;
    EXPECT_NE(stored->find(file.string() + " доступен только для чтения"), std::string::npos) << *stored;
    EXPECT_EQ(*listed, "listed 1");
}

TEST(BadLocalPath, FullDiskRefusesTheRunThatDoesNotFitAndKeepsTheOthersWhole)
{
    // A small file system of its own, in a mount namespace of the writer's
    // (as root, or through a user namespace).
    TempDir folder;
    const std::string mountPoint = folder.path().string();
    std::vector<std::string> argv{"/usr/bin/unshare", "-m"};
    if (::geteuid() != 0)
        argv.push_back("-r");
    argv.insert(argv.end(), {"/bin/sh", "-c",
                             "mount -t tmpfs -o size=256k tmpfs \"$0\" && exec \"$1\" fill", mountPoint,
                             HISTORY_WRITER});
    Child writer({argv, writerEnvironment(mountPoint + "/history.sqlite")});
    const auto full = writer.readLine();
    const auto whole = writer.readLine();
    const Child::End end = writer.wait();
    if (!full && end.exited && end.code != 0)
        GTEST_SKIP() << "no mount namespace with a small file system here: " << end.err;
    ASSERT_TRUE(full && whole) << end.err;
    std::istringstream words(*full);
    std::string tag;
    long stored = 0;
    int code = 0;
    words >> tag >> stored >> code;
    EXPECT_EQ(tag, "full");
    EXPECT_GT(stored, 2) << *full;
    EXPECT_EQ(code, static_cast<int>(Code::DiskFull)) << *full;
    EXPECT_NE(full->find("Нет места на диске для файла истории " + mountPoint + "/history.sqlite"), std::string::npos)
        << *full;
    EXPECT_EQ(*whole, "whole " + std::to_string(stored) + " of " + std::to_string(stored));
}

HISTORY_BACKENDS(BadLocalFile);

} // namespace
} // namespace history::test
