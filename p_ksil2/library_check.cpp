// The switch-code library file as start-up and ABOUT check it: looked up in the
// working folder, then along the machine-wide search path; its embedded
// checksum checked; its name, version, date and CRC-32 shown on ABOUT.
#include "p_ksil2/library_check.h"

#include "VeltrCRC32/VeltrCRC32.h"
#include "drivers/tvksil2_math.h"
#include "p_ksil2/globals.h"
#include "p_ksil2/p_ksil2.h"
#include "platform/files.h"
#include "toolkit/toolkit.h"

#include <cstdio>
#include <string>
#include <system_error>

namespace {

constexpr const char* kWarningTitle = "ВНИМАНИЕ!";

std::string checkedCrc;

} // namespace

const std::string& mathLibraryCrc()
{
    return checkedCrc;
}

void checkMathLibrary()
{
    checkedCrc.clear();
    const std::string workingDir = platform::workingFolder();
    std::string path;
    crc::PathListPtr found = findFileOnPath(workingDir, kMathLibraryFile, path);
    if (!found)
        return; // not installed here: CERT_MSG keeps what it shows

    std::uint32_t stored = 0, computed = 0, asRead = 0;
    const int check = checkFileCRC32(path, stored, computed, &asRead);
    if (check == 1)
        tk::messagePopup(kWarningTitle,
                         "Некорректная контрольная сумма\nфайла " + std::string(kMathLibraryFile) + "!");
    if (check == 0 || check == 1) {
        std::string version, date;
        fileVersionDate(path, &version, &date, nullptr, nullptr);
        // The CRC-32 of the bytes as read, which differs from the stored one of an intact file.
        char crc[9];
        std::snprintf(crc, sizeof crc, "%08X", static_cast<unsigned>(asRead));
        checkedCrc = crc;
        tk::setValue(hABOUT, ABOUT_CERT_MSG,
                     std::string(kMathLibraryFile) + ", версия:" + version + ", дата:" + date + ", CRC32=" + crc);
    }
    freePathList(found);
}
