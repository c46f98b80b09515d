// The segment evaluator against the one-value calls it stands for, and those
// calls against the written steps with nothing skipped: random
// segments of every regime (most of them switching to Dmin, some hostile) at
// random dates and at dates within seconds of the switch, compared bit for
// bit with their statuses and what a failure leaves; then the entry over
// arrays and its first failure.  QRVP_SWEEP_SEGMENTS sets a larger sweep.
#include "decline/arps/arps_core.h"
#include "decline/arps/arps_evaluator.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

using qrvp::arps::ArpsEvaluator;

constexpr double kUntouched = -7777.25;

struct Segment {
    Date start;
    double Qi, Di, b, Dmin;
};

struct Result {
    int32_t status;
    uint64_t bits;
    bool operator==(const Result&) const = default;
};

template <typename Fn>
Result Call(Fn fn)
{
    double value = kUntouched;
    const int32_t status = fn(&value);
    return {status, std::bit_cast<uint64_t>(value)};
}

// The rate and the volume as the written steps give them, one operation after
// another, with nothing skipped: the oracle of the one-value calls.
bool Zero(double x) { return std::fabs(x) < 1e-11; }

void Rule(double Di, double& b, double& Dmin)
{
    if ((b > 0 && Di >= 0) || (b < 0 && Di <= 0)) {
        if (!(b > 0 ? Dmin < Di : Di < Dmin)) b = Dmin = 0;
    } else {
        Dmin = 0;
    }
}

int32_t StepsDminDate(Date start, double Di, double Dmin, double Qi, double b, Date* at)
{
    if (start.year < 1800 || Zero(Di) || Zero(Dmin) || Zero(b) || (b > 0 && Dmin >= Di) || (b < 0 && Di >= Dmin) ||
        (Di > 0) != (Dmin > 0))
        return -1;
    const double QD = std::pow(Dmin / Di, 1 / b) * Qi;
    const double days = (std::exp(std::log(Qi / QD) * b) - 1) * 365.25 / (Di * b);
    if (Zero(QD) || !(days > 0) || !std::isfinite(days)) return -1;
    *at = start;
    at->AddFracDay(days);
    return at->year < 1800 ? -1 : 0;
}

// Whether the decline has passed Dmin at t years (-1 when it cannot be found).
int PastDmin(double Qi, double Di, double b, double Dmin, double t)
{
    const double q = std::pow(Di * b * t + 1, -1 / b) * Qi;
    if (Qi <= 0 || q <= 0) return -1;
    const double D = std::pow(q / Qi, b) * Di;
    return (b > 0 && Dmin > D) || (b < 0 && D > Dmin);
}

int32_t StepsQt(Date find, Date start, double Qi, double Di, double b, double Dmin, double* Qt)
{
    Rule(Di, b, Dmin);
    *Qt = -1.0;
    if (find < start) return -1;
    const double t = find.DaySpan(start) / 365.25;
    if (Zero(Di) || Zero(t)) return *Qt = Qi, 0;
    if (Zero(b)) {
        if (-Di * t > 1000.0) return -1;
        return *Qt = -Di * t < -1000.0 ? 0.0 : std::exp(-Di * t) * Qi, 0;
    }
    if (Di * b * t <= -1.0) return -1;
    *Qt = std::pow(Di * b * t + 1, -1 / b) * Qi;
    const int past = Zero(Dmin) ? 0 : PastDmin(Qi, Di, b, Dmin, t);
    Date at;
    if (past != 1) return past;
    if (StepsDminDate(start, Di, Dmin, Qi, b, &at) != 0) return -1;
    if (at < find) {
        const double QD = std::pow(at.DaySpan(start) * (Di * b) / 365.25 + 1, -1 / b) * Qi;
        *Qt = QD * std::exp(find.DaySpan(at) / 365.25 * (-Dmin));
    }
    return 0;
}

int32_t StepsVol2(Date start, Date end, double Qi, double Di, double b, double Dmin, double* Vol)
{
    const double days = end.DaySpan(start), t = days / 365.25;
    auto hyperbolic = [&](double years) {
        return b == 1.0 ? 12.0 * Qi * std::log(1.0 + Di * years) / Di
                        : 12.0 * Qi / ((1.0 - b) * Di) * (1.0 - std::pow(1.0 + b * Di * years, 1.0 - 1.0 / b));
    };
    if (Zero(Di)) return *Vol = days * Qi / 30.4375, 0;
    Rule(Di, b, Dmin);
    if (Zero(b)) return *Vol = 12.0 * Qi * (1.0 - std::exp(-Di * t)) / Di, 0;
    if (Zero(Qi)) return -1;
    Date at;
    if (!Zero(Dmin)) {
        if (end < start || Di * b * t <= -1.0) return -1;
        const int past = PastDmin(Qi, Di, b, Dmin, t);
        if (past == -1 || (past == 1 && StepsDminDate(start, Di, Dmin, Qi, b, &at) != 0)) return -1;
        if (past == 1 && at < end && start < at) {
            const double tD = at.DaySpan(start) / 365.25;
            const double QD = Qi * std::pow(1.0 + b * Di * tD, -1.0 / b);
            return *Vol = hyperbolic(tD) + 12.0 * QD * (1.0 - std::exp(-Dmin * (end.DaySpan(at) / 365.25))) / Dmin, 0;
        }
    }
    return *Vol = hyperbolic(t), 0;
}

class Draw {
public:
    explicit Draw(uint64_t seed) : rng_(seed) {}

    double U(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }
    double LogU(double lo, double hi) { return std::exp(U(std::log(lo), std::log(hi))); }
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    Segment NextSegment()
    {
        Segment s{Date(1800 + Pick(1100), 1 + Pick(12), 1 + Pick(28), 0, 0, 0), LogU(1e-3, 1e7), 0, 0, 0};
        if (Pick(2) == 0) s.start.AddSeconds(Pick(86400));
        const int kind = Pick(10);
        if (kind < 6) {  // a decline with a switch (b exactly 1 or 0.5 now and then)
            s.b = Pick(4) == 0 ? 0.5 * (1 + Pick(2)) : U(0.01, 3.0);
            s.Di = LogU(0.01, 20.0);
            s.Dmin = s.Di * (Pick(8) == 0 ? 1.0 - LogU(1e-12, 1e-3) : LogU(1e-3, 0.99));
            if (Pick(8) == 0) {  // round values, which put the switch on a whole second
                const double round[] = {0.05, 0.1, 0.25, 0.5, 1.0, 2.0};
                s.Di = round[3 + Pick(3)];
                s.Dmin = round[Pick(3)];
                s.b = round[2 + Pick(4)];
            }
        } else if (kind == 6) {  // an incline that slows to Dmin
            s.b = -U(0.01, 2.0);
            s.Di = -LogU(0.01, 5.0);
            s.Dmin = s.Di * LogU(0.01, 0.99);
        } else {  // the other regimes, edges and signs
            const double edges[] = {0.0, 1e-12, -1e-12, 1.0, -0.5, 2.0, 1e-9};
            s.b = Pick(2) == 0 ? edges[Pick(7)] : U(-2.0, 3.0);
            s.Di = Pick(6) == 0 ? edges[Pick(7)] : U(-3.0, 20.0);
            s.Dmin = Pick(3) == 0 ? edges[Pick(7)] : U(-2.0, 5.0);
        }
        if (Pick(20) == 0) {  // one hostile value
            const double hostile[] = {std::numeric_limits<double>::quiet_NaN(),
                                      std::numeric_limits<double>::infinity(), -1e300, 1e300, 0.0, -5.0,
                                      std::numeric_limits<double>::denorm_min(), 1e-300};
            double* slots[] = {&s.Qi, &s.Di, &s.b, &s.Dmin};
            *slots[Pick(4)] = hostile[Pick(8)];
        }
        return s;
    }

    // Random dates over two centuries, the start and its neighbours, and
    // dates within seconds and days of the switch.
    std::vector<Date> DatesFor(const Segment& s, size_t count)
    {
        std::vector<Date> dates;
        auto at = [&](const Date& from, long long seconds) {
            Date d = from;
            d.AddSeconds(seconds);
            dates.push_back(d);
        };
        for (long long k : {-1, 0, 1}) at(s.start, k);
        const auto eff = qrvp::arps::ApplyMinDeclineRule(s.b, s.Di, s.Dmin);
        Date dmin;
        if (GetArpsDminDate(s.start, s.Di, eff.Dmin, s.Qi, eff.b, &dmin) == 0) {
            for (long long k = -3; k <= 3; ++k) at(dmin, k);
            for (long long k : {-86400, 86400, -7 * 86400}) at(dmin, k);
            at(dmin, static_cast<long long>(U(-4e7, 4e7)));
        }
        while (dates.size() < count) {
            const double years = Pick(4) == 0 ? U(0.0, 1.0) : U(0.0, 200.0);
            at(s.start, static_cast<long long>(years * 365.25 * 86400.0) - (Pick(50) == 0 ? 86400 : 0));
        }
        return dates;
    }

private:
    std::mt19937_64 rng_;
};

std::string Describe(const Segment& s, const Date& at)
{
    char text[256];
    std::snprintf(text, sizeof text, "start %u-%u-%u %u:%u:%u Qi %a Di %a b %a Dmin %a at %u-%u-%u %u:%u:%u",
                  s.start.year, s.start.month, s.start.day, s.start.hour, s.start.minute, s.start.second, s.Qi,
                  s.Di, s.b, s.Dmin, at.year, at.month, at.day, at.hour, at.minute, at.second);
    return text;
}

TEST(ArpsEvaluator, GivesTheOneValueCallsResultsBitForBit)
{
    qrvp::test::LogCapture quiet(0, 0);  // the failing dates' records are dropped
    const char* sweep = std::getenv("QRVP_SWEEP_SEGMENTS");
    const long segments = sweep != nullptr ? std::atol(sweep) : 60000;
    Draw draw(20261206);
    long dates = 0, failures = 0, mismatches = 0;
    for (long n = 0; n < segments; ++n) {
        const Segment s = draw.NextSegment();
        const ArpsEvaluator segment(s.start, s.Qi, s.Di, s.b, s.Dmin);
        const std::vector<Date> at = draw.DatesFor(s, 48);
        std::vector<double> qts(at.size(), kUntouched), vols(at.size(), kUntouched);
        size_t firstFailure = at.size();
        for (size_t i = 0; i < at.size(); ++i) {
            const Result qt = Call([&](double* q) { return GetArpsQt(at[i], s.start, s.Qi, s.Di, s.b, s.Dmin, q); });
            const Result vol = Call([&](double* v) { return GetArpsVol2(s.start, at[i], s.Qi, s.Di, s.b, s.Dmin, v); });
            double q = kUntouched, v = kUntouched;
            const int32_t both = segment.RateAndVolume(at[i], &q, &v);
            const Result bothVol = qt.status == 0 ? vol : Result{-1, std::bit_cast<uint64_t>(kUntouched)};
            const bool same = Call([&](double* x) { return segment.Rate(at[i], x); }) == qt &&
                              Call([&](double* x) { return segment.Volume(at[i], x); }) == vol &&
                              Result{both, std::bit_cast<uint64_t>(q)} == Result{bothVol.status, qt.bits} &&
                              std::bit_cast<uint64_t>(v) == bothVol.bits;
            if (!same && ++mismatches <= 5) ADD_FAILURE() << Describe(s, at[i]);
            const bool asWritten =
                Call([&](double* x) { return StepsQt(at[i], s.start, s.Qi, s.Di, s.b, s.Dmin, x); }) == qt &&
                Call([&](double* x) { return StepsVol2(s.start, at[i], s.Qi, s.Di, s.b, s.Dmin, x); }) == vol;
            if (!asWritten && ++mismatches <= 5) ADD_FAILURE() << "one-value calls: " << Describe(s, at[i]);
            if (qt.status != 0 || vol.status != 0) {
                ++failures;
                firstFailure = std::min(firstFailure, i);
            }
            if (i < firstFailure) {
                qts[i] = std::bit_cast<double>(qt.bits);
                vols[i] = std::bit_cast<double>(vol.bits);
            }
        }
        dates += static_cast<long>(at.size());
        // The entry over arrays: all written up to the first failing date, nothing from it on.
        std::vector<double> gotQt(at.size(), kUntouched), gotVol(at.size(), kUntouched);
        const int32_t status =
            GetArpsQtVolDates(s.start, s.Qi, s.Di, s.b, s.Dmin, at.data(), at.size(), gotQt.data(), gotVol.data());
        const bool arraysSame = status == (firstFailure == at.size() ? 0 : -1) &&
                                std::memcmp(gotQt.data(), qts.data(), qts.size() * sizeof(double)) == 0 &&
                                std::memcmp(gotVol.data(), vols.data(), vols.size() * sizeof(double)) == 0;
        if (!arraysSame && ++mismatches <= 5) ADD_FAILURE() << "arrays: " << Describe(s, at[0]);
    }
    EXPECT_EQ(mismatches, 0);
    // The sweep reaches every outcome: most dates succeed, some fail.
    EXPECT_GT(dates, 40 * segments);
    EXPECT_GT(failures, dates / 100);
    EXPECT_LT(failures, dates / 3);
}

TEST(ArpsEvaluator, ArraysStopAtTheFirstFailingDateWithItsRecord)
{
    const Date start(2000, 1, 1, 0, 0, 0);
    // The third date lies a second before the start.
    const Date dates[] = {Date(2001, 1, 1, 0, 0, 0), Date(2020, 1, 1, 0, 0, 0), Date(1999, 12, 31, 23, 59, 59),
                          Date(2030, 1, 1, 0, 0, 0)};
    std::vector<double> qt(4, kUntouched), vol(4, kUntouched);
    std::string expected, got;
    {
        qrvp::test::LogCapture log;
        double q = 0.0;
        ASSERT_EQ(GetArpsQt(dates[2], start, 1000.0, 1.0, 1.0, 0.1, &q), -1);
        expected = log.LastCall();
    }
    {
        qrvp::test::LogCapture log;
        EXPECT_EQ(GetArpsQtVolDates(start, 1000.0, 1.0, 1.0, 0.1, dates, 4, qt.data(), vol.data()), -1);
        got = log.LastCall();
    }
    EXPECT_EQ(got, expected);
    for (size_t i = 0; i < 2; ++i) {
        double q = 0.0, v = 0.0;
        ASSERT_EQ(GetArpsQt(dates[i], start, 1000.0, 1.0, 1.0, 0.1, &q), 0);
        ASSERT_EQ(GetArpsVol2(start, dates[i], 1000.0, 1.0, 1.0, 0.1, &v), 0);
        EXPECT_EQ(qt[i], q);
        EXPECT_EQ(vol[i], v);
    }
    EXPECT_EQ(std::vector<double>(qt.begin() + 2, qt.end()), std::vector<double>(2, kUntouched));
    EXPECT_EQ(std::vector<double>(vol.begin() + 2, vol.end()), std::vector<double>(2, kUntouched));
    // Volumes alone ask no rate: without a Dmin the date before the start gives a negative volume.
    EXPECT_EQ(GetArpsQtVolDates(start, 1000.0, 1.0, 1.0, 0.0, dates, 4, nullptr, vol.data()), 0);
    EXPECT_LT(vol[2], 0.0);
    EXPECT_EQ(GetArpsQtVolDates(start, 1000.0, 1.0, 1.0, 0.1, nullptr, 1, qt.data(), vol.data()), -1);
    EXPECT_EQ(GetArpsQtVolDates(start, 1000.0, 1.0, 1.0, 0.1, dates, 1, nullptr, nullptr), -1);
    EXPECT_EQ(GetArpsQtVolDates(start, 1000.0, 1.0, 1.0, 0.1, nullptr, 0, qt.data(), nullptr), 0);
}

}  // namespace
