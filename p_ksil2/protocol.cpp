// The КСИЛ2-4Л verification protocol: opening, the writer that mirrors every
// text in LOG, and the result lines.
#include "p_ksil2/protocol.h"
#include "p_ksil2/reset.h"

#include "p_ksil2/globals.h"
#include "p_ksil2/norm.h"
#include "p_ksil2/p_ksil2.h"
#include "p_ksil2/protocol_file.h"
#include "p_ksil2/status_line.h"
#include "platform/datetime.h"
#include "toolkit/toolkit.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

std::string logFileName = kDefaultLogFile;
int logFile = 0;
int logHeaderPending = 1;
std::string pp5ProtFile;

namespace {

// Why a protocol text did not reach its file, in the operator's words.
std::string writeFailureReason(int error)
{
    switch (error) {
    case ENOSPC: return "нет места на диске";
#if defined(EDQUOT) // not on Windows, which reports a quota as a full disk
    case EDQUOT: return "превышена дисковая квота";
#endif
    case EFBIG: return "превышен допустимый размер файла";
    case EIO: return "ошибка ввода-вывода";
    default: return std::strerror(error);
    }
}

// Writes to a protocol file; a text that does not reach it whole is shown on
// the status line, the reason first, where the field shows it (the text stays
// on the panel that mirrors the protocol).
void writeProtocol(int handle, std::string_view bytes)
{
    if (const int error = protocolWrite(handle, bytes))
        showStatusProblem("Ошибка записи в файл протокола: " + writeFailureReason(error) + " (" + protocolPath(handle)
                          + ")");
}

// Appends a UTF-8 text as a line (or lines, at inner line feeds) of a text box
// and scrolls it so that its last line is in view.
void appendAndScroll(int panel, int ctrl, std::string_view text)
{
    tk::appendTextBoxLine(panel, ctrl, text);
    const int total = tk::numTextBoxLines(panel, ctrl);
    const int visible = tk::attr(panel, ctrl, tk::Attr::VisibleLines);
    tk::setAttr(panel, ctrl, tk::Attr::FirstVisibleLine, std::max(0, total - visible));
}

// An out-of-norm result stands out in the box that mirrors the protocol.
void markLastLine(int panel, int ctrl)
{
    tk::setTextBoxLineColor(panel, ctrl, tk::numTextBoxLines(panel, ctrl) - 1, tk::kRed);
}

// Writes a Windows-1251 text to a КСИЛ5 protocol as a line, after `lead`,
// and shows the text itself in BOX_PROT.
void ksil5Write(int file, std::string_view lead, const std::string& text)
{
    if (file > 0) {
        std::string line(lead);
        line += text;
        line += '\n';
        writeProtocol(file, line);
    }
    appendAndScroll(hPP5, PP5_BOX_PROT, platform::fromCp1251(text));
}

} // namespace

void logWrite(int handle, std::string text)
{
    if (handle > 0)
        writeProtocol(handle, text);
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    appendAndScroll(hCHLP, CHLP_LOG, platform::fromCp1251(text));
}

void logDateTime(int handle)
{
    const std::tm t = platform::localParts(platform::currentTime());
    char date[32];
    char time[32];
    std::snprintf(date, sizeof date, "%02d-%02d-%04d", t.tm_mon + 1, t.tm_mday, t.tm_year + 1900);
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
    logPrintf(handle, "%s, %s\n", date, time);
}

void openLog(int& handle, const std::string& path)
{
    handle = protocolOpen(path);
    if (handle < 0)
        tk::messagePopup(kProtocolOpenFailedTitle, "Сообщения будут выводиться только на экран");
    tk::resetTextBox(hCHLP, CHLP_LOG, "");
    logDateTime(handle);
    logPrintf(handle, "Протокол проверки погрешности мезонина КСИЛ2-4Л\n");
}

void logPovResult(std::uint16_t channel, double set, double measured, double deviation, bool outOfNorm)
{
    const double norm = normR(set);
    double relDeviation = 0.0;
    double relNorm = 0.0;
    if (set != 0.0) {
        relDeviation = std::fabs(100.0 * deviation / set);
        relNorm = std::fabs(norm * 100.0 / set);
    }
    if (logHeaderPending) {
        logHeaderPending = 0;
        logPrintf(logFile, "канал          Rз            Rx           A(R)x                   /норма/\n");
    }
    logPrintf(logFile, "%d      %10.4f Ом %10.4f Ом %10.4f Ом (%7.3f%%) /%10.4f Ом (%.3f%%)/ %s\n",
              static_cast<int>(channel), set, measured, deviation, relDeviation, norm, relNorm,
              outOfNorm ? "не норма" : "");
    if (outOfNorm)
        markLastLine(hCHLP, CHLP_LOG);
}

int ksil5OpenProtocol(const std::string& path)
{
    return protocolOpen(path);
}

void ksil5WriteRunHeader(int file, std::time_t when)
{
    const std::tm t = platform::localParts(when);
    const std::string header = formatCp1251(0, "\nВремя:%d:%d:%d, Дата: %d-%d-%d \n", t.tm_hour, t.tm_min,
                                            t.tm_sec, t.tm_mday, t.tm_mon + 1, t.tm_year + 1900);
    ksil5Write(file, "\n", header);
}

void ksil5WriteChannelTitles(int file, int channel)
{
    ksil5Write(file, "",
               formatCp1251(0, " Проверяемый канал %d\n           Rn|           Rx|           dR|           An|"
                               "   Результат",
                            channel));
}

void ksil5WritePoint(int file, double rn, double rx, double an, bool outOfNorm)
{
    ksil5Write(file, "",
               formatCp1251(0, "  %11f|  %11f|  %11f|  %11f|   %9s", rn, rx, rx - rn, an,
                            outOfNorm ? "Не норма" : "Норма"));
    if (outOfNorm)
        markLastLine(hPP5, PP5_BOX_PROT);
}

void ksil5CloseProtocol(int file)
{
    protocolClose(file);
}

void closeProtocols()
{
    if (logFile > 0)
        protocolClose(logFile);
}

void resetProtocolState()
{
    closeProtocols();
    logFileName = kDefaultLogFile;
    logFile = 0;
    logHeaderPending = 1;
    pp5ProtFile.clear();
}
