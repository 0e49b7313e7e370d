// Reading a chassis identification reply into the fixed fields of a record,
// and formatting into fixed fields.
#include "si/discovery.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

InstrInfo parsed(const std::string& reply, bool* ok = nullptr)
{
    InstrInfo rec{};
    const bool r = si::parseChassisIdn(reply, rec);
    if (ok)
        *ok = r;
    return rec;
}

} // namespace

TEST(ChassisReply, SerialAndFirmwareFields)
{
    bool ok = false;
    InstrInfo rec = parsed("VELTRONA,TVBASE,1234,2.0", &ok);
    EXPECT_TRUE(ok);
    EXPECT_STREQ(rec.Serial, "1234");
    EXPECT_STREQ(rec.Firmware, "2.0");

    // The instrument's line terminator is not part of the last field.
    rec = parsed("VELTRONA,TVBASE,77,3.1\r\n");
    EXPECT_STREQ(rec.Serial, "77");
    EXPECT_STREQ(rec.Firmware, "3.1");

    // Fields after the firmware level are not ours.
    rec = parsed("VELTRONA,TVBASE,5,1.0,extra");
    EXPECT_STREQ(rec.Firmware, "1.0");
}

TEST(ChassisReply, MissingFirmwareIsNotAvailable)
{
    InstrInfo rec = parsed("VELTRONA,TVBASE,1234\n");
    EXPECT_STREQ(rec.Serial, "1234");
    EXPECT_STREQ(rec.Firmware, "n/a");

    rec = parsed("VELTRONA,TVBASE");
    EXPECT_STREQ(rec.Serial, "");
    EXPECT_STREQ(rec.Firmware, "n/a");
}

TEST(ChassisReply, LongFieldsAreCut)
{
    const std::string longSerial(40, '7');
    InstrInfo rec = parsed("VELTRONA,TVBASE," + longSerial + ",2.0");
    EXPECT_EQ(std::string(rec.Serial), longSerial.substr(0, 31));
    EXPECT_STREQ(rec.Firmware, "n/a"); // the copy stopped at its limit, not at a comma

    // A serial of exactly 31 characters still reaches its firmware field.
    const std::string serial31(31, 'S');
    rec = parsed("VELTRONA,TVBASE," + serial31 + ",9.9");
    EXPECT_EQ(std::string(rec.Serial), serial31);
    EXPECT_STREQ(rec.Firmware, "9.9");

    // Cut at the limit without splitting a letter: 16 two-byte letters do not fit in 31 bytes.
    std::string cyrillic;
    for (int i = 0; i < 16; ++i)
        cyrillic += "Ж";
    rec = parsed("VELTRONA,TVBASE," + cyrillic + ",1.0");
    EXPECT_EQ(std::string(rec.Serial), cyrillic.substr(0, 30));
    EXPECT_STREQ(rec.Firmware, "n/a");

    const std::string longFw(60, 'F');
    rec = parsed("VELTRONA,TVBASE,1," + longFw);
    EXPECT_EQ(std::string(rec.Firmware), longFw.substr(0, 33));
}

// Found by fuzzing: the character skipped after the prefix is a whole letter,
// not its first byte, so the serial is never left starting inside one.
TEST(ChassisReply, SkippedCharacterIsAWholeLetter)
{
    InstrInfo rec = parsed("VELTRONA,TVBASEр-о,1.0");
    EXPECT_STREQ(rec.Serial, "-о");
    EXPECT_STREQ(rec.Firmware, "1.0");
    rec = parsed("VELTRONA,TVBASE\xD1"); // a letter cut short by the end of the reply
    EXPECT_STREQ(rec.Serial, "");
    EXPECT_STREQ(rec.Firmware, "n/a");
}

TEST(ChassisReply, OtherRepliesChangeNothing)
{
    for (const char* reply : {"", "VELTRONA,TVBAS", "OTHER,TVBASE,1,2", "veltrona,tvbase,1,2"}) {
        InstrInfo rec{};
        std::strcpy(rec.Serial, "keep");
        EXPECT_FALSE(si::parseChassisIdn(reply, rec)) << reply;
        EXPECT_STREQ(rec.Serial, "keep");
    }
}

TEST(FixedField, CutsOnCharacterBoundary)
{
    char field[10];
    si::formatInto(field, "%s", "абвгдеж"); // 14 bytes: only four 2-byte letters fit in 9
    EXPECT_STREQ(field, "абвг");

    char small[8];
    std::memset(small, 'x', sizeof small);
    si::formatInto(small, "%s:%d", "ab", 123456);
    EXPECT_STREQ(small, "ab:1234");

    char exact[6];
    si::formatInto(exact, "%s", "12345");
    EXPECT_STREQ(exact, "12345");
}
