// The switch-code library: its one export.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define TVKSIL2_MATH_EXPORT __declspec(dllexport)
#else
#define TVKSIL2_MATH_EXPORT __attribute__((visibility("default")))
#endif

// The library's file on this platform; every text that names the library uses it.
#if defined(_WIN32)
inline constexpr const char* kMathLibraryFile = "tvksil2_math.dll";
#else
inline constexpr const char* kMathLibraryFile = "libtvksil2_math.so";
#endif

extern "C" {
// Switch code (bits 0..17) whose resistance comes nearest to target on the
// channel (0 or 1) of a 39-entry calibration table; vi is not read.
TVKSIL2_MATH_EXPORT std::int32_t tvksil2_countR(std::uint32_t vi, const double* table, std::int32_t channel,
                                                double target);
}
