// Fixed-size text fields of the instrument records: cut to fit, never overflow.
#include "si/descr_formats.h"
#include "si/discovery.h"
#include "platform/utf8.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

void copyField(std::span<char> field, std::string_view text)
{
    if (field.empty())
        return;
    const std::string_view kept = platform::utf8Cut(text, field.size() - 1);
    std::memcpy(field.data(), kept.data(), kept.size());
    field[kept.size()] = '\0';
}

} // namespace

void si::formatInto(std::span<char> field, const char* format, ...)
{
    if (field.empty())
        return;
    va_list args;
    va_start(args, format);
    const int full = std::vsnprintf(field.data(), field.size(), format, args);
    va_end(args);
    if (full < 0) {
        field[0] = '\0';
        return;
    }
    if (static_cast<std::size_t>(full) >= field.size()) {
        const std::size_t n = platform::utf8Cut({field.data(), field.size() - 1}, field.size() - 1).size();
        field[n] = '\0';
    }
}

bool si::parseChassisIdn(std::string_view reply, InstrInfo& record)
{
    const std::string_view prefix = kChassisIdnPrefix;
    if (reply.substr(0, prefix.size()) != prefix)
        return false;
    // A reply read up to its end carries the instrument's line terminator.
    while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r'))
        reply.remove_suffix(1);

    std::string_view rest = reply.substr(prefix.size());
    // The character after the prefix is skipped: the comma before the serial-number
    // field of a well-formed reply. Any other letter goes whole, so that the serial
    // does not start in the middle of one.
    if (!rest.empty()) {
        const std::size_t first = platform::utf8Cut(rest, platform::kNoLimit, 1).size();
        rest.remove_prefix(first == 0 ? rest.size() : first);
    }

    constexpr std::size_t kSerialMax = sizeof(record.Serial) - 1;
    std::size_t n = 0;
    while (n < rest.size() && n < kSerialMax && rest[n] != ',')
        ++n;
    const bool stoppedAtComma = n < rest.size() && rest[n] == ',';
    copyField(record.Serial, rest.substr(0, n));

    if (stoppedAtComma) {
        std::string_view fw = rest.substr(n + 1);
        fw = fw.substr(0, fw.find(','));
        copyField(record.Firmware, fw);
    } else {
        copyField(record.Firmware, si::kNoFirmware);
    }
    return true;
}
