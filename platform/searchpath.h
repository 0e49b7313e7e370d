// The machine-wide search path: on Linux the PATH= line of /etc/environment, on
// Windows the value "Path" of the machine's environment in the registry.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Separator of the entries in machineSearchPathText().
#if defined(_WIN32)
inline constexpr char kSearchPathSeparator = ';';
#else
inline constexpr char kSearchPathSeparator = ':';
#endif

// The value of the machine-wide search path as stored: on Linux quotes
// removed, on Windows references such as %SystemRoot% left unexpanded; nullopt
// when the environment file or the registry key cannot be read or has no path.
std::optional<std::string> machineSearchPathText();
// The same split into its directories, in order, empty entries left out.
std::vector<std::string> machineSearchPath();
#if defined(_WIN32)
// Reads the value "Path" of HKEY_CURRENT_USER\<subkey> instead (tests); an
// empty subkey restores the machine's environment key.
void setMachineEnvironmentKey(std::string subkey);
// The machine's environment key under HKEY_LOCAL_MACHINE.
inline constexpr const wchar_t* kMachineEnvironmentKey =
    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
#else
// Reads the machine-wide environment from another file (tests); an empty
// path restores /etc/environment.
void setMachineEnvironmentFile(std::string path);
#endif

} // namespace platform
