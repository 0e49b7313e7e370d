// The verification protocols: the КСИЛ2-4Л protocol file, appended across
// program runs and mirrored line by line in CHLP's LOG; the КСИЛ5 protocol of
// one run, mirrored in PP5's BOX_PROT; the callbacks of the protocol controls.
#pragma once

#include "p_ksil2/protocol_format.h"

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

inline constexpr const char* kDefaultLogFile = "ksil2.log";
// Title of the pop-up that says a protocol file cannot be opened.
inline constexpr const char* kProtocolOpenFailedTitle = "Ошибка открытия файла протокола.";
inline constexpr std::size_t kLogBufferSize = 1024; // one formatted text: 1023 characters at most

// Path of the КСИЛ2-4Л protocol (the name PP's FILE_NAME shows), relative to
// the working directory unless chosen in the file dialog.
extern std::string logFileName;
// The open КСИЛ2-4Л protocol: 0 never opened, -1 opening failed, positive open.
extern int logFile;
// 1 until the column header has been written in this program run.
extern int logHeaderPending;
// The КСИЛ5 protocol path of SET_PROT and OPEN_PROT.
extern std::string pp5ProtFile;

// Opens the protocol for appending into handle (-1 on failure, with a pop-up),
// empties LOG and writes the date line and the title.
void openLog(int& handle, const std::string& path);
// Writes a Windows-1251 text to the file (when handle > 0) and, without its
// final line feed, as a line of LOG scrolled to its end. A text that does not
// reach the file whole is reported on the status line; LOG shows it anyway.
void logWrite(int handle, std::string text);
// Formats (cut to the 1024-byte buffer) and writes like logWrite.
template <class... Args>
void logPrintf(int handle, const char* format, const Args&... args)
{
    logWrite(handle, formatCp1251(kLogBufferSize, format, args...));
}
// The line "MM-DD-YYYY, HH:MM:SS" of the current local time, through logPrintf.
void logDateTime(int handle);
// One result line, preceded by the column header once per program run; an
// out-of-norm line is marked in LOG.
void logPovResult(std::uint16_t channel, double set, double measured, double deviation, bool outOfNorm);

// The КСИЛ5 protocol of one run: opened for appending at its start, closed at
// its end or stop. Each routine writes to the file (when file > 0) and inserts
// the same text as a line of BOX_PROT.
int ksil5OpenProtocol(const std::string& path); // handle, or -1
void ksil5WriteRunHeader(int file, std::time_t when);
void ksil5WriteChannelTitles(int file, int channel);
void ksil5WritePoint(int file, double rn, double rx, double an, bool outOfNorm);
void ksil5CloseProtocol(int file);

// Program end: the КСИЛ2-4Л protocol is closed.
void closeProtocols();

// Toolkit callbacks
int selFName(int panel, int control, int event, void* data, int e1, int e2);
int writeLogCB(int panel, int control, int event, void* data, int e1, int e2);
int cancelP(int panel, int control, int event, void* data, int e1, int e2);
// MP's tab control, on a page change: e1 is the panel of the page now shown.
int tabCB(int panel, int control, int event, void* data, int e1, int e2);
int set_prot(int panel, int control, int event, void* data, int e1, int e2);
int open_prot(int panel, int control, int event, void* data, int e1, int e2);
