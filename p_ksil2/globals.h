// Global state of the panel program: one instance each, for the whole run.
#pragma once

#include "drivers/tvksil2.h"
#include "p_ksil2/entry.h"

#include <array>
#include <cstdint>
#include <string>

extern ViSession baseSession;  // carrier session, 0 = none
extern std::int32_t moduleModel;                 // 64, 79, or 0 when none is open
extern std::array<std::int32_t, kMezzaninePositions> moduleTypes; // model code at positions 1..4, 0 = empty
extern std::array<double, kStages> nominalR;          // nominal stage values, stage 1 first
extern ViStatus lastStatus;    // status of the last flash, reset or calibration call
extern int exitRequest;        // set by every exit command
extern std::int32_t selftestAnswer; // -1 waiting, 0 continue, 1 stop
extern int autoPovMode;         // PP's automatic verification is chosen (AUTO_POV of PP)
extern char driverRevision[256];
extern char instrumentRevision[256];

inline constexpr const char* kProgramVersion = KSIL_PROGRAM_VERSION; // the project version in CMake
inline constexpr const char* kResourceFile = "p_ksil2.uir";
