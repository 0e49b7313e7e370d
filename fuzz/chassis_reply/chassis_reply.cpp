// The chassis identification reply: any reply is either refused, leaving the
// record as it was, or fills serial and firmware within their fields.
#include "fuzz/fuzz_util.h"
#include "si/discovery.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    InstrInfo record;
    std::memset(&record, 0x5A, sizeof record);
    InstrInfo before;
    std::memcpy(&before, &record, sizeof record);
    if (!si::parseChassisIdn(reply, record)) {
        fuzz::check(std::memcmp(&before, &record, sizeof record) == 0, "a refused reply changes nothing");
        return 0;
    }
    const void* serialEnd = std::memchr(record.Serial, 0, sizeof record.Serial);
    const void* firmwareEnd = std::memchr(record.Firmware, 0, sizeof record.Firmware);
    fuzz::check(serialEnd && firmwareEnd, "both fields are terminated");
    const std::string_view serial(record.Serial);
    const std::string_view firmware(record.Firmware);
    fuzz::check(serial.find(',') == std::string_view::npos, "the serial holds no field separator");
    fuzz::check(reply.find(serial) != std::string_view::npos, "the serial comes from the reply");
    if (fuzz::validUtf8(reply))
        fuzz::check(fuzz::validUtf8(serial) && fuzz::validUtf8(firmware), "no UTF-8 letter is split");
    fuzz::check(std::memcmp(record.Address, before.Address, sizeof record.Address) == 0 &&
                    std::memcmp(record.Descr, before.Descr, sizeof record.Descr) == 0,
                "only serial and firmware change");
    return 0;
}
