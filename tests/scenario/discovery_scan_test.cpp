// The start-up scan on benches of VXI carriers, chassis and other instruments.
#include "session_bench.h"

#include "platform/library.h"
#include "platform/visa.h"
#include "si/discovery.h"
#include "tests/harness/harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace scene;

namespace {

std::string s(const char* field) { return field; }

int published()
{
    int n = 0;
    while (n < si::kInstrTableSize && instrTable[static_cast<std::size_t>(n)].ModelCode != 0)
        ++n;
    return n;
}

} // namespace

TEST(DiscoveryScan, VxiCarriersMezzaninesAndOtherInstruments)
{
    Harness h{Bench::empty()};
    add({carrier("VXI0::2::INSTR", 2, {{1, 64}, {3, 79}}, 0x10D, 0x10),
         vxi("VXI0::5::INSTR", 13, 0, kOurMaker, 0x155),         // slot too high: skipped
         vxi("VXI0::7::INSTR", 4, 0, kOtherMaker, 0x10D),        // another maker's carrier model
         vxi("VXI0::0::INSTR", 0, 0, kOtherMaker, 0x243),        // slot 0: found, never published
         carrier("VXI0::9::INSTR", 9, {}, 0x177)});
    sim::bench().instruments[2].mezzanines.push_back(module(1, 64)); // must never be asked for

    EXPECT_EQ(findInstruments(), 5);
    ASSERT_EQ(published(), 5);

    const InstrInfo& c = instrTable[0];
    EXPECT_EQ(c.Kind, si::KIND_CARRIER); // the skipped resource after it changed nothing
    EXPECT_EQ(s(c.Descr), "Н.М.  Л.А.крейта:0x10, слот:2\n(VXI0::2::INSTR)");
    EXPECT_EQ(s(c.Address), "VXI0::2::INSTR");
    EXPECT_EQ(c.ModelCode, 0x10D);
    EXPECT_EQ(c.Slot, 2);
    EXPECT_EQ(c.Meznum, 0);
    EXPECT_EQ(c.IntfType, static_cast<ViInt16>(VI_INTF_VXI));

    for (int i : {1, 2}) {
        const InstrInfo& m = instrTable[static_cast<std::size_t>(i)];
        const int pos = i == 1 ? 1 : 3;
        const unsigned model = i == 1 ? 0x40 : 0x4F;
        EXPECT_EQ(m.Kind, si::KIND_MEZZANINE);
        EXPECT_EQ(m.Meznum, pos);
        EXPECT_EQ(m.ModelCode, model);
        EXPECT_EQ(s(m.Address), "VXI0::2::INSTR");
        EXPECT_EQ(m.Slot, 2);
        EXPECT_EQ(s(m.Descr), s(c.Descr) + fmt(" мезонин N %u модель 0x%x", pos, model));
    }

    const InstrInfo& other = instrTable[3];
    EXPECT_EQ(other.Kind, si::KIND_OTHER);
    EXPECT_EQ(s(other.Descr), "Модель 0x10d Л.А.крейта:0x00, слот:4\n(VXI0::7::INSTR)");

    EXPECT_EQ(instrTable[4].Kind, si::KIND_CARRIER);
    EXPECT_EQ(s(instrTable[4].Descr), "Н.М.М.  Л.А.крейта:0x00, слот:9\n(VXI0::9::INSTR)");
    EXPECT_EQ(instrTable[5].ModelCode, 0);

    // Mezzanines were asked for on our two carriers only, and every session was closed.
    EXPECT_EQ(sim::callCount("tvbase_init"), 2);
    EXPECT_EQ(sim::callCount("tvbase_close"), 2);
    EXPECT_EQ(sim::callCount("viOpen"), sim::callCount("viClose") - 2); // + find list and manager
}

TEST(DiscoveryScan, ChassisRecognisedByTheirReply)
{
    Harness h{Bench::empty()};
    const std::string longSerial(40, '9');
    add({chassis("TCPIP0::10.0.0.5::inst0::INSTR", VI_INTF_TCPIP, "VELTRONA,TVBASE,1234,2.0\n", "10.0.0.5"),
         chassis("USB0::0x1::0x2::55::INSTR", VI_INTF_USB, "VELTRONA,TVBASE,55\n"),
         chassis("USB0::0x1::0x2::56::INSTR", VI_INTF_USB, "VELTRONA,TVBASE," + longSerial + ",3.0\n"),
         chassis("USB0::0x1::0x2::57::INSTR", VI_INTF_USB, "ACME,METER,1,1\n"),
         chassis("USB0::0x1::0x2::58::INSTR", VI_INTF_USB, ""),     // no answer
         chassis("USB0::0x1::0x2::59::INSTR", VI_INTF_USB, "VELTRONA,TVBASE,59,1.0\n")});
    sim::bench().instruments.back().lockTimesOut = true;
    sim::bench().instruments[1].mezzanines.push_back(module(2, 64));

    EXPECT_EQ(findInstruments(), 4);
    ASSERT_EQ(published(), 4);

    const InstrInfo& lxi = instrTable[0];
    EXPECT_EQ(s(lxi.Descr), "Karvel, LXI (10.0.0.5, №:1234)");
    EXPECT_EQ(s(lxi.Serial), "1234");
    EXPECT_EQ(s(lxi.Firmware), "2.0");
    EXPECT_EQ(lxi.ModelCode, 0x1004);
    EXPECT_EQ(lxi.Slot, 255);
    EXPECT_EQ(lxi.LA, 255);
    EXPECT_EQ(lxi.CrateLA, 0);
    EXPECT_EQ(lxi.Kind, si::KIND_CARRIER);

    EXPECT_EQ(s(instrTable[1].Descr), "Karvel, USB (№:55)");
    EXPECT_EQ(s(instrTable[1].Firmware), "n/a");
    EXPECT_EQ(instrTable[2].Kind, si::KIND_MEZZANINE);
    EXPECT_EQ(s(instrTable[2].Descr), "Karvel, USB (№:55) мезонин N 2 модель 0x40");
    EXPECT_EQ(s(instrTable[3].Serial), longSerial.substr(0, 31));
    EXPECT_EQ(s(instrTable[3].Firmware), "n/a");

    // A timed-out lock skips the chassis after its 2 s wait.
    EXPECT_GE(h.elapsed(), 2.0);
    // Each lock is released, and the reply is read only with the bounded format.
    EXPECT_EQ(sim::callCount("viLock") - 1, sim::callCount("viUnlock"));
    for (const auto& line : sim::journal("viQueryf"))
        EXPECT_NE(line.find("\"%#t\""), std::string::npos) << line;
}

TEST(DiscoveryScan, OverlongReplyIsCutToTheBuffer)
{
    Harness h{Bench::empty()};
    const std::string serial(28, 'A');
    // Serial and firmware both fit, the rest of a 600-character reply does not.
    add({chassis("USB0::0x1::0x2::1::INSTR", VI_INTF_USB,
                 "VELTRONA,TVBASE," + serial + ",1.5," + std::string(600, 'x') + "\n")});

    EXPECT_EQ(findInstruments(), 1);
    EXPECT_EQ(s(instrTable[0].Serial), serial);
    EXPECT_EQ(s(instrTable[0].Firmware), "1.5");
}

TEST(DiscoveryScan, CarrierDriverFaultsKeepTheCarrier)
{
    Harness h{Bench::empty()};
    add({carrier("VXI0::1::INSTR", 1, {{1, 64}, {2, 79}, {4, 64}}),
         carrier("VXI0::3::INSTR", 3, {{1, 64}}),
         carrier("VXI0::4::INSTR", 4, {{2, 32}})});
    sim::failCall("tvbase_m_type_q", -1, 1, 3); // first carrier, position 3
    sim::failCall("tvbase_init", -1, 1, 2);     // second carrier cannot be opened

    EXPECT_EQ(findInstruments(), 6);
    const std::vector<std::pair<ViInt16, ViInt16>> expected{{0, 0}, {1, 1}, {1, 2}, {0, 0}, {0, 0}, {1, 2}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(instrTable[i].Kind, expected[i].first) << i;
        EXPECT_EQ(instrTable[i].Meznum, expected[i].second) << i;
    }
    EXPECT_EQ(instrTable[5].ModelCode, 32);
    // The first carrier's session ended at the failing position; the second never opened.
    EXPECT_EQ(sim::callCount("tvbase_close"), 2);
}

TEST(DiscoveryScan, MissingCarrierDriverListsCarriersAlone)
{
    Harness h{Bench::empty()};
    add({carrier("VXI0::1::INSTR", 1, {{1, 64}}), vxi("VXI0::6::INSTR", 6, 0, kOtherMaker, 0x243)});
    const auto noDrivers = h.folder() / "no-drivers";
    std::filesystem::create_directories(noDrivers);
    // VISA stays bound; only the carrier driver goes missing (the harness starts
    // with it unbound, as a new process would).
    ASSERT_NE(platform::visa(), nullptr);
    platform::setLibraryDirs({noDrivers.string()});
    const ViStatus found = findInstruments();
    EXPECT_EQ(loadBaseDriver(), -1);
    platform::setLibraryDirs({});

    EXPECT_EQ(found, 2);
    EXPECT_EQ(instrTable[0].Kind, si::KIND_CARRIER);
    EXPECT_EQ(instrTable[1].Kind, si::KIND_OTHER);
    EXPECT_EQ(sim::callCount("tvbase_init"), 0);

    EXPECT_EQ(loadBaseDriver(), 0); // bound again once the library is back
}

TEST(DiscoveryScan, FailuresOfVisaLeaveTheTable)
{
    Harness h{Bench::empty()};
    // Nothing to find: VISA's own status, an empty table.
    EXPECT_LT(findInstruments(), 0);
    EXPECT_EQ(published(), 0);

    add({carrier("VXI0::1::INSTR", 1, {{1, 64}}), vxi("VXI0::2::INSTR", 2, 0, kOtherMaker, 0x243),
         vxi("VXI0::3::INSTR", 3, 0, kOtherMaker, 0x144)});
    ASSERT_EQ(findInstruments(), 4);

    // A later scan that breaks off mid-way returns the status and publishes nothing.
    sim::bench().instruments.erase(sim::bench().instruments.begin());
    sim::failCall("viFindNext", VI_ERROR_RSRC_NFOUND, 1, sim::callCount("viFindNext") + 1);
    EXPECT_EQ(findInstruments(), VI_ERROR_RSRC_NFOUND);
    EXPECT_EQ(published(), 4);
    EXPECT_EQ(instrTable[0].Kind, si::KIND_CARRIER);

    sim::failCall("viOpenDefaultRM", VI_ERROR_ALLOC, 1, sim::callCount("viOpenDefaultRM") + 1);
    EXPECT_EQ(findInstruments(), VI_ERROR_ALLOC);
}

TEST(DiscoveryScan, MoreThanTheTableHoldsKeepsTheFirst256)
{
    Harness h{Bench::empty()};
    for (int i = 0; i < 255; ++i)
        add({vxi("VXI0::" + std::to_string(i + 100) + "::INSTR", static_cast<ViInt16>(1 + i % 12), 0, kOtherMaker,
                 0x243)});
    // The 256th record is a carrier with no room left for its mezzanines.
    add({carrier("VXI0::1::INSTR", 1, {{1, 64}, {2, 64}}), vxi("VXI0::2::INSTR", 2, 0, kOtherMaker, 0x144)});

    EXPECT_EQ(findInstruments(), si::kInstrTableSize);
    EXPECT_EQ(published(), si::kInstrTableSize);
    EXPECT_EQ(instrTable[255].Kind, si::KIND_CARRIER);
    EXPECT_EQ(s(instrTable[255].Address), "VXI0::1::INSTR");
    EXPECT_EQ(sim::journal("viOpen(").size(), 256u); // the scan stopped once the list was full
}

// Address holds 127 characters: a longer name could only be listed cut, and a
// cut name opens nothing. Model code 0 marks a free entry: a record with it
// would end the table early and hide every record after it.
TEST(DiscoveryScan, OverlongNamesAndModelCodeZeroAreNotPublished)
{
    Harness h{Bench::empty()};
    const std::string longName = "VXI0::" + std::string(115, '7') + "::INSTR"; // 128 characters
    const std::string longest = "VXI0::" + std::string(114, '6') + "::INSTR";  // 127: fits
    add({vxi(longName, 3, 0, kOtherMaker, 0x243),
         vxi("VXI0::4::INSTR", 4, 0, kOtherMaker, 0),
         carrier("VXI0::2::INSTR", 2, {{1, 0}, {2, 64}}),
         vxi(longest, 5, 0, kOtherMaker, 0x243)});

    EXPECT_EQ(findInstruments(), 3);
    ASSERT_EQ(published(), 3);
    EXPECT_EQ(s(instrTable[0].Address), "VXI0::2::INSTR");
    EXPECT_EQ(instrTable[0].Kind, si::KIND_CARRIER);
    EXPECT_EQ(instrTable[1].Meznum, 2); // the fitted position that reports 0 is left out
    EXPECT_EQ(instrTable[1].ModelCode, 64);
    EXPECT_EQ(s(instrTable[2].Address), longest);
    for (int i = 0; i < published(); ++i)
        EXPECT_NE(s(instrTable[static_cast<std::size_t>(i)].Address), longName.substr(0, 127));
}
