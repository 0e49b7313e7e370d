// Writes the flash of the module at position 1 of the default bench's VXI
// carrier again and again through the module driver, the way the program
// writes it, and acknowledges each finished write on standard output. A test
// kills it at some moment and looks at what the flash holds.
//
// Usage: flash_writer FIRST
// Write n puts n * 1000 + i into stage value i and n + 0.25, n + 0.5 into the
// two R0; after it returns, the line "n" is written. Ends with 1 on a failed
// driver call.
#include "drivers/tvbase.h"
#include "drivers/tvksil2.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

constexpr const char* kCarrier = "VXI0::2::INSTR";

bool say(const std::string& text)
{
    const std::string line = text + "\n";
    return ::write(1, line.data(), line.size()) == static_cast<ssize_t>(line.size());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    long n = std::strtol(argv[1], nullptr, 10);
    ViSession base = 0, vi = 0;
    tvksil2_device_data* record = nullptr;
    if (tvbase_init(kCarrier, VI_ON, VI_ON, &base) < 0 || tvksil2_init(kCarrier, VI_ON, VI_ON, &vi) < 0 ||
        tvksil2_connect(vi, base, 1, VI_ON, VI_ON) < 0 || tvksil2_get_attribute(vi, &record) < 0 || !record)
        return 1;
    say("ready");
    for (;; ++n) {
        for (int i = 0; i < 36; ++i)
            record->step[i] = static_cast<double>(n * 1000 + i);
        record->r0[0] = static_cast<double>(n) + 0.25;
        record->r0[1] = static_cast<double>(n) + 0.5;
        if (tvksil2_writeFlash(record) != VI_SUCCESS)
            return 1;
        if (!say(std::to_string(n)))
            return 1;
    }
}
