// Stand-in resistance-module driver (tvksil2_32): sessions on a module, the
// calibration record, switching, resistance settings and the flash.
#include "sim/core.h"
#include "drivers/mezzanine.h"
#include "platform/clock.h"
#include "drivers/tvksil2_math.h"

#include <cstring>

using namespace sim;
using namespace sim::core;

namespace {

constexpr std::uint32_t kRecordMagic = 0x4C49534Bu; // marks a record this driver owns
constexpr const char* kDriverRevision = "1.0.0";

const double* nominalTable()
{
    static const std::array<double, kStages> table = detail::nominalStages();
    return table.data();
}

// The connected module of a session; status explains why there is none.
Mezzanine* moduleOf(ViSession vi, ViStatus& status, Session** session = nullptr)
{
    Session* s = find(vi, Kind::Module);
    if (!s) {
        status = VI_ERROR_INV_OBJECT;
        return nullptr;
    }
    if (session) *session = s;
    if (!s->connected) {
        status = kStatusNotConnected;
        return nullptr;
    }
    Mezzanine* mz = mezzanine(s->address, s->position);
    if (!mz || (mz->model != kModelKsil2 && mz->model != kModelKsil5)) {
        status = kStatusNoModule;
        return nullptr;
    }
    return mz;
}

Channel* channelOf(Mezzanine& mz, ViUInt16 channel)
{
    if (channel < 1 || channel > mz.channels.size()) return nullptr;
    return &mz.channels[channel - 1u];
}

void fillRecord(tvksil2_device_data& rec, const detail::FlashData& flash)
{
    std::copy(flash.step.begin(), flash.step.end(), rec.step);
    std::copy(flash.r0.begin(), flash.r0.end(), rec.r0);
}

void switchOffAll(Mezzanine& mz)
{
    for (Channel& ch : mz.channels) {
        ch.on = false;
        ch.code = 0;
        ch.setting = 0.0;
    }
}

} // namespace

extern "C" {

ViStatus tvksil2_init(ViConstString rsrcName, ViBoolean idQuery, ViBoolean reset, ViSession* vi)
{
    if (vi) *vi = 0;
    return afterGate(enter("tvksil2_init", rsrcName, idQuery, reset), [&]() -> ViStatus {
        if (!rsrcName || !vi) return kStatusBadParameter;
        const Instrument* in = instrument(rsrcName);
        if (!in) return VI_ERROR_RSRC_NFOUND;
        if (!in->carrier) return kStatusNotCarrier;
        Session s = makeSession(Kind::Module, in->address);
        s.record = std::make_unique<tvksil2_device_data>();
        std::memset(s.record.get(), 0, sizeof(tvksil2_device_data));
        s.record->nominal = nominalTable();
        *vi = open(std::move(s));
        // The record names its session, so the flash calls (which take only the record) find the module.
        tvksil2_device_data* rec = find(*vi, Kind::Module)->record.get();
        std::memcpy(rec->driverPart1, &kRecordMagic, sizeof kRecordMagic);
        std::memcpy(rec->driverPart1 + 4, vi, sizeof *vi);
        return VI_SUCCESS;
    });
}

ViStatus tvksil2_connect(ViSession vi, ViSession baseSession, ViUInt16 mezNum, ViBoolean idQuery, ViBoolean reset)
{
    return afterGate(enter("tvksil2_connect", vi, baseSession, mezNum, idQuery, reset), [&]() -> ViStatus {
        Session* s = find(vi, Kind::Module);
        const Session* base = find(baseSession, Kind::Carrier);
        if (!s || !base) return VI_ERROR_INV_OBJECT;
        if (mezNum < 1 || mezNum > kMezzaninePositions) return kStatusBadParameter;
        Mezzanine* mz = mezzanine(base->address, mezNum);
        if (!mz || (mz->model != kModelKsil2 && mz->model != kModelKsil5)) return kStatusNoModule;
        s->address = base->address;
        s->position = mezNum;
        s->connected = true;
        s->record->model = mz->model;
        // Like a real driver, the record starts from the module's flash.
        detail::FlashData flash;
        if (detail::readFlash(s->address, s->position, flash) == VI_SUCCESS) fillRecord(*s->record, flash);
        if (reset) switchOffAll(*mz);
        return VI_SUCCESS;
    });
}

ViStatus tvksil2_config_trigger(ViSession vi, ViInt16 mode)
{
    return afterGate(enter("tvksil2_config_trigger", vi, mode), [&]() -> ViStatus {
        ViStatus status = VI_SUCCESS;
        Mezzanine* mz = moduleOf(vi, status);
        if (!mz) return status;
        mz->triggerMode = mode;
        return VI_SUCCESS;
    });
}

ViStatus tvksil2_get_attribute(ViSession vi, tvksil2_device_data** deviceData)
{
    return afterGate(enter("tvksil2_get_attribute", vi), [&]() -> ViStatus {
        Session* s = find(vi, Kind::Module);
        if (!s) return VI_ERROR_INV_OBJECT;
        if (!deviceData) return kStatusBadParameter;
        *deviceData = s->record.get();
        return VI_SUCCESS;
    });
}

ViStatus tvksil2_sft_interface(ViSession vi, tvksil2_sft_callback callback)
{
    return afterGate(enter("tvksil2_sft_interface", vi, CallbackArg{reinterpret_cast<const void*>(callback)}), [&]() -> ViStatus {
        Session* s = find(vi, Kind::Module);
        if (!s) return VI_ERROR_INV_OBJECT;
        s->callback = callback;
        return VI_SUCCESS;
    });
}

ViStatus tvksil2_revision_query(ViSession vi, ViChar driverRevision[256], ViChar instrumentRevision[256])
{
    return afterGate(enter("tvksil2_revision_query", vi), [&]() -> ViStatus {
        copyText(driverRevision, 256, kDriverRevision);
        ViStatus status = VI_SUCCESS;
        const Mezzanine* mz = vi ? moduleOf(vi, status) : nullptr;
        copyText(instrumentRevision, 256, mz ? mz->revision : std::string("нет сеанса с модулем"));
        return vi && !mz ? status : VI_SUCCESS;
    });
}

ViStatus tvksil2_self_test(ViSession vi, ViInt16* result, ViChar message[256])
{
    return afterGate(enter("tvksil2_self_test", vi), [&]() -> ViStatus {
        ViStatus status = VI_SUCCESS;
        Session* s = nullptr;
        Mezzanine* mz = moduleOf(vi, status, &s);
        if (!mz) return status;
        // Copied: the callback pumps events, and a test may edit the bench meanwhile.
        const SelfTest test = mz->selfTest;
        const tvksil2_sft_callback ask = s->callback;
        bool stopped = false;
        for (std::size_t i = 0; i < test.questions.size() && !stopped && ask; ++i) {
            platform::clock().delay(0.1);
            stopped = ask(static_cast<ViInt32>(vi), static_cast<ViInt32>(i + 1), test.questions[i].code,
                          test.questions[i].text.c_str()) == 1;
        }
        if (result) *result = stopped ? test.stoppedResult : test.result;
        if (!test.leaveText) copyText(message, 256, stopped ? test.stoppedText : test.text);
        return VI_SUCCESS;
    });
}

ViStatus tvksil2_reset(ViSession vi)
{
    return afterGate(enter("tvksil2_reset", vi), [&]() -> ViStatus {
        ViStatus status = VI_SUCCESS;
        Mezzanine* mz = moduleOf(vi, status);
        if (!mz) return status;
        switchOffAll(*mz);
        mz->modeR = 0;
        return VI_SUCCESS;
    });
}

ViStatus tvksil2_error_message(ViSession vi, ViStatus status, ViChar message[256])
{
    if (auto st = enter("tvksil2_error_message", vi, status)) {
        copyText(message, 256, statusText(*st));
        return *st;
    }
    if (!message) return kStatusBadParameter;
    copyText(message, 256, statusText(status));
    return VI_SUCCESS;
}

ViStatus tvksil2_switch(ViSession vi, ViUInt16 channel, ViUInt16 state)
{
    return afterGate(enter("tvksil2_switch", vi, channel, state), [&]() -> ViStatus {
        ViStatus status = VI_SUCCESS;
        Mezzanine* mz = moduleOf(vi, status);
        if (!mz) return status;
        if (state > 1) return kStatusBadParameter;
        if (channel == 0) {
            for (Channel& ch : mz->channels) ch.on = state == 1;
            return VI_SUCCESS;
        }
        Channel* ch = channelOf(*mz, channel);
        if (!ch) return kStatusBadChannel;
        ch->on = state == 1;
        return VI_SUCCESS;
    });
}

ViStatus tvksil2_config_R_Calibr(ViSession vi, ViUInt16 channel, ViUInt16 stage)
{
    return afterGate(enter("tvksil2_config_R_Calibr", vi, channel, stage), [&]() -> ViStatus {
        ViStatus status = VI_SUCCESS;
        Mezzanine* mz = moduleOf(vi, status);
        if (!mz) return status;
        if (mz->model != kModelKsil2) return kStatusBadParameter;
        Channel* ch = channelOf(*mz, channel);
        if (!ch) return kStatusBadChannel;
        if (stage > kStages + 1) return kStatusBadStage;
        ch->code = (stage >= 1 && stage <= kStages) ? (1 << (stage - 1)) : 0;
        return VI_SUCCESS;
    });
}

ViStatus tvksil2_config_R(ViSession vi, ViUInt16 channel, ViReal64 resistance)
{
    return afterGate(enter("tvksil2_config_R", vi, channel, resistance), [&]() -> ViStatus {
        ViStatus status = VI_SUCCESS;
        Session* s = nullptr;
        Mezzanine* mz = moduleOf(vi, status, &s);
        if (!mz) return status;
        Channel* ch = channelOf(*mz, channel);
        if (!ch) return kStatusBadChannel;
        if (!(resistance >= 0.0)) return kStatusBadParameter;
        ch->setting = resistance;
        // The switch code comes from the session's calibration record, as on the real module.
        if (mz->model == kModelKsil2) ch->code = tvksil2_countR(vi, &s->record->entry0, channel - 1, resistance);
        return VI_SUCCESS;
    });
}

ViStatus tvksil2_mode_R(ViSession vi, ViUInt16 mode)
{
    return afterGate(enter("tvksil2_mode_R", vi, mode), [&]() -> ViStatus {
        ViStatus status = VI_SUCCESS;
        Mezzanine* mz = moduleOf(vi, status);
        if (!mz) return status;
        mz->modeR = mode;
        return VI_SUCCESS;
    });
}

ViStatus tvksil2_readFlash(tvksil2_device_data* deviceData)
{
    const ViSession owner = recordOwner(deviceData);
    return afterGate(enter("tvksil2_readFlash", RecordArg{owner}), [&]() -> ViStatus {
        ViStatus status = kStatusNoSession;
        Mezzanine* mz = owner ? moduleOf(owner, status) : nullptr;
        if (!mz) return status;
        const Session* s = find(owner, Kind::Module);
        detail::FlashData flash;
        status = detail::readFlash(s->address, s->position, flash);
        if (status == VI_SUCCESS) fillRecord(*deviceData, flash);
        return status;
    });
}

ViStatus tvksil2_writeFlash(tvksil2_device_data* deviceData)
{
    const ViSession owner = recordOwner(deviceData);
    return afterGate(enter("tvksil2_writeFlash", RecordArg{owner}), [&]() -> ViStatus {
        ViStatus status = kStatusNoSession;
        Mezzanine* mz = owner ? moduleOf(owner, status) : nullptr;
        if (!mz) return status;
        const Session* s = find(owner, Kind::Module);
        detail::FlashData flash;
        std::copy(deviceData->step, deviceData->step + flash.step.size(), flash.step.begin());
        std::copy(deviceData->r0, deviceData->r0 + flash.r0.size(), flash.r0.begin());
        return detail::writeFlash(s->address, s->position, flash);
    });
}

ViStatus tvksil2_close(ViSession vi)
{
    return afterGate(enter("tvksil2_close", vi), [&]() -> ViStatus {
        if (!find(vi, Kind::Module)) return VI_ERROR_INV_OBJECT;
        close(vi);
        return VI_SUCCESS;
    });
}

} // extern "C"
