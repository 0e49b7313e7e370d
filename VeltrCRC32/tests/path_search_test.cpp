#include "VeltrCRC32/VeltrCRC32.h"
#include "file_fixture.h"
#include "platform/files.h"
#include "platform/searchpath.h"
#include "tests/support/machine_search_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

constexpr const char* kName = "searched.dll";
// The separators of this platform's search path and of its paths.
const std::string S(1, platform::kSearchPathSeparator);
const std::string F(1, platform::kFolderSeparator);

// A temporary folder with a few sub-folders, and the machine-wide search path
// read from a file in it.
struct SearchFixture : ::testing::Test {
    TempDir dir;
    TestSearchPath searchPath{dir.path()};

    std::string folder(const std::string& name, bool withFile)
    {
        const auto p = dir.path() / name;
        std::filesystem::create_directories(p);
        if (withFile)
            std::ofstream(p / kName) << "x";
        return p.string();
    }
    void machinePath(const std::string& value) { searchPath.set(value); }
};

TEST_F(SearchFixture, StartingFolderFirstThenThePathInOrder)
{
    const std::string start = folder("start", true);
    const std::string a = folder("a", false);
    const std::string b = folder("b", true);
    const std::string c = folder("c", true);
    machinePath(a + S + b + F + S + c);

    std::string found;
    crc::PathListPtr list = findFileOnPath(start, kName, found);
    ASSERT_TRUE(list);
    EXPECT_EQ(found, start + F + kName);
    // Going on from there: b (its trailing slash removed), then c, then nothing.
    EXPECT_EQ(findNextOnPath(list.get(), kName, found), 1);
    EXPECT_EQ(found, b + F + kName);
    EXPECT_EQ(findNextOnPath(list.get(), kName, found), 1);
    EXPECT_EQ(found, c + F + kName);
    EXPECT_EQ(findNextOnPath(list.get(), kName, found), 0);
    EXPECT_EQ(found, "");
    freePathList(list);
    EXPECT_FALSE(list);
    EXPECT_EQ(findNextOnPath(nullptr, kName, found), 0);

    // With no starting folder the first entry of the path is tried first; a
    // trailing slash on the starting folder leads to the same path.
    machinePath(c + F + S + b);
    ASSERT_TRUE(findFileOnPath("", kName, found));
    EXPECT_EQ(found, c + F + kName);
    ASSERT_TRUE(findFileOnPath(start + F, kName, found));
    EXPECT_EQ(found, start + F + kName);
}

TEST_F(SearchFixture, NotFoundGivesNothing)
{
    const std::string a = folder("a", false);
    // Empty entries are not the root folder, nor any other.
    machinePath(S + S + a + S + S);
    std::string found = "stale";
    EXPECT_FALSE(findFileOnPath(a, kName, found));
    EXPECT_EQ(found, "");
    EXPECT_FALSE(findFileOnPath("", kName, found));

    // Without a machine-wide path only the starting folder is searched.
    searchPath.setMissing();
    const std::string start = folder("start", true);
    EXPECT_TRUE(findFileOnPath(start, kName, found));
    EXPECT_FALSE(findFileOnPath("", kName, found));
}

TEST_F(SearchFixture, NoMoreThan256Entries)
{
    const std::string empty = folder("e", false);
    const std::string hit = folder("hit", true);
    // The starting folder is entry 0; the path gives entries 1 to 255, and
    // whatever follows is not searched.
    auto pathWithHitAt = [&](int index) {
        std::string text;
        for (int i = 1; i < index; ++i)
            text += empty + S;
        return text + hit + S + empty;
    };
    std::string found;
    machinePath(pathWithHitAt(255));
    EXPECT_TRUE(findFileOnPath(empty, kName, found));
    machinePath(pathWithHitAt(256));
    EXPECT_FALSE(findFileOnPath(empty, kName, found));
    machinePath(pathWithHitAt(2000));
    EXPECT_FALSE(findFileOnPath(empty, kName, found));
}

TEST_F(SearchFixture, APathLongerThanTheBufferIsCutBeforeAnEntry)
{
    const std::string hit = folder("hit", true);
    // Entries of a folder that does not exist, 1000 characters each whatever
    // the length of the temporary folder's path.
    const std::string filler = (dir.path() / std::string(999 - dir.str().size(), 'f')).string();
    std::string text;
    for (int i = 0; i < 70; ++i)
        text += filler + S;
    // Found while it fits ...
    std::string found;
    machinePath(hit + S + text);
    EXPECT_TRUE(findFileOnPath("", kName, found));
    // ... not once it lies beyond 65536 characters.
    machinePath(text + hit);
    EXPECT_FALSE(findFileOnPath("", kName, found));

    // An entry that crosses the end of the buffer is dropped, not cut: cut at
    // the end of the buffer it would read as the folder that holds the file.
    std::string head;
    for (int i = 0; i < 64; ++i)
        head += filler + S;
    const std::size_t last = 65535 - head.size() - 1 - (hit.size() + 1);
    head += dir.str() + F + std::string(last - dir.str().size() - 1, 'g') + S;
    machinePath(head + hit + F + "qqqqqqqq");
    EXPECT_FALSE(findFileOnPath("", kName, found));
    machinePath(head + hit + F);
    EXPECT_TRUE(findFileOnPath("", kName, found));

    // A starting folder longer than the buffer is not searched, the path still is.
    machinePath(hit);
    EXPECT_TRUE(findFileOnPath(std::string(70000, 'd'), kName, found));
    EXPECT_EQ(found, hit + F + kName);
}

} // namespace
