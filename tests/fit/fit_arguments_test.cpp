// Every check of the fitting library's entry points at its boundaries, from
// the header's contract: a valid history and options, and per checked value
// the one just inside (the call succeeds) and just outside (it fails with
// its exact record and writes nothing).  A row is a line.
#include "QRVPFit.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity(), kNaN = std::numeric_limits<double>::quiet_NaN();

// 36 producing periods of 30 days (contiguous) on an Arps curve, from 2012-03-01.
struct Call {
    std::vector<Date> starts, ends;
    std::vector<double> volumes, daysOn;
    FitOptions options{};
    int32_t count = 36;
    const Date *s = nullptr, *e = nullptr; const double *v = nullptr, *d = nullptr;
    const FitOptions* o = &options;
    bool nullResult = false;
    Call()
    {
        FitDefaults(&options);
        options.startIndex = 0;
        options.softL1 = 0;
        Date at(2012, 3, 1, 0, 0, 0);
        for (int k = 0; k < count; ++k) {
            starts.push_back(at);
            at.AddFracDay(30.0);
            ends.push_back(at);
            volumes.push_back(5000.0 * 30.0 * std::pow(1.0 + 0.8 * 1.2 * (k + 0.5) / 12.17, -1.0 / 0.8));
            daysOn.push_back(30.0);
        }
        s = starts.data(), e = ends.data(), v = volumes.data(), d = daysOn.data();
    }
};

// Expects the call to succeed (message null) or to fail with that record, writing nothing.
void Expect(const char* message, const std::function<void(Call&)>& spoil)
{
    Call c;
    spoil(c);
    FitResult r;
    std::memset(static_cast<void*>(&r), 0xAB, sizeof r);
    const FitResult before = r;
    std::vector<double> fitted(c.volumes.size(), -7.0);
    qrvp::test::LogCapture log;
    const int32_t status = FitDecline(c.count, c.s, c.e, c.v, c.d, c.o, c.nullResult ? nullptr : &r, fitted.data());
    const std::vector<std::string> lines = log.Lines();
    if (message == nullptr) {
        EXPECT_EQ(status, 0) << (lines.empty() ? "" : lines[0]);
        return;
    }
    EXPECT_EQ(status, -1) << message;
    EXPECT_EQ(std::memcmp(&r, &before, sizeof r), 0) << message;
    EXPECT_EQ(std::count(fitted.begin(), fitted.end(), -7.0), 36) << message;
    ASSERT_EQ(lines.size(), 1u) << message;
    const qrvp::test::RecordTail tail = qrvp::test::ParseRecordTail(lines[0]);
    EXPECT_EQ(tail.function + ": " + tail.message, std::string("FitDecline: ").append(message));
}

struct Row {
    const char* message;  // null: the call succeeds
    std::function<void(Call&)> spoil;
};

TEST(FitArguments, FitDeclineAtEveryBoundaryOfItsChecks)
{
    const Row rows[] = {
        {nullptr, [](Call&) {}},
        {nullptr, [](Call& c) { c.o = nullptr; }},
        {"a null array or result (starts, ends, volumes and result are needed)", [](Call& c) { c.s = nullptr; }},
        {"a null array or result (starts, ends, volumes and result are needed)", [](Call& c) { c.e = nullptr; }},
        {"a null array or result (starts, ends, volumes and result are needed)", [](Call& c) { c.v = nullptr; }},
        {"a null array or result (starts, ends, volumes and result are needed)", [](Call& c) { c.nullResult = true; }},
        {nullptr, [](Call& c) { c.d = nullptr; }},
        {"no periods given (count 0)", [](Call& c) { c.count = 0; }},
        {"unknown model -1 (0 to 3)", [](Call& c) { c.options.model = -1; }},
        {"unknown model 4 (0 to 3)", [](Call& c) { c.options.model = 4; }},
        {nullptr, [](Call& c) { c.options.model = FIT_MODEL_EXPONENTIAL; }},
        {nullptr, [](Call& c) { c.options.model = FIT_MODEL_BEST; }},
        {"producingTime (2) must be 0 or 1", [](Call& c) { c.options.producingTime = 2; }},
        {nullptr, [](Call& c) { c.options.producingTime = 0; }},
        {"softL1 (2) must be 0 or 1", [](Call& c) { c.options.softL1 = 2; }},
        {"regimes (2) must be -1, 0 or 1", [](Call& c) { c.options.regimes = 2; }},
        {"regimes (-2) must be -1, 0 or 1", [](Call& c) { c.options.regimes = -2; }},
        {nullptr, [](Call& c) { c.options.regimes = 1; }},
        {nullptr, [](Call& c) { c.options.regimes = 0, c.options.startIndex = -1; }},
        {"startIndex (-2) must be -1 or a period's index (0 to 35)", [](Call& c) { c.options.startIndex = -2; }},
        {"startIndex (36) must be -1 or a period's index (0 to 35)", [](Call& c) { c.options.startIndex = 36; }},
        {nullptr, [](Call& c) { c.options.startIndex = 33; }},
        {"2 usable periods cannot fit the 3 parameters of the hyperbolic model",
         [](Call& c) { c.options.startIndex = 34; }},
        {"1 usable periods cannot fit the 2 parameters of the exponential model",
         [](Call& c) { c.options.startIndex = 35, c.options.model = FIT_MODEL_EXPONENTIAL; }},
        {"2 usable periods cannot fit the 3 parameters of the stretched-exponential model",
         [](Call& c) { c.options.startIndex = 34, c.options.model = FIT_MODEL_STRETCHED; }},
        {"bootstrap (-1) must lie between 0 and 100000", [](Call& c) { c.options.bootstrap = -1; }},
        {"bootstrap (100001) must lie between 0 and 100000", [](Call& c) { c.options.bootstrap = 100001; }},
        {nullptr, [](Call& c) { c.options.bootstrap = 1; }},
        {"maxIterations (0) must lie between 1 and 100000", [](Call& c) { c.options.maxIterations = 0; }},
        {"maxIterations (100001) must lie between 1 and 100000", [](Call& c) { c.options.maxIterations = 100001; }},
        {nullptr, [](Call& c) { c.options.maxIterations = 100000; }},
        {"did not converge within 1 solver steps", [](Call& c) { c.options.maxIterations = 1; }},
        {"softL1Scale (0.000000) must be a positive number", [](Call& c) { c.options.softL1Scale = 0.0; }},
        {"softL1Scale (inf) must be a positive number", [](Call& c) { c.options.softL1Scale = kInf; }},
        {"softL1Scale (nan) must be a positive number", [](Call& c) { c.options.softL1Scale = kNaN; }},
        {nullptr, [](Call& c) { c.options.softL1 = 1, c.options.softL1Scale = 1e-3; }},
        {"b bounds (1.500000, 1.000000) must satisfy 0 <= bMin <= bMax <= 10",
         [](Call& c) { c.options.bMin = 1.5, c.options.bMax = 1.0; }},
        {"b bounds (0.000000, 10.000001) must satisfy 0 <= bMin <= bMax <= 10",
         [](Call& c) { c.options.bMax = 10.000001; }},
        {"b bounds (-0.000001, 2.000000) must satisfy 0 <= bMin <= bMax <= 10",
         [](Call& c) { c.options.bMin = -1e-6; }},
        {"b bounds (nan, 2.000000) must satisfy 0 <= bMin <= bMax <= 10", [](Call& c) { c.options.bMin = kNaN; }},
        {nullptr, [](Call& c) { c.options.bMin = c.options.bMax = 10.0; }},
        {nullptr, [](Call& c) { c.options.bMin = c.options.bMax = 0.0; }},
        {"Dmin (-0.000000) must lie in [0, 36) per year", [](Call& c) { c.options.Dmin = -1e-9; }},
        {"Dmin (36.000000) must lie in [0, 36) per year", [](Call& c) { c.options.Dmin = 36.0; }},
        {"Dmin (nan) must lie in [0, 36) per year", [](Call& c) { c.options.Dmin = kNaN; }},
        {nullptr, [](Call& c) { c.options.Dmin = 35.99; }},
        {"halfLife (inf) must be a number of months (negative: the prior's)", [](Call& c) { c.options.halfLife = kInf; }},
        {"halfLife (nan) must be a number of months (negative: the prior's)", [](Call& c) { c.options.halfLife = kNaN; }},
        {nullptr, [](Call& c) { c.options.halfLife = 0.5; }},
        {"the prior's halfLife (-0.000000) must be zero or a positive number of months", [](Call& c) { c.options.prior.halfLife = -1e-9; }},
        {"the prior's oneRegime (2) must be 0 or 1", [](Call& c) { c.options.prior.oneRegime = 2; }},
        {"economicLimit (-0.000000) must be zero or a positive rate", [](Call& c) { c.options.economicLimit = -1e-9; }},
        {"economicLimit (inf) must be zero or a positive rate", [](Call& c) { c.options.economicLimit = kInf; }},
        {nullptr, [](Call& c) { c.options.economicLimit = 1e-300; }},
        {"the prior's strength (-0.000000) must be zero or a positive number",
         [](Call& c) { c.options.prior.strength = -1e-9; }},
        {"the prior's strength (inf) must be zero or a positive number",
         [](Call& c) { c.options.prior.strength = kInf; }},
        {nullptr, [](Call& c) { c.options.prior = FitPrior{0.0, 1.0, 0.5, 0.5, 1e-9, 12.0, 0.0, 0, 0}; }},
        {"the prior (ln Di 0.000000, b 1.000000, spreads 0.000000 and 0.500000, months 12.000000) needs finite "
         "centres and positive spreads and months",
         [](Call& c) { c.options.prior = FitPrior{0.0, 1.0, 0.0, 0.5, 1.0, 12.0, 0.0, 0, 0}; }},
        {"the prior (ln Di 0.000000, b 1.000000, spreads 0.500000 and 0.000000, months 12.000000) needs finite "
         "centres and positive spreads and months",
         [](Call& c) { c.options.prior = FitPrior{0.0, 1.0, 0.5, 0.0, 1.0, 12.0, 0.0, 0, 0}; }},
        {"the prior (ln Di 0.000000, b 1.000000, spreads 0.500000 and 0.500000, months 0.000000) needs finite "
         "centres and positive spreads and months",
         [](Call& c) { c.options.prior = FitPrior{0.0, 1.0, 0.5, 0.5, 1.0, 0.0, 0.0, 0, 0}; }},
        {"the prior (ln Di inf, b 1.000000, spreads 0.500000 and 0.500000, months 12.000000) needs finite "
         "centres and positive spreads and months",
         [](Call& c) { c.options.prior = FitPrior{kInf, 1.0, 0.5, 0.5, 1.0, 12.0, 0.0, 0, 0}; }},
        // The periods: dates in 1800 to 2999 that exist, each after its start and the period before.
        {"period 0: its dates (12/31/1799 to 3/31/2012) must lie in the years 1800 to 2999",
         [](Call& c) { c.starts[0] = Date(1799, 12, 31, 0, 0, 0); }},
        {nullptr, [](Call& c) { c.starts[0] = Date(1800, 1, 1, 0, 0, 0); }},
        {"period 35: its dates (1/15/2015 to 2/14/3000) must lie in the years 1800 to 2999",
         [](Call& c) { c.ends[35].year = 3000; }},
        {nullptr, [](Call& c) { c.ends[35] = Date(2999, 12, 31, 23, 59, 59); }},
        {"period 35: its dates (1/15/2015 to 0/14/2015) must lie in the years 1800 to 2999",
         [](Call& c) { c.ends[35].month = 0; }},
        {"period 35: its dates (1/15/2015 to 13/14/2015) must lie in the years 1800 to 2999",
         [](Call& c) { c.ends[35].month = 13; }},
        {"period 35: its dates (1/15/2015 to 4/0/2015) must lie in the years 1800 to 2999",
         [](Call& c) { c.ends[35] = Date(2015, 4, 1, 0, 0, 0), c.ends[35].day = 0; }},
        {"period 35: its dates (1/15/2015 to 4/31/2015) must lie in the years 1800 to 2999",
         [](Call& c) { c.ends[35] = Date(2015, 4, 30, 0, 0, 0), c.ends[35].day = 31; }},
        {nullptr, [](Call& c) { c.ends[35] = Date(2015, 12, 31, 23, 59, 59); }},
        {"period 35: its dates (1/15/2015 to 12/31/2015) must lie in the years 1800 to 2999",
         [](Call& c) { c.ends[35] = Date(2015, 12, 31, 0, 0, 0), c.ends[35].hour = 24; }},
        {"period 35: its dates (1/15/2015 to 12/31/2015) must lie in the years 1800 to 2999",
         [](Call& c) { c.ends[35] = Date(2015, 12, 31, 0, 0, 0), c.ends[35].minute = 60; }},
        {"period 35: its dates (1/15/2015 to 12/31/2015) must lie in the years 1800 to 2999",
         [](Call& c) { c.ends[35] = Date(2015, 12, 31, 0, 0, 0), c.ends[35].second = 60; }},
        {"period 3: it ends (5/30/2012) no later than it starts (5/30/2012)",
         [](Call& c) { c.ends[3] = c.starts[3]; }},
        {"period 10: it starts (5/3/2011) before the previous period ends (12/26/2012); periods must run forward in "
         "time",  // the next period ends 2/24/2013: each field differs from the previous one's
         [](Call& c) { c.starts[10] = Date(2011, 5, 3, 0, 0, 0); }},
        {"period 2: the volume (-1e-300) must be a finite number, zero or more",
         [](Call& c) { c.volumes[2] = -1e-300; }},
        {"period 2: the volume (inf) must be a finite number, zero or more", [](Call& c) { c.volumes[2] = kInf; }},
        {"period 2: the volume (nan) must be a finite number, zero or more", [](Call& c) { c.volumes[2] = kNaN; }},
        {"period 2: the days on (-1e-09) must lie between 0 and the period's 30 days",
         [](Call& c) { c.daysOn[2] = -1e-9; }},
        {"period 2: the days on (31) must lie between 0 and the period's 30 days",
         [](Call& c) { c.daysOn[2] = 31.000001; }},
        {"period 2: the days on (nan) must lie between 0 and the period's 30 days", [](Call& c) { c.daysOn[2] = kNaN; }},
        {nullptr, [](Call& c) { c.daysOn[2] = 31.0; }},
        {nullptr, [](Call& c) { c.daysOn[2] = 0.0; }},
        {"no period produced: every one of the 36 periods is a shut-in",
         [](Call& c) { c.options.startIndex = -1, c.daysOn.assign(36, 0.0); }},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i);
        Expect(rows[i].message, rows[i].spoil);
    }
}

// A fitted curve's rate, volume and band: every check at its boundary.
TEST(FitArguments, CurveAndBandAtEveryBoundaryOfTheirChecks)
{
    Call c;
    FitResult fit;
    ASSERT_EQ(FitDecline(c.count, c.s, c.e, c.v, c.d, c.o, &fit, nullptr), 0);
    const double history[] = {0, 24, 24}, horizon[] = {6, 6, 24}, centre[] = {0, 0, 0}, low[] = {-1, -1, -1},
                 high[] = {1, 1, 1};
    struct Band {
        FitCalibration cal;
        std::vector<double> column[5];
        const FitResult* fit;
        Date from, to;
        int nullColumn = -1;
    };
    struct BandRow {
        const char* message;
        std::function<void(Band&)> spoil;
    };
    const auto cell = [](Band& b, int column, int i, double x) {
        b.column[column][static_cast<size_t>(i)] = x;
    };
    const BandRow rows[] = {
        {nullptr, [](Band&) {}},
        {nullptr, [](Band& b) { b.cal.noisePower = 0.0; }},
        {nullptr, [](Band& b) { b.cal.noisePower = 2.0; }},
        {nullptr, [](Band& b) { b.cal.cells = 1; }},
        {nullptr, [&](Band& b) { cell(b, 3, 1, 1.0); }},
        {"no fit result given", [](Band& b) { b.fit = nullptr; }},
        {"the calibration has no cells (0) or a null column", [](Band& b) { b.cal.cells = 0; }},
        {"the calibration has no cells (3) or a null column", [](Band& b) { b.nullColumn = 0; }},
        {"the calibration has no cells (3) or a null column", [](Band& b) { b.nullColumn = 4; }},
        {"the calibration's noise power (-1e-09) must lie in 0 .. 2 and its floor (0.05) be positive",
         [](Band& b) { b.cal.noisePower = -1e-9; }},
        {"the calibration's noise power (2) must lie in 0 .. 2 and its floor (0.05) be positive",
         [](Band& b) { b.cal.noisePower = 2.000001; }},
        {"the calibration's noise power (nan) must lie in 0 .. 2 and its floor (0.05) be positive",
         [](Band& b) { b.cal.noisePower = kNaN; }},
        {"the calibration's noise power (0.5) must lie in 0 .. 2 and its floor (0) be positive",
         [](Band& b) { b.cal.noiseFloor = 0.0; }},
        {"the calibration's noise power (0.5) must lie in 0 .. 2 and its floor (inf) be positive",
         [](Band& b) { b.cal.noiseFloor = kInf; }},
        {"calibration cell 2: its values must be finite, its horizon positive and low <= high",
         [&](Band& b) { cell(b, 0, 2, kInf); }},
        {"calibration cell 2: its values must be finite, its horizon positive and low <= high",
         [&](Band& b) { cell(b, 3, 2, -kInf); }},
        {"calibration cell 0: its values must be finite, its horizon positive and low <= high",
         [&](Band& b) { cell(b, 1, 0, 0.0); }},
        {"calibration cell 1: its values must be finite, its horizon positive and low <= high",
         [&](Band& b) { cell(b, 3, 1, 1.000001); }},
        {"calibration cell 1: cells must run by history, then by increasing horizon", [&](Band& b) { cell(b, 0, 1, -1); }},
        {"calibration cell 2: cells must run by history, then by increasing horizon", [&](Band& b) { cell(b, 1, 2, 6); }},
        {"calibration cell 2: cells must run by history, then by increasing horizon", [&](Band& b) { cell(b, 1, 2, 5); }},
        {nullptr, [](Band& b) { b.from.AddFracDay(1.0 / 86400.0); }},
        {"the dates (2/13/2015 to 2/14/2016) must run forward from the history's end (2/14/2015)",
         [](Band& b) { b.from.AddFracDay(-1.0 / 86400.0); }},
        {"the dates (2/14/2015 to 2/14/2015) must run forward from the history's end (2/14/2015)",
         [](Band& b) { b.to = b.from; }},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i);
        Band b{{3, 0, 0.5, 0.05, nullptr, nullptr, nullptr, nullptr, nullptr},
               {{history, history + 3}, {horizon, horizon + 3}, {centre, centre + 3}, {low, low + 3}, {high, high + 3}},
               &fit, fit.historyEnd, fit.historyEnd};
        b.to.AddMonths(12);
        rows[i].spoil(b);
        const double** columns[] = {&b.cal.history, &b.cal.horizon, &b.cal.centre, &b.cal.low, &b.cal.high};
        for (int j = 0; j < 5; ++j) *columns[j] = j == b.nullColumn ? nullptr : b.column[j].data();
        double p[3] = {-7, -7, -7};
        qrvp::test::LogCapture log;
        const int32_t status = FitBand(b.fit, &b.cal, b.from, b.to, &p[0], &p[1], &p[2]);
        const std::vector<std::string> lines = log.Lines();
        if (rows[i].message == nullptr) {
            EXPECT_EQ(status, 0) << (lines.empty() ? "" : lines[0]);
            EXPECT_TRUE(p[0] > 0.0 && p[1] > 0.0 && p[2] > 0.0);
            continue;
        }
        EXPECT_EQ(status, -1);
        EXPECT_EQ(p[0] + p[1] + p[2], -21.0);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(qrvp::test::ParseRecordTail(lines[0]).function, "FitBand");
        EXPECT_EQ(qrvp::test::ParseRecordTail(lines[0]).message, rows[i].message);
    }
    // GetFitQt and GetFitVol: a null curve or result, an unknown model, an interval backwards or before the start.
    const Date start = fit.curve.start, end = fit.historyEnd;
    Date early = start;
    early.AddFracDay(-1.0 / 86400.0);
    struct CurveRow {
        bool rate;
        int32_t model;
        Date from, to;
        int null;  // 1: the curve, 2: the result
        const char* message;
    };
    const CurveRow curves[] = {
        {false, 1, start, end, 0, nullptr},
        {false, 1, start, start, 0, nullptr},
        {false, 0, start, end, 0, nullptr},
        {false, 2, start, end, 0, nullptr},
        {false, -1, start, end, 0, "unknown model -1"},
        {false, 3, start, end, 0, "unknown model 3"},
        {false, 1, end, start, 0, "the interval 2/14/2015 to 3/1/2012 must run forward from the curve's start 3/1/2012"},
        {false, 1, early, end, 0, "the interval 2/29/2012 to 2/14/2015 must run forward from the curve's start 3/1/2012"},
        {false, 1, start, end, 1, "a null curve or result"},
        {false, 1, start, end, 2, "a null curve or result"},
        {true, 1, end, end, 0, nullptr},
        {true, 0, end, end, 0, nullptr},
        {true, 2, end, end, 0, nullptr},
        {true, -1, end, end, 0, "unknown model -1"},
        {true, 3, end, end, 0, "unknown model 3"},
        {true, 1, end, end, 1, "a null curve or result"},
        {true, 1, end, end, 2, "a null curve or result"},
    };
    for (const CurveRow& row : curves) {
        SCOPED_TRACE(testing::Message() << (row.rate ? "GetFitQt " : "GetFitVol ") << row.model << " " << row.null);
        FitCurve curve = fit.curve;
        curve.model = row.model;
        if (row.model == FIT_MODEL_EXPONENTIAL) curve.b = 0.0;
        if (row.model == FIT_MODEL_STRETCHED) curve.tau = 1.0, curve.n = 0.5;
        double out = -7.0;
        const FitCurve* in = row.null == 1 ? nullptr : &curve;
        double* result = row.null == 2 ? nullptr : &out;
        qrvp::test::LogCapture log;
        const int32_t status = row.rate ? GetFitQt(in, row.from, result) : GetFitVol(in, row.from, row.to, result);
        const std::vector<std::string> lines = log.Lines();
        EXPECT_EQ(status, row.message ? -1 : 0);
        EXPECT_EQ(out == -7.0, row.message != nullptr);
        if (row.message == nullptr) continue;
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(qrvp::test::ParseRecordTail(lines[0]).function, row.rate ? "GetFitQt" : "GetFitVol");
        EXPECT_EQ(qrvp::test::ParseRecordTail(lines[0]).message, row.message);
    }
}

}  // namespace
