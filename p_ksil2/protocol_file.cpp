// Open protocol files behind integer handles.
#include "p_ksil2/protocol_file.h"

#include "platform/files.h"

#include <filesystem>
#include <map>
#include <system_error>

namespace {

struct OpenFile {
    platform::AppendFile file;
    std::string path;
    bool midLine = false; // the file ends inside a line the program did not finish
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
    auto file = platform::AppendFile::open(path);
    if (!file)
        return -1;
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    const bool midLine = file->openedMidLine();
    const int handle = nextHandle++;
    openFiles().emplace(handle, OpenFile{std::move(*file), ec ? path : absolute.string(), midLine});
    return handle;
}

int protocolWrite(int handle, std::string_view bytes)
{
    auto it = openFiles().find(handle);
    if (it == openFiles().end() || bytes.empty())
        return 0;
    OpenFile& f = it->second;
    std::string joined;
    if (f.midLine) {
        joined.reserve(bytes.size() + 1);
        joined += '\n';
        joined += bytes;
        bytes = joined;
    }
    const auto written = f.file.append(bytes);
    if (written.error == 0)
        f.midLine = false;
    else if (written.bytes > 0)
        f.midLine = bytes[written.bytes - 1] != '\n';
    return written.error;
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
