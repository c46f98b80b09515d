/* A host that unloads QRVPFuncs.dll without _LogClose while the log's writer
 * is at work or ending: FreeLibrary returns at once (no wait under the loader
 * lock), no code of the library runs after it is gone, and it is unloaded once
 * its last writer has ended.  Exits 0 when all is well. */
#include <windows.h>

#include <stdint.h>
#include <stdio.h>

typedef void (*LogForceFn)(int32_t, int32_t, int32_t, const wchar_t*, const wchar_t*, int32_t, const wchar_t*, ...);

int main(void)
{
    int round, i, wait;
    for (round = 0; round < 40; ++round) {
        HMODULE dll = LoadLibraryW(L"QRVPFuncs.dll");
        LogForceFn force = dll == NULL ? NULL : (LogForceFn)(void (*)(void))GetProcAddress(dll, "LogPrintfForce");
        if (force == NULL) {
            printf("FAILED: QRVPFuncs.dll or LogPrintfForce not found\n");
            return 1;
        }
        for (i = 0; i <= round % 4 * 50; ++i) force(3, 0, 0, NULL, L"Unload", round, L"round %d record %d", round, i);
        if (round % 2 != 0) Sleep((DWORD)(round % 5));
        if (!FreeLibrary(dll)) {
            printf("FAILED: FreeLibrary in round %d\n", round);
            return 1;
        }
    }
    for (wait = 0; wait < 1000 && GetModuleHandleW(L"QRVPFuncs.dll") != NULL; ++wait) Sleep(10);
    (void)DeleteFileW(L"QuarvexLog.csv");
    if (GetModuleHandleW(L"QRVPFuncs.dll") != NULL) {
        printf("FAILED: QRVPFuncs.dll still loaded after its writers ended\n");
        return 1;
    }
    printf("QRVPFuncs.dll unloaded 40 times with its writer at work\n");
    return 0;
}
