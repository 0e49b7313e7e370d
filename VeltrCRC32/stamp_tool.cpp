// Build tool: writes a file's checksum after its embedded marker.
// Usage: crc32_stamp FILE
#include "VeltrCRC32/VeltrCRC32.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    if (stampFileCRC32(argv[1]) != 0) {
        std::fprintf(stderr, "%s: cannot stamp %s (unreadable, unwritable, or no room after the checksum marker)\n",
                     argv[0], argv[1]);
        return 1;
    }
    std::uint32_t stored = 0, computed = 0;
    if (checkFileCRC32(argv[1], stored, computed) != 0) {
        std::fprintf(stderr, "%s: %s does not check after stamping\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
