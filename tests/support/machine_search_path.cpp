#include "tests/support/machine_search_path.h"

#include "platform/process.h"
#include "platform/searchpath.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <fstream>
#endif

#if defined(_WIN32)

namespace {

HKEY createKey(const std::wstring& key)
{
    HKEY h = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr);
    return h;
}

} // namespace

TestSearchPath::TestSearchPath(const std::filesystem::path&)
{
    static unsigned count = 0;
    const std::string key = "Software\\ksil-tests\\" + std::to_string(platform::processId()) + "-" +
                            std::to_string(++count);
    key_.assign(key.begin(), key.end());
    platform::setMachineEnvironmentKey(key);
}

TestSearchPath::~TestSearchPath()
{
    setMissing();
    platform::setMachineEnvironmentKey({});
}

void TestSearchPath::set(const std::string& text)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring value(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), value.data(), n);
    // Stored as the machine's own value is: expandable text.
    HKEY key = createKey(key_);
    RegSetValueExW(key, L"Path", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void TestSearchPath::setWithoutPath()
{
    setMissing();
    RegCloseKey(createKey(key_));
}

void TestSearchPath::setMissing()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str());
}

#else

TestSearchPath::TestSearchPath(const std::filesystem::path& folder) : file_(folder / "environment")
{
    platform::setMachineEnvironmentFile(file_.string());
}

TestSearchPath::~TestSearchPath()
{
    platform::setMachineEnvironmentFile({});
}

void TestSearchPath::set(const std::string& text)
{
    std::ofstream(file_) << "LANG=C\nPATH=\"" << text << "\"\n";
}

void TestSearchPath::setWithoutPath()
{
    std::ofstream(file_) << "LANG=C\n";
}

void TestSearchPath::setMissing()
{
    std::error_code ec;
    std::filesystem::remove(file_, ec);
}

#endif
