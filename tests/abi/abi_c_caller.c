/* A host written in C99: includes the public header, checks the records'
 * layout and calls the library across its C boundary.  Prints each failed
 * check and exits non-zero if there was any. */
#include "QRVPFuncs.h"

#include <math.h>
#include <stddef.h>
#include <stdio.h>
#include <string.h>

static int failures = 0;

#define CHECK(condition)                                                    \
    do {                                                                    \
        if (!(condition)) {                                                 \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, \
                    #condition);                                            \
            ++failures;                                                     \
        }                                                                   \
    } while (0)

static void CheckLayout(void)
{
    CHECK(sizeof(Date) == 16);
    CHECK(offsetof(Date, year) == 0);
    CHECK(offsetof(Date, month) == 4);
    CHECK(offsetof(Date, day) == 6);
    CHECK(offsetof(Date, hour) == 8);
    CHECK(offsetof(Date, minute) == 10);
    CHECK(offsetof(Date, second) == 12);
    CHECK(sizeof(ArpsSegment) == 64);
    CHECK(offsetof(ArpsSegment, Qi) == 0);
    CHECK(offsetof(ArpsSegment, StartDate) == 8);
    CHECK(offsetof(ArpsSegment, Qf) == 24);
    CHECK(offsetof(ArpsSegment, EndDate) == 32);
    CHECK(offsetof(ArpsSegment, Di) == 48);
    CHECK(offsetof(ArpsSegment, b) == 56);
    CHECK(sizeof(VersionInfo) == 16);
}

static void CheckFrame(void)
{
    VersionInfo info;
    memset(&info, 0, sizeof info);
    CHECK(GetVersionInfo(&info) == &info);
    CHECK(info.Major == 3 && info.Minor == 1 && info.Release == 13 && info.Build == 664);
    CHECK(GetVersionInfo(NULL) == NULL);

    CHECK(IsZero(0.0, 0.0) == 0);
    CHECK(IsZero(-5e-12, 1e-11) == 1);
    CHECK(IsZero(0.0, -1.0) == 0);
    CHECK(IsZero(NAN, 1.0) == 0);
    CHECK(IsEqual(1.0, 1.0, 0.0) == 0);
    CHECK(IsEqual(2.0, 2.0 + 1e-12, 1e-11) == 1);
    CHECK(IsEqual(NAN, NAN, INFINITY) == 0);
}

static void CheckSettings(void)
{
    int32_t count = 0;
    CHECK(GetReportThreading(&count) == 0);
    CHECK(count == 8);
    CHECK(GetRegistryValueInt(L"Quarvex\\Error Log", L"Levels") == 0x20);
    CHECK(GetRegistryValueInt(L"Quarvex\\Error Log", L"Missing") == 0);
}

/* A Date travels by value: whatever the calculation answers, it answers with
 * a status. */
static void CheckDateByValue(void)
{
    Date start;
    Date find;
    double qt = -1.0;
    int32_t status;
    memset(&start, 0, sizeof start);
    start.year = 2024;
    start.month = 1;
    start.day = 1;
    find = start;
    find.year = 2025;
    status = GetArpsQt(find, start, 1000.0, 0.5, 0.0, 0.0, &qt);
    CHECK(status == 0 || status == -1);
}

static void CheckLog(const char* logPath)
{
    char content[4096];
    size_t size;
    FILE* file;
    const char* expected = ",CCaller,42,value 7 and 2.500000, with a comma\r\n";
    remove(logPath);
    _LogInit();
    LogPrintf(9, 5, 0, NULL, L"CCaller", 42, L"value %d and %f, with a comma", 7, 2.5);
    LogPrintf(9, 4, 0, NULL, L"CCaller", 43, L"dropped by the level mask");
    _LogClose();
    file = fopen(logPath, "rb");
    CHECK(file != NULL);
    if (file == NULL) return;
    size = fread(content, 1, sizeof content - 1, file);
    fclose(file);
    content[size] = '\0';
    CHECK(size > strlen(expected));
    CHECK(size > strlen(expected) && strcmp(content + size - strlen(expected), expected) == 0);
    CHECK(strstr(content, "dropped") == NULL);
    if (failures != 0) fprintf(stderr, "log file:\n%s\n", content);
}

int main(int argc, char** argv)
{
    CheckLayout();
    CheckFrame();
    CheckSettings();
    CheckDateByValue();
    if (argc > 1) CheckLog(argv[1]);
    if (failures != 0) {
        fprintf(stderr, "%d check(s) failed\n", failures);
        return 1;
    }
    printf("all checks passed\n");
    return 0;
}
