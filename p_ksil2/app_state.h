// State of the start-up and main window shared by the program's own files
// (not by the other modules).
#pragma once

#include <cstdint>
#include <string>

inline constexpr const char* kExitQuestionKsil2 = "Закончить работу панели КСИЛ2-4Л ?";
inline constexpr const char* kExitQuestionKsil5 = "Закончить работу панели КСИЛ5 ?";
inline constexpr const char* kExitTitle = "КСИЛ2-4Л";

// The exit question chosen by the per-model set-up.
extern const char* exitQuestionText;
// The model the window was set up for at start-up (0: none was opened).
extern std::int32_t windowModel;

// Full path of the panel resource: resourcePath() / p_ksil2.uir.
std::string resourceFile();
