// Starting a program without waiting for it and without a shell.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Starts program with the given arguments (argv[1..]); never through a command
// interpreter. Returns 0 when started, a negative value when it could not be.
int startProgram(const std::string& program, const std::vector<std::string>& args);

} // namespace platform
