// The machine-wide search path: any environment file gives folders without
// separators, and a search tries only those folders and the starting one.
#include "VeltrCRC32/VeltrCRC32.h"
#include "fuzz/fuzz_util.h"
#include "platform/searchpath.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string file = fuzz::scratchFile("environment");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The first line is the starting folder, the rest the environment file.
    const auto newline = bytes.find('\n');
    const std::string_view startDir = bytes.substr(0, newline == std::string_view::npos ? 0 : newline);
    fuzz::writeFile(file, newline == std::string_view::npos ? bytes : bytes.substr(newline + 1));
    platform::setMachineEnvironmentFile(file);

    const auto text = platform::machineSearchPathText();
    const auto folders = platform::machineSearchPath();
    fuzz::check(text || folders.empty(), "no path text, no folders");
    for (const std::string& f : folders) {
        fuzz::check(!f.empty(), "no empty folder");
        fuzz::check(f.find(platform::kSearchPathSeparator) == std::string::npos, "a folder holds no separator");
        fuzz::check(text->find(f) != std::string::npos, "a folder comes from the path text");
    }

    // A name that no folder holds: nothing is found, every folder is tried and
    // the list ends cleanly.
    std::string fullPath = "untouched";
    auto list = findFileOnPath(startDir, "ksil-fuzz-no-such-file.dll", fullPath);
    fuzz::check(!list && fullPath.empty(), "an absent file is not found");
    fuzz::check(findNextOnPath(nullptr, "x", fullPath) == 0 && fullPath.empty(), "no list, no folder");
    freePathList(list);
    platform::setMachineEnvironmentFile({});
    return 0;
}
