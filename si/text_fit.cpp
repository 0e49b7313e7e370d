// Fixed-size text fields of the instrument records: cut to fit, never overflow.
#include "si/descr_formats.h"
#include "si/discovery.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// Length of the longest prefix of text[0..len) that ends on a UTF-8 character boundary.
std::size_t utf8Boundary(const char* text, std::size_t len)
{
    std::size_t end = len;
    // Step back over continuation bytes to the lead byte of the last character.
    std::size_t lead = end;
    while (lead > 0 && (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80)
        --lead;
    if (lead == 0)
        return end;
    const auto c = static_cast<unsigned char>(text[lead - 1]);
    std::size_t need = 1;
    if (c >= 0xF0) need = 4;
    else if (c >= 0xE0) need = 3;
    else if (c >= 0xC0) need = 2;
    if (end - (lead - 1) < need)
        return lead - 1; // the last character was cut in the middle: drop it
    return end;
}

void copyField(std::span<char> field, std::string_view text)
{
    if (field.empty())
        return;
    std::size_t n = std::min(text.size(), field.size() - 1);
    std::memcpy(field.data(), text.data(), n);
    if (n < text.size())
        n = utf8Boundary(field.data(), n);
    field[n] = '\0';
}

} // namespace

void formatInto(std::span<char> field, const char* format, ...)
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
        const std::size_t n = utf8Boundary(field.data(), field.size() - 1);
        field[n] = '\0';
    }
}

bool parseChassisIdn(std::string_view reply, InstrInfo& record)
{
    const std::string_view prefix = si::kIdnPrefix;
    if (reply.substr(0, prefix.size()) != prefix)
        return false;
    // A reply read up to its end carries the instrument's line terminator.
    while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r'))
        reply.remove_suffix(1);

    std::string_view rest = reply.substr(prefix.size());
    if (!rest.empty())
        rest.remove_prefix(1); // the comma before the serial-number field

    constexpr std::size_t kSerialMax = sizeof(record.Serial) - 1;
    std::size_t n = 0;
    while (n < rest.size() && n < kSerialMax && rest[n] != ',')
        ++n;
    const bool stoppedAtComma = n < rest.size() && rest[n] == ',';
    const bool cut = n < rest.size() && !stoppedAtComma;
    copyField(record.Serial, rest.substr(0, cut ? utf8Boundary(rest.data(), n) : n));

    if (stoppedAtComma) {
        std::string_view fw = rest.substr(n + 1);
        fw = fw.substr(0, fw.find(','));
        copyField(record.Firmware, fw);
    } else {
        copyField(record.Firmware, si::kNoFirmware);
    }
    return true;
}
