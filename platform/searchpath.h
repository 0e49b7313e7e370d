// The machine-wide search path: on Linux the PATH= line of /etc/environment.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Separator of the entries in machineSearchPathText().
inline constexpr char kSearchPathSeparator = ':';

// The value of the machine-wide PATH as stored, quotes removed; nullopt when
// the environment file cannot be read or has no PATH line.
std::optional<std::string> machineSearchPathText();
// The same split into its directories, in order, empty entries left out.
std::vector<std::string> machineSearchPath();
// Reads the machine-wide environment from another file (tests); an empty
// path restores /etc/environment.
void setMachineEnvironmentFile(std::string path);

} // namespace platform
