// Reading back a file a test or the program wrote.
#pragma once

#include <filesystem>
#include <string>

// Every byte of the file ("" when it cannot be read).
std::string readBytes(const std::filesystem::path& path);

// The file's text with its line ends as '\n', for a file the program wrote in
// the platform's text mode. On Windows, where text mode ends a line with
// "\r\n", a line feed without its carriage return reads as the two characters
// "\n", so that a comparison shows it.
std::string readTextFile(const std::filesystem::path& path);
