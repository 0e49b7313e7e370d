// The VISA binding: the library loaded by name at run time ("visa32.dll",
// libvisa.so here) with the entry points of drivers/visa.h.
#pragma once

#include "drivers/visa.h"

#include <string>

namespace platform {

struct VisaApi {
    viOpenDefaultRM_t viOpenDefaultRM = nullptr;
    viFindRsrc_t viFindRsrc = nullptr;
    viFindNext_t viFindNext = nullptr;
    viOpen_t viOpen = nullptr;
    viClose_t viClose = nullptr;
    viGetAttribute_t viGetAttribute = nullptr;
    viLock_t viLock = nullptr;
    viUnlock_t viUnlock = nullptr;
    viQueryf_t viQueryf = nullptr;
};

// Binds VISA on first use and keeps it loaded. Returns nullptr when the library
// or an entry point is missing; error then says which.
const VisaApi* visa(std::string* error = nullptr);

} // namespace platform
