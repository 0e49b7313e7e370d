#include "platform/library.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

using platform::Library;
using platform::libraryFileName;

bool isLoaded(const std::string& path)
{
#if defined(_WIN32)
    return GetModuleHandleW(std::filesystem::path(path).wstring().c_str()) != nullptr;
#else
    void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (h)
        dlclose(h);
    return h != nullptr;
#endif
}

std::string fileName(const char* path)
{
    return std::filesystem::path(path).filename().string();
}

// Restores the loader's own search when a test ends.
struct LibraryDirsGuard {
    ~LibraryDirsGuard() { platform::setLibraryDirs({}); }
};

#if defined(_WIN32)
TEST(LibraryName, WindowsNamesAreTheFilesOwn)
{
    EXPECT_EQ(libraryFileName("hpe1412_32.dll"), "hpe1412_32.dll");
    EXPECT_EQ(libraryFileName("visa32.dll"), "visa32.dll");
    EXPECT_EQ(libraryFileName("C:\\drivers\\tvksil2_32.dll"), "C:\\drivers\\tvksil2_32.dll");
}
#else
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
#endif

TEST(Library, MissingLibraryNamesTheFile)
{
    std::string error;
    EXPECT_FALSE(Library::open("no_such_driver_zq.dll", &error));
    EXPECT_NE(error.find(libraryFileName("no_such_driver_zq.dll")), std::string::npos) << error;
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
    EXPECT_NE(error.find(fileName(FAKE_VISA_NOQUERY)), std::string::npos) << error;
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
    const std::string visaFile = libraryFileName("visa32.dll");
    std::filesystem::copy_file(FAKE_VISA_FULL, complete.path() / visaFile);
    std::filesystem::copy_file(FAKE_VISA_NOQUERY, broken.path() / visaFile);

    std::string error;
    platform::setLibraryDirs({empty.str()});
    EXPECT_FALSE(Library::open("visa32.dll", &error));
    EXPECT_NE(error.find(visaFile), std::string::npos) << error;

    platform::setLibraryDirs({empty.str(), complete.str(), broken.str()});
    auto first = Library::open("visa32.dll", &error);
    ASSERT_TRUE(first) << error;
    EXPECT_EQ(first->file(), (complete.path() / visaFile).string());
    EXPECT_NE(first->symbol("viQueryf"), nullptr);

    platform::setLibraryDirs({broken.str(), complete.str()});
    auto second = Library::open("visa32.dll", &error);
    ASSERT_TRUE(second) << error;
    EXPECT_EQ(second->symbol("viQueryf", &error), nullptr);
    EXPECT_NE(error.find((broken.path() / visaFile).string()), std::string::npos) << error;

    // A file that is there but is no library fails with the loader's message.
    TempDir junk;
    junk.write(libraryFileName("junk.dll"), "not an object file");
    platform::setLibraryDirs({junk.str()});
    EXPECT_FALSE(Library::open("junk.dll", &error));
    EXPECT_NE(error.find(libraryFileName("junk.dll")), std::string::npos) << error;

    // Empty restores the normal search (the build's library folder is on the run path).
    platform::setLibraryDirs({});
    EXPECT_TRUE(Library::open(fileName(FAKE_VISA_FULL), &error)) << error;
}

} // namespace
