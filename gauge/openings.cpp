// Opening a meter of one family with the operator's choice of instrument,
// finding a meter by trying the families in a fixed order, and closing it.
#include "gauge/bindings.h"
#include "drivers/meters.h"
#include "gauge/labels.h"
#include "gauge/layer.h"

#include "platform/visa.h"

#include <array>
#include <string>
#include <utility>

ViSession viHP1412 = 0, viHP3458 = 0, viDMM = 0, viDMM1 = 0, viM_DMM1 = 0, viNM = 0;

namespace {

// The resource of the meter opened last (at most one is open).
std::string openedResource;

namespace lb = gauge::labels;

// The one address the HP 3458A is looked for at.
constexpr const char* kHp3458Resource = "GPIB0::22::INSTR";
constexpr double kNplc = 100.0;
constexpr double kHp3458Nplc = 10.0;
constexpr double kVoltRange = 10.0;  // volts
constexpr double kCurrRange = 0.01;  // amperes
constexpr ViBoolean kMeterChoosesRange = 1;

// What the operator sees while a family opens.
struct OpeningTexts {
    int model;
    const char* title; // of the selection pop-up
};
constexpr std::array kOpeningTexts{
    OpeningTexts{gauge::kModelMezDmm, "Выберите МЦMM"},
    OpeningTexts{gauge::kModelHpE1412, "Выберите HP1412"},
    OpeningTexts{gauge::kModelDmm1, "Выберите ЦMM1"},
    OpeningTexts{gauge::kModelDmm, "Выберите DMM1"},
};

const char* titleOf(int model)
{
    for (const auto& t : kOpeningTexts)
        if (t.model == model)
            return t.title;
    return "";
}

std::string waitText(int model)
{
    const gauge::Family* family = gauge::findFamily(model);
    return "\nПодождите,\n\nидет открытие инструмента " + std::string(family->designation) + "\n";
}

// The session is given up whatever the status (there is nothing else to do
// with it); a failure is shown on the status line.
void closeSession(ViSession& vi, meter_close_t close, std::string_view callText)
{
    if (vi == 0)
        return;
    if (close)
        if (const ViStatus st = close(vi); st < 0)
            gauge::checked(callText, st);
    vi = 0;
}

void closeMeter(gauge::Meter m)
{
    const gauge::MeterSlot& slot = gauge::slotOf(m);
    closeSession(*slot.session, *slot.close, slot.closeText);
}

// Binds the family unless it is bound already.
bool bind(int model)
{
    return gauge::familyBound(model) || loadLibs(model) == 0;
}

std::optional<gauge::Choice> chooseMeter(int model)
{
    return gauge::choose(titleOf(model), model);
}

// At most one meter is open, so that readings come from the meter just
// chosen: an opening about to open its meter closes every other meter session,
// and the carrier session of a mezzanine meter, first.
void closeOtherMeters()
{
    closeMultimeter();
}

// Where the meter of each family was last opened at, for openMeterText.
struct Opened {
    int model = 0;
    std::string address;
    ViUInt16 meznum = 0;
};
Opened opened;

void opening(int model, std::string address, ViUInt16 meznum = 0)
{
    opened = {model, std::move(address), meznum};
}

// The end of every opening: the wait text goes, the link indicator follows the
// sessions now open, and the result is handed back.
int finish(int result)
{
    gauge::hideWait();
    gauge::meterChanged();
    return result;
}

} // namespace

int openM_DMM1()
{
    closeMeter(gauge::Meter::MezDmm);
    // The carrier session of an earlier opening would otherwise be lost, never closed.
    closeSession(viNM, p_tvbase_close, "p_tvbase_close (viNM)");
    const auto choice = chooseMeter(gauge::kModelMezDmm);
    if (!choice)
        return finish(1);
    if (!bind(gauge::kModelMezDmm) || !bind(gauge::kModelCarrier))
        return finish(1);
    closeOtherMeters();
    gauge::showWait(waitText(gauge::kModelMezDmm));

    const char* address = choice->address.c_str();
    opening(gauge::kModelMezDmm, choice->address, choice->meznum);
    ViStatus st = gauge::checked(lb::kCarrierInit, p_tvbase_init(address, VI_ON, VI_ON, &viNM));
    if (st < 0)
        return finish(st);
    st = gauge::checked(lb::kMezDmmInit, p_tvmmultc1_init(address, VI_ON, VI_ON, &viM_DMM1));
    if (st < 0)
        return finish(st);
    openedResource = choice->address + ", мезонин " + std::to_string(choice->meznum);
    st = gauge::checked(lb::kMezDmmConnect, p_tvmmultc1_connect(viM_DMM1, viNM, choice->meznum, VI_ON, VI_ON));
    return finish(st);
}

int openHP1412()
{
    closeMeter(gauge::Meter::HpE1412);
    const auto choice = chooseMeter(gauge::kModelHpE1412);
    if (!choice)
        return finish(1);
    // This family shows its wait text before binding, and a failed binding is reported.
    gauge::showWait(waitText(gauge::kModelHpE1412));
    if (!bind(gauge::kModelHpE1412))
        return finish(gauge::checked(lb::kHpE1412Bind, -1));
    closeOtherMeters();
    opening(gauge::kModelHpE1412, choice->address);

    ViStatus st = gauge::checked(lb::kHpE1412Init, p_hpe1412_init(choice->address.c_str(), VI_ON, VI_ON, &viHP1412));
    if (st < 0)
        return finish(st);
    openedResource = choice->address;
    st = gauge::checked(lb::kHpE1412VoltNplc, p_hpe1412_voltDcNplc(viHP1412, kNplc));
    if (st < 0)
        return finish(st);
    st = gauge::checked(lb::kHpE1412CurrNplc, p_hpe1412_currDcNplc(viHP1412, kNplc));
    if (st < 0)
        return finish(st);
    st = gauge::checked(lb::kHpE1412VoltRang, p_hpe1412_voltDcRang(viHP1412, VI_FALSE, kVoltRange));
    if (st < 0)
        return finish(st);
    st = gauge::checked(lb::kHpE1412CurrRang, p_hpe1412_currDcRang(viHP1412, VI_FALSE, kCurrRange));
    return finish(st);
}

int openDMM1()
{
    closeMeter(gauge::Meter::Dmm1);
    const auto choice = chooseMeter(gauge::kModelDmm1);
    if (!choice)
        return finish(1);
    if (!bind(gauge::kModelDmm1))
        return finish(1);
    closeOtherMeters();
    gauge::showWait(waitText(gauge::kModelDmm1));
    opening(gauge::kModelDmm1, choice->address);
    // Not reported: this meter is set up before each measurement series instead.
    meterStatus = p_tvmultc1_init(choice->address.c_str(), VI_ON, VI_ON, &viDMM1);
    openedResource = choice->address;
    return finish(meterStatus);
}

int openDMM()
{
    closeMeter(gauge::Meter::Dmm);
    const auto choice = chooseMeter(gauge::kModelDmm);
    if (!choice)
        return finish(1);
    if (!bind(gauge::kModelDmm))
        return finish(1);
    closeOtherMeters();
    gauge::showWait(waitText(gauge::kModelDmm));
    opening(gauge::kModelDmm, choice->address);

    ViStatus st = gauge::checked(lb::kDmmInit, p_tvmult_init(choice->address.c_str(), VI_ON, VI_ON, &viDMM));
    if (st < 0)
        return finish(st);
    openedResource = choice->address;
    st = gauge::checked(lb::kDmmCurrNplc, p_tvmult_currDcNplc(viDMM, kNplc));
    if (st < 0)
        return finish(st);
    st = gauge::checked(lb::kDmmVoltNplc, p_tvmult_voltDcNplc(viDMM, kNplc));
    if (st < 0)
        return finish(st);
    st = gauge::checked(lb::kDmmVoltRang, p_tvmult_voltDcRang(viDMM, kMeterChoosesRange, kVoltRange));
    if (st < 0)
        return finish(st);
    st = gauge::checked(lb::kDmmCurrRang, p_tvmult_currDcRang(viDMM, VI_FALSE, kCurrRange));
    return finish(st);
}

int openHP3458()
{
    closeMeter(gauge::Meter::Hp3458);
    // No selection: the meter is looked for at its one GPIB address.
    const platform::VisaApi* visa = platform::visa();
    if (!visa)
        return finish(VI_ERROR_LIBRARY_NFOUND);
    ViSession rm = 0;
    ViStatus st = visa->viOpenDefaultRM(&rm);
    if (st < 0)
        return finish(st);
    std::array<ViChar, VI_FIND_BUFLEN> descriptor{};
    st = visa->viFindRsrc(rm, kHp3458Resource, nullptr, nullptr, descriptor.data());
    visa->viClose(rm);
    descriptor.back() = '\0';
    if (st != 0)
        return finish(st);
    if (!bind(gauge::kModelHp3458))
        return finish(1);
    closeOtherMeters();
    gauge::showWait(waitText(gauge::kModelHp3458));
    opening(gauge::kModelHp3458, descriptor.data());

    st = gauge::checked(lb::kHp3458Init, p_hp3458a_init(descriptor.data(), VI_ON, VI_ON, &viHP3458));
    if (st < 0)
        return finish(st);
    openedResource = descriptor.data();
    st = gauge::checked(lb::kHp3458Nplc, p_hp3458a_nplc(viHP3458, kHp3458Nplc));
    if (st < 0)
        return finish(st);
    st = gauge::checked(lb::kHp3458VoltRang, p_hp3458a_voltDcRang(viHP3458, kMeterChoosesRange, kVoltRange));
    if (st < 0)
        return finish(st);
    st = gauge::checked(lb::kHp3458CurrRang, p_hp3458a_currDcRang(viHP3458, kMeterChoosesRange, kCurrRange));
    return finish(st);
}

// The order a meter is searched for in.
constexpr std::array kSearchOrder{openM_DMM1, openHP1412, openDMM1, openDMM, openHP3458};

void findMultimeter()
{
    // A warning from an opening counts as a failure here: the search goes on,
    // and the session that opening left open stays open.
    for (int (*opening)() : kSearchOrder)
        if (opening() == 0)
            break;
    if (!isMultimeterOpen())
        gauge::tellNoMeter();
}

std::optional<gauge::Meter> gauge::openMeter(std::span<const Meter> order)
{
    for (Meter m : order)
        if (*slotOf(m).session != 0)
            return m;
    return std::nullopt;
}

gauge::MeterInUse gauge::meterInUse()
{
    if (const auto m = openMeter(kReadingOrder))
        return {std::string(slotOf(*m).recordName), openedResource};
    return {};
}

int isMultimeterOpen()
{
    return gauge::openMeter(gauge::kReadingOrder) ? 1 : 0;
}

void closeMultimeter()
{
    // Every open one: a session left open would outlive the program, its
    // mezzanine meter's carrier closed under it.
    for (gauge::Meter m : gauge::kRangeOrder)
        closeMeter(m);
    closeSession(viNM, p_tvbase_close, "p_tvbase_close (viNM)");
}

std::string openMeterText()
{
    const auto m = gauge::openMeter(gauge::kRangeOrder);
    if (!m)
        return {};
    const gauge::MeterSlot& slot = gauge::slotOf(*m);
    std::string text(gauge::findFamily(slot.model)->designation);
    if (opened.model == slot.model) {
        text += ", " + opened.address;
        if (opened.meznum != 0)
            text += ", мезонин " + std::to_string(opened.meznum);
    }
    return text;
}
