// Callbacks of the protocol controls: the choice of the КСИЛ2-4Л protocol file,
// its viewer pop-up, its opening when PP is first shown, and the КСИЛ5 protocol
// path and viewer.
#include "p_ksil2/protocol.h"

#include "p_ksil2/globals.h"
#include "p_ksil2/manual.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/protocol_file.h"
#include "platform/process.h"
#include "toolkit/toolkit.h"

#include <filesystem>
#include <system_error>

namespace {

#ifdef _WIN32
constexpr const char* kPp5ProtocolFolder = "c:\\Users\\Public\\Documents\\Veltrona\\ОРД4К";
#else
constexpr const char* kPp5ProtocolFolder = ""; // the working directory
#endif

// Whether path names the file the protocol handle writes to: decided by the
// file itself, so another spelling of it is the same file and, where letter
// case matters, a name differing in case is another file.
bool isOpenFile(int handle, const std::string& path)
{
    if (handle <= 0)
        return false;
    const std::string open = protocolPath(handle);
    std::error_code ec;
    return !open.empty() && std::filesystem::equivalent(open, path, ec) && !ec;
}

std::string workingDirectory()
{
    std::error_code ec;
    const auto dir = std::filesystem::current_path(ec);
    return ec ? std::string(".") : dir.string();
}

} // namespace

int selFName(int panel, int control, int event, void* data, int e1, int e2)
{
    if (event != tk::EVENT_COMMIT)
        return 0;
    std::string chosen;
    if (tk::fileSelectPopup(workingDirectory(), "*.log", "*.log", "Файл протокола", true, chosen) == tk::FILE_NONE)
        return 0;
    // Compared with the file receiving the results now; when none is open,
    // the choice is opened.
    if (!isOpenFile(logFile, chosen)) {
        if (logFile > 0)
            protocolClose(logFile);
        logFileName = chosen;
        openLog(logFile, logFileName);
    }
    tk::setValue(hPP, PP_FILE_NAME, chosen);
    return 0;
}

int writeLogCB(int panel, int control, int event, void* data, int e1, int e2)
{
    if (event == tk::EVENT_COMMIT)
        tk::installPopup(hCHLP);
    return 0;
}

int cancelP(int panel, int control, int event, void* data, int e1, int e2)
{
    if (event == tk::EVENT_COMMIT)
        tk::removePopup(0);
    return 0;
}

int tabCB(int panel, int control, int event, void* data, int e1, int e2)
{
    if (event != tk::EVENT_TAB_CHANGED || e1 != hPP)
        return 0;
    // Opened once per program run; a failed opening is not retried here.
    if (logFile == 0)
        openLog(logFile, logFileName);
    setChan(hPP, PP_CHAN, tk::EVENT_COMMIT, nullptr, 0, 0);
    return 0;
}

int set_prot(int panel, int control, int event, void* data, int e1, int e2)
{
    if (event != tk::EVENT_COMMIT)
        return 0;
    // A cancel leaves the path shown as it is.
    if (tk::fileSelectPopup(kPp5ProtocolFolder, "*.log", "", "Сообщение оператору", true, pp5ProtFile)
        != tk::FILE_NONE)
        tk::setValue(hPP5, PP5_LINE_PROT, pp5ProtFile);
    return 0;
}

int open_prot(int panel, int control, int event, void* data, int e1, int e2)
{
    if (event != tk::EVENT_COMMIT)
        return 0;
    pp5ProtFile = tk::textValue(hPP5, PP5_LINE_PROT);
    // The path is the viewer's one argument, never a command line; a name
    // starting with '-' is passed as ./-name so it cannot read as an option.
    std::string argument = pp5ProtFile;
    if (!argument.empty() && argument.front() == '-')
        argument = "./" + argument;
    if (platform::startProgram(platform::textViewer(), {argument}) < 0)
        tk::messagePopup("Протокол", "Не удалось запустить программу просмотра протокола\n" + pp5ProtFile);
    return 0;
}
