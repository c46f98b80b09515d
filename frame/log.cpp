// Placeholder until the diagnostic log lands: every call is accepted and
// nothing is written.
#include "QRVPFuncs.h"

extern "C" void LogPrintf(int32_t, int32_t, int32_t, const wchar_t*, const wchar_t*, int32_t, const wchar_t*, ...) {}
extern "C" void LogPrintfForce(int32_t, int32_t, int32_t, const wchar_t*, const wchar_t*, int32_t, const wchar_t*, ...) {}
extern "C" void _LogMsg(int32_t, int32_t, int32_t, const wchar_t*, const wchar_t*, int32_t, const wchar_t*) {}
extern "C" void LogMsg(int32_t, int32_t, int32_t, const wchar_t*, const wchar_t*, int32_t, const wchar_t*) {}
extern "C" void _LogInit(void) {}
extern "C" void _LogClose(void) {}
extern "C" void _LogDelete(void) {}
extern "C" int32_t GetRegistryValueInt(const wchar_t*, const wchar_t*) { return 0; }
extern "C" int32_t GetReportThreading(int32_t* count)
{
    if (count != nullptr) *count = 20;
    return 0;
}
