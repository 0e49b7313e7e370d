// A station as a new user would have it: a folder with the program and its
// resource in bin/ and every library of the build in lib/ (hard links, so the
// copy costs nothing), its own state, home and runtime folders. A test takes a
// library away, puts a broken one in its place or spoils the resource, then
// runs the real program offscreen as a child process.
#pragma once

#include "tests/environment/child_process.h"
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>

class Station {
public:
    Station();
    ~Station();
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path resource() const { return root_ / "bin" / "p_ksil2.uir"; }
    std::filesystem::path library(const std::string& file) const { return root_ / "lib" / file; }

    // The build's variant of a library with one entry point compiled out.
    void useBrokenLibrary(const std::string& file);

    // Runs the program with the station's environment changed by env (a value
    // of nullopt removes the variable). Unprivileged: as nobody when the test
    // runs as root, so that a file without read permission is refused.
    Child::End run(const std::map<std::string, std::optional<std::string>>& env = {},
                   bool unprivileged = false) const;
    // Runs another program of the build (a writer, a scripted operator) from
    // the station's bin/ with arguments, in the station's environment changed
    // by env, in the working folder workDir.
    Child::End runOther(const std::string& program, const std::vector<std::string>& args,
                        const std::map<std::string, std::optional<std::string>>& env,
                        const std::filesystem::path& workDir) const;

private:
    Child::End start(ChildOptions options, const std::map<std::string, std::optional<std::string>>& changes,
                     bool unprivileged) const;

    TempDir folder_{"ksil-station"};
    std::filesystem::path root_ = folder_.path();
};

// Lines of a text (the last one may lack its line feed).
std::vector<std::string> linesOf(const std::string& text);
