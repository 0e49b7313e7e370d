// Starting a program with CreateProcess: no command interpreter, and we do not
// wait for it. Windows hands a program one command line, which it splits into
// arguments itself; each argument is quoted so that the usual splitting
// (CommandLineToArgvW and the C run-time's) gives it back exactly.
#include "platform/process.h"
#include "platform/wide.h"

#include <windows.h>

namespace platform {
namespace {

Launcher* installed = nullptr;

// One argument as the command line carries it: in double quotes when asked
// to, or when it is empty or holds a blank, a tab or a quote; inside quotes, a
// quote is escaped with a backslash and the backslashes before a quote (or
// before the closing quote) are doubled.
void appendQuoted(std::wstring& line, const std::wstring& arg, bool always)
{
    if (!always && !arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += arg;
        return;
    }
    line += L'"';
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"')
            line.append(backslashes * 2 + 1, L'\\');
        else
            line.append(backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

int create(const std::string& program, const std::vector<std::string>& args)
{
    if (program.empty())
        return -1;
    std::wstring line;
    appendQuoted(line, win::widen(program), false);
    // Every argument in quotes, so that a file name is one argument, blanks
    // or not: notepad.exe "C:\protocols\ksil5.log".
    for (const std::string& a : args) {
        line += L' ';
        appendQuoted(line, win::widen(a), true);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // No application name: the program is looked for as the system looks for
    // a command's first word (the program's folder, the system folders, PATH).
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return -1;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return 0;
}

} // namespace

int startProgram(const std::string& program, const std::vector<std::string>& args)
{
    return installed ? installed->start(program, args) : create(program, args);
}

const char* textViewer()
{
    return "notepad.exe";
}

void setLauncher(Launcher* launcher)
{
    installed = launcher;
}

long processId()
{
    return static_cast<long>(GetCurrentProcessId());
}

bool processRunning(long id)
{
    if (id <= 0)
        return false;
    const HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
    if (!h)
        // No such process; one we may not open is running all the same.
        return GetLastError() == ERROR_ACCESS_DENIED;
    const bool running = WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
    CloseHandle(h);
    return running;
}

} // namespace platform
