/* A host written in C99: includes the public header, checks the records'
 * layout and calls the library across its C boundary (a Date by value, wide
 * text, a variadic wide format).  Prints each failed check and exits non-zero
 * if there was any.  The installed-package consumers are this program too. */
#include "QRVPFuncs.h"

#include <stddef.h>
#include <stdio.h>
#include <string.h>

static int failures = 0;

#define CHECK(condition) \
    ((condition) ? (void)0 : (void)(fprintf(stderr, "line %d: check failed: %s\n", __LINE__, #condition), ++failures))

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
    CHECK(size > strlen(expected) && strcmp(content + size - strlen(expected), expected) == 0);
    CHECK(strstr(content, "dropped") == NULL);
}

int main(int argc, char** argv)
{
    VersionInfo info;
    Date start, find;
    double qt = -1.0;
    int32_t count = 0, status;
    CHECK(sizeof(Date) == 16 && offsetof(Date, month) == 4 && offsetof(Date, day) == 6 && offsetof(Date, hour) == 8 &&
          offsetof(Date, minute) == 10 && offsetof(Date, second) == 12);
    CHECK(sizeof(ArpsSegment) == 64 && offsetof(ArpsSegment, StartDate) == 8 && offsetof(ArpsSegment, Qf) == 24 &&
          offsetof(ArpsSegment, EndDate) == 32 && offsetof(ArpsSegment, Di) == 48 && offsetof(ArpsSegment, b) == 56);
    CHECK(sizeof(VersionInfo) == 16 && sizeof(TIMESTAMP_STRUCT) == 16 && sizeof(DATE_STRUCT) == 6);
    memset(&info, 0, sizeof info);
    CHECK(GetVersionInfo(&info) == &info && GetVersionInfo(NULL) == NULL);
    CHECK(info.Major == 3 && info.Minor == 1 && info.Release == 13 && info.Build == 664);
    CHECK(GetReportThreading(&count) == 0 && count == 8);
    CHECK(GetRegistryValueInt(L"Quarvex\\Error Log", L"Levels") == 0x20);
    memset(&start, 0, sizeof start);
    start.year = 2024;
    start.month = 1;
    start.day = 1;
    find = start;
    find.year = 2025;
    status = GetArpsQt(find, start, 1000.0, 0.5, 0.0, 0.0, &qt);
    CHECK(status == 0 && qt > 605.9082578 && qt < 605.9082579); /* 1000 e^(-0.5 366/365.25) */
    if (argc > 1) CheckLog(argv[1]);
    if (failures != 0) fprintf(stderr, "%d check(s) failed\n", failures);
    return failures != 0;
}
