// Reading the machine-wide search path from the registry: the value "Path" of
// the machine's environment key, as stored (not expanded).
#include "platform/searchpath.h"
#include "platform/wide.h"

#include <windows.h>

namespace platform {
namespace {

std::string testKey;

std::optional<std::wstring> readPathValue(HKEY root, const std::wstring& subkey)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    std::optional<std::wstring> value;
    DWORD type = 0;
    DWORD bytes = 0;
    LONG rc = RegQueryValueExW(key, L"Path", nullptr, &type, nullptr, &bytes);
    // The value may grow between the two calls: read again with the new size.
    for (int attempt = 0; attempt < 4 && rc == ERROR_SUCCESS; ++attempt) {
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            break;
        std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD got = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        rc = RegQueryValueExW(key, L"Path", nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &got);
        if (rc == ERROR_MORE_DATA) {
            bytes = got;
            rc = ERROR_SUCCESS;
            continue;
        }
        if (rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
            text.resize(got / sizeof(wchar_t));
            while (!text.empty() && text.back() == L'\0')
                text.pop_back();
            value = std::move(text);
        }
        break;
    }
    RegCloseKey(key);
    return value;
}

} // namespace

void setMachineEnvironmentKey(std::string subkey)
{
    testKey = std::move(subkey);
}

std::optional<std::string> machineSearchPathText()
{
    const auto value = testKey.empty() ? readPathValue(HKEY_LOCAL_MACHINE, kMachineEnvironmentKey)
                                       : readPathValue(HKEY_CURRENT_USER, win::widen(testKey));
    if (!value)
        return std::nullopt;
    return win::narrow(*value);
}

} // namespace platform
