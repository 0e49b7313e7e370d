// The stand-in VISA and carrier as discovery uses them, the journal, the
// fault plan, the self-test dialogue and the driver's messages.
#include "stand_ins.h"

#include "platform/visa.h"

#include <cstring>

using namespace simtest;

namespace {

class Calls : public BenchTest {
protected:
    const platform::VisaApi& visa = api();
    static const platform::VisaApi& api()
    {
        static platform::VisaApi v = [] {
            platform::VisaApi a;
            a.viOpenDefaultRM = entry<viOpenDefaultRM_t>("visa32.dll", "viOpenDefaultRM");
            a.viFindRsrc = entry<viFindRsrc_t>("visa32.dll", "viFindRsrc");
            a.viFindNext = entry<viFindNext_t>("visa32.dll", "viFindNext");
            a.viOpen = entry<viOpen_t>("visa32.dll", "viOpen");
            a.viClose = entry<viClose_t>("visa32.dll", "viClose");
            a.viGetAttribute = entry<viGetAttribute_t>("visa32.dll", "viGetAttribute");
            a.viLock = entry<viLock_t>("visa32.dll", "viLock");
            a.viUnlock = entry<viUnlock_t>("visa32.dll", "viUnlock");
            a.viQueryf = entry<viQueryf_t>("visa32.dll", "viQueryf");
            return a;
        }();
        return v;
    }
    ViSession openResource(const char* name)
    {
        ViSession rm = 0, vi = 0;
        EXPECT_EQ(visa.viOpenDefaultRM(&rm), VI_SUCCESS);
        EXPECT_EQ(visa.viOpen(rm, name, VI_NO_LOCK, 0, &vi), VI_SUCCESS);
        return vi;
    }
};

TEST_F(Calls, FindListsEveryInstrumentInBenchOrder)
{
    ViSession rm = 0;
    ASSERT_EQ(visa.viOpenDefaultRM(&rm), VI_SUCCESS);
    ViFindList list = 0;
    ViUInt32 count = 0;
    char desc[VI_FIND_BUFLEN] = {};
    ASSERT_EQ(visa.viFindRsrc(rm, "?*INSTR", &list, &count, desc), VI_SUCCESS);
    ASSERT_EQ(count, sim::bench().instruments.size());
    std::vector<std::string> names{desc};
    while (visa.viFindNext(list, desc) == VI_SUCCESS) names.push_back(desc);
    ASSERT_EQ(names.size(), count);
    for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(names[i], sim::bench().instruments[i].address);

    // An exact name (any case) finds that one; list and count may be left out.
    ASSERT_EQ(visa.viFindRsrc(rm, "gpib0::22::instr", nullptr, nullptr, desc), VI_SUCCESS);
    EXPECT_STREQ(desc, "GPIB0::22::INSTR");
    EXPECT_EQ(visa.viFindRsrc(rm, "GPIB0::21::INSTR", nullptr, nullptr, desc), VI_ERROR_RSRC_NFOUND);
    EXPECT_EQ(visa.viFindRsrc(rm, "VXI?*", &list, &count, desc), VI_SUCCESS);
    EXPECT_EQ(count, 3u);

    // Closing the resource manager closes what was opened from it.
    ViSession vi = 0;
    ASSERT_EQ(visa.viOpen(rm, "VXI0::2::INSTR", VI_NO_LOCK, 0, &vi), VI_SUCCESS);
    ASSERT_EQ(visa.viClose(rm), VI_SUCCESS);
    EXPECT_EQ(visa.viClose(vi), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(visa.viFindNext(list, desc), VI_ERROR_INV_OBJECT);
}

TEST_F(Calls, AttributesOfVxiChassisAndCarrierSessions)
{
    const ViSession vxi = openResource("VXI0::8::INSTR");
    ViInt16 slot = 0, la = 0;
    ViUInt16 manf = 0, model = 0, intf = 0;
    ASSERT_EQ(visa.viGetAttribute(vxi, VI_ATTR_SLOT, &slot), VI_SUCCESS);
    ASSERT_EQ(visa.viGetAttribute(vxi, VI_ATTR_VXI_LA, &la), VI_SUCCESS);
    ASSERT_EQ(visa.viGetAttribute(vxi, VI_ATTR_MANF_ID, &manf), VI_SUCCESS);
    ASSERT_EQ(visa.viGetAttribute(vxi, VI_ATTR_MODEL_CODE, &model), VI_SUCCESS);
    ASSERT_EQ(visa.viGetAttribute(vxi, VI_ATTR_INTF_TYPE, &intf), VI_SUCCESS);
    EXPECT_EQ(slot, 5);
    EXPECT_EQ(la, 8);
    EXPECT_EQ(manf, 0x0FFF);
    EXPECT_EQ(model, 0x243);
    EXPECT_EQ(intf, VI_INTF_VXI);

    const ViSession lxi = openResource("TCPIP0::192.168.0.10::INSTR");
    char text[256] = {};
    ASSERT_EQ(visa.viGetAttribute(lxi, VI_ATTR_TCPIP_ADDR, text), VI_SUCCESS);
    EXPECT_STREQ(text, "192.168.0.10");
    EXPECT_EQ(visa.viGetAttribute(lxi, VI_ATTR_SLOT, &slot), VI_ERROR_NSUP_ATTR);
    EXPECT_EQ(visa.viGetAttribute(vxi, VI_ATTR_TCPIP_ADDR, text), VI_ERROR_NSUP_ATTR);

    // A carrier driver session answers through the same VISA.
    Module m;
    ViSession base = 0;
    ASSERT_EQ(m.baseInit(kCarrier, 1, 1, &base), VI_SUCCESS);
    ViInt16 crate = -1;
    ASSERT_EQ(visa.viGetAttribute(base, VI_ATTR_MAINFRAME_LA, &crate), VI_SUCCESS);
    ASSERT_EQ(visa.viGetAttribute(base, VI_ATTR_SLOT, &slot), VI_SUCCESS);
    ASSERT_EQ(visa.viGetAttribute(base, VI_ATTR_RSRC_NAME, text), VI_SUCCESS);
    EXPECT_EQ(crate, 0);
    EXPECT_EQ(slot, 2);
    EXPECT_STREQ(text, kCarrier);
    ViInt16 present = -1, type = -1;
    const ViInt16 expected[] = {64, 0, 79, 32};
    for (ViInt16 pos = 1; pos <= 4; ++pos) {
        ASSERT_EQ(m.baseType(base, pos, &present, &type), VI_SUCCESS);
        EXPECT_EQ(type, expected[pos - 1]);
        EXPECT_EQ(present, pos == 2 ? 0 : 1);
    }
    EXPECT_EQ(m.baseType(base, 5, &present, &type), sim::kStatusBadParameter);
    EXPECT_EQ(m.baseInit("VXI0::8::INSTR", 1, 1, &base), sim::kStatusNotCarrier);
    EXPECT_EQ(base, 0u);
}

TEST_F(Calls, IdentificationQueryWholeAndBounded)
{
    const std::string longReply = "VELTRONA,TVBASE-LXI," + std::string(300, '7');
    sim::instrument("TCPIP0::192.168.0.10::INSTR")->idn = longReply;
    const ViSession vi = openResource("TCPIP0::192.168.0.10::INSTR");
    std::vector<char> big(1024, 'x');
    ASSERT_EQ(visa.viQueryf(vi, "*IDN?\n", "%t", big.data()), VI_SUCCESS);
    EXPECT_EQ(std::string(big.data()), longReply);

    char small[32];
    ViInt32 size = sizeof small;
    ASSERT_EQ(visa.viQueryf(vi, "*IDN?\n", "%#t", &size, small), VI_SUCCESS);
    EXPECT_EQ(size, 31);
    EXPECT_EQ(std::string(small), longReply.substr(0, 31));

    // No reply at all: the query times out after the VISA timeout.
    const ViSession vxi = openResource("VXI0::24::INSTR");
    const double t0 = clock_.now();
    EXPECT_EQ(visa.viQueryf(vxi, "*IDN?\n", "%t", big.data()), VI_ERROR_TMO);
    EXPECT_DOUBLE_EQ(clock_.now() - t0, 2.0);
    EXPECT_EQ(visa.viQueryf(vi, "*IDN?\n", "%q", big.data()), sim::kStatusBadFormat);
}

TEST_F(Calls, ExclusiveLockAndPlannedLockTimeout)
{
    const ViSession a = openResource("TCPIP0::192.168.0.10::INSTR");
    const ViSession b = openResource("TCPIP0::192.168.0.10::INSTR");
    ASSERT_EQ(visa.viLock(a, VI_EXCLUSIVE_LOCK, 2000, nullptr, nullptr), VI_SUCCESS);
    EXPECT_EQ(visa.viLock(b, VI_EXCLUSIVE_LOCK, 2000, nullptr, nullptr), VI_ERROR_TMO);
    EXPECT_DOUBLE_EQ(clock_.now(), 2.0);
    EXPECT_EQ(visa.viUnlock(b), sim::kStatusLockNotHeld);
    ASSERT_EQ(visa.viUnlock(a), VI_SUCCESS);
    ASSERT_EQ(visa.viLock(b, VI_EXCLUSIVE_LOCK, 2000, nullptr, nullptr), VI_SUCCESS);
    ASSERT_EQ(visa.viClose(b), VI_SUCCESS); // closing releases the lock
    sim::instrument("TCPIP0::192.168.0.10::INSTR")->lockTimesOut = true;
    EXPECT_EQ(visa.viLock(a, VI_EXCLUSIVE_LOCK, 500, nullptr, nullptr), VI_ERROR_TMO);
    EXPECT_DOUBLE_EQ(clock_.now(), 2.5);
}

TEST_F(Calls, JournalRecordsEveryCallInOrderWithItsArguments)
{
    Module m;
    ViSession base = 0;
    const ViSession vi = m.open(kCarrier, 1, &base);
    ASSERT_EQ(m.configR(vi, 2, 1234.5), VI_SUCCESS);
    ASSERT_EQ(m.switchChannel(vi, 0, 0), VI_SUCCESS);
    tvksil2_device_data* rec = nullptr;
    ASSERT_EQ(m.getAttribute(vi, &rec), VI_SUCCESS);
    ASSERT_EQ(m.readFlash(rec), VI_SUCCESS);
    ASSERT_EQ(m.sftInterface(vi, nullptr), VI_SUCCESS);
    ASSERT_EQ(m.close(vi), VI_SUCCESS);
    EXPECT_EQ(sim::journal(), (std::vector<std::string>{
                                  "tvbase_init(\"VXI0::2::INSTR\", 1, 1)",
                                  "tvksil2_init(\"VXI0::2::INSTR\", 1, 1)",
                                  "tvksil2_connect(2, 1, 1, 1, 1)",
                                  "tvksil2_config_R(2, 2, 1234.5)",
                                  "tvksil2_switch(2, 0, 0)",
                                  "tvksil2_get_attribute(2)",
                                  "tvksil2_readFlash(record(2))",
                                  "tvksil2_sft_interface(2, null)",
                                  "tvksil2_close(2)",
                              }));
    sim::clearJournal();
    EXPECT_TRUE(sim::journal().empty());
    EXPECT_EQ(sim::callCount("tvksil2_get_attribute"), 1);
    EXPECT_EQ(sim::callCount("tvksil2_mode_R"), 0);
}

TEST_F(Calls, FaultPlanFailsTheChosenCallsOnly)
{
    Module m;
    ViSession base = 0;
    const ViSession vi = m.open(kCarrier, 1, &base);
    sim::failCall("tvksil2_switch", -7, 2, 3); // calls 3 and 4
    sim::failCall("tvksil2_reset", 0x3FFA0001, sim::kAlways);
    std::vector<ViStatus> got;
    for (int i = 0; i < 6; ++i) got.push_back(m.switchChannel(vi, 1, 1));
    EXPECT_EQ(got, (std::vector<ViStatus>{0, 0, -7, -7, 0, 0}));
    // A failed call does nothing: the channel stays on.
    EXPECT_TRUE(sim::channel(kCarrier, 1, 1)->on);
    // A warning comes with the work done: the reset switches the channel off.
    for (int i = 0; i < 3; ++i) EXPECT_EQ(m.reset(vi), 0x3FFA0001);
    EXPECT_FALSE(sim::channel(kCarrier, 1, 1)->on);
    EXPECT_EQ(sim::journal("tvksil2_switch").size(), 6u);

    // Faults from the bench file apply on load, counting from its first call.
    ASSERT_TRUE(sim::loadJson(R"({"instruments": [], "faults": [{"entry": "viOpenDefaultRM",
        "status": "0xBFFF0015", "from": 2}]})"));
    ViSession rm = 0;
    EXPECT_EQ(visa.viOpenDefaultRM(&rm), VI_SUCCESS);
    EXPECT_EQ(visa.viOpenDefaultRM(&rm), VI_ERROR_TMO);
    EXPECT_EQ(visa.viOpenDefaultRM(&rm), VI_SUCCESS);
}

ViInt16 answerCalls = 0;
std::vector<std::pair<ViInt32, std::string>> asked;
ViInt16 answer(ViInt32, ViInt32, ViInt32 code, const char* text)
{
    asked.emplace_back(code, text);
    return asked.size() == static_cast<std::size_t>(answerCalls) ? 1 : 0;
}

TEST_F(Calls, SelfTestAsksItsQuestionsAndHonoursStop)
{
    Module m;
    ViSession base = 0;
    const ViSession vi = m.open(kCarrier, 1, &base);
    sim::SelfTest& st = sim::mezzanine(kCarrier, 1)->selfTest;
    st.questions = {{11, "первый"}, {12, "второй"}, {13, "третий"}};
    st.result = 5;
    st.text = "готово";
    ASSERT_EQ(m.sftInterface(vi, answer), VI_SUCCESS);

    asked.clear();
    answerCalls = 0; // never stop
    ViInt16 code = -1;
    char text[256] = "Самоконтроль завершен успешно";
    ASSERT_EQ(m.selfTest(vi, &code, text), VI_SUCCESS);
    EXPECT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[1], (std::pair<ViInt32, std::string>{12, "второй"}));
    EXPECT_EQ(code, 5);
    EXPECT_STREQ(text, "готово");

    asked.clear();
    answerCalls = 2; // stop at the second question
    ASSERT_EQ(m.selfTest(vi, &code, text), VI_SUCCESS);
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(code, st.stoppedResult);
    EXPECT_EQ(std::string(text), st.stoppedText);

    st.leaveText = true;
    std::strcpy(text, "Самоконтроль завершен успешно");
    asked.clear();
    answerCalls = 0;
    ASSERT_EQ(m.selfTest(vi, &code, text), VI_SUCCESS);
    EXPECT_STREQ(text, "Самоконтроль завершен успешно");
}

TEST_F(Calls, EveryStatusHasARussianMessageAndUnknownOnesAGenericOne)
{
    Module m;
    char text[256];
    for (ViStatus st : {VI_ERROR_INV_OBJECT, VI_ERROR_RSRC_NFOUND, sim::kStatusNoBench, sim::kStatusBadChannel,
                        sim::kStatusBadStage, sim::kStatusNoModule, sim::kStatusNotConnected, sim::kStatusNoSession,
                        sim::kStatusFlashRead, sim::kStatusFlashWrite, sim::kStatusBadParameter,
                        sim::kStatusNotCarrier, sim::kStatusLockNotHeld}) {
        ASSERT_EQ(m.errorMessage(0, st, text), VI_SUCCESS);
        EXPECT_EQ(std::string(text).find("Неизвестная"), std::string::npos) << std::hex << st;
        EXPECT_GE(static_cast<unsigned char>(text[0]), 0xD0) << "Cyrillic expected: " << text;
    }
    ASSERT_EQ(m.errorMessage(0, static_cast<ViStatus>(0xBFF12345u), text), VI_SUCCESS);
    EXPECT_STREQ(text, "Неизвестная ошибка 0xBFF12345");

    char driver[256] = {}, instr[256] = {};
    ASSERT_EQ(m.revision(0, driver, instr), VI_SUCCESS);
    EXPECT_NE(driver[0], '\0');
    EXPECT_NE(instr[0], '\0');
}

} // namespace
