// The VISA scan that builds the instrument table: VXI carriers and other VXI
// instruments, LXI/USB chassis recognised by their identification reply, and
// the mezzanines fitted on each carrier.
#include "si/discovery.h"
#include "si/reset.h"

#include "drivers/mezzanine.h"
#include "drivers/tvbase.h"
#include "platform/library.h"
#include "platform/visa.h"
#include "si/descr_formats.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

std::array<InstrInfo, si::kInstrTableSize> instrTable{};

namespace {

constexpr std::size_t kScratchSize = 256;

struct BaseDriver {
    bool bound = false;
    tvbase_init_t init = nullptr;
    tvbase_m_type_q_t mTypeQ = nullptr;
    tvbase_close_t close = nullptr;
};
BaseDriver baseDriver;

// Closes a VISA object when the scan leaves its scope, however it leaves.
class ViHandle {
public:
    explicit ViHandle(const platform::VisaApi& v) : visa_(v) {}
    ~ViHandle() { reset(); }
    ViHandle(const ViHandle&) = delete;
    ViHandle& operator=(const ViHandle&) = delete;
    ViUInt32* out() { reset(); return &id_; }
    ViUInt32 get() const { return id_; }
    void reset()
    {
        if (id_ != 0)
            visa_.viClose(id_);
        id_ = 0;
    }

private:
    const platform::VisaApi& visa_;
    ViUInt32 id_ = 0;
};

// Fills the record of a VXI resource. Returns false when it adds no record.
bool vxiBranch(const platform::VisaApi& visa, ViSession vi, const char* rsrc, InstrInfo& rec)
{
    ViInt16 slot = -1;
    if (visa.viGetAttribute(vi, VI_ATTR_SLOT, &slot) < 0 || slot < 0 || slot > si::kMaxSlot)
        return false;
    ViUInt16 manf = 0; // an unreadable maker is nobody's: the resource is listed as "other"
    if (visa.viGetAttribute(vi, VI_ATTR_MANF_ID, &manf) < 0)
        manf = 0;
    rec.Slot = static_cast<ViUInt16>(slot);
    si::formatInto(rec.Address, "%s", rsrc);
    visa.viGetAttribute(vi, VI_ATTR_MAINFRAME_LA, &rec.CrateLA);
    visa.viGetAttribute(vi, VI_ATTR_VXI_LA, &rec.LA);
    ViUInt16 model = 0;
    visa.viGetAttribute(vi, VI_ATTR_MODEL_CODE, &model);
    rec.ModelCode = model & 0x0FFF;

    const unsigned crate = static_cast<ViUInt16>(rec.CrateLA);
    if (manf == kCarrierManufacturer) {
        for (const auto& f : si::kCarrierFormats) {
            if (f.model == rec.ModelCode) {
                si::formatInto(rec.Descr, f.descr, crate, rec.Slot, rec.Address);
                rec.Kind = si::KIND_CARRIER;
                return true;
            }
        }
    }
    si::formatInto(rec.Descr, si::kOtherVxiFormat, static_cast<unsigned>(rec.ModelCode), crate, rec.Slot,
               rec.Address);
    rec.Kind = si::KIND_OTHER;
    return true;
}

// Fills the record of an LXI or USB resource that answers as one of our chassis.
bool chassisBranch(const platform::VisaApi& visa, ViSession vi, const char* rsrc, ViUInt16 intf,
                   InstrInfo& rec)
{
    if (visa.viLock(vi, VI_EXCLUSIVE_LOCK, si::kLockTimeoutMs, nullptr, nullptr) < 0)
        return false;
    si::formatInto(rec.Address, "%s", rsrc);
    std::array<char, kScratchSize> scratch{};
    ViInt32 size = static_cast<ViInt32>(scratch.size());
    // Bounded read: a longer reply is cut to the buffer, never written past it.
    const ViStatus st = visa.viQueryf(vi, si::kIdnQuery, "%#t", &size, scratch.data());
    visa.viUnlock(vi);
    scratch.back() = '\0';
    if (st < 0 || !si::parseChassisIdn(std::string_view(scratch.data()), rec))
        return false;

    if (intf == VI_INTF_TCPIP) {
        scratch.fill('\0');
        if (visa.viGetAttribute(vi, VI_ATTR_TCPIP_ADDR, scratch.data()) < 0)
            scratch[0] = '\0';
        scratch.back() = '\0';
        si::formatInto(rec.Descr, si::kLxiFormat, scratch.data(), rec.Serial);
    } else {
        si::formatInto(rec.Descr, si::kUsbFormat, rec.Serial);
    }
    rec.ModelCode = kChassisModelCode;
    rec.Slot = si::kChassisSlotLA;
    rec.LA = static_cast<ViInt16>(si::kChassisSlotLA);
    rec.CrateLA = 0;
    rec.Kind = si::KIND_CARRIER;
    return true;
}

} // namespace

int loadBaseDriver()
{
    if (baseDriver.bound)
        return 0;
    auto lib = platform::Library::open(kCarrierLibrary);
    if (!lib)
        return -1;
    // Looked up in the driver's list order: init, close, m_type_q.
    static_assert(kCarrierEntries.size() == 3);
    BaseDriver d;
    d.init = lib->entry<tvbase_init_t>(kCarrierEntries[0].data());
    d.close = lib->entry<tvbase_close_t>(kCarrierEntries[1].data());
    d.mTypeQ = lib->entry<tvbase_m_type_q_t>(kCarrierEntries[2].data());
    if (!d.init || !d.close || !d.mTypeQ)
        return -1; // lib goes out of scope: the library is unloaded
    lib->keep();
    d.bound = true;
    baseDriver = d;
    return 0;
}

void si::forgetBaseDriver()
{
    baseDriver = BaseDriver{};
}

int findMezonins(std::span<InstrInfo> list)
{
    if (list.empty() || loadBaseDriver() != 0)
        return 0;
    const InstrInfo& carrier = list[0];
    ViSession session = 0;
    if (baseDriver.init(carrier.Address, VI_ON, VI_ON, &session) < 0)
        return 0;
    std::size_t written = 0;
    for (ViInt16 pos = 1; pos <= kMezzaninePositions; ++pos) {
        ViInt16 present = 0, model = 0;
        if (baseDriver.mTypeQ(session, pos, &present, &model) < 0)
            break;
        if (present == 0)
            continue;
        if (1 + written >= list.size())
            break; // the work list is full
        InstrInfo& rec = list[1 + written];
        rec = carrier;
        rec.ModelCode = static_cast<ViUInt16>(model);
        rec.Meznum = pos;
        rec.Kind = si::KIND_MEZZANINE;
        si::formatInto(rec.Descr, si::kMezzanineFormat, carrier.Descr, static_cast<int>(pos),
                   static_cast<unsigned>(static_cast<ViUInt16>(model)));
        ++written;
    }
    baseDriver.close(session);
    return static_cast<int>(written);
}

ViStatus findInstruments()
{
    const platform::VisaApi* visa = platform::visa();
    if (!visa)
        return VI_ERROR_LIBRARY_NFOUND;
    const platform::VisaApi& v = *visa;

    ViHandle rm(v), findList(v), instr(v);
    ViStatus st = v.viOpenDefaultRM(rm.out());
    if (st < 0)
        return st;
    std::array<char, kScratchSize> rsrc{};
    ViUInt32 count = 0;
    st = v.viFindRsrc(rm.get(), si::kResourceExpr, findList.out(), &count, rsrc.data());
    if (st < 0)
        return st;

    std::vector<InstrInfo> work;
    try {
        work.assign(si::kInstrTableSize, InstrInfo{});
    } catch (const std::bad_alloc&) {
        return VI_ERROR_ALLOC;
    }

    std::size_t used = 0;
    for (ViUInt32 i = 0; i < count && used < work.size(); ++i) {
        rsrc.back() = '\0';
        // A name that does not fit Address could only be listed cut, and a cut
        // name opens nothing: such a resource is skipped.
        const bool fits = std::strlen(rsrc.data()) < sizeof(InstrInfo::Address);
        if (fits && v.viOpen(rm.get(), rsrc.data(), VI_NO_LOCK, 0, instr.out()) == VI_SUCCESS) {
            InstrInfo& rec = work[used];
            ViUInt16 intf = 0;
            v.viGetAttribute(instr.get(), VI_ATTR_INTF_TYPE, &intf);
            rec.IntfType = static_cast<ViInt16>(intf);
            bool added = false;
            if (intf == VI_INTF_VXI || intf == VI_INTF_GPIB_VXI)
                added = vxiBranch(v, instr.get(), rsrc.data(), rec);
            else if (intf == VI_INTF_TCPIP || intf == VI_INTF_USB)
                added = chassisBranch(v, instr.get(), rsrc.data(), intf, rec);

            if (added) {
                ++used;
                if (rec.Kind == si::KIND_CARRIER)
                    used += static_cast<std::size_t>(
                        findMezonins(std::span<InstrInfo>(work).subspan(used - 1)));
            } else {
                rec = InstrInfo{};
            }
        }
        instr.reset();
        if (i + 1 < count) {
            st = v.viFindNext(findList.get(), rsrc.data());
            if (st < 0)
                return st;
        }
    }

    instrTable.fill(InstrInfo{});
    int published = 0;
    for (std::size_t k = 0; k < used; ++k) {
        // Model code 0 marks a free entry: a record with it (an unreadable VXI
        // model code, a mezzanine reporting 0) would hide every record after it.
        if (work[k].Slot == 0 || work[k].ModelCode == 0)
            continue;
        instrTable[static_cast<std::size_t>(published)] = work[k];
        instrTable[static_cast<std::size_t>(published)].Session = 0;
        ++published;
    }
    return published;
}
