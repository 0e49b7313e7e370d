// A tiny VISA look-alike for binding tests; built once complete and once
// without viQueryf.
#include "platform/visa.h"

extern "C" {

ViStatus viOpenDefaultRM(ViSession* rm)
{
    *rm = 0x1234;
    return VI_SUCCESS;
}
ViStatus viFindRsrc(ViSession, ViConstString, ViFindList*, ViUInt32* count, ViChar desc[])
{
    *count = 0;
    desc[0] = '\0';
    return VI_ERROR_RSRC_NFOUND;
}
ViStatus viFindNext(ViFindList, ViChar desc[])
{
    desc[0] = '\0';
    return VI_ERROR_RSRC_NFOUND;
}
ViStatus viOpen(ViSession, ViConstString, ViAccessMode, ViUInt32, ViSession*)
{
    return VI_ERROR_RSRC_NFOUND;
}
ViStatus viClose(ViObject)
{
    return VI_SUCCESS;
}
ViStatus viGetAttribute(ViObject, ViAttr, void*)
{
    return VI_ERROR_NSUP_ATTR;
}
ViStatus viLock(ViSession, ViAccessMode, ViUInt32, ViConstString, ViChar[])
{
    return VI_SUCCESS;
}
ViStatus viUnlock(ViSession)
{
    return VI_SUCCESS;
}
#ifndef FAKE_VISA_WITHOUT_QUERYF
ViStatus viQueryf(ViSession, ViConstString, ViConstString, ...)
{
    return VI_ERROR_TMO;
}
#endif
}
