/* A Windows host as C code sees the library: QRVPFuncs.dll loaded at run time
 * with LoadLibraryW, every exported name looked up with GetProcAddress, and a
 * few calls through the pointers (numbers, a date record by value, wide text,
 * 8-bit text).  Exits 0 when all is well, else prints what failed. */
#include "QRVPFuncs.h"
#include "qrvp_export_names.h"

#include <windows.h>

#include <math.h>
#include <stdio.h>

typedef VersionInfo* (*GetVersionInfoFn)(VersionInfo*);
typedef int32_t (*GetArpsQtFn)(Date, Date, double, double, double, double, double*);
typedef double (*EvaluateV2FormulaFn)(const char*);
typedef int32_t (*GetRegistryValueIntFn)(const wchar_t*, const wchar_t*);
typedef void (*LogVoidFn)(void);

static int failures = 0;

static void Check(int ok, const char* what)
{
    if (!ok) {
        printf("FAILED: %s\n", what);
        ++failures;
    }
}

static Date Day(uint32_t year, uint16_t month, uint16_t day)
{
    Date d = {0};
    d.year = year;
    d.month = month;
    d.day = day;
    return d;
}

int main(void)
{
    HMODULE dll = LoadLibraryW(L"QRVPFuncs.dll");
    size_t i;
    if (dll == NULL) {
        printf("FAILED: LoadLibraryW(QRVPFuncs.dll): error %lu\n", (unsigned long)GetLastError());
        return 1;
    }
    for (i = 0; i < sizeof kExportNames / sizeof kExportNames[0]; ++i) {
        if (GetProcAddress(dll, kExportNames[i]) == NULL) {
            printf("FAILED: GetProcAddress(%s)\n", kExportNames[i]);
            ++failures;
        }
    }
    {
        GetVersionInfoFn getVersionInfo = (GetVersionInfoFn)(void (*)(void))GetProcAddress(dll, "GetVersionInfo");
        VersionInfo v = {0, 0, 0, 0};
        Check(getVersionInfo != NULL && getVersionInfo(&v) == &v, "GetVersionInfo returns its argument");
        Check(v.Major == 3 && v.Minor == 1 && v.Release == 13 && v.Build == 664, "version 3.1.13.664");
    }
    {
        /* Dates travel by value: a year of exponential decline at 0.5. */
        GetArpsQtFn getArpsQt = (GetArpsQtFn)(void (*)(void))GetProcAddress(dll, "GetArpsQt");
        double qt = 0.0;
        const double expected = 1000.0 * exp(-0.5 * 366.0 / 365.25);
        Check(getArpsQt != NULL && getArpsQt(Day(2025, 1, 1), Day(2024, 1, 1), 1000.0, 0.5, 0.0, 0.0, &qt) == 0,
              "GetArpsQt status 0");
        Check(fabs(qt - expected) < 1e-9 * expected, "GetArpsQt exponential rate");
        Check(getArpsQt(Day(2023, 1, 1), Day(2024, 1, 1), 1000.0, 0.5, 0.0, 0.0, &qt) == -1,
              "GetArpsQt refuses a date before the start");
    }
    {
        EvaluateV2FormulaFn evaluate = (EvaluateV2FormulaFn)(void (*)(void))GetProcAddress(dll, "EvaluateV2Formula");
        Check(evaluate != NULL && fabs(evaluate("{Oil}x5.615/1000") - 0.005615) < 1e-15, "formula value");
        Check(evaluate("2*(3+1)") == -1.0, "formula with a sum refused");
    }
    {
        GetRegistryValueIntFn readInt = (GetRegistryValueIntFn)(void (*)(void))GetProcAddress(dll, "GetRegistryValueInt");
        Check(readInt != NULL && readInt(L"No Such Key\\Anywhere", L"Levels") == 0, "missing setting reads 0");
    }
    {
        LogVoidFn logInit = (LogVoidFn)(void (*)(void))GetProcAddress(dll, "_LogInit");
        LogVoidFn logClose = (LogVoidFn)(void (*)(void))GetProcAddress(dll, "_LogClose");
        Check(logInit != NULL && logClose != NULL, "log entry points");
        if (logInit != NULL && logClose != NULL) {
            logInit();
            logClose();
        }
    }
    Check(FreeLibrary(dll) != 0, "FreeLibrary");
    if (failures == 0) printf("QRVPFuncs.dll: %u exports found, calls answered\n",
                              (unsigned)(sizeof kExportNames / sizeof kExportNames[0]));
    return failures == 0 ? 0 : 1;
}
