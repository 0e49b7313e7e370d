// Numbers as text, the same whatever the process locale: the Qt run-time sets
// the C library's locale from the station's environment, and on a Russian
// station printf and strtod would write and expect a decimal comma. Every
// number the program, its toolkit and the bench turn into text or read from
// text goes through these routines.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

namespace platform {

// printf formatting with the C locale's conventions (a decimal point, no
// grouping), for this call only and on this thread only, so that a library
// setting the process locale in between cannot change it. The whole text,
// however long.
std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string formatTextV(const char* format, std::va_list args);

// A number as a field or a table cell shows it: a whole number below 1e15
// without decimals, anything else in at most ten significant digits.
std::string numberText(double value);

// Reads a whole number text as strtod does in the C locale (a decimal point,
// exponents, "inf", "nan", hexadecimal), allowing blanks and tabs around it.
// False, with value unchanged, when anything else is in the text.
bool parseNumber(std::string_view text, double& value);

} // namespace platform
