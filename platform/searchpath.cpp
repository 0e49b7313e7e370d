// The machine-wide search path split into its folders.
#include "platform/searchpath.h"

namespace platform {

std::vector<std::string> machineSearchPath()
{
    std::vector<std::string> dirs;
    const auto text = machineSearchPathText();
    if (!text)
        return dirs;
    std::string_view rest = *text;
    while (true) {
        const auto sep = rest.find(kSearchPathSeparator);
        const std::string_view entry = rest.substr(0, sep);
        if (!entry.empty())
            dirs.emplace_back(entry);
        if (sep == std::string_view::npos)
            break;
        rest.remove_prefix(sep + 1);
    }
    return dirs;
}

} // namespace platform
