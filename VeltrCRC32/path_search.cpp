// Search for a file in a starting folder and along the machine-wide search path.
#include "VeltrCRC32/VeltrCRC32.h"
#include "platform/files.h"
#include "platform/searchpath.h"

#include <algorithm>
#include <array>

namespace {

using platform::kFolderSeparator;
// One of them is removed from the end of a search-path entry.
constexpr std::string_view kTrailingSeparators = platform::kFolderSeparators;

} // namespace

// The folders to search, each a zero-terminated text in one fixed buffer. Both
// the buffer and the number of entries are limits: a search path that does not
// fit is cut before the first entry that would not fit whole.
struct PathList {
    static constexpr std::size_t kTextSize = 65536;
    static constexpr std::size_t kMaxEntries = 256;

    std::array<char, kTextSize> text{};
    std::size_t used = 0;
    std::array<std::string_view, kMaxEntries> entries{};
    std::array<bool, kMaxEntries> tried{};
    std::size_t count = 0;

    // Adds a folder, less one trailing separator (a root folder is kept as it
    // is); an empty one is kept in its place but never tried. False when the
    // entry or the buffer is full.
    bool add(std::string_view folder)
    {
        if (folder.size() > 1 && kTrailingSeparators.find(folder.back()) != std::string_view::npos)
            folder.remove_suffix(1);
        if (count == kMaxEntries || folder.size() + 1 > kTextSize - used)
            return false;
        char* start = text.data() + used;
        std::copy(folder.begin(), folder.end(), start);
        start[folder.size()] = '\0';
        used += folder.size() + 1;
        entries[count] = std::string_view(start, folder.size());
        tried[count] = folder.empty();
        ++count;
        return true;
    }

    // Forms the path of the file in entry i, marks the entry tried and tests it.
    int tryEntry(std::size_t i, std::string_view fileName, std::string& fullPath)
    {
        const std::string_view folder = entries[i];
        fullPath.assign(folder);
        if (folder.empty() || folder.back() != kFolderSeparator)
            fullPath += kFolderSeparator;
        fullPath += fileName;
        tried[i] = true;
        return platform::fileExists(fullPath) ? 1 : 0;
    }
};

void crc::PathListDeleter::operator()(PathList* list) const
{
    delete list;
}

crc::PathListPtr findFileOnPath(std::string_view startDir, std::string_view fileName, std::string& fullPath)
{
    fullPath.clear();
    crc::PathListPtr list(new PathList);

    // A starting folder too long for the buffer is left out rather than cut:
    // a cut folder name names another folder.
    if (!startDir.empty())
        list->add(startDir);
    // The separator splits only the machine-wide text; the starting folder is
    // one entry whatever characters it holds.
    if (const auto machinePath = platform::machineSearchPathText()) {
        std::string_view rest = *machinePath;
        while (true) {
            const auto sep = rest.find(platform::kSearchPathSeparator);
            if (!list->add(rest.substr(0, sep)) || sep == std::string_view::npos)
                break;
            rest.remove_prefix(sep + 1);
        }
    }
    if (list->count == 0)
        return nullptr;

    if (!list->tried[0] && list->tryEntry(0, fileName, fullPath) == 1)
        return list;
    if (findNextOnPath(list.get(), fileName, fullPath) <= 0)
        return nullptr;
    return list;
}

int findNextOnPath(PathList* list, std::string_view fileName, std::string& fullPath)
{
    fullPath.clear();
    if (!list)
        return 0;
    for (std::size_t i = 1; i < list->count; ++i) {
        if (list->tried[i])
            continue;
        if (const int found = list->tryEntry(i, fileName, fullPath); found != 0)
            return found;
    }
    fullPath.clear();
    return 0;
}

void freePathList(crc::PathListPtr& list)
{
    list.reset();
}
