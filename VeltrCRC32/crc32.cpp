// CRC-32 of a file, and the checksum a file carries after its marker.
#include "VeltrCRC32/VeltrCRC32.h"
#include "VeltrCRC32/marker.h"
#include "platform/files.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <new>
#include <stdexcept>
#include <vector>

namespace {

constexpr std::array<std::uint32_t, 256> makeTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        table[i] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kTable = makeTable();

// Bytes added after the file's bytes when it is read: at least one zero byte
// always ends the data.
constexpr std::size_t kSlack = 8;
// Smallest file stampFileCRC32 accepts.
constexpr std::size_t kStampMinSize = 20;

enum class ReadStatus { ok, unreadable, noMemory };

// A file read whole: the bytes read, then zeros.
struct WholeFile {
    std::vector<unsigned char> buffer;
    std::size_t length = 0; // bytes read
    bool complete = false;  // the file had no bytes beyond its size when read

    std::span<unsigned char> bytes() { return {buffer.data(), length}; }
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Reads the file whole, as many bytes as its size says, into a zeroed buffer
// kSlack bytes longer. A file that does not exist, cannot be opened, is empty
// or gives no byte is unreadable.
ReadStatus readWholeFile(const std::string& path, WholeFile& file)
{
    const auto size = platform::fileSize(path);
    if (!size || *size == 0)
        return ReadStatus::unreadable;
    std::unique_ptr<std::FILE, FileCloser> in(platform::openFile(path, "rb"));
    if (!in)
        return ReadStatus::unreadable;
    if (*size > std::numeric_limits<std::size_t>::max() - kSlack)
        return ReadStatus::noMemory;
    try {
        file.buffer.assign(static_cast<std::size_t>(*size) + kSlack, 0);
    } catch (const std::bad_alloc&) {
        return ReadStatus::noMemory;
    } catch (const std::length_error&) {
        return ReadStatus::noMemory;
    }
    file.length = std::fread(file.buffer.data(), 1, static_cast<std::size_t>(*size), in.get());
    file.complete = file.length == *size && std::fgetc(in.get()) == EOF;
    return file.length > 0 ? ReadStatus::ok : ReadStatus::unreadable;
}

bool isSpace(unsigned char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

int hexValue(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The stored checksum read as an unsigned hexadecimal number, as strtoul reads
// it with base 16 and a 32-bit unsigned long: white space, an optional sign and
// an optional 0x prefix, then the digits. end is one past the last digit read,
// 0 when none was read.
struct StoredValue {
    std::uint32_t value = 0;
    std::size_t end = 0;
};

StoredValue readStored(std::span<const unsigned char> data, std::size_t pos)
{
    const std::size_t n = data.size();
    while (pos < n && isSpace(data[pos]))
        ++pos;
    bool negative = false;
    if (pos < n && (data[pos] == '+' || data[pos] == '-'))
        negative = data[pos++] == '-';
    // "0x" counts as a prefix only when a digit follows it; otherwise the 0 is
    // the number.
    if (pos + 2 < n && data[pos] == '0' && (data[pos + 1] == 'x' || data[pos + 1] == 'X') &&
        hexValue(data[pos + 2]) >= 0)
        pos += 2;

    StoredValue result;
    std::uint64_t value = 0;
    bool overflow = false;
    for (; pos < n && hexValue(data[pos]) >= 0; ++pos) {
        value = value * 16 + static_cast<unsigned>(hexValue(data[pos]));
        if (value > 0xFFFFFFFFu) {
            overflow = true;
            value = 0xFFFFFFFFu;
        }
        result.end = pos + 1;
    }
    if (result.end == 0)
        return result;
    result.value = static_cast<std::uint32_t>(value);
    if (negative && !overflow)
        result.value = 0u - result.value;
    return result;
}

} // namespace

std::uint32_t calcCRC32(std::span<const unsigned char> bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes)
        crc = kTable[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::optional<std::size_t> findInBuffer(std::span<const unsigned char> bytes, std::string_view pattern)
{
    if (pattern.empty() || bytes.size() <= pattern.size())
        return std::nullopt;
    const auto first = static_cast<unsigned char>(pattern.front());
    for (std::size_t i = 0; i < bytes.size() - pattern.size(); ++i) {
        if (bytes[i] != first)
            continue;
        if (std::string_view(reinterpret_cast<const char*>(bytes.data()) + i, pattern.size()) == pattern)
            return i;
    }
    return std::nullopt;
}

std::uint32_t fileCRC32(const std::string& path)
{
    WholeFile file;
    switch (readWholeFile(path, file)) {
    case ReadStatus::ok:
        return calcCRC32(file.bytes());
    case ReadStatus::noMemory:
        return crc::kNoMemory;
    case ReadStatus::unreadable:
        break;
    }
    return 0;
}

int checkFileCRC32(const std::string& path, std::uint32_t& stored, std::uint32_t& computed, std::uint32_t* fileCrc)
{
    stored = 0;
    computed = 0;
    WholeFile file;
    if (readWholeFile(path, file) != ReadStatus::ok)
        return -1;
    const auto bytes = file.bytes();
    if (fileCrc)
        *fileCrc = calcCRC32(bytes);

    int result = -1;
    if (const auto marker = findInBuffer(bytes, crc::kMarker)) {
        const std::size_t first = *marker + crc::kMarker.size();
        const StoredValue value = readStored(bytes, first);
        stored = value.value;
        // The checksum was computed with its digits as '0'.
        for (std::size_t i = first; i < value.end; ++i)
            bytes[i] = '0';
        result = 0;
    }
    computed = calcCRC32(bytes);
    if (result == 0 && computed != stored)
        result = 1;
    return result;
}

int stampFileCRC32(const std::string& path)
{
    WholeFile file;
    if (readWholeFile(path, file) != ReadStatus::ok || file.length < kStampMinSize)
        return -1;
    // A file that changed while it was read would be cut to what was read.
    if (!file.complete)
        return -1;
    const auto bytes = file.bytes();
    const auto marker = findInBuffer(bytes, crc::kMarker);
    if (!marker)
        return -1;
    // The digits and their zero byte must lie inside the file: stamping never
    // lengthens it.
    const std::size_t field = *marker + crc::kMarker.size();
    if (bytes.size() - field < crc::kFieldSize)
        return -1;

    std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(field), crc::kDigits, '0');
    bytes[field + crc::kDigits] = 0;
    char digits[crc::kFieldSize];
    std::snprintf(digits, sizeof digits, "%08X", static_cast<unsigned>(calcCRC32(bytes)));
    std::copy_n(digits, crc::kFieldSize, bytes.begin() + static_cast<std::ptrdiff_t>(field));

    // A file this process may not write is not replaced, even where its folder
    // would allow it.
    if (!platform::fileWritable(path))
        return -1;
    const std::span<const char> content(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return platform::replaceFileContent(path, content) ? 0 : -1;
}
