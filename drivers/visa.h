// VISA as the program and the simulated bench use it: our declarations of the
// published interface, its types, attributes and statuses. The binding (the
// library loaded by name) lives in platform/.
#pragma once

#include <cstdint>

using ViStatus = std::int32_t;
using ViUInt32 = std::uint32_t;
using ViInt32 = std::int32_t;
using ViUInt16 = std::uint16_t;
using ViInt16 = std::int16_t;
using ViBoolean = std::uint16_t;
using ViSession = ViUInt32;
using ViObject = ViUInt32;
using ViFindList = ViUInt32;
using ViAttr = ViUInt32;
using ViAccessMode = ViUInt32;
using ViChar = char;
using ViConstString = const char*;
using ViReal64 = double;

inline constexpr ViStatus VI_SUCCESS = 0;
inline constexpr ViUInt16 VI_ON = 1;
inline constexpr ViUInt16 VI_OFF = 0;
inline constexpr ViUInt16 VI_TRUE = 1;
inline constexpr ViUInt16 VI_FALSE = 0;
inline constexpr ViSession VI_NULL = 0;
inline constexpr ViAccessMode VI_NO_LOCK = 0;
inline constexpr ViAccessMode VI_EXCLUSIVE_LOCK = 1;
inline constexpr int VI_FIND_BUFLEN = 256;

// Attributes and the C type viGetAttribute writes for each.
inline constexpr ViAttr VI_ATTR_RSRC_NAME = 0xBFFF0002u;    // ViChar[256]
inline constexpr ViAttr VI_ATTR_INTF_TYPE = 0x3FFF0171u;    // ViUInt16
inline constexpr ViAttr VI_ATTR_MAINFRAME_LA = 0x3FFF0070u; // ViInt16
inline constexpr ViAttr VI_ATTR_SLOT = 0x3FFF00E8u;         // ViInt16
inline constexpr ViAttr VI_ATTR_VXI_LA = 0x3FFF00D5u;       // ViInt16
inline constexpr ViAttr VI_ATTR_MANF_ID = 0x3FFF00D9u;      // ViUInt16
inline constexpr ViAttr VI_ATTR_MODEL_CODE = 0x3FFF00DFu;   // ViUInt16
inline constexpr ViAttr VI_ATTR_TCPIP_ADDR = 0xBFFF0195u;   // ViChar[256]

inline constexpr ViUInt16 VI_INTF_VXI = 2;
inline constexpr ViUInt16 VI_INTF_GPIB_VXI = 3;
inline constexpr ViUInt16 VI_INTF_TCPIP = 6;
inline constexpr ViUInt16 VI_INTF_USB = 7;

inline constexpr ViStatus VI_ERROR_RSRC_NFOUND = static_cast<ViStatus>(0xBFFF0011u);
inline constexpr ViStatus VI_ERROR_TMO = static_cast<ViStatus>(0xBFFF0015u);
inline constexpr ViStatus VI_ERROR_ALLOC = static_cast<ViStatus>(0xBFFF003Cu);
inline constexpr ViStatus VI_ERROR_RSRC_LOCKED = static_cast<ViStatus>(0xBFFF000Fu);
inline constexpr ViStatus VI_ERROR_INV_OBJECT = static_cast<ViStatus>(0xBFFF000Eu);
inline constexpr ViStatus VI_ERROR_NSUP_ATTR = static_cast<ViStatus>(0xBFFF001Du);
// VISA's status for a library it cannot find; the program's status when VISA itself is missing.
inline constexpr ViStatus VI_ERROR_LIBRARY_NFOUND = static_cast<ViStatus>(0xBFFF009Eu);

// The VISA library as the code names it ("libvisa.so" on Linux).
inline constexpr const char* kVisaLibraryName = "visa32.dll";

// Entry points, with the standard's argument lists. A library that stands in
// for VISA is compiled against these prototypes.
// viQueryf read formats: "%t" reads the whole reply into a char buffer (unbounded);
// "%#t" takes a ViInt32* holding the buffer size (in: size, out: characters
// stored) before the buffer, and cuts the reply to fit, always terminating it.
extern "C" {
ViStatus viOpenDefaultRM(ViSession* rm);
ViStatus viFindRsrc(ViSession rm, ViConstString expr, ViFindList* list, ViUInt32* count, ViChar desc[]);
ViStatus viFindNext(ViFindList list, ViChar desc[]);
ViStatus viOpen(ViSession rm, ViConstString name, ViAccessMode mode, ViUInt32 timeout, ViSession* vi);
ViStatus viClose(ViObject vi);
ViStatus viGetAttribute(ViObject vi, ViAttr attr, void* value);
ViStatus viLock(ViSession vi, ViAccessMode lockType, ViUInt32 timeout, ViConstString requestedKey,
                ViChar accessKey[]);
ViStatus viUnlock(ViSession vi);
ViStatus viQueryf(ViSession vi, ViConstString writeFmt, ViConstString readFmt, ...);
}

using viOpenDefaultRM_t = decltype(&viOpenDefaultRM);
using viFindRsrc_t = decltype(&viFindRsrc);
using viFindNext_t = decltype(&viFindNext);
using viOpen_t = decltype(&viOpen);
using viClose_t = decltype(&viClose);
using viGetAttribute_t = decltype(&viGetAttribute);
using viLock_t = decltype(&viLock);
using viUnlock_t = decltype(&viUnlock);
using viQueryf_t = decltype(&viQueryf);

// The nine entry points the program binds, in binding order.
inline constexpr const char* kVisaEntryPoints[] = {
    "viOpenDefaultRM", "viFindRsrc", "viFindNext", "viOpen",   "viClose",
    "viGetAttribute",  "viLock",     "viUnlock",   "viQueryf",
};
