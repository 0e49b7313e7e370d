// Stand-in VISA (libvisa.so): the resource manager, resource search, sessions,
// attributes, exclusive locks and the identification query over the bench.
#include "drivers/visa.h"
#include "sim/core.h"
#include "platform/clock.h"
#include "platform/number_text.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

using namespace sim;
using namespace sim::core;

namespace {

constexpr ViStatus VI_WARN_NULL_OBJECT = 0x3FFF0082;
constexpr double kQueryTimeout = 2.0; // seconds a silent instrument keeps a query waiting

bool charMatch(char p, char c)
{
    return p == '?' || std::toupper(static_cast<unsigned char>(p)) == std::toupper(static_cast<unsigned char>(c));
}

// VISA resource expressions: '?' any one character, '*' any number of
// repetitions of what precedes it; letters compare without case.
bool matches(const char* p, const char* s)
{
    if (!*p) return !*s;
    if (p[1] == '*') {
        if (matches(p + 2, s)) return true;
        return *s && charMatch(*p, *s) && matches(p, s + 1);
    }
    return *s && charMatch(*p, *s) && matches(p + 1, s + 1);
}

const Instrument* instrumentOf(ViSession vi)
{
    const Session* s = findAny(vi);
    if (!s || s->kind == Kind::ResourceManager || s->kind == Kind::FindList) return nullptr;
    return instrument(s->address);
}

template <class T> void put(void* value, T v) { std::memcpy(value, &v, sizeof v); }

// Expands a write format: %s, %d and %f take the next argument, %% is a percent.
bool expandWrite(const char* fmt, va_list& ap, std::string& out)
{
    for (; *fmt; ++fmt) {
        if (*fmt != '%') {
            out += *fmt;
            continue;
        }
        ++fmt;
        char buf[64];
        switch (*fmt) {
        case '%': out += '%'; break;
        case 's': { const char* s = va_arg(ap, const char*); out += s ? s : ""; break; }
        case 'd': std::snprintf(buf, sizeof buf, "%d", va_arg(ap, int)); out += buf; break;
        case 'f': out += platform::formatText("%f", va_arg(ap, double)); break;
        default: return false;
        }
    }
    return true;
}

std::string trimmed(const std::string& s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

} // namespace

extern "C" {

ViStatus viOpenDefaultRM(ViSession* rm)
{
    return afterGate(enter("viOpenDefaultRM"), [&]() -> ViStatus {
        if (!rm) return kStatusBadParameter;
        *rm = open(makeSession(Kind::ResourceManager));
        return VI_SUCCESS;
    });
}

ViStatus viFindRsrc(ViSession rm, ViConstString expr, ViFindList* list, ViUInt32* count, ViChar desc[])
{
    return afterGate(enter("viFindRsrc", rm, expr), [&]() -> ViStatus {
        if (!find(rm, Kind::ResourceManager)) return VI_ERROR_INV_OBJECT;
        if (!expr) return kStatusBadParameter;
        if (list) *list = 0;
        if (count) *count = 0;
        std::vector<std::string> found;
        for (const Instrument& in : bench().instruments)
            if (matches(expr, in.address.c_str())) found.push_back(in.address);
        if (found.empty()) return VI_ERROR_RSRC_NFOUND;
        if (count) *count = static_cast<ViUInt32>(found.size());
        copyText(desc, VI_FIND_BUFLEN, found.front());
        if (list) {
            Session s = makeSession(Kind::FindList, {}, rm);
            s.found = std::move(found);
            s.next = 1;
            *list = open(std::move(s));
        }
        return VI_SUCCESS;
    });
}

ViStatus viFindNext(ViFindList list, ViChar desc[])
{
    return afterGate(enter("viFindNext", list), [&]() -> ViStatus {
        Session* s = find(list, Kind::FindList);
        if (!s) return VI_ERROR_INV_OBJECT;
        if (s->next >= s->found.size()) return VI_ERROR_RSRC_NFOUND;
        copyText(desc, VI_FIND_BUFLEN, s->found[s->next++]);
        return VI_SUCCESS;
    });
}

ViStatus viOpen(ViSession rm, ViConstString name, ViAccessMode mode, ViUInt32 timeout, ViSession* vi)
{
    return afterGate(enter("viOpen", rm, name, mode, timeout), [&]() -> ViStatus {
        if (vi) *vi = 0;
        if (!find(rm, Kind::ResourceManager)) return VI_ERROR_INV_OBJECT;
        if (!name || !vi) return kStatusBadParameter;
        const Instrument* in = instrument(name);
        if (!in) return VI_ERROR_RSRC_NFOUND;
        *vi = open(makeSession(Kind::Resource, in->address, rm));
        return VI_SUCCESS;
    });
}

ViStatus viClose(ViObject vi)
{
    return afterGate(enter("viClose", vi), [&]() -> ViStatus {
        if (vi == VI_NULL) return VI_WARN_NULL_OBJECT;
        return close(vi) ? VI_SUCCESS : VI_ERROR_INV_OBJECT;
    });
}

ViStatus viGetAttribute(ViObject vi, ViAttr attr, void* value)
{
    return afterGate(enter("viGetAttribute", vi, attr), [&]() -> ViStatus {
        const Instrument* in = instrumentOf(vi);
        if (!in) return VI_ERROR_INV_OBJECT;
        if (!value) return kStatusBadParameter;
        // A driver session (carrier, module, meter) answers for its instrument
        // whatever its interface; a plain VISA session has VXI attributes only on VXI.
        const bool vxi = in->intfType == VI_INTF_VXI || in->intfType == VI_INTF_GPIB_VXI ||
                         findAny(vi)->kind != Kind::Resource;
        switch (attr) {
        case VI_ATTR_RSRC_NAME: copyText(static_cast<char*>(value), 256, in->address); return VI_SUCCESS;
        case VI_ATTR_INTF_TYPE: put<ViUInt16>(value, in->intfType); return VI_SUCCESS;
        case VI_ATTR_TCPIP_ADDR:
            if (in->intfType != VI_INTF_TCPIP) return VI_ERROR_NSUP_ATTR;
            copyText(static_cast<char*>(value), 256, in->tcpipAddress);
            return VI_SUCCESS;
        default: break;
        }
        if (!vxi) return VI_ERROR_NSUP_ATTR;
        switch (attr) {
        case VI_ATTR_MAINFRAME_LA: put<ViInt16>(value, in->crateLa); return VI_SUCCESS;
        case VI_ATTR_SLOT: put<ViInt16>(value, in->slot); return VI_SUCCESS;
        case VI_ATTR_VXI_LA: put<ViInt16>(value, in->la); return VI_SUCCESS;
        case VI_ATTR_MANF_ID: put<ViUInt16>(value, in->manufacturer); return VI_SUCCESS;
        case VI_ATTR_MODEL_CODE: put<ViUInt16>(value, in->model); return VI_SUCCESS;
        default: return VI_ERROR_NSUP_ATTR;
        }
    });
}

ViStatus viLock(ViSession vi, ViAccessMode lockType, ViUInt32 timeout, ViConstString requestedKey, ViChar accessKey[])
{
    return afterGate(enter("viLock", vi, lockType, timeout, requestedKey), [&]() -> ViStatus {
        const Instrument* in = instrumentOf(vi);
        if (!in) return VI_ERROR_INV_OBJECT;
        const ViSession holder = lockHolder(in->address);
        if (in->lockTimesOut || (holder && holder != vi)) {
            platform::clock().delay(timeout / 1000.0);
            return VI_ERROR_TMO;
        }
        setLockHolder(in->address, vi);
        if (accessKey) accessKey[0] = '\0';
        return VI_SUCCESS;
    });
}

ViStatus viUnlock(ViSession vi)
{
    return afterGate(enter("viUnlock", vi), [&]() -> ViStatus {
        const Instrument* in = instrumentOf(vi);
        if (!in) return VI_ERROR_INV_OBJECT;
        if (lockHolder(in->address) != vi) return kStatusLockNotHeld;
        setLockHolder(in->address, 0);
        return VI_SUCCESS;
    });
}

// Read formats: "%t" copies the whole reply (the caller's buffer must hold it,
// as with a real VISA); "%#t" takes a ViInt32* size (in: buffer size, out:
// characters stored) and then the buffer, and cuts the reply to fit; "%Nt"
// cuts to N characters. The reply is the bench's text as it stands.
ViStatus viQueryf(ViSession vi, ViConstString writeFmt, ViConstString readFmt, ...)
{
    va_list ap;
    va_start(ap, readFmt);
    const ViStatus result = afterGate(enter("viQueryf", vi, writeFmt, readFmt), [&]() -> ViStatus {
        const Instrument* in = instrumentOf(vi);
        if (!in) return VI_ERROR_INV_OBJECT;
        if (!writeFmt || !readFmt) return kStatusBadParameter;

        std::string command;
        ViStatus status = VI_SUCCESS;
        if (!expandWrite(writeFmt, ap, command)) {
            status = kStatusBadFormat;
        } else if (trimmed(command) != "*IDN?" || in->idn.empty()) {
            platform::clock().delay(kQueryTimeout);
            status = VI_ERROR_TMO;
        } else if (std::strcmp(readFmt, "%t") == 0) {
            char* buf = va_arg(ap, char*);
            if (buf) std::memcpy(buf, in->idn.c_str(), in->idn.size() + 1);
        } else if (std::strcmp(readFmt, "%#t") == 0) {
            ViInt32* size = va_arg(ap, ViInt32*);
            char* buf = va_arg(ap, char*);
            if (!size || !buf || *size <= 0) {
                status = kStatusBadParameter;
            } else {
                copyText(buf, static_cast<std::size_t>(*size), in->idn);
                *size = static_cast<ViInt32>(std::strlen(buf));
            }
        } else {
            unsigned n = 0;
            char t = 0;
            char* buf = nullptr;
            if (std::sscanf(readFmt, "%%%u%c", &n, &t) == 2 && t == 't' && (buf = va_arg(ap, char*)))
                copyText(buf, n + 1, in->idn);
            else
                status = kStatusBadFormat;
        }
        return status;
    });
    va_end(ap);
    return result;
}

} // extern "C"
