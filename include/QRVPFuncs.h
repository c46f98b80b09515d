/*
 * QRVPFuncs: parametric decline-curve functions for oil and gas production
 * forecasting.
 *
 * The contract of every exported function is written beside its declaration:
 * its arguments in order, what it writes, when it fails and what it leaves
 * behind.  General rules that hold everywhere unless a function says otherwise:
 *
 *  - A calculation returns a status: 0 for success, -1 for failure, nothing
 *    else.  Results travel through pointer out-parameters and are written only
 *    on success, except where a contract names a value written before -1.
 *  - A null out-parameter pointer never crashes a calculation: the call returns
 *    -1 and writes nothing.
 *  - A failing calculation writes one record to the diagnostic log (system 9,
 *    level 5) under the name of the routine that detected the failure, unless
 *    its contract calls the failure silent.  Whether the log keeps the record
 *    never changes the status.
 *  - "Zero" means an absolute value below 1e-11; "equal" means a difference
 *    below 1e-11 in absolute value.
 *  - Rates are volumes per month, Arps declines are nominal per year, time in
 *    years is the days between two dates over 365.25, and a volume is 12 times
 *    the integral of the rate over years.
 *  - Dates travel by value as the 16-byte Date record.  Every calculation runs
 *    on the caller's thread, keeps no state and may run on many threads at once.
 *
 * The header compiles as C99 and as C++.  C sees Date as a plain struct; C++
 * sees the classes DateBase, QRVDate and Date, all with the same 16 bytes.
 */
#ifndef QRVPFUNCS_H
#define QRVPFUNCS_H

#include <stddef.h>
#include <stdint.h>
#include <wchar.h>

#if defined(_WIN32)
#  if defined(QRVP_BUILDING_LIBRARY)
#    define QRVP_API __declspec(dllexport)
#  else
#    define QRVP_API __declspec(dllimport)
#  endif
#elif defined(__GNUC__)
#  define QRVP_API __attribute__((visibility("default")))
#else
#  define QRVP_API
#endif

#ifdef __cplusplus
#  define QRVP_EXTERN_C extern "C"
#else
#  define QRVP_EXTERN_C
#endif

/* ---------------------------------------------------------------------------
 * ODBC date records.  This header includes nothing the host did not ask for:
 * the platform's own definitions are used when the host included its ODBC
 * headers (<sqltypes.h>, or <sql.h> and the like) before this one, or defines
 * QRVP_USE_ODBC_HEADERS to have them included here; otherwise an identical
 * declaration stands in, and no other name of the ODBC headers (BOOL, DWORD,
 * ...) is declared.  QRVP_ODBC_FROM_PLATFORM tells which one is in use.  A
 * host that includes its ODBC headers does so before this one, so the two
 * declarations never meet.  (QRVP_NO_ODBC_HEADERS, once needed to keep them
 * out, is still accepted.)
 * ------------------------------------------------------------------------- */
#if defined(QRVP_USE_ODBC_HEADERS) && !defined(QRVP_NO_ODBC_HEADERS) && !defined(__SQLTYPES_H) && \
    !defined(__SQLTYPES) && !defined(_SQLTYPES_H)
#  if defined(_WIN32)
#    include <windows.h>
#  endif
#  include <sqltypes.h>
#endif
#if defined(__SQLTYPES_H) || defined(__SQLTYPES) || defined(_SQLTYPES_H)
#  define QRVP_ODBC_FROM_PLATFORM 1
#else
#  define QRVP_ODBC_FROM_PLATFORM 0
typedef struct tagDATE_STRUCT {
    int16_t year;
    uint16_t month;
    uint16_t day;
} DATE_STRUCT;
typedef struct tagTIMESTAMP_STRUCT {
    int16_t year;
    uint16_t month;
    uint16_t day;
    uint16_t hour;
    uint16_t minute;
    uint16_t second;
    uint32_t fraction; /* nanoseconds */
} TIMESTAMP_STRUCT;
#endif
#ifdef __cplusplus
/* Both records, the platform's or the stand-in, have the published layout. */
static_assert(sizeof(TIMESTAMP_STRUCT) == 16 && sizeof(DATE_STRUCT) == 6, "ODBC record sizes");
static_assert(offsetof(TIMESTAMP_STRUCT, year) == 0 && offsetof(TIMESTAMP_STRUCT, month) == 2 &&
                  offsetof(TIMESTAMP_STRUCT, day) == 4 && offsetof(TIMESTAMP_STRUCT, hour) == 6 &&
                  offsetof(TIMESTAMP_STRUCT, minute) == 8 && offsetof(TIMESTAMP_STRUCT, second) == 10 &&
                  offsetof(TIMESTAMP_STRUCT, fraction) == 12,
              "tagTIMESTAMP_STRUCT field offsets");
static_assert(offsetof(DATE_STRUCT, year) == 0 && offsetof(DATE_STRUCT, month) == 2 &&
                  offsetof(DATE_STRUCT, day) == 4,
              "tagDATE_STRUCT field offsets");
#endif

/* ===========================================================================
 * Calendar dates
 *
 * The 16-byte date-time record: year (1800..2999 when valid), month, day,
 * hour, minute, second, whole seconds.  The null date is 1799-12-31 00:00:00;
 * a record whose year is below 1800 is null.
 * ========================================================================= */
#ifndef __cplusplus

typedef struct Date {
    uint32_t year;
    uint16_t month;
    uint16_t day;
    uint16_t hour;
    uint16_t minute;
    uint32_t second;
} Date;
/* Fails to compile unless the record is 16 bytes (C99 has no static_assert). */
typedef char QRVP_DateRecordIs16Bytes[sizeof(Date) == 16 ? 1 : -1];

#else

/* The plain record: no constructors; fields set directly or by assignment.
 * Copying, and converting between the three types, copies the 16 bytes
 * unchanged and validates nothing. */
class QRVP_API DateBase {
public:
    uint32_t year;
    uint16_t month;
    uint16_t day;
    uint16_t hour;
    uint16_t minute;
    uint32_t second;
};

/* The record with validating constructors, validity tests and the ODBC
 * conversions. */
class QRVP_API QRVDate : public DateBase {
public:
    /* The null date 1799-12-31 00:00:00. */
    QRVDate();
    /* Each field checked against its own range as an unsigned number (year
     * 1800..2999, month 1..12, day 1..31, hour 0..23, minute and second
     * 0..59); the day is not checked against its month.  Any field out of
     * range gives the null date, whole. */
    QRVDate(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute, int32_t second);
    /* As the six integers, from the record's fields (signed year widened);
     * the fraction is ignored. */
    QRVDate(TIMESTAMP_STRUCT timestamp);
    /* Year, month and day checked as above; time 00:00:00. */
    QRVDate(DATE_STRUCT date);
    /* Copy of the 16 bytes, not validated. */
    QRVDate(const DateBase& other);

    /* Year and second cut to their low 16 bits, fraction 0; not validated. */
    TIMESTAMP_STRUCT Date2TS() const;
    /* Year cut to its low 16 bits, month, day; not validated. */
    DATE_STRUCT Date2DS() const;
    /* Writes the null date. */
    void SetNull();
    /* True when the year is below 1800; no other field is examined. */
    bool IsNull() const;
    /* Exactly !IsNull(): no upper bound, no look at the other fields. */
    bool IsValid() const;
    /* Day 1 at 00:00:00; year and month not examined. */
    bool IsStartOfMonth() const;
};

/* The record with the calendar arithmetic.  The day number is the Julian Day
 * Number by the Fliegel and Van Flandern formulas in signed 32-bit integers
 * with truncating division; an over-long day (February 31) counts on into the
 * next month.  Nothing here allocates, logs or fails; every operation runs in
 * constant time.  A year that the arithmetic carries below zero is stored as
 * its 32-bit two's complement, which the day number reads back as negative,
 * so such a date counts on correctly down to the year -4800.  Farther out (a
 * day number beyond the 32-bit range, a copied year of 2^31 or more) the
 * results are those of 32-bit arithmetic wrapping around: meaningless dates,
 * but defined ones. */
class QRVP_API Date : public DateBase {
public:
    /* The null date. */
    Date();
    /* Validated as QRVDate's constructor from six integers. */
    Date(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute, int32_t second);
    /* Copies of the 16 bytes, not validated. */
    Date(const DateBase& other);
    Date(const QRVDate& other);

    /* A QRVDate holding the same 16 bytes. */
    QRVDate GetQRVDate() const;

    /* 366 in a leap year, else 365. */
    int32_t DaysInYear() const;
    bool IsLeapYear() const;
    /* Length of the record's month in its year; 31 for a month outside 1..12
     * (only an unvalidated copy can hold one; the day number reads month 0 as
     * December of the year before and month 13 as January of the next). */
    int32_t DaysInMonth() const;
    /* In place: day 1, 00:00:00. */
    void FirstOfMonth();
    /* New dates, validated: day 1 (MonthStart) or the last day (MonthEnd) of
     * the record's month at 00:00:00; the null date when the year is outside
     * 1800..2999 or the month outside 1..12. */
    Date MonthStart() const;
    Date MonthEnd() const;
    /* In place: day DaysInMonth()/2 + 1, 00:00:00. */
    void MidMonth();
    /* In place: time 00:00:00. */
    void Truncate();
    /* In place: moves the date and time by the seconds given (a 64-bit count;
     * spelled long long so the exported name is the same on every platform).
     * Whole days go through AddDays, the rest carries into the time of day.  A
     * whole-day part beyond +/-(2^31 - 1) days is held at that bound. */
    void AddSeconds(long long seconds);
    /* In place: moves the calendar date by the days given, through the day
     * number (so days 0 turns February 31 into March 3); time unchanged. */
    void AddDays(int32_t days);
    /* In place: moves the date and time by a signed, possibly fractional
     * number of days, truncated to the whole second (a negative fraction worth
     * less than a second moves back one second).  NaN leaves the record
     * unchanged; an amount of 2^31 days or more in size, or infinite, is
     * clamped to +/-(2^31 - 1) days. */
    void AddFracDay(double days);
    /* In place: moves the date by calendar months, clamping the day to the
     * new month's length (January 31 + 1 is February 28 or 29); time
     * unchanged. */
    void AddMonths(int32_t months);
    /* This date minus the other, in days, time of day included: the difference
     * of the day numbers plus that of the times of day over 86400. */
    double DaySpan(Date other) const;
    double operator-(const Date& other) const;
    /* (year - other's year) * 12 + (month - other's month). */
    int32_t MonthsBetweenDates(const Date& other) const;

protected:
    /* The day number (2000-01-01 is 2451545). */
    int32_t julianDay() const;
};

/* Lexicographic on (year, month, day, hour, minute, second) as stored. */
QRVP_API bool operator==(Date a, Date b);
QRVP_API bool operator!=(Date a, Date b);
QRVP_API bool operator<(Date a, Date b);
QRVP_API bool operator<=(Date a, Date b);
QRVP_API bool operator>(Date a, Date b);
QRVP_API bool operator>=(Date a, Date b);
/* a when a < b, else b (the second argument when equal). */
QRVP_API Date Min(Date a, Date b);
/* b when a <= b, else a (the second argument when equal). */
QRVP_API Date Max(Date a, Date b);

static_assert(sizeof(DateBase) == 16 && sizeof(QRVDate) == 16 && sizeof(Date) == 16,
              "the date record is 16 bytes");
static_assert(offsetof(DateBase, year) == 0 && offsetof(DateBase, month) == 4 && offsetof(DateBase, day) == 6 &&
                  offsetof(DateBase, hour) == 8 && offsetof(DateBase, minute) == 10 &&
                  offsetof(DateBase, second) == 12,
              "the date record's field offsets");

#endif /* __cplusplus */

/* ===========================================================================
 * Arps segment record, filled by BendArpsSegment: 64 bytes, no gaps.
 * ========================================================================= */
typedef struct ArpsSegment {
    double Qi;      /* offset  0: rate at StartDate */
    Date StartDate; /* offset  8 */
    double Qf;      /* offset 24: rate at EndDate */
    Date EndDate;   /* offset 32 */
    double Di;      /* offset 48: initial nominal decline, per year */
    double b;       /* offset 56: hyperbolic exponent */
} ArpsSegment;
#ifdef __cplusplus
static_assert(sizeof(ArpsSegment) == 64, "the segment record is 64 bytes");
static_assert(offsetof(ArpsSegment, Qi) == 0 && offsetof(ArpsSegment, StartDate) == 8 &&
                  offsetof(ArpsSegment, Qf) == 24 && offsetof(ArpsSegment, EndDate) == 32 &&
                  offsetof(ArpsSegment, Di) == 48 && offsetof(ArpsSegment, b) == 56,
              "the host reads the segment record's fields at fixed offsets");
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
_Static_assert(sizeof(ArpsSegment) == 64, "the segment record is 64 bytes");
_Static_assert(offsetof(ArpsSegment, StartDate) == 8 && offsetof(ArpsSegment, EndDate) == 32 &&
                   offsetof(ArpsSegment, b) == 56,
               "the host reads the segment record's fields at fixed offsets");
#endif

/* ===========================================================================
 * Library frame
 * ========================================================================= */

/* The version record: 3, 1, 13, 664 for version 3.1.13.664. */
typedef struct VersionInfo {
    int32_t Major;
    int32_t Minor;
    int32_t Release;
    int32_t Build;
} VersionInfo;

/* Writes 3, 1, 13, 664 into *info and returns info (a null info is returned
 * unchanged).  Cannot fail. */
QRVP_EXTERN_C QRVP_API VersionInfo* GetVersionInfo(VersionInfo* info);
/* 1 when |value| < tolerance, strictly; else 0 (so 0 for NaN or a negative
 * tolerance). */
QRVP_EXTERN_C QRVP_API int32_t IsZero(double value, double tolerance);
/* 1 when |a - b| < tolerance, strictly; else 0. */
QRVP_EXTERN_C QRVP_API int32_t IsEqual(double a, double b, double tolerance);

/* ===========================================================================
 * Diagnostic log
 *
 * Each record is one line of comma-separated text:
 *   month/day/year hh:mm:ss.mmm,system,level,code,text,thread,function,line,message
 * (local time; thread is the calling thread's id, the kernel thread id on
 * Linux; nothing quoted or escaped; lines end with CR LF on every platform,
 * and a character with no 8-bit form is written as '?').  A record passes the
 * filter when bit (level mod 32) of the level mask and bit (system mod 32) of
 * the system mask are set; until _LogInit the masks pass level 0 of systems
 * 0 to 15 and records go to "QuarvexLog.csv" in the current directory.
 * Record calls format, time-stamp and queue on the caller's thread and never
 * touch the file; a writer thread of lowered priority, started when a record
 * finds none running, appends the records queued when it began with one open
 * and close (records queued meanwhile start the next writer), and leaves the
 * records queued when the file cannot be opened or is neither a regular file
 * nor a character device (the next record starts a writer that tries again;
 * so does the next record when no thread could be started).  A write cut
 * short is cut back to the last whole record and the rest stay queued; a file
 * found not ending in a line end gets one first.  The system-wide mutex
 * "ORV.QRV.LogMutex" (off Windows private to the account, and a forked child
 * holds its own) serialises the file between processes from _LogInit to
 * _LogClose; a process-local lock serialises this process's records, writer
 * and deletion at all times.  No log call reports an error or throws.
 *
 * Unloading: call _LogClose first.  A host that does not must still never
 * unload the library from inside a record call.  On Windows the detach of
 * the DLL never waits for a thread (it runs under the loader lock, which an
 * ending thread needs): a writer keeps the DLL loaded until it has ended.
 * ========================================================================= */

/* Arguments: system, level, code, text (may be null: printed "(null)"),
 * function name (null: "(null)"), line, then a printf-style wide format and
 * its values (a null format gives the message "(null)").  The message is cut
 * at 4,093 characters, the record line at 1,023 (and then has no line end).
 * Returns at once, without formatting, when the filter drops the record. */
QRVP_EXTERN_C QRVP_API void LogPrintf(int32_t system, int32_t level, int32_t code, const wchar_t* text,
                                      const wchar_t* function, int32_t line, const wchar_t* format, ...);
/* As LogPrintf, without consulting the filter. */
QRVP_EXTERN_C QRVP_API void LogPrintfForce(int32_t system, int32_t level, int32_t code, const wchar_t* text,
                                           const wchar_t* function, int32_t line, const wchar_t* format, ...);
/* As LogPrintf with a message printed as given, not formatted (null:
 * "(null)").  LogMsg is the same call under a second name. */
QRVP_EXTERN_C QRVP_API void _LogMsg(int32_t system, int32_t level, int32_t code, const wchar_t* text,
                                    const wchar_t* function, int32_t line, const wchar_t* message);
QRVP_EXTERN_C QRVP_API void LogMsg(int32_t system, int32_t level, int32_t code, const wchar_t* text,
                                   const wchar_t* function, int32_t line, const wchar_t* message);
/* Opens the system-wide log mutex, then reads "Levels", "Systems" (0 when
 * unreadable) and "Filename" under "Quarvex\Error Log"; an empty or
 * unreadable file name gives "logs\QuarvexLog.csv" (off Windows each
 * backslash of the name is a '/').  May be called again to re-read them. */
QRVP_EXTERN_C QRVP_API void _LogInit(void);
/* Waits until the records queued before the call are written (or found
 * unwritable), never for records other threads keep queuing, then closes the
 * mutex; records still queued stay queued for the next writer. */
QRVP_EXTERN_C QRVP_API void _LogClose(void);
/* Deletes the log file, between two writes, never within one (a failure is
 * ignored); the queue is untouched and the next writer creates the file. */
QRVP_EXTERN_C QRVP_API void _LogDelete(void);

/* ===========================================================================
 * Settings store
 *
 * Read-only, read afresh on every call; nothing is logged.  On Windows the
 * machine-wide registry (HKEY_LOCAL_MACHINE).  Elsewhere a file in the format
 * the registry editor exports ("Windows Registry Editor Version 5.00" or
 * "REGEDIT4" first; UTF-8, or UTF-16LE with its byte-order mark) named by the
 * environment variable QRVPFUNCS_REGISTRY, else /etc/ostrel-labs/registry.reg;
 * its values keep the registry's bytes (dword: 4 bytes, "text": UTF-16LE with
 * its terminator, hex:, hex(N):) and names compare without regard to case.
 * A missing, unreadable or over-large (16 MiB) file, key or value gives the
 * defaults; a malformed line is skipped.
 * ========================================================================= */

/* The 32-bit value named valueName (null or empty: the key's default value)
 * under "Software\Ostrel Labs\<subkey>" (or the root itself when subkey is
 * empty), whatever its type; 0 when subkey is null, when the key or value
 * cannot be read or when the data is longer than 4 bytes.  Shorter data fills
 * the low bytes (a one-character text reads as its code). */
QRVP_EXTERN_C QRVP_API int32_t GetRegistryValueInt(const wchar_t* subkey, const wchar_t* valueName);
/* Writes the report connection count ("Quarvex\Valcore" "MaxConnections"
 * when above 0, else 20) and returns 0; a null count: -1, nothing written. */
QRVP_EXTERN_C QRVP_API int32_t GetReportThreading(int32_t* count);

/* ===========================================================================
 * Decline conversions
 *
 * D is the nominal decline per year (negative for an incline), De the tangent
 * effective decline (fraction lost over a year of exponential decline), Ds the
 * secant effective decline (fraction lost over the first year of a hyperbola
 * with exponent b).  No conversion guards the power's domain: a base that
 * makes the power undefined gives NaN or infinity with status 0, and a NaN
 * argument gives a NaN result with status 0.
 * ========================================================================= */
/* D -> De = 1 - e^-D.  Always 0. */
QRVP_EXTERN_C QRVP_API int32_t NomToTanEff(double D, double* De);
/* De -> D = -ln(1 - De).  De >= 1.0 writes the capped decline 36.0 and returns
 * -1 without a log record. */
QRVP_EXTERN_C QRVP_API int32_t TanEffToNom(double De, double* D);
/* D, b -> Ds = 1 - (D*b + 1)^(-1/b).  b zero: -1, logged "bFactor cannot be 0"
 * under "NomToSecEff", Ds untouched. */
QRVP_EXTERN_C QRVP_API int32_t NomToSecEff(double D, double b, double* Ds);
/* Ds, b -> D = ((1 - Ds)^-b - 1)/b.  Ds above 1.0 (1.0 itself passes) or b
 * zero: -1, logged under "NomToSecEff", D untouched. */
QRVP_EXTERN_C QRVP_API int32_t SecEffToNom(double Ds, double b, double* D);

/* ===========================================================================
 * Arps rate at a date
 *
 * Qi and Di are the rate and nominal decline at StartDate, b the exponent (0
 * exponential, 1 harmonic, negative allowed), Dmin the minimum decline (0: no
 * switch).  Time is days over 365.25.  Every operation that takes Dmin first
 * applies the minimum-decline rule: with b > 0 and Di >= 0 a Dmin not below Di
 * makes the segment exponential at Di; with b < 0 and Di <= 0 a Dmin not above
 * Di does the same; b and Di of opposite signs drop Dmin.  Once the
 * instantaneous decline reaches Dmin the segment goes on exponentially at Dmin.
 * A NaN argument that passes the checks gives a NaN result with status 0; no
 * NaN ever moves a date.
 * ========================================================================= */
/* FindDate (the date wanted, first), StartDate, Qi, Di, b, Dmin -> Qt.  Writes
 * Qt = -1.0 before any check.  Fails, logged under "GetArpsQt": FindDate
 * before StartDate; Di*b*t <= -1; no switch date found ("Unable to solve for
 * Dmin date", Qt then holds the rate without the switch).  Exponential growth
 * with -Di*t above 1000 fails silently (Qt -1.0); decay below -1000 gives 0. */
QRVP_EXTERN_C QRVP_API int32_t GetArpsQt(Date FindDate, Date StartDate, double Qi, double Di, double b,
                                         double Dmin, double* Qt);
/* Qt (the rate wanted, first), Di, Qi, b -> D = (Qt/Qi)^b * Di, the
 * instantaneous decline at Qt.  Qi or Qt <= 0 fails, logged; D is then Di when
 * b is zero, else 0.0 when Di is zero or Qt equals Qi, else untouched. */
QRVP_EXTERN_C QRVP_API int32_t GetArpsIDecl(double Qt, double Di, double Qi, double b, double* D);
/* StartDate, Di, Dmin, Qi, b -> DminDate, the date the decline reaches Dmin
 * (to the whole second).  Fails, logged, DminDate untouched, checks in this
 * order: StartDate null; Di, Dmin or b zero; Dmin not past Di for b's sign, or
 * of the other sign from Di ("Invalid Dmin for given decline."); a zero rate at
 * the switch ("Qf cannot be zero."); a number of days that is not a positive
 * finite number ("Time cannot be zero."). */
QRVP_EXTERN_C QRVP_API int32_t GetArpsDminDate(Date StartDate, double Di, double Dmin, double Qi, double b,
                                               Date* DminDate);

/* ===========================================================================
 * Arps solvers
 *
 * Same variables and minimum-decline rule as the rate at a date.  No solver
 * rejects a result of the wrong sign (a rising rate gives a negative decline).
 * ========================================================================= */
/* StartDate, EndDate, Qi, Qt, b, Dmin -> Di, the decline taking Qi to Qt over
 * the span: closed form where one exists, else bisection on [Dmin, 36] (a
 * decline) or [-36, 0] (an incline) to 1e-8.  Writes Di = 0.0 first, so every
 * failure leaves 0.0.  Fails, logged: Qi or Qt zero, a null date, EndDate
 * before StartDate; 100 midpoints without converging; a failed rate.  Qi equal
 * to Qt gives 0.0 with status 0. */
QRVP_EXTERN_C QRVP_API int32_t GetArpsDi(Date StartDate, Date EndDate, double Qi, double Qt, double b,
                                         double Dmin, double* Di);
/* StartDate, EndDate, Qf, b, Di, Dmin -> Qi, the initial rate reaching Qf at
 * EndDate.  Di zero gives Qi = Qf with no other check.  Fails, logged, Qi
 * untouched: Qf <= 0; StartDate's year 0 or EndDate before StartDate; a failed
 * rate. */
QRVP_EXTERN_C QRVP_API int32_t GetArpsQi(Date StartDate, Date EndDate, double Qf, double b, double Di,
                                         double Dmin, double* Qi);
/* Qi, Qf, b, Di, Dmin -> Years from Qi to Qf, with the switch.  Fails, logged:
 * Qi, Qf or Di zero; a failed decline or switch date.  Succeeds WITHOUT
 * writing Years when, on the curve started at 2000-01-01, the switch date is
 * not after that start or falls on or after 2600-01-01, or when the split into
 * hyperbolic and exponential time is not positive: initialise Years first. */
QRVP_EXTERN_C QRVP_API int32_t GetArpsYears(double Qi, double Qf, double b, double Di, double Dmin,
                                            double* Years);
/* NewStartDate (earlier), StartDate, Qi, Di, b -> NewQi, NewDi: the same
 * hyperbola extended back to NewStartDate.  Fails, logged under
 * "GetConstantArpsQi", nothing written: NewStartDate not before StartDate;
 * the decline at NewStartDate reaching the cap of 36 ("Calculated time too
 * small").  b zero, Di zero or of the other sign from b, or a result that is
 * not finite (a tiny b) fail with that same message instead of giving NaN. */
QRVP_EXTERN_C QRVP_API int32_t GetConstantArpsQi(Date NewStartDate, Date StartDate, double Qi, double Di,
                                                 double b, double* NewQi, double* NewDi);
/* *Di (in: the initial decline wanted; out: the decline re-solved to Qend),
 * RefDate, EndDate, Qref, Qend, Dref, b, Dmin -> Qinit, StartDate.  On the
 * hyperbola through (RefDate, Qref, Dref) finds where its decline is *Di,
 * starts the segment at the first midnight after that point with the curve's
 * rate there, and solves the decline from there to Qend at EndDate.  Logs
 * nothing of its own.  Fails silently, nothing written: *Di, b or Qref exactly
 * 0.0.  Fails silently after writing Qinit: no finite point (the date is then
 * not moved or written).  Fails after writing Qinit and StartDate: a start
 * before 1800.  A failed rate or decline solve leaves what those wrote. */
QRVP_EXTERN_C QRVP_API int32_t GetConstantArpsQinit(double* Di, Date RefDate, Date EndDate, double Qref,
                                                    double Qend, double Dref, double b, double Dmin,
                                                    double* Qinit, Date* StartDate);

/* ===========================================================================
 * Arps segment bending and validation
 * ========================================================================= */
/* Qi, StartDate, BendQ, BendDate, Qf, EndDate, Dmin, *Segment: a segment that
 * keeps both ends and passes near the bend point.  Zeroes all 64 bytes of
 * *Segment first.  Fails when BendDate is not strictly between the dates, or
 * BendQ lies outside [Qf, Qi] on a decline ([Qi, Qf] otherwise).  The exponent
 * b comes from a bisection of 14 halvings on [0, 9] (bend point below the
 * exponential through the ends) or [-9, 0], logged under "CurveFit::PointFit"
 * when it is driven to +/-9; the decline is then re-solved so that the curve
 * reaches Qf at EndDate, and Qf is the rate there.  On failure fields not yet
 * written stay zero (a zero record after a rejection or a failed fit; Qi,
 * StartDate, b and then Di are written as the later steps pass). */
QRVP_EXTERN_C QRVP_API int32_t BendArpsSegment(double Qi, Date StartDate, double BendQ, Date BendDate,
                                               double Qf, Date EndDate, double Dmin, ArpsSegment* Segment);
/* StartDate, *Qi, *Di, *b, *Dmin (only read), *Qf, *EndDate: brings the set
 * into agreement in place; no log records of its own.  Qi = Qf = 0 zeroes Qi,
 * Qf, Di, b; Qf zero becomes 0.1 (Qi <= 0 then fails); a negative rate fails;
 * rates within 1e-5 of Qi make a constant segment; |b| <= 0.001 becomes 0.  Di
 * zero: solved from the dates and rates (status 0 even when the solve fails,
 * Di then 0.0).  Di given: EndDate moves to the date Qf is reached when that
 * lies 0 to 300 years after it; otherwise Qf becomes the rate at EndDate (if
 * that fails: -1 when the date lay over 300 years out, else EndDate moves).
 * When no duration comes back (a switch outside the solver's window) EndDate
 * stays and Qf is recomputed; if that fails too the call returns -1.  Values
 * rewritten before a failure stay rewritten. */
QRVP_EXTERN_C QRVP_API int32_t ValidateArps(Date StartDate, double* Qi, double* Di, double* b, double* Dmin,
                                            double* Qf, Date* EndDate);

/* ===========================================================================
 * Arps volumes
 *
 * A volume is 12 times the integral of the rate (per month) over years; a
 * constant rate counts months as days / 30.4375.  Every operation applies the
 * minimum-decline rule; when the Dmin switch falls inside the interval the
 * volume is the hyperbola's up to the switch plus the exponential's at Dmin
 * after it.  Failures of the rate, decline and switch-date routines are
 * logged under their own names; a switch date before 1800 fails silently.
 * ========================================================================= */
/* StartDate, EndDate, Qi, Qf, Di, b, Dmin, *Vol: volume from Qi down (or up)
 * to the given Qf; the dates serve for the constant-rate volume (Di zero or
 * Qi == Qf exactly) and to place the switch.  Fails, logged as "HypVolQf",
 * when Qi, Qf or Di is zero on a curved or exponential piece.  *Vol is
 * written only on success. */
QRVP_EXTERN_C QRVP_API int32_t GetArpsVol(Date StartDate, Date EndDate, double Qi, double Qf, double Di,
                                          double b, double Dmin, double* Vol);
/* StartDate, EndDate, Qi, Di, b, Dmin, *Vol: volume between the dates, the end
 * rate following from the curve.  Fails when Qi is zero on a hyperbola (logged
 * under "GetArpsYears") or the switch cannot be placed.  *Vol is written only
 * on success; a curve that cannot reach EndDate gives a non-finite volume. */
QRVP_EXTERN_C QRVP_API int32_t GetArpsVol2(Date StartDate, Date EndDate, double Qi, double Di, double b,
                                           double Dmin, double* Vol);
/* StartDate, Qi, Di, b, Dmin, Dates[Count], Qt[Count], Vol[Count]: one
 * segment at many dates, its switch placed once.  Qt[i] is what
 * GetArpsQt(Dates[i], StartDate, Qi, Di, b, Dmin) gives and Vol[i] what
 * GetArpsVol2(StartDate, Dates[i], Qi, Di, b, Dmin) gives, bit for bit; Qt or
 * Vol may be null to skip it.  Fails at the first date where one of those
 * calls fails (the rate is asked first), with that call's record: results
 * before that date are written, none from it on.  Fails silently, nothing
 * written, when Dates is null and Count is not 0, or Qt and Vol are both null. */
QRVP_EXTERN_C QRVP_API int32_t GetArpsQtVolDates(Date StartDate, double Qi, double Di, double b, double Dmin,
                                                 const Date* Dates, size_t Count, double* Qt, double* Vol);
/* StartDate, EndDate, Qi, b, Vol, Dmin, *Di, *Qf: the decline (bisected in
 * [-36, 36], first trial 0 with Qf = Qi) and the rate at EndDate whose volume
 * between the dates is within 1e-5 * Vol of Vol.  Writes each trial; after 35
 * volumes without success returns -1 silently, the last trial left written. */
QRVP_EXTERN_C QRVP_API int32_t GetArpsQfDiVol(Date StartDate, Date EndDate, double Qi, double b, double Vol,
                                              double Dmin, double* Di, double* Qf);
/* Qi, Vol, b, Di, Dmin, *Years: the years needed to produce Vol.  Fails,
 * logged as "GetArpsRemTime", when Qi (or the switch rate) is <= 0.  A volume
 * the curve never reaches gives a non-finite *Years with status 0.  *Years is
 * written only on success. */
QRVP_EXTERN_C QRVP_API int32_t GetArpsYearsVol(double Qi, double Vol, double b, double Di, double Dmin,
                                               double* Years);
/* Qi, Di, b, Vol, Dmin, *Qf: the rate reached once Vol has been produced.
 * Di zero fails silently with nothing written.  Without an active Dmin no sign
 * check is made: a volume beyond reach gives a negative or non-finite Qf with
 * status 0.  With Dmin active a negative result fails ("Solved Qf cannot be
 * less than zero.") and stays written; other failures may leave the switch
 * rate, or -1.0, in *Qf. */
QRVP_EXTERN_C QRVP_API int32_t GetArpsQfVol(double Qi, double Di, double b, double Vol, double Dmin,
                                            double* Qf);

/* ===========================================================================
 * Linear-with-time decline
 *
 * The rate falls by Di every year: q(t) = Qi - Di * t, t the days from
 * StartDate over 365.25.  Dates are usable here when their year is at least
 * 1800; "earlier" is the field-by-field order.  Records are written under each
 * function's own name; dates in messages read month/day/year.
 * ========================================================================= */
/* Rate at FindDate: Qi when Di is zero or FindDate equals StartDate, else
 * Qi - days * Di / 365.25 (may go below zero; no date validity tested).
 * Fails when FindDate is earlier than StartDate. */
QRVP_EXTERN_C QRVP_API int32_t GetLinTimQt(Date FindDate, Date StartDate, double Qi, double Di, double* Qt);
/* Rate at StartDate from the rate Qf at EndDate: Qf + days * Di / 365.25 (Qf
 * when Di is zero).  Fails, in this order, on Qf <= 0, a date before 1800,
 * EndDate earlier than StartDate. */
QRVP_EXTERN_C QRVP_API int32_t GetLinTimQi(Date EndDate, Date StartDate, double Qf, double Di, double* Qi);
/* Decline (Qi - Qf) / years.  Equal rates give 0 before anything is checked.
 * Fails, in this order, on a rate <= 0, a date before 1800, EndDate earlier
 * than StartDate, and two dates no time apart ("No time between start date
 * (m/d/y) and end date (m/d/y)") rather than an infinite decline. */
QRVP_EXTERN_C QRVP_API int32_t GetLinTimDi(Date EndDate, Date StartDate, double Qi, double Qf, double* Di);
/* Duration (Qi - Qf) / Di in years; its sign is not tested.  Fails on a zero
 * Di or Qi exactly equal to Qf, then on a negative rate. */
QRVP_EXTERN_C QRVP_API int32_t GetLinTimYears(double Qi, double Qf, double Di, double* Years);
/* Volume between the dates, days * (Qi + Qf) * 12 / 730.5.  Fails, in this
 * order, on a date before 1800, EndDate earlier than StartDate, a rate <= 0. */
QRVP_EXTERN_C QRVP_API int32_t GetLinTimVol(Date StartDate, Date EndDate, double Qi, double Qf, double* Vol);
/* First time t at which 12 * Qi * t + Decl * t^2 / 2 reaches Vol, Decl being
 * the yearly change of the annual rate (-12 * Di).  Fails on Qi < 0 or
 * Vol <= 0 (record "Invalid Qi (%d) or Vol (%d)": each %d shows the low 32 bits
 * of the double's bit pattern as a signed int, exactly what the hosts'
 * platform prints, e.g. 0 for 100.0), and when the falling rate runs out
 * before Vol.  A negative solution is written and then fails.  A zero Decl
 * gives the flat-rate time Vol / (12 * Qi); it fails when Qi is zero as well
 * (or the time is not finite) instead of dividing by zero. */
QRVP_EXTERN_C QRVP_API int32_t GetLinTimYearsVol(double Qi, double Vol, double Decl, double* Years);
/* Normalises the segment (Qi, Di, Qf, EndDate) starting at StartDate, in
 * place; writes no record of its own (GetLinTimYears's may appear).  Both
 * rates zero: all three set to 0.  Qi < 0: fails, nothing changed.  Zero Di or
 * equal rates: Qf = Qi, Di = 0.  Otherwise EndDate = StartDate + years
 * (GetLinTimYears).  A negative Qf is replaced by the rate at a usable EndDate
 * (year >= 1800, after StartDate) when that rate is positive, else by 1e-6
 * with EndDate moved to where the rate reaches it (Qf stays 1e-6 if that
 * fails).  Fails with nothing changed when Qf is negative and EndDate is not
 * usable, and whenever the new EndDate would be a non-finite number of days
 * away (no date is then written). */
QRVP_EXTERN_C QRVP_API int32_t ValidateLinTime(Date StartDate, double* Qi, double* Di, double* Qf,
                                               Date* EndDate);

/* ===========================================================================
 * Linear rate-versus-cumulative decline
 *
 * The rate is a straight line against cumulative production through
 * (BegCum, Qi) and (EndCum, Qf); decl = (Qf - Qi) / (EndCum - BegCum), negative
 * for a falling rate.  Records are written under each function's own name.
 * ========================================================================= */
/* decl.  Equal rates give 0 before anything is checked.  Fails, in this
 * order, on a rate <= 0, BegCum < 0 or EndCum <= 0, BegCum equal to EndCum. */
QRVP_EXTERN_C QRVP_API int32_t GetLinCumDecl(double Qi, double Qf, double BegCum, double EndCum, double* decl);
/* Qi = Qf - (EndCum - BegCum) * decl; 0 when Qf is zero, unchecked.  Fails
 * on Qf < 0 ("Invalid  Qf (%f)", two blanks), BegCum < 0 or EndCum <= 0,
 * BegCum equal to EndCum. */
QRVP_EXTERN_C QRVP_API int32_t GetLinCumQi(double BegCum, double EndCum, double Qf, double decl, double* Qi);
/* Qf = Qi + (EndCum - BegCum) * decl; 0 when Qi is zero, unchecked.  Fails
 * on Qi < 0 ("Invalid  Qi (%f)"), BegCum < 0 or EndCum <= 0, equal bounds. */
QRVP_EXTERN_C QRVP_API int32_t GetLinCumQf(double Qi, double BegCum, double EndCum, double decl, double* Qf);
/* EndCum = BegCum + (Qf - Qi) / decl.  Fails on a rate <= 0, BegCum < 0, a
 * zero decl. */
QRVP_EXTERN_C QRVP_API int32_t GetLinCumEndCum(double Qi, double Qf, double BegCum, double decl,
                                               double* EndCum);
/* BegCum = EndCum - (Qf - Qi) / decl.  Fails on a rate <= 0, EndCum <= 0, a
 * zero decl. */
QRVP_EXTERN_C QRVP_API int32_t GetLinCumBegCum(double Qi, double Qf, double decl, double EndCum,
                                               double* BegCum);
/* Rate at FindCum on the line, extrapolated outside [BegCum, EndCum]; Qi when
 * Qi is exactly Qf.  Fails on a rate < 0, BegCum or EndCum < 0 (FindCum is
 * not bounded), BegCum >= EndCum. */
QRVP_EXTERN_C QRVP_API int32_t GetLinCumVCum(double Qi, double Qf, double FindCum, double BegCum,
                                             double EndCum, double* Qt);
/* Average rate over [cum1, cum2] on the line through (Cumi, Qi), (Cumf, Qf):
 * the difference of the line's integrals from 0 to cum2 and to cum1 over the
 * width.  Qi when the rates or cum1 and cum2 are equal.  Fails, with the
 * record written under "GetLinCumIntVal", on a rate < 0, cum1, cum2 or Cumi
 * < 0, Cumi > Cumf. */
QRVP_EXTERN_C QRVP_API int32_t GetLinCum(double Qi, double Qf, double cum1, double cum2, double Cumi,
                                         double Cumf, double* Rate);
/* Normalises the segment in place; writes no record.  Both rates zero: Qi,
 * Qf, decl = 0.  BegCum < 0 or a rate < 0: fails, nothing changed.  Equal
 * rates: Qf = Qi, decl = 0.  EndCum <= 0: EndCum = -1, decl kept.  Otherwise
 * decl = (Qf - Qi) / (EndCum - BegCum), and a zero decl makes Qf = Qi.  An
 * EndCum equal to or below BegCum, or a decl that is not finite, fails with
 * nothing changed. */
QRVP_EXTERN_C QRVP_API int32_t ValidateLinCum(double* Qi, double* Qf, double* decl, double* BegCum,
                                              double* EndCum);

/* ===========================================================================
 * Logarithmic rate-versus-cumulative decline
 *
 * log10 of the rate is a straight line against cumulative production through
 * (BegCum, log10 Qi) and (EndCum, log10 Qf):
 * decl = (log10 Qf - log10 Qi) / (EndCum - BegCum), negative for a falling
 * rate, so q(N) = Qi * 10^(decl * (N - BegCum)).  Records are written under
 * each function's own name, except GetLogCum's ("GetLogCumIntVal").
 * ========================================================================= */
/* decl.  Fails, in this order, on a rate <= 0, BegCum < 0 or EndCum <= 0;
 * then equal rates give 0; then BegCum equal to EndCum fails. */
QRVP_EXTERN_C QRVP_API int32_t GetLogCumDecl(double Qi, double Qf, double BegCum, double EndCum, double* decl);
/* Qi = Qf / 10^((EndCum - BegCum) * decl); 0 when Qf is zero, unchecked.
 * Fails on Qf < 0 ("Invalid  Qf (%f)", two blanks), BegCum < 0 or
 * EndCum <= 0, BegCum equal to EndCum. */
QRVP_EXTERN_C QRVP_API int32_t GetLogCumQi(double BegCum, double EndCum, double Qf, double decl, double* Qi);
/* Qf = Qi * 10^((EndCum - BegCum) * decl); 0 when Qi is zero, unchecked.
 * Fails on Qi < 0 ("Invalid  Qi (%f)"), BegCum < 0 or EndCum <= 0; then a
 * zero decl gives Qi (even for equal bounds); then equal bounds fail. */
QRVP_EXTERN_C QRVP_API int32_t GetLogCumQf(double Qi, double BegCum, double EndCum, double decl, double* Qf);
/* EndCum = BegCum + (log10 Qf - log10 Qi) / decl.  Fails on a rate <= 0,
 * BegCum < 0, a zero decl. */
QRVP_EXTERN_C QRVP_API int32_t GetLogCumEndCum(double Qi, double Qf, double BegCum, double decl,
                                               double* EndCum);
/* BegCum = EndCum - (log10 Qf - log10 Qi) / decl.  Fails on a rate <= 0,
 * EndCum <= 0, a zero decl. */
QRVP_EXTERN_C QRVP_API int32_t GetLogCumBegCum(double Qi, double Qf, double decl, double EndCum,
                                               double* BegCum);
/* Rate at FindCum on the curve, extrapolated beyond EndCum; Qi when the rates
 * are equal.  Fails on a rate <= 0, BegCum, EndCum or FindCum < 0,
 * BegCum >= EndCum. */
QRVP_EXTERN_C QRVP_API int32_t GetLogCumVCum(double Qi, double Qf, double FindCum, double BegCum,
                                             double EndCum, double* Qt);
/* Average rate over [cum1, cum2] on the curve through (Cumi, Qi), (Cumf, Qf),
 * the exact integral over the width (worked in natural logarithms).  Qi when
 * the rates or Cumi and Cumf are equal.  Equal cum1 and cum2 give the rate at
 * cum1, the limit of the average, rather than 0/0.  Fails on a rate <= 0, and
 * on cum1 < 0, cum1 > cum2, Cumi < 0 or Cumi > Cumf. */
QRVP_EXTERN_C QRVP_API int32_t GetLogCum(double Qi, double Qf, double cum1, double cum2, double Cumi,
                                         double Cumf, double* Rate);
/* Normalises the segment in place as ValidateLinCum does, with
 * decl = (log10 Qi - log10 Qf) / (EndCum - BegCum): note the sign, positive
 * for a falling rate, opposite to GetLogCumDecl's.  Fails with nothing changed
 * when exactly one rate is zero (no logarithm) and a decl would be computed,
 * when EndCum is equal to or below BegCum, or when the decl is not finite. */
QRVP_EXTERN_C QRVP_API int32_t ValidateLogCum(double* Qi, double* Qf, double* decl, double* BegCum,
                                              double* EndCum);

/* ===========================================================================
 * Stretched-exponential decline
 *
 * q(t) = Qi * exp(-(t / tau)^n), t in years (days from StartDate to EndDate,
 * time of day included, over 365.25), tau in years.  The dated functions check
 * their values first, then the dates: both years at least 1800 ("Invalid start
 * date (m/d/y) or end date (m/d/y)"), then EndDate not before StartDate ("End
 * date (m/d/y) is earlier than start date (m/d/y)"); equal dates pass.  Values
 * that pass the checks but leave the real numbers (n = 0 where 1/n is taken,
 * negative n, NaN) give the IEEE results of pow, exp and log; a zero divisor
 * gives an infinity (or NaN for 0/0), never a trap.
 * ========================================================================= */
/* Qt = exp(-((days / 365.25) / tau)^n) * Qi, the rate at EndDate.  Fails when
 * Qi <= 0 or tau <= 0 ("Invalid Qi, tau, or n"; n itself is not tested). */
QRVP_EXTERN_C QRVP_API int32_t GetSEDMQt(double Qi, Date StartDate, Date EndDate, double tau, double n,
                                         double* Qt);
/* Vol = (tau / n) * (Qi * 12) * gamma(1/n, (t / tau)^n), the lower incomplete
 * gamma function: 12 times the integral of the rate from StartDate to EndDate.
 * Fails when Qi <= 0 or tau <= 0 ("Invalid Qi, tau, or n"), then on the dates;
 * an exponent whose reciprocal is negative or above 171 fails with the record
 * of "gamma" only, one whose reciprocal lies in (170, 171] with the record of
 * "incGamma" only. */
QRVP_EXTERN_C QRVP_API int32_t GetSEDMVol(double Qi, Date StartDate, Date EndDate, double tau, double n,
                                          double* Vol);
/* Years = ln(Qi / Qf)^(1/n) * tau, the time to fall from Qi to Qf.  The third
 * argument is never read (any value).  Fails when tau <= 0 ("tau and n must be
 * greater than zero"), then when Qi <= 0, Qf <= 0, Qf >= Qi or Qf equals Qi
 * within 1e-11 ("Invalid Qi or Qf"). */
QRVP_EXTERN_C QRVP_API int32_t GetSEDMYears(double Qi, double Qf, double unused, double tau, double n,
                                            double* Years);
/* tau = (days / 365.25) / ln(Qi / Qf)^(1/n), the characteristic time that
 * takes the rate from Qi to Qf between the dates (0 for equal dates).  Fails
 * on the rate pair as GetSEDMYears does ("Invalid n, Qi, or Qf"), then on the
 * dates. */
QRVP_EXTERN_C QRVP_API int32_t GetSEDMTau(double Qi, double Qf, Date StartDate, Date EndDate, double n,
                                          double* tau);
/* Qi = Qf / exp(-((days / 365.25) / tau)^n), the initial rate that ends at Qf
 * on EndDate.  Fails when tau <= 0 or Qf <= 0 ("Invalid tau, n, or Qf"), then
 * on the dates. */
QRVP_EXTERN_C QRVP_API int32_t GetSEDMQi(double Qf, Date StartDate, Date EndDate, double tau, double n,
                                         double* Qi);
#ifdef __cplusplus
/* Exported under its C++ name.  Reads none of its inputs: always writes -1.0
 * to Qf and returns -1, with no record. */
QRVP_API int32_t GetSEDMQfVol(double Qi, double Vol, Date StartDate, Date EndDate, double tau, double& Qf);
#endif

/* ===========================================================================
 * Formula evaluator
 * ========================================================================= */
/* The value of a multiplicative text formula in the thread's ANSI code page,
 * NUL-terminated; null counts as empty text.  No status and no log record.
 * Blanks are removed; each braced group counts as 1 (nested groups collapse
 * onto the innermost "{", so '{a{b}c}' leaves '{a1'); a "}" with no open group
 * is dropped and the scan goes on with the next character; a bare "." gets a
 * leading 0; "x"/"X" outside braces multiply.  "*" and "/" (left to right, IEEE
 * division) and parentheses compute; any other character (except blank, tab,
 * line feed) acts as a lowest-precedence operator giving 0.0; of two adjacent
 * numbers the later is the result.  '{Oil}x5.615/1000' gives 0.005615.
 * Returns -1.0 when a "+" or "-" appears outside a number's exponent (no
 * successful result is negative), and NaN when the formula is malformed: an
 * operator that finds fewer than two numbers (e.g. '*3', '(2*3', 'a') or no
 * number at all (empty text).  Time linear in the formula's length, for any
 * length or nesting; NaN also if memory runs out. */
QRVP_EXTERN_C QRVP_API double EvaluateV2Formula(const char* formula);

#endif /* QRVPFUNCS_H */
