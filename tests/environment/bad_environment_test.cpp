// The real program started as a new user would start it, offscreen, with one
// thing wrong in its environment: each start ends at once with one line that
// says what is wrong and with which file or variable, and the exit code the
// README documents; never a crash, an abort or a wait for nobody.
#include "tests/environment/station.h"
#include "tests/support/read_file.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <iterator>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kExitUserInterface = 255; // the program's -1
constexpr int kExitLibraries = 2;
constexpr int kExitBench = 3;

// The start ended by itself with that code and one line holding every part.
void expectOneLine(const Child::End& end, int code, const std::vector<std::string>& parts)
{
    EXPECT_FALSE(end.silentTooLong) << "the program waited instead of ending";
    ASSERT_TRUE(end.exited) << "ended by signal " << end.code << "\n" << end.err;
    EXPECT_EQ(end.code, code) << end.err;
    const std::vector<std::string> lines = linesOf(end.err);
    ASSERT_EQ(lines.size(), 1u) << end.err;
    for (const std::string& part : parts)
        EXPECT_NE(lines[0].find(part), std::string::npos) << "\"" << part << "\" not in: " << lines[0];
}

void writeFile(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

TEST(BadEnvironment, NoDisplay)
{
    Station station;
    const auto end = station.run({{"QT_QPA_PLATFORM", std::nullopt}, {"DISPLAY", std::nullopt},
                                  {"WAYLAND_DISPLAY", std::nullopt}});
    expectOneLine(end, kExitUserInterface, {"p_ksil2: ", "DISPLAY"});
}

// A platform plugin that is not installed ends the start as a missing display
// does, not with Qt's abort; a name Qt accepts (any case, with arguments, in a
// list of fallbacks) passes, and the start goes on to the resource.
TEST(BadEnvironment, PlatformPluginNotInstalled)
{
    Station station;
    expectOneLine(station.run({{"QT_QPA_PLATFORM", "nosuchplatform"}}), kExitUserInterface,
                  {"p_ksil2: ", "\"nosuchplatform\"", "QT_QPA_PLATFORM", "offscreen"});
    expectOneLine(station.run({{"QT_QPA_PLATFORM", "nosuch;other:arg=1"}}), kExitUserInterface,
                  {"\"nosuch;other:arg=1\"", "QT_QPA_PLATFORM"});

    fs::remove(station.resource());
    const std::string resource = station.resource().string();
    expectOneLine(station.run({{"QT_QPA_PLATFORM", "OffScreen:fontengine=freetype"}}), kExitUserInterface,
                  {resource, "no such file"});
    const auto fallback = station.run({{"QT_QPA_PLATFORM", "nosuch;offscreen"}});
    ASSERT_TRUE(fallback.exited) << fallback.err;
    EXPECT_EQ(fallback.code, kExitUserInterface);
    EXPECT_NE(fallback.err.find(resource), std::string::npos) << fallback.err;
}

TEST(BadEnvironment, PanelResourceThatCannotBeLoaded)
{
    Station station;
    const std::string resource = station.resource().string();
    const std::string good = readBytes(resource);
    fs::remove(station.resource());
    expectOneLine(station.run(), kExitUserInterface, {resource, "no such file"});

    fs::create_directory(station.resource());
    expectOneLine(station.run(), kExitUserInterface, {resource, "it is a folder"});
    fs::remove(station.resource());

    writeFile(station.resource(), "");
    expectOneLine(station.run(), kExitUserInterface, {resource, "empty"});

    writeFile(station.resource(), good.substr(0, good.size() / 2));
    expectOneLine(station.run(), kExitUserInterface, {"p_ksil2.uir", "invalid JSON"});

    writeFile(station.resource(), good);
    fs::permissions(station.resource(), fs::perms::none);
    expectOneLine(station.run({}, true), kExitUserInterface, {resource, "Permission denied"});
}

// A resource that loads but lacks what the program addresses: the start ends
// before anything is shown, naming the resource and the control.
TEST(BadEnvironment, PanelResourceWithoutWhatTheProgramAddresses)
{
    Station station;
    const std::string resource = station.resource().string();
    nlohmann::json good;
    {
        std::ifstream in(resource, std::ios::binary);
        good = nlohmann::json::parse(in);
    }
    const auto controlsOf = [](nlohmann::json& doc, const std::string& panel) -> nlohmann::json& {
        for (auto& p : doc["panels"])
            if (p["name"] == panel)
                return p["controls"];
        throw std::runtime_error("no panel " + panel);
    };
    const auto named = [](nlohmann::json& controls, const std::string& name) {
        const auto at =
            std::find_if(controls.begin(), controls.end(), [&](const auto& c) { return c["name"] == name; });
        if (at == controls.end())
            throw std::runtime_error("no control " + name);
        return at;
    };

    // A calibration table of 5 rows would have WRITE store zeros for the rest.
    nlohmann::json doc = good;
    auto& cp = controlsOf(doc, "CP");
    (*named(cp, "TABLE"))["rows"] = {"1", "2", "4", "8", "16"};
    writeFile(station.resource(), doc.dump());
    expectOneLine(station.run(), kExitUserInterface,
                  {"p_ksil2: " + resource + ": panel CP (3): control TABLE (5) is a table of 5 rows x 2 columns"});

    // Without the status line every failure would go unseen.
    doc = good;
    auto& mp = controlsOf(doc, "MP");
    mp.erase(named(mp, "MSG"));
    writeFile(station.resource(), doc.dump());
    expectOneLine(station.run(), kExitUserInterface,
                  {"p_ksil2: " + resource + ": panel MP (5): no control MSG (12): the program needs a string"});
}

TEST(BadEnvironment, BenchFileThatCannotBeUsed)
{
    Station station;
    const fs::path bench = station.root() / "bench.json";
    const auto runOn = [&](const fs::path& file, bool unprivileged = false) {
        return station.run({{"KSIL_BENCH", file.string()}}, unprivileged);
    };
    expectOneLine(runOn(bench), kExitBench, {bench.string(), "no such file", "KSIL_BENCH"});

    fs::create_directory(bench);
    expectOneLine(runOn(bench), kExitBench, {bench.string(), "it is a folder", "KSIL_BENCH"});
    fs::remove(bench);

    writeFile(bench, "");
    expectOneLine(runOn(bench), kExitBench, {bench.string(), "empty", "KSIL_BENCH"});

    // A FIFO with no writer: opened without waiting, refused as no file.
    fs::remove(bench);
    ASSERT_EQ(::mkfifo(bench.c_str(), 0666), 0);
    expectOneLine(runOn(bench), kExitBench, {bench.string(), "not a regular file", "KSIL_BENCH"});
    fs::remove(bench);

    writeFile(bench, R"({"instruments": []})");
    fs::permissions(bench, fs::perms::none);
    expectOneLine(runOn(bench, true), kExitBench, {bench.string(), "Permission denied", "KSIL_BENCH"});
}

TEST(BadEnvironment, StateFolderThatCannotBeWritten)
{
    Station station;
    const fs::path file = station.root() / "state-file";
    writeFile(file, "not a folder");
    const fs::path below = file / "state";
    expectOneLine(station.run({{"KSIL_STATE_DIR", below.string()}}), kExitBench,
                  {"state folder " + below.string(), "KSIL_STATE_DIR", "not a folder"});

    const fs::path closed = station.root() / "closed";
    fs::create_directory(closed);
    fs::permissions(closed, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    expectOneLine(station.run({{"KSIL_STATE_DIR", closed.string()}}, true), kExitBench,
                  {"state folder " + closed.string(), "KSIL_STATE_DIR", "Permission denied"});

    // Without KSIL_STATE_DIR the folder comes from the home folder.
    expectOneLine(station.run({{"KSIL_STATE_DIR", std::nullopt}, {"XDG_STATE_HOME", std::nullopt},
                               {"HOME", file.string()}}),
                  kExitBench, {"state folder " + file.string() + "/.local/state/ksil-bench", "(HOME)"});
}

TEST(BadEnvironment, VisaLibraryMissing)
{
    Station station;
    fs::remove(station.library("libvisa.so"));
    expectOneLine(station.run(), kExitLibraries, {"p_ksil2: VISA cannot be used", "libvisa.so"});
}

TEST(BadEnvironment, CarrierDriverMissingAnEntryPoint)
{
    Station station;
    station.useBrokenLibrary("libtvbase_32.so");
    expectOneLine(station.run(), kExitLibraries, {"p_ksil2: libtvbase_32.so: no entry point tvbase_close"});
}

} // namespace
