/*
 * QRVPFit: fitting decline curves to a well's production history.
 *
 * A history is a run of periods (usually calendar months), each with its start
 * and end dates, the volume produced in it and, optionally, the producing time
 * in it (days on).  FitDecline fits one decline model to the history and
 * reports its parameters, fit statistics, the remaining volume and a
 * bootstrap range of it.  The fitted curve is a curve of the QRVPFuncs
 * library, evaluated by that library's own functions (GetArpsVol2, GetSEDMVol
 * and their rates), so a forecast made later from the reported parameters
 * reproduces the fit's figures to the digit.
 *
 * What the fit matches: each period's volume against the model's exact volume
 * over the period (the difference of the library's cumulative volumes from the
 * curve's start), on the log scale, so a month of 10 and a month of 10,000
 * weigh the same and the result does not depend on the volume unit.  A period
 * with no producing time or no volume is a shut-in: it is left out, never read
 * as a zero rate.  In producing time (the default) the curve advances only
 * while the well produces, so a shut-in uses up no decline; in calendar time
 * the model's volume over the period is scaled by the share of the period
 * produced.
 *
 * Conventions are those of QRVPFuncs.h: status 0 for success, -1 for failure;
 * results through out-parameters, written only on success; a failure writes
 * one record to the library's diagnostic log (system 9, level 5) under the
 * name "FitDecline" (or the entry point's own name) with a message that says
 * what was wrong.  Every function runs on the caller's thread, keeps no state
 * and may run on many threads at once.  The header compiles as C99 and C++;
 * every entry point is a plain C function taking arrays and flat records.
 */
#ifndef QRVPFIT_H
#define QRVPFIT_H

#include "QRVPFuncs.h"

#if defined(_WIN32)
#  if defined(QRVP_BUILDING_FIT)
#    define QRVPFIT_API __declspec(dllexport)
#  else
#    define QRVPFIT_API __declspec(dllimport)
#  endif
#elif defined(__GNUC__)
#  define QRVPFIT_API __attribute__((visibility("default")))
#else
#  define QRVPFIT_API
#endif

/* Models.  FIT_MODEL_BEST fits the three others and keeps the one of lowest
 * corrected Akaike criterion (AICc), so a model with more parameters must
 * earn its place. */
#define FIT_MODEL_EXPONENTIAL 0 /* Arps with b = 0: Qi, Di */
#define FIT_MODEL_HYPERBOLIC 1  /* Arps: Qi, Di, b (and the option's Dmin) */
#define FIT_MODEL_STRETCHED 2   /* stretched exponential: Qi, tau, n */
#define FIT_MODEL_BEST 3
#define FIT_MODEL_COUNT 3       /* the fitted models, 0 .. 2 */

/* Options.  FitDefaults fills every field; change the ones wanted. */
typedef struct FitOptions {
    int32_t model;         /* FIT_MODEL_*; default FIT_MODEL_BEST */
    int32_t producingTime; /* 1 (default): the curve advances only while the well produces; 0: calendar time */
    int32_t startIndex;    /* first period fitted; -1 (default): the period of peak rate (volume over producing time) */
    int32_t softL1;        /* 1: soft-L1 loss on the log residuals; 0 (default): least squares */
    int32_t bootstrap;     /* residual bootstrap replicates for P90/P50/P10; 0: none; default 200 */
    int32_t maxIterations; /* solver steps (accepted or not) before the fit fails as unconverged; default 200 */
    double softL1Scale;    /* log residual where the soft-L1 loss turns from square to linear; default 0.25 */
    double bMin;           /* bounds of the Arps exponent b; default 0 and 2, 0 <= bMin <= bMax <= 10 */
    double bMax;
    double Dmin;           /* Arps minimum decline, nominal per year; 0 (default): none */
    double halfLife;       /* months over which a period's weight halves, counted back from the last
                              period fitted; 0: equal weights; default 12 */
    double economicLimit;  /* rate per month at which the remaining volume ends; 0 (default): none,
                              the remaining volume runs 50 years past the history */
    uint64_t seed;         /* seed of the bootstrap's draws; the same seed repeats a run exactly; default 1 */
} FitOptions;

/* A fitted curve, ready for the library's functions: Arps (GetArpsQt,
 * GetArpsVol2 with Qi, Di, b, Dmin) or stretched exponential (GetSEDMQt,
 * GetSEDMVol with Qi, tau, n), started at `start`.  Di and Dmin are such that
 * (x * 100) / 100 == x, so a table that gives them as percentages per year
 * reads back the same doubles. */
typedef struct FitCurve {
    int32_t model; /* FIT_MODEL_EXPONENTIAL, _HYPERBOLIC or _STRETCHED */
    int32_t pad;   /* always 0 */
    Date start;    /* the curve's origin: the fit start in calendar time; in producing time the fit start
                      moved later by the shut-in time, so the curve meets the calendar at the history's end */
    double Qi;     /* rate at start, volume per month */
    double Di;     /* Arps: nominal decline per year at start; stretched: 0 */
    double b;      /* Arps exponent; 0 for the exponential and the stretched exponential */
    double Dmin;   /* Arps minimum decline, nominal per year (0: none) */
    double tau;    /* stretched: characteristic time, years; Arps: 0 */
    double n;      /* stretched: exponent; Arps: 0 */
} FitCurve;

typedef struct FitResult {
    FitCurve curve;            /* the fitted curve */
    FitCurve p90Curve;         /* the bootstrap replicates whose remaining volumes are P90 and P10 (the */
    FitCurve p10Curve;         /* fitted curve again when no bootstrap ran) */
    Date fitStart;             /* start of the first period fitted */
    Date historyEnd;           /* end of the last period given */
    Date limitDate;            /* end of the remaining volume: where the rate reaches the economic limit,
                                  else 50 years after historyEnd (at most 2999-12-31) */
    int32_t startIndex;        /* index of the first period fitted */
    int32_t periodsUsed;       /* periods fitted (from startIndex on, shut-ins left out) */
    int32_t parameters;        /* of the chosen model: 2 or 3 */
    int32_t iterations;        /* solver steps of the chosen model's fit */
    int32_t bootstrapUsed;     /* bootstrap replicates that converged */
    int32_t pad;               /* always 0 */
    double logRmse;            /* weighted root mean square of ln(volume) - ln(model volume) */
    double aicc;               /* the chosen model's AICc (+infinity with too few periods to tell) */
    double candidateAicc[FIT_MODEL_COUNT]; /* each model's AICc by FIT_MODEL_*; NaN when not fitted or failed */
    double stdErr[3];          /* standard errors of (Qi, Di, b) or (Qi, tau, n); NaN where undefined
                                  (b of the exponential, a singular fit) */
    double remaining;          /* volume from historyEnd to limitDate on the fitted curve */
    double p90;                /* remaining volume exceeded by 90%, 50%, 10% of the bootstrap replicates; */
    double p50;                /* NaN when no bootstrap ran */
    double p10;
} FitResult;

#ifdef __cplusplus
/* Fixed layouts, no hidden padding, for hosts that declare the records themselves. */
static_assert(sizeof(FitOptions) == 80 && sizeof(FitCurve) == 72 && sizeof(FitResult) == 384,
              "the fit records' sizes");
static_assert(offsetof(FitCurve, start) == 8 && offsetof(FitCurve, Qi) == 24 && offsetof(FitResult, fitStart) == 216 &&
                  offsetof(FitResult, startIndex) == 264 && offsetof(FitResult, logRmse) == 288,
              "the fit records' field offsets");
#endif

/* Writes the default options into *options and returns 0; a null pointer
 * returns -1 (no record). */
QRVP_EXTERN_C QRVPFIT_API int32_t FitDefaults(FitOptions* options);

/* Fits a decline to one well's history.
 *   count                number of periods, 1 or more
 *   starts, ends         each period's start and end; each period ends after it starts and no
 *                        period starts before the previous one ends (gaps are missing periods)
 *   volumes              volume produced in each period, finite and >= 0
 *   daysOn               producing days in each period, 0 .. the period's length (a day over is
 *                        taken as the whole period); null: all of it
 *   options              null: the defaults
 *   result               receives the fit
 *   fitted               null, or count doubles: the model's volume for each period fitted, as
 *                        matched against the volume (NaN for periods not fitted)
 * Fails (-1, one record, nothing written) on a null array or result, bad dates or values, options
 * out of range, fewer usable periods than the model's parameters, and a solver that does not
 * converge within maxIterations ("did not converge").  With FIT_MODEL_BEST a candidate that
 * cannot be fitted is left out (NaN score) and the call fails only when none can. */
QRVP_EXTERN_C QRVPFIT_API int32_t FitDecline(int32_t count, const Date* starts, const Date* ends,
                                             const double* volumes, const double* daysOn,
                                             const FitOptions* options, FitResult* result, double* fitted);

/* The curve's rate at a date (not before its start), by GetArpsQt or GetSEDMQt.
 * Fails on a null curve or Qt, an unknown model, and whatever the library's
 * function rejects (its own record). */
QRVP_EXTERN_C QRVPFIT_API int32_t GetFitQt(const FitCurve* curve, Date at, double* Qt);

/* The curve's volume between two dates, from <= to, both not before the
 * curve's start: the cumulative volume from the start to `to` less that to
 * `from`, by GetArpsVol2 or GetSEDMVol, which is how a monthly forecast of the
 * curve counts its volumes.  Fails as GetFitQt does, and on to < from. */
QRVP_EXTERN_C QRVPFIT_API int32_t GetFitVol(const FitCurve* curve, Date from, Date to, double* Vol);

#endif /* QRVPFIT_H */
