// Reading the machine-wide PATH from the system environment file.
#include "platform/searchpath.h"

#include <algorithm>
#include <fstream>

namespace platform {
namespace {

constexpr const char* kSystemEnvironmentFile = "/etc/environment";
std::string environmentFile;

std::string_view trimLeft(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

} // namespace

void setMachineEnvironmentFile(std::string path)
{
    environmentFile = std::move(path);
}

std::optional<std::string> machineSearchPathText()
{
    std::ifstream in(environmentFile.empty() ? kSystemEnvironmentFile : environmentFile.c_str());
    if (!in)
        return std::nullopt;

    // KEY=VALUE lines; a later PATH line overrides an earlier one, as in the
    // system's own reading of the file.
    std::optional<std::string> value;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string_view rest = trimLeft(line);
        if (rest.starts_with("export "))
            rest = trimLeft(rest.substr(7));
        if (!rest.starts_with("PATH="))
            continue;
        std::string v(rest.substr(5));
        std::erase_if(v, [](char c) { return c == '"' || c == '\''; });
        value = std::move(v);
    }
    return value;
}

} // namespace platform
