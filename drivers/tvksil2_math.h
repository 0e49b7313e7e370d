// The switch-code library (tvksil2_math): its one export and the layout of the
// table it reads.
#pragma once

#include "drivers/mezzanine.h"

#include <cstdint>

#if defined(_WIN32) && defined(TVKSIL2_MATH_BUILDING)
#define TVKSIL2_MATH_EXPORT __declspec(dllexport)
#elif defined(_WIN32)
#define TVKSIL2_MATH_EXPORT __declspec(dllimport)
#else
#define TVKSIL2_MATH_EXPORT __attribute__((visibility("default")))
#endif

// The library's file on this platform; every text that names the library uses it.
#if defined(_WIN32)
inline constexpr const char* kMathLibraryFile = "tvksil2_math.dll";
#else
inline constexpr const char* kMathLibraryFile = "libtvksil2_math.so";
#endif

// Table layout: entry 0 is never read; entry kStepEntry + kStages * a + k is the
// step value of stage k of channel a; entry kR0Entry + a is that channel's R0.
inline constexpr int kStepEntry = 1;
inline constexpr int kR0Entry = kStepEntry + kChannels * kStages; // 37 (channel 0), 38 (channel 1)
inline constexpr int kSwitchTableEntries = kR0Entry + kChannels;  // 39

extern "C" {
// Switch code (bits 0..17) whose resistance comes nearest to target on the
// channel (0 or 1) of the calibration table; vi is not read.
TVKSIL2_MATH_EXPORT std::int32_t tvksil2_countR(std::uint32_t vi, const double* table, std::int32_t channel,
                                                double target);
}
