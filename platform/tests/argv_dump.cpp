// Test helper: writes its arguments 2.. to the file named by argument 1, each
// followed by a zero byte, then renames it into place so readers see it whole.
// On Windows the arguments are the command line split by the system's rules,
// in UTF-8.
#include <cstdio>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#include <shellapi.h>

namespace {

std::string utf8(const wchar_t* text)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

std::vector<std::string> arguments(int, char**)
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i)
        args.push_back(utf8(argv[i]));
    LocalFree(argv);
    return args;
}

std::FILE* create(const std::string& path)
{
    std::wstring wide(path.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), wide.data(), static_cast<int>(wide.size()))));
    return _wfopen(wide.c_str(), L"wb");
}

bool rename(const std::string& from, const std::string& to)
{
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

} // namespace
#else
namespace {

std::vector<std::string> arguments(int argc, char** argv)
{
    return std::vector<std::string>(argv, argv + argc);
}

std::FILE* create(const std::string& path)
{
    return std::fopen(path.c_str(), "wb");
}

bool rename(const std::string& from, const std::string& to)
{
    return std::rename(from.c_str(), to.c_str()) == 0;
}

} // namespace
#endif

int main(int argc, char** argv)
{
    const std::vector<std::string> args = arguments(argc, argv);
    if (args.size() < 2)
        return 2;
    const std::string final = args[1];
    const std::string temp = final + ".part";
    std::FILE* f = create(temp);
    if (!f)
        return 1;
    for (std::size_t i = 2; i < args.size(); ++i) {
        std::fputs(args[i].c_str(), f);
        std::fputc('\0', f);
    }
    std::fclose(f);
    return rename(temp, final) ? 0 : 1;
}
