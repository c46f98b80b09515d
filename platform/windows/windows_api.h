// The Windows API for the platform services, with the macros that would
// otherwise leak into the library's names (min, max and friends) kept out.
#ifndef QRVP_PLATFORM_WINDOWS_WINDOWS_API_H
#define QRVP_PLATFORM_WINDOWS_WINDOWS_API_H

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#endif
