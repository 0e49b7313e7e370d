// Numbers and instants as text, the same whatever the process locale.
#pragma once

#include "history/record.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace history {

// The shortest text that reads back as the same double ("0.1", "1.0000000000000002",
// "9.9e+37"); "nan", "inf", "-inf" for those.
std::string exactText(double v);
// Fixed decimals ("1.2000"), for columns meant to be read.
std::string fixedText(double v, int decimals);
// The 64-bit pattern of a double as 16 upper-case hexadecimal digits.
std::string bitsText(double v);

// The 64-bit pattern of a double and back: what the database keeps, so that
// every value comes back bit for bit (NaN payloads and denormals included).
std::int64_t bitsOf(double v);
double fromBits(std::int64_t bits);

// "2026-11-02T10:15:30.123Z".
std::string isoUtc(UtcMs t);
// An instant as isoUtc writes it, or a date "2026-11-02" (its midnight), or a
// date and time without seconds' fraction or zone ("2026-11-02T10:15:30",
// "2026-11-02 10:15"); all in UTC. nullopt for anything else.
std::optional<UtcMs> parseUtc(std::string_view text);
// The wall clock now.
UtcMs nowUtc();

// A whole decimal number that is all of text.
std::optional<long long> parseInteger(std::string_view text);

} // namespace history
