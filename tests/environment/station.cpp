#include "tests/environment/station.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A hard link where the file system allows it, else a copy.
void place(const fs::path& from, const fs::path& to)
{
    std::error_code ec;
    fs::create_hard_link(from, to, ec);
    if (ec)
        fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

} // namespace

Station::Station()
{
    for (const char* dir : {"bin", "lib", "state", "home", "run"})
        fs::create_directories(root_ / dir);
    // The runtime folder is the user's own and closed to others, as the
    // display libraries require; the state folder is open to the unprivileged runs.
    fs::permissions(root_ / "run", fs::perms::owner_all);
    fs::permissions(root_ / "state", fs::perms::all);
    // Hard-linked, so that the program finds its resource beside the link.
    place(fs::path(KSIL_BIN_DIR) / "p_ksil2", root_ / "bin" / "p_ksil2");
    fs::copy_file(fs::path(KSIL_BIN_DIR) / "p_ksil2.uir", resource());
    if (fs::exists(fs::path(KSIL_BIN_DIR) / "pictures"))
        fs::copy(fs::path(KSIL_BIN_DIR) / "pictures", root_ / "bin" / "pictures", fs::copy_options::recursive);
    for (const auto& entry : fs::directory_iterator(KSIL_LIB_DIR))
        if (entry.is_regular_file()) // a version link becomes a link to its file
            place(fs::canonical(entry.path()), root_ / "lib" / entry.path().filename());
    // The other files are for the owner of the tree and for nobody.
    for (const auto& entry : fs::recursive_directory_iterator(root_))
        if (entry.is_directory() && entry.path() != root_ / "run")
            fs::permissions(entry.path(), fs::perms::all);
}

Station::~Station()
{
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(root_, ec))
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
}

void Station::useBrokenLibrary(const std::string& file)
{
    fs::remove(library(file));
    place(fs::path(KSIL_LIB_DIR) / "broken" / file, library(file));
}

Child::End Station::run(const std::map<std::string, std::optional<std::string>>& changes, bool unprivileged) const
{
    ChildOptions options;
    options.argv = {(root_ / "bin" / "p_ksil2").string()};
    return start(std::move(options), changes, unprivileged);
}

Child::End Station::runOther(const std::string& program, const std::vector<std::string>& args,
                             const std::map<std::string, std::optional<std::string>>& changes,
                             const fs::path& workDir) const
{
    const fs::path copy = root_ / "bin" / program;
    if (!fs::exists(copy))
        place(fs::path(KSIL_BIN_DIR) / program, copy);
    ChildOptions options;
    options.argv = {copy.string()};
    options.argv.insert(options.argv.end(), args.begin(), args.end());
    options.workDir = workDir.string();
    return start(std::move(options), changes, false);
}

Child::End Station::start(ChildOptions options, const std::map<std::string, std::optional<std::string>>& changes,
                          bool unprivileged) const
{
    std::map<std::string, std::optional<std::string>> env{
        {"PATH", "/usr/bin:/bin"},
        {"HOME", (root_ / "home").string()},
        {"QT_QPA_PLATFORM", "offscreen"},
        {"KSIL_STATE_DIR", (root_ / "state").string()},
        {"XDG_RUNTIME_DIR", (root_ / "run").string()},
    };
    // The sanitizer build's settings reach the program too.
    for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
        if (const char* value = std::getenv(name))
            env[name] = value;
    for (const auto& [name, value] : changes)
        env[name] = value;
    if (unprivileged && ::geteuid() == 0) {
        // nobody owns a runtime folder of its own.
        const fs::path run = root_ / "run-nobody";
        fs::create_directories(run);
        fs::permissions(run, fs::perms::owner_all);
        if (::chown(run.c_str(), 65534, 65534) != 0)
            ADD_FAILURE() << "cannot hand " << run << " to nobody";
        env["XDG_RUNTIME_DIR"] = run.string();
    }

    options.unprivileged = unprivileged;
    for (const auto& [name, value] : env)
        if (value)
            options.env.push_back(name + "=" + *value);
    Child child(options);
    return child.wait();
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}
