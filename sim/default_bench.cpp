// The bench the stand-ins use when nothing else is named.
#include "sim/bench.h"

namespace sim {

std::string_view defaultBenchJson()
{
    static constexpr std::string_view kJson = R"json({
  "instruments": [
    {
      "_comment": "VXI mezzanine carrier in slot 2 of crate 0",
      "address": "VXI0::2::INSTR", "interface": "VXI", "slot": 2, "crateLA": 0, "LA": 2,
      "manufacturer": 3702, "model": "0x10D",
      "mezzanines": [
        { "position": 1, "model": 64, "seed": 101 },
        { "position": 3, "model": 79, "seed": 103 },
        { "position": 4, "model": 32,
          "_comment": "every meter is wired to the measuring output of the КСИЛ2-4Л at position 1",
          "meter": { "wiredTo": { "carrier": "VXI0::2::INSTR", "position": 1 },
                     "gainError": 2e-5, "noise": 1e-6, "seed": 41, "conversionTime": 0.05 } }
      ]
    },
    {
      "_comment": "LXI chassis with a second module",
      "address": "TCPIP0::192.168.0.10::INSTR", "interface": "TCPIP",
      "idn": "VELTRONA,TVBASE,0001234,1.05",
      "mezzanines": [ { "position": 2, "model": 64, "seed": 202 } ]
    },
    {
      "address": "VXI0::8::INSTR", "interface": "VXI", "slot": 5, "crateLA": 0, "LA": 8,
      "manufacturer": "0x0FFF", "model": "0x243",
      "meter": { "family": 579, "wiredTo": { "carrier": "VXI0::2::INSTR", "position": 1 },
                 "gainError": 1e-5, "noise": 1e-6, "seed": 42, "conversionTime": 0.02 }
    },
    {
      "address": "GPIB0::22::INSTR", "interface": "GPIB",
      "idn": "HEWLETT-PACKARD,3458A,0,9.2",
      "meter": { "family": 3458, "wiredTo": { "carrier": "VXI0::2::INSTR", "position": 1 },
                 "gainError": -5e-6, "noise": 5e-7, "seed": 43, "conversionTime": 0.1 }
    },
    {
      "_comment": "some other VXI instrument",
      "address": "VXI0::24::INSTR", "interface": "VXI", "slot": 7, "crateLA": 0, "LA": 24,
      "manufacturer": "0x0FFF", "model": "0x201"
    }
  ]
})json";
    return kJson;
}

} // namespace sim
