#include "platform/library.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

using platform::Library;

bool isLoaded(const std::string& path)
{
    void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (h)
        dlclose(h);
    return h != nullptr;
}

// Restores the loader's own search when a test ends.
struct LibraryDirsGuard {
    ~LibraryDirsGuard() { platform::setLibraryDirs({}); }
};

TEST(LibraryName, WindowsNamesMapToSharedObjects)
{
    EXPECT_EQ(platform::libraryFileName("hpe1412_32.dll"), "libhpe1412_32.so");
    EXPECT_EQ(platform::libraryFileName("tvmmultc1_32.dll"), "libtvmmultc1_32.so");
    EXPECT_EQ(platform::libraryFileName("hp3458a.DLL"), "libhp3458a.so");
    EXPECT_EQ(platform::libraryFileName("visa32.dll"), "libvisa.so");
    EXPECT_EQ(platform::libraryFileName("VISA32.DLL"), "libvisa.so");
    EXPECT_EQ(platform::libraryFileName("libfoo.so"), "libfoo.so");
    EXPECT_EQ(platform::libraryFileName("/opt/lib/libfoo.so.1"), "/opt/lib/libfoo.so.1");
    EXPECT_EQ(platform::libraryFileName(".dll"), ".dll");
}

TEST(Library, MissingLibraryNamesTheFile)
{
    std::string error;
    EXPECT_FALSE(Library::open("no_such_driver_zq.dll", &error));
    EXPECT_NE(error.find("libno_such_driver_zq.so"), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    EXPECT_FALSE(Library::open("no_such_driver_zq.dll")); // no error text wanted
}

TEST(Library, MissingEntryPointNamesSymbolAndFile)
{
    std::string error;
    auto lib = Library::open(FAKE_VISA_NOQUERY, &error);
    ASSERT_TRUE(lib) << error;
    EXPECT_NE(lib->symbol("viOpen", &error), nullptr);
    EXPECT_EQ(lib->symbol("viQueryf", &error), nullptr);
    EXPECT_NE(error.find("viQueryf"), std::string::npos) << error;
    EXPECT_NE(error.find("libplat_fake_visa_noquery.so"), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
}

TEST(Library, UnloadsOnDestructionUnlessKept)
{
    {
        auto lib = Library::open(FAKE_VISA_NOQUERY);
        ASSERT_TRUE(lib);
        // Moving hands the handle over; the moved-from object unloads nothing.
        Library moved = std::move(*lib);
        lib.reset();
        EXPECT_TRUE(isLoaded(FAKE_VISA_NOQUERY));
        EXPECT_NE(moved.symbol("viClose"), nullptr);
    }
    EXPECT_FALSE(isLoaded(FAKE_VISA_NOQUERY));

    {
        auto lib = Library::open(FAKE_VISA_FULL);
        ASSERT_TRUE(lib);
        lib->keep();
    }
    EXPECT_TRUE(isLoaded(FAKE_VISA_FULL));
}

TEST(LibraryDirs, OnlyTheGivenFoldersAreSearchedInOrder)
{
    LibraryDirsGuard guard;
    TempDir empty, complete, broken;
    std::filesystem::copy_file(FAKE_VISA_FULL, complete.path() / "libvisa.so");
    std::filesystem::copy_file(FAKE_VISA_NOQUERY, broken.path() / "libvisa.so");

    std::string error;
    platform::setLibraryDirs({empty.str()});
    EXPECT_FALSE(Library::open("visa32.dll", &error));
    EXPECT_NE(error.find("libvisa.so"), std::string::npos) << error;

    platform::setLibraryDirs({empty.str(), complete.str(), broken.str()});
    auto first = Library::open("visa32.dll", &error);
    ASSERT_TRUE(first) << error;
    EXPECT_EQ(first->file(), (complete.path() / "libvisa.so").string());
    EXPECT_NE(first->symbol("viQueryf"), nullptr);

    platform::setLibraryDirs({broken.str(), complete.str()});
    auto second = Library::open("visa32.dll", &error);
    ASSERT_TRUE(second) << error;
    EXPECT_EQ(second->symbol("viQueryf", &error), nullptr);
    EXPECT_NE(error.find((broken.path() / "libvisa.so").string()), std::string::npos) << error;

    // A file that is there but is no library fails with the loader's message.
    TempDir junk;
    junk.write("libjunk.so", "not an object file");
    platform::setLibraryDirs({junk.str()});
    EXPECT_FALSE(Library::open("junk.dll", &error));
    EXPECT_NE(error.find("libjunk.so"), std::string::npos) << error;

    // Empty restores the normal search (the build's library folder is on the run path).
    platform::setLibraryDirs({});
    EXPECT_TRUE(Library::open("libplat_fake_visa_full.so", &error)) << error;
}

} // namespace
