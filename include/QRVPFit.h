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
 * earn its place.  (An in-sample score: on real wells the hyperbola, the
 * default, forecasts better; see the benchmarks.  A fleet's run, qrvp fit
 * --model best, chooses out of sample instead: by its backtests, one model
 * for the fleet.) */
#define FIT_MODEL_EXPONENTIAL 0 /* Arps with b = 0: Qi, Di */
#define FIT_MODEL_HYPERBOLIC 1  /* Arps: Qi, Di, b (and the option's Dmin) */
#define FIT_MODEL_STRETCHED 2   /* stretched exponential: Qi, tau, n */
#define FIT_MODEL_BEST 3
#define FIT_MODEL_COUNT 3       /* the fitted models, 0 .. 2 */

/* A prior on the hyperbola's shape, usually learned from a fleet's wells:
 * the fit adds 0.5 * lambda * (((ln Di - lnDi) / sdLnDi)^2 + ((b - b0) / sdB)^2)
 * to its misfit, lambda = strength * months / (months + n) for a fit of n
 * periods, so it pulls a short history hard toward the fleet and a long one
 * hardly at all.  Di is the nominal decline per year at the fit start.  Only
 * the hyperbola takes the pull; strength 0 is no pull.
 * halfLife and oneRegime are how the fits that chose the prior (a fleet's
 * backtests) weighted and cut their histories: any model's fit takes
 * halfLife when FitOptions.halfLife is negative and oneRegime when
 * FitOptions.regimes is -1 (the defaults), so a fit with the prior treats its
 * months as those fits did; an option of 0 or more overrides each.  FitDecline fails ("the prior's
 * halfLife ...", "the prior's oneRegime ...") when halfLife is negative or
 * not finite or oneRegime is not 0 or 1, whatever the strength. */
typedef struct FitPrior {
    double lnDi;           /* centre of ln Di */
    double b;              /* centre of b */
    double sdLnDi;         /* spreads, > 0 (when strength > 0); with both under 100 one period can be fitted,
                              with one two (100 or more: the parameter is the data's alone) */
    double sdB;
    double strength;       /* lambda for a history of no periods; 0 (default): no prior */
    double months;         /* periods at which the pull has halved, > 0; default 12 */
    double halfLife;       /* months, >= 0, as FitOptions.halfLife; 0 (default): equal weights */
    int32_t oneRegime;     /* 1: each history whole, as one regime; 0 (default): the last regime after restarts */
    int32_t pad;           /* always 0 */
} FitPrior;

/* Options.  FitDefaults fills every field; change the ones wanted. */
typedef struct FitOptions {
    int32_t model;         /* FIT_MODEL_*; default FIT_MODEL_HYPERBOLIC */
    int32_t producingTime; /* 1 (default): the curve advances only while the well produces; 0: calendar time */
    int32_t startIndex;    /* first period fitted; -1 (default): the peak of the last regime, where the rate's
                              running median of three producing periods is highest among the first half of its
                              periods that are not wild (within 2x of the median of five), so one flush or
                              mis-reported month is not taken for the peak */
    int32_t softL1;        /* 1 (default): soft-L1 loss on the log residuals; 0: least squares */
    int32_t bootstrap;     /* residual bootstrap replicates for P90/P50/P10; 0 (default): none */
    int32_t maxIterations; /* solver steps (accepted or not) before the fit fails as unconverged; default 200 */
    double softL1Scale;    /* log residual where the soft-L1 loss turns from square to linear; default 0.1 */
    double bMin;           /* bounds of the Arps exponent b; default 0 and 2, 0 <= bMin <= bMax <= 10 */
    double bMax;
    double Dmin;           /* Arps minimum decline, nominal per year; 0 (default): none */
    double halfLife;       /* months over which a period's weight halves, counted back from the last
                              period fitted; 0: equal weights; negative (default -1): the prior's
                              halfLife (equal weights without one) */
    double economicLimit;  /* rate per month at which the remaining volume ends; 0 (default): none,
                              the remaining volume runs 50 years past the history */
    uint64_t seed;         /* seed of the bootstrap's draws; the same seed repeats a run exactly; default 1 */
    int32_t regimes;       /* 1: with startIndex -1, find restarts (production again after 6 or more
                              months shut in, or a producing period at twice the rate of the three before
                              it, held, with 6 or more producing periods from it) and fit the last regime
                              only; 0: the whole history is one regime; -1 (default): as the prior's
                              oneRegime says (restarts found when it is 0) */
    int32_t pad;           /* always 0 */
    FitPrior prior;        /* default: none (strength 0) */
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
    Date regimeStart;          /* start of the first producing period of the regime fitted */
    int32_t regimeChanges;     /* restarts found before it (0: the history is one regime) */
    int32_t pad2;              /* always 0 */
    double noise;              /* 1.4826 x the median absolute log residual: the months' robust spread
                                  about the curve, which the band's width follows */
} FitResult;

/* A calibration of the forecast's error, learned from backtests (histories
 * cut short, forecast, compared with what followed).  Cells of a grid over the
 * history's length (periods fitted) and the horizon (months after the
 * history's end), sorted by history then horizon.  For a well of noise s (at least noiseFloor) the cumulative volume
 * V of the curve to a horizon has P50 = V exp(centre), P90 = V exp(centre + low
 * * s^noisePower), P10 = V exp(centre + high * s^noisePower), with the cell's
 * values interpolated linearly in the horizon (held beyond the grid) at the
 * nearest history length at or below the well's (the shortest when none). */
typedef struct FitCalibration {
    int32_t cells;              /* cells in the arrays, 1 or more */
    int32_t pad;                /* always 0 */
    double noisePower;          /* 0 .. 2 */
    double noiseFloor;          /* > 0 */
    const double* history;      /* each cell's history length, periods */
    const double* horizon;      /* each cell's horizon, months (> 0) */
    const double* centre;       /* median of ln(actual / forecast) */
    const double* low;          /* 10% quantile of (ln(actual / forecast) - centre) / s^noisePower, <= high */
    const double* high;         /* 90% quantile */
} FitCalibration;

#ifdef __cplusplus
/* Fixed layouts, no hidden padding, for hosts that declare the records themselves. */
static_assert(sizeof(FitOptions) == 152 && sizeof(FitCurve) == 72 && sizeof(FitResult) == 416 &&
                  sizeof(FitPrior) == 64 && sizeof(FitCalibration) == 64,
              "the fit records' sizes");
static_assert(offsetof(FitCurve, start) == 8 && offsetof(FitCurve, Qi) == 24 && offsetof(FitResult, fitStart) == 216 &&
                  offsetof(FitResult, startIndex) == 264 && offsetof(FitResult, logRmse) == 288 &&
                  offsetof(FitOptions, prior) == 88 && offsetof(FitResult, regimeStart) == 384,
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

/* The P90, P50 and P10 of the fitted curve's volume between two dates after
 * the history (historyEnd <= from < to), at full uptime, by the calibration
 * (null: the built-in one, learned from backtests of 636 North Dakota Bakken
 * wells, which the documentation says how to reproduce): the curve's volume
 * V over [from, to) times the calibration's factors at the horizon of `to`
 * and the fit's periods and noise (so P90 <= P50 <= P10).  Any of the three
 * outputs may be null.  Fails on a null fit, dates out of order or before the
 * history's end, a calibration whose cells are missing, unsorted or not
 * finite, and whatever GetFitVol rejects; nothing written then.  A monthly fan
 * for a plot is this call over each month. */
QRVP_EXTERN_C QRVPFIT_API int32_t FitBand(const FitResult* fit, const FitCalibration* calibration, Date from,
                                          Date to, double* p90, double* p50, double* p10);

/* Points *calibration at the built-in calibration (FitBand's with a null
 * calibration; static arrays, valid while the library is loaded) and returns
 * 0; a null pointer returns -1 (no record). */
QRVP_EXTERN_C QRVPFIT_API int32_t FitDefaultCalibration(FitCalibration* calibration);

/* Points *calibration at the built-in calibration of fits made without a
 * fleet prior (each well alone: the same cells, learned from the same wells'
 * backtests fitted alone, wider above, since a lone fit of a short history
 * falls too fast more often) and returns 0; a null pointer returns -1 (no
 * record).  qrvp fit bands a run without a fleet prior by it. */
QRVP_EXTERN_C QRVPFIT_API int32_t FitLoneCalibration(FitCalibration* calibration);

#endif /* QRVPFIT_H */
