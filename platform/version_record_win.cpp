// Reading a file's version resource with GetFileVersionInfo and VerQueryValue.
#include "platform/version_record.h"
#include "platform/wide.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace platform {

std::optional<std::string> versionValue(const std::string& path, std::string_view key)
{
    const std::wstring file = win::widen(path);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0)
        return std::nullopt;
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data()))
        return std::nullopt;

    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), win::widen(key).c_str(), &value, &length) || !value)
        return std::nullopt;
    // The translations are pairs of 16-bit words, language then code page;
    // the first pair is given as the ELF record gives it, "0409 04b0".
    if (key == "\\VarFileInfo\\Translation") {
        if (length < 2 * sizeof(WORD))
            return std::nullopt;
        const auto* pair = static_cast<const WORD*>(value);
        char text[16];
        std::snprintf(text, sizeof text, "%04x %04x", pair[0], pair[1]);
        return std::string(text);
    }
    // A string value: length counts its characters, the final zero included.
    std::wstring_view text(static_cast<const wchar_t*>(value), length);
    if (const auto end = text.find(L'\0'); end != std::wstring_view::npos)
        text = text.substr(0, end);
    return win::narrow(text);
}

} // namespace platform
