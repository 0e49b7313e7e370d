// The bench file loader: any text either loads a bench that makes sense or is
// refused with one short line.
#include "fuzz/fuzz_util.h"
#include "sim/bench.h"

#include <set>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    if (!sim::loadJson(text, &error)) {
        fuzz::check(!sim::loaded(), "a refused bench stays unloaded");
        fuzz::check(error.rfind("JSON text: ", 0) == 0, "the message names the source");
        fuzz::checkOneLine(error, 1024, "the message is one short line");
        return 0;
    }
    const sim::Bench& b = sim::bench();
    std::set<std::string> addresses;
    for (const sim::Instrument& in : b.instruments) {
        fuzz::check(!in.address.empty() && in.address.find(' ') == std::string::npos, "an address without blanks");
        std::string upper = in.address;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        fuzz::check(addresses.insert(upper).second, "addresses are unique");
        fuzz::check(in.slot >= 0 && in.la >= 0 && in.crateLa >= 0, "no negative VXI addresses");
        std::set<int> positions;
        for (const sim::Mezzanine& mz : in.mezzanines) {
            fuzz::check(mz.position >= 1 && mz.position <= 4, "positions 1 to 4");
            fuzz::check(positions.insert(mz.position).second, "one mezzanine per position");
            for (const sim::Channel& ch : mz.channels) {
                fuzz::check(ch.r0 >= 0, "R0 is not negative");
                for (double v : ch.stage) fuzz::check(v >= 0 && v < 1e12, "stage values are sensible");
            }
        }
        if (in.meter) fuzz::check(in.meter->conversionTime >= 0 && in.meter->conversionTime <= 3600, "conversion time");
    }
    for (const sim::FaultSpec& f : b.faults) {
        fuzz::check(f.from >= 1, "faults count from call 1");
        fuzz::check(f.times >= 1 || f.times == sim::kAlways, "a fault fails at least one call");
    }
    return 0;
}
