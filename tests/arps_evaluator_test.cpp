// The segment evaluator against the one-value calls it stands for, and those
// calls against their results worked out the slow way: random segments of
// every regime (most switching to Dmin, some round, some hostile) at random
// dates and within seconds of the switch, bit for bit with their statuses and
// what a failure leaves; then the entry over arrays and its first failure.
// QRVP_SWEEP_SEGMENTS sets a larger sweep.
#include "decline/arps/arps_core.h"
#include "decline/arps/arps_evaluator.h"
#include "decline/arps/arps_switch.h"
#include "decline/arps/arps_volume.h"
#include "frame/elementary.h"
#include "frame/tolerance.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

namespace {

constexpr double kUntouched = -7777.25;

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

// The one-value calls the slow way: the library's curve without a switch,
// the decline it has reached, the switch date from the full solve, and the
// rate and volume past it composed here.  None of the bounds on the switch
// that let the calls skip work takes part, so this is what they must give.
using namespace qrvp::arps;

int32_t SlowQt(Date find, Date start, double Qi, double Di, double b, double Dmin, double* Qt)
{
    const EffectiveDecline eff = ApplyMinDeclineRule(b, Di, Dmin);
    const int32_t rc = ComputeArpsQt(find, start, Qi, Di, eff.b, 0.0, Qt);
    double D = 0.0;
    Date at;
    if (rc != 0 || qrvp::NearZero(eff.Dmin) || qrvp::NearZero(Di) || qrvp::NearZero(find.DaySpan(start) / 365.25) ||
        qrvp::NearZero(eff.b))
        return rc;
    if (GetArpsIDecl(*Qt, Di, Qi, eff.b, &D) != 0) return -1;
    if (!((eff.b > 0 && eff.Dmin > D) || (eff.b < 0 && D > eff.Dmin))) return 0;
    if (SolveDminDate(start, Di, eff.Dmin, Qi, eff.b, &at) != 0) return -1;
    if (at < find)
        *Qt = qrvp::Pow(at.DaySpan(start) * (Di * eff.b) / 365.25 + 1, -1 / eff.b) * Qi *
              qrvp::Exp(find.DaySpan(at) / 365.25 * (-eff.Dmin));
    return 0;
}

int32_t SlowVol2(Date start, Date end, double Qi, double Di, double b, double Dmin, double* Vol)
{
    const EffectiveDecline eff = ApplyMinDeclineRule(b, Di, Dmin);
    double q = 0.0, D = 0.0;
    Date at;
    if (qrvp::NearZero(Di) || qrvp::NearZero(b) || qrvp::NearZero(eff.b) || qrvp::NearZero(Qi) ||
        qrvp::NearZero(eff.Dmin))
        return GetArpsVol2(start, end, Qi, Di, eff.b, 0.0, Vol);
    if (ComputeArpsQt(end, start, Qi, Di, eff.b, 0.0, &q) != 0 || GetArpsIDecl(q, Di, Qi, eff.b, &D) != 0) return -1;
    const bool past = (eff.b > 0 && eff.Dmin > D) || (eff.b < 0 && D > eff.Dmin);
    if (past && SolveDminDate(start, Di, eff.Dmin, Qi, eff.b, &at) != 0) return -1;
    if (!past || !(at < end && start < at)) return GetArpsVol2(start, end, Qi, Di, eff.b, 0.0, Vol);
    const double tD = at.DaySpan(start) / 365.25, QD = Qi * qrvp::Pow(1.0 + eff.b * Di * tD, -1.0 / eff.b);
    if (HypVolTime(Qi, Di, eff.b, tD, Vol) != 0) return -1;
    *Vol += 12.0 * QD * (1.0 - qrvp::Exp(-eff.Dmin * (end.DaySpan(at) / 365.25))) / eff.Dmin;
    return 0;
}

struct Segment {
    Date start;
    double Qi, Di, b, Dmin;
};

std::mt19937_64 rng(20261206);
double U(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); }
double LogU(double lo, double hi) { return std::exp(U(std::log(lo), std::log(hi))); }
int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

Segment RandomSegment()
{
    Segment s{Date(1800 + Pick(1100), 1 + Pick(12), 1 + Pick(28), 0, 0, 0), LogU(1e-3, 1e7), 0, 0, 0};
    s.start.AddSeconds(Pick(2) * Pick(86400));
    const double round[] = {0.05, 0.1, 0.25, 0.5, 1.0, 2.0, 6.0, 8.0}, edges[] = {0.0, 1e-12, -1e-12, 1.0, -0.5, 2.0};
    const int kind = Pick(12);
    if (kind < 6) {  // a decline with a switch, some Dmin within a hair of Di
        s.b = Pick(4) == 0 ? 0.5 * (1 + Pick(2)) : U(0.01, 3.0);
        s.Di = LogU(0.01, 20.0);
        s.Dmin = s.Di * (Pick(8) == 0 ? 1.0 - LogU(1e-12, 1e-3) : LogU(1e-3, 0.99));
    } else if (kind == 6) {  // round values: the switch on a whole second (a large b: a tight bound on it)
        s = {s.start, s.Qi, round[3 + Pick(4)], round[2 + Pick(6)], round[Pick(3)]};
    } else if (kind == 7) {  // an incline that slows to Dmin
        s.b = -U(0.01, 2.0);
        s.Di = -LogU(0.01, 5.0);
        s.Dmin = s.Di * LogU(0.01, 0.99);
    } else {  // the other regimes, edges and signs
        s.b = Pick(2) == 0 ? edges[Pick(6)] : U(-2.0, 3.0);
        s.Di = Pick(6) == 0 ? edges[Pick(6)] : U(-3.0, 20.0);
        s.Dmin = Pick(3) == 0 ? edges[Pick(6)] : U(-2.0, 5.0);
    }
    const double hostile[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                              -1e300, 1e300, 0.0, -5.0, std::numeric_limits<double>::denorm_min()};
    double* slots[] = {&s.Qi, &s.Di, &s.b, &s.Dmin};
    if (Pick(20) == 0) *slots[Pick(4)] = hostile[Pick(7)];
    return s;
}

// The start and its neighbours, seconds and days around the switch, and random
// dates over two centuries (some a day before a whole number of days).
std::vector<Date> RandomDates(const Segment& s, size_t count)
{
    std::vector<Date> dates;
    auto at = [&](Date d, long long seconds) { d.AddSeconds(seconds), dates.push_back(d); };
    for (long long k : {-1, 0, 1}) at(s.start, k);
    // The 31st of the month before: earlier by its fields, later by its day number for early starts.
    if (s.start.month > 1) dates.push_back(Date(static_cast<int>(s.start.year), s.start.month - 1, 31, 0, 0, 0));
    const auto eff = qrvp::arps::ApplyMinDeclineRule(s.b, s.Di, s.Dmin);
    Date dmin;
    if (GetArpsDminDate(s.start, s.Di, eff.Dmin, s.Qi, eff.b, &dmin) == 0)
        for (long long k : {-3LL, -2LL, -1LL, 0LL, 1LL, 2LL, 3LL, -86400LL, 86400LL, -604800LL, std::llround(U(-4e7, 4e7))})
            at(dmin, k);
    while (dates.size() < count)
        at(s.start, static_cast<long long>((Pick(4) == 0 ? U(0, 1) : U(0, 200)) * 365.25 * 86400) - 86400 * (Pick(50) == 0));
    return dates;
}

TEST(ArpsEvaluator, GivesTheOneValueCallsResultsBitForBit)
{
    qrvp::test::LogCapture quiet(0, 0);  // the failing dates' records are dropped
    const char* sweep = std::getenv("QRVP_SWEEP_SEGMENTS");
    const long segments = sweep != nullptr ? std::atol(sweep) : 60000;
    long dates = 0, failures = 0, mismatches = 0;
    for (long n = 0; n < segments; ++n) {
        const Segment s = RandomSegment();
        const qrvp::arps::ArpsEvaluator segment(s.start, s.Qi, s.Di, s.b, s.Dmin);
        const std::vector<Date> at = RandomDates(s, 48);
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
                              std::bit_cast<uint64_t>(v) == bothVol.bits &&
                              Call([&](double* x) { return SlowQt(at[i], s.start, s.Qi, s.Di, s.b, s.Dmin, x); }) == qt &&
                              Call([&](double* x) { return SlowVol2(s.start, at[i], s.Qi, s.Di, s.b, s.Dmin, x); }) == vol;
            if (!same && ++mismatches <= 5)
                ADD_FAILURE() << std::hexfloat << "Qi " << s.Qi << " Di " << s.Di << " b " << s.b << " Dmin " << s.Dmin
                              << " start " << s.start.year << "-" << s.start.month << "-" << s.start.day << " +"
                              << at[i].DaySpan(s.start) << " days";
            if (qt.status != 0 || vol.status != 0) ++failures, firstFailure = std::min(firstFailure, i);
            if (i < firstFailure) qts[i] = std::bit_cast<double>(qt.bits), vols[i] = std::bit_cast<double>(vol.bits);
        }
        dates += static_cast<long>(at.size());
        // The entry over arrays: all written up to the first failing date, nothing from it on.
        std::vector<double> gotQt(at.size(), kUntouched), gotVol(at.size(), kUntouched);
        const int32_t status =
            GetArpsQtVolDates(s.start, s.Qi, s.Di, s.b, s.Dmin, at.data(), at.size(), gotQt.data(), gotVol.data());
        if ((status != (firstFailure == at.size() ? 0 : -1) || std::memcmp(gotQt.data(), qts.data(), qts.size() * 8) ||
             std::memcmp(gotVol.data(), vols.data(), vols.size() * 8)) &&
            ++mismatches <= 5)
            ADD_FAILURE() << "arrays, segment " << n;
    }
    EXPECT_EQ(mismatches, 0);
    // The sweep reaches every outcome: most dates succeed, some fail.
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
    qrvp::test::LogCapture log;
    double q = 0.0;
    ASSERT_EQ(GetArpsQt(dates[2], start, 1000.0, 1.0, 1.0, 0.1, &q), -1);
    EXPECT_EQ(GetArpsQtVolDates(start, 1000.0, 1.0, 1.0, 0.1, dates, 4, qt.data(), vol.data()), -1);
    const std::vector<std::string> lines = log.Lines();
    ASSERT_EQ(lines.size(), 2u);
    const auto one = qrvp::test::ParseRecordTail(lines[0]), many = qrvp::test::ParseRecordTail(lines[1]);
    EXPECT_EQ(std::tie(many.function, many.line, many.message), std::tie(one.function, one.line, one.message));
    EXPECT_EQ(std::vector<double>(qt.begin() + 2, qt.end()), std::vector<double>(2, kUntouched));
    EXPECT_EQ(std::vector<double>(vol.begin() + 2, vol.end()), std::vector<double>(2, kUntouched));
    // Volumes alone ask no rate: without a Dmin the date before the start gives a negative volume.
    EXPECT_EQ(GetArpsQtVolDates(start, 1000.0, 1.0, 1.0, 0.0, dates, 4, nullptr, vol.data()), 0);
    EXPECT_LT(vol[2], 0.0);
    EXPECT_EQ(GetArpsQtVolDates(start, 1000.0, 1.0, 1.0, 0.1, dates, 1, nullptr, nullptr), -1);
    // Di b t of exactly -1 (Di b = -1, one year of 365.25 days on) has no rate.
    const Date yearOn(2000, 12, 31, 6, 0, 0);
    EXPECT_EQ(GetArpsQtVolDates(start, 100.0, -2.0, 0.5, 0.0, &yearOn, 1, qt.data(), vol.data()), -1);
}

}  // namespace
