// The embedded-checksum check of a file: any content gives one of the three
// results, and a file the stamper accepts checks intact afterwards, with its
// length unchanged.
#include "VeltrCRC32/VeltrCRC32.h"
#include "fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string file = fuzz::scratchFile("crc.bin");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    fuzz::writeFile(file, bytes);

    std::uint32_t stored = 0, computed = 0, whole = 0;
    const int result = checkFileCRC32(file, stored, computed, &whole);
    fuzz::check(result == -1 || result == 0 || result == 1, "the check gives -1, 0 or 1");
    if (result == 0)
        fuzz::check(stored == computed, "an intact file's stored checksum is the computed one");
    if (result >= 0)
        fuzz::check(whole == calcCRC32({data, size}), "the file's own checksum is of its bytes");
    fuzz::check(fileCRC32(file) == (size == 0 ? 0u : calcCRC32({data, size})), "the file checksum");

    if (stampFileCRC32(file) == 0) {
        fuzz::check(std::filesystem::file_size(file) == size, "stamping keeps the length");
        fuzz::check(checkFileCRC32(file, stored, computed) == 0, "a stamped file checks intact");
    }
    return 0;
}
