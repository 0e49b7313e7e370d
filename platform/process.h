// Starting a program without waiting for it and without a shell.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Starts program with the given arguments (argv[1..]); never through a command
// interpreter. Returns 0 when started, a negative value when it could not be.
int startProgram(const std::string& program, const std::vector<std::string>& args);

// The system's program that shows a text file given as its one argument.
const char* textViewer();

// This process's id, and whether a process of that id is running now.
long processId();
bool processRunning(long id);

// What startProgram does. The program uses the system's own; tests install a
// stand-in that records what would have been started.
class Launcher {
public:
    virtual ~Launcher() = default;
    virtual int start(const std::string& program, const std::vector<std::string>& args) = 0;
};
// Installs a launcher; nullptr restores the system's. The caller keeps ownership.
void setLauncher(Launcher* launcher);

} // namespace platform
