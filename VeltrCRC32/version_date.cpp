// A file's version, date, time and name as the ABOUT panel shows them.
#include "VeltrCRC32/VeltrCRC32.h"
#include "platform/datetime.h"
#include "platform/files.h"
#include "platform/utf8.h"
#include "platform/version_record.h"

#include <cstdio>
#include <ctime>

namespace {

constexpr std::string_view kNoVersion = "n/a";

// FileVersion of the first translation of the file's version record.
std::string versionText(const std::string& path)
{
    const auto translation = platform::versionValue(path, "\\VarFileInfo\\Translation");
    if (!translation)
        return std::string(kNoVersion);
    unsigned language = 0, codePage = 0;
    if (std::sscanf(translation->c_str(), "%x %x", &language, &codePage) != 2 || language > 0xFFFF ||
        codePage > 0xFFFF)
        return std::string(kNoVersion);
    char key[64];
    std::snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\FileVersion", language, codePage);
    const auto version = platform::versionValue(path, key);
    if (!version)
        return std::string(kNoVersion);
    return std::string(platform::utf8Cut(*version, platform::kNoLimit, crc::kVersionTextMax));
}

} // namespace

int fileVersionDate(const std::string& path, std::string* version, std::string* date, std::string* time,
                    std::string* fileName)
{
    for (std::string* text : {version, date, time, fileName})
        if (text)
            text->clear();

    if (fileName) {
        const auto slash = path.find_last_of(platform::kFolderSeparators);
        const std::string_view name =
            slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1);
        *fileName = platform::utf8Cut(name, platform::kNoLimit, crc::kFileNameTextMax);
    }

    if (date || time) {
        if (const auto written = platform::fileWriteTime(path)) {
            const std::tm local = platform::localParts(*written);
            char text[32];
            if (date) {
                std::snprintf(text, sizeof text, "%02i-%02i-%i", local.tm_mday, local.tm_mon + 1,
                              local.tm_year + 1900);
                *date = text;
            }
            if (time) {
                std::snprintf(text, sizeof text, "%02i:%02i", local.tm_hour, local.tm_min);
                *time = text;
            }
        }
    }

    if (version)
        *version = versionText(path);
    return 0;
}
