// A Windows host as C code sees the library: QRVPFuncs.dll loaded at run time
// with LoadLibraryW, every exported name looked up with GetProcAddress, and
// calls through the pointers (a date record by value, 8-bit text, wide text).
// Exits 0 when all is well, else prints what failed.
#include "QRVPFuncs.h"
#include "qrvp_export_names.h"

#include <windows.h>

#include <stdio.h>

typedef VersionInfo* (*GetVersionInfoFn)(VersionInfo*);
typedef int32_t (*GetArpsQtFn)(Date, Date, double, double, double, double, double*);
typedef double (*EvaluateV2FormulaFn)(const char*);
typedef int32_t (*GetRegistryValueIntFn)(const wchar_t*, const wchar_t*);

static int failures = 0;

#define CHECK(condition) ((condition) ? (void)0 : (void)(printf("FAILED: %s\n", #condition), ++failures))
#define FIND(type, name) ((type)(void (*)(void))GetProcAddress(dll, name))

int main(void)
{
    HMODULE dll = LoadLibraryW(L"QRVPFuncs.dll");
    VersionInfo v = {0, 0, 0, 0};
    Date start = {2024, 1, 1, 0, 0, 0}, find = {2025, 1, 1, 0, 0, 0};
    double qt = 0.0;
    size_t i;
    if (dll == NULL) {
        printf("FAILED: LoadLibraryW(QRVPFuncs.dll): error %lu\n", (unsigned long)GetLastError());
        return 1;
    }
    for (i = 0; i < sizeof kExportNames / sizeof kExportNames[0]; ++i) {
        if (GetProcAddress(dll, kExportNames[i]) == NULL) printf("FAILED: GetProcAddress(%s)\n", kExportNames[i]), ++failures;
    }
    CHECK(FIND(GetVersionInfoFn, "GetVersionInfo")(&v) == &v && v.Major == 3 && v.Minor == 1 && v.Build == 664);
    // Dates travel by value: a year of exponential decline at 0.5, 1000 e^(-0.5 366/365.25).
    CHECK(FIND(GetArpsQtFn, "GetArpsQt")(find, start, 1000.0, 0.5, 0.0, 0.0, &qt) == 0);
    CHECK(qt > 605.9082578 && qt < 605.9082579);
    CHECK(FIND(GetArpsQtFn, "GetArpsQt")(start, find, 1000.0, 0.5, 0.0, 0.0, &qt) == -1);
    CHECK(FIND(EvaluateV2FormulaFn, "EvaluateV2Formula")("{Oil}x5.615/1000") == 5.615 / 1000);
    CHECK(FIND(GetRegistryValueIntFn, "GetRegistryValueInt")(L"No Such Key\\Anywhere", L"Levels") == 0);
    CHECK(FreeLibrary(dll) != 0);
    return failures != 0;
}
