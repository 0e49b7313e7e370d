// Open protocol files behind integer handles.
#include "p_ksil2/protocol_file.h"
#include "platform/files.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <system_error>

namespace {

struct CloseFile {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

struct OpenFile {
    std::unique_ptr<std::FILE, CloseFile> file;
    std::string path;
};

std::map<int, OpenFile>& openFiles()
{
    static std::map<int, OpenFile> files;
    return files;
}

int nextHandle = 1;

} // namespace

int protocolOpen(const std::string& path)
{
    if (path.empty())
        return -1;
    // "a+": read and write, every write at the end; text mode where the platform has one.
    std::unique_ptr<std::FILE, CloseFile> file(platform::openFile(path, "a+"));
    if (!file)
        return -1;
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(platform::fsPath(path), ec);
    const int handle = nextHandle++;
    openFiles()[handle] = OpenFile{std::move(file), ec ? path : platform::utf8Path(absolute)};
    return handle;
}

void protocolWrite(int handle, std::string_view bytes)
{
    auto it = openFiles().find(handle);
    if (it == openFiles().end() || bytes.empty())
        return;
    std::FILE* f = it->second.file.get();
    // Write errors are not examined: the line is on the panel either way.
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fflush(f);
}

void protocolClose(int handle)
{
    openFiles().erase(handle);
}

std::string protocolPath(int handle)
{
    auto it = openFiles().find(handle);
    return it == openFiles().end() ? std::string() : it->second.path;
}
