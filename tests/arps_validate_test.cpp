// Bringing an Arps segment's values back into agreement.
#include "QRVPFuncs.h"

#include "tests/support/decline_test_util.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>

namespace {

using namespace qrvp::test;

struct Values {
    double Qi, Di, b, Dmin, Qf;
    Date end;
};

int32_t Validate(Date start, Values& v)
{
    return ValidateArps(start, &v.Qi, &v.Di, &v.b, &v.Dmin, &v.Qf, &v.end);
}

const Date kStart = D(2000, 1, 1);

const double X = std::nan("");  // a value the row leaves unchecked

TEST(ArpsValidate, TidiesSolvesAndMovesTheEnd)
{
    const Date y2001 = D(2001, 1, 1), y2050 = D(2050, 1, 1);
    const struct {
        const char* what;
        Date start;
        Values in;
        int32_t rc;
        double Qi, Di, b, Qf;
        std::optional<Date> end;
        double rateAtEnd;  // the rate at the resulting end date
        double tol;
    } rows[] = {
        {"no rate: no decline", kStart, {0, 0.7, 0.5, 0.1, 0, y2001}, 0, 0, 0, 0, X, {}, X, 0},
        {"equal rates", kStart, {100, 0.7, 0.5, 0, 100.0005, y2001}, 0, X, 0, 0, 100, {}, X, 0},
        {"negative Qi", kStart, {-1, 0.7, 0.5, 0, 0, y2001}, -1, X, X, X, X, {}, X, 0},
        {"negative Qf", kStart, {100, 0.7, 0.5, 0, -1, y2001}, -1, X, X, X, X, {}, X, 0},
        {"Qi zero: the solve fails, the call does not", kStart, {0, 0, 0.0005, 0, 5, y2001}, 0, X, 0, 0, X, {}, X, 0},
        {"Qi zero, a decline", kStart, {0, 0.5, 0.002, 0, 5, y2001}, -1, X, X, 0.002, X, {}, X, 0},
        // A missing decline is solved from the dates and rates.
        {"decline solved", kStart, {1000, 0, 1, 0, 100, D(2009, 1, 1)}, 0, X, 0.999772, X, X, {}, X, 1e-6},
        {"decline solved through a switch", kStart, {1000, 0, 1, 0.1, 50, D(2016, 1, 1)}, 0, X, X, X, X, {}, 50,
         1e-6},
        // Qf zero becomes 0.1 and the decline is solved to it.
        {"Qf zero", kStart, {100, 0, 0, 0, 0, D(2010, 1, 1)}, 0, X, std::log(1000.0) / (3653 / 365.25), X, 0.1, {}, X,
         1e-12},
        {"no span", kStart, {100, 0, 0, 0, 50, kStart}, 0, X, 0, X, X, {}, X, 0},
        // A given decline moves the end date to Qf, or Qf to the end date.
        {"end date moved", kStart, {1000, 1.0, 1, 0, 100, D(2005, 1, 1)}, 0, X, X, X, 100, D(2008, 12, 31, 6), X,
         0},
        {"Qf moved", kStart, {1000, 1.0, 1, 0, 100, D(2012, 1, 1)}, 0, X, X, X, 1000.0 / 13, D(2012, 1, 1), X, 1e-6},
        // More than 300 years out: EndDate stays and Qf follows the curve there.
        {"beyond 300 years", kStart, {1000, 0.01, 0, 0, 0.001, y2001}, 0, X, X, X,
         1000 * std::exp(-0.01 * 366 / 365.25), y2001, X, 1e-9},
        {"end date moved through a switch", kStart, {1000, 1.0, 1, 0.1, 50, y2001}, 0, X, X, X, X, {}, 50, 1e-5},
        // The switch falls after 2600, so no duration comes back: EndDate stays
        // and Qf is recomputed...
        {"no duration", kStart, {1000, 1.0, 1, 0.001, 1e-6, y2050}, 0, X, X, X, 1000 / (1 + 18263 / 365.25), y2050, X,
         1e-9},
        // ...and when the rate at EndDate cannot be evaluated either, it fails.
        {"no duration, no rate", D(2060, 1, 1), {1000, 1.0, 1, 0.001, 1e-6, y2050}, -1, X, X, X, 1e-6, y2050, X, 0},
    };
    const auto near = [](double actual, double expected, double tol) {
        if (!std::isnan(expected)) {
            EXPECT_NEAR(actual, expected, tol);
        }
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        Values v = r.in;
        EXPECT_EQ(Validate(r.start, v), r.rc);
        near(v.Qi, r.Qi, r.tol);
        near(v.Di, r.Di, r.tol);
        near(v.b, r.b, r.tol);
        near(v.Qf, r.Qf, r.tol);
        if (r.end) {
            EXPECT_TRUE(v.end == *r.end);
        }
        if (!std::isnan(r.rateAtEnd)) {
            double q = 0;
            ASSERT_EQ(GetArpsQt(v.end, r.start, v.Qi, v.Di, v.b, v.Dmin, &q), 0);
            EXPECT_NEAR(q, r.rateAtEnd, r.tol);
        }
    }
    Values v = rows[0].in;
    EXPECT_EQ(ValidateArps(kStart, &v.Qi, &v.Di, &v.b, nullptr, &v.Qf, &v.end), -1);
}

TEST(ArpsValidateHostile, NoCrashAndOnlyStatuses)
{
    const std::vector<double> h = HostileDoubles();
    for (const Date& start : HostileDates()) {
        for (const Date& end : HostileDates()) {
            ForEachCombination(5, h, [&](const std::vector<double>& a) {
                Values v{a[0], a[1], a[2], a[3], a[4], end};
                ASSERT_TRUE(IsStatus(Validate(start, v)));
                ASSERT_EQ(std::bit_cast<uint64_t>(v.Dmin), std::bit_cast<uint64_t>(a[3])) << "Dmin is only read";
            });
        }
    }
}

TEST(ArpsValidateLog, NoRecordsOfItsOwn)
{
    LogCapture log;
    Values v{100, 0.5, 0.5, 0, -1, D(2001, 1, 1)};
    EXPECT_EQ(Validate(kStart, v), -1);
    v = {-1, 0.5, 0.5, 0, 0, D(2001, 1, 1)};
    EXPECT_EQ(Validate(kStart, v), -1);
    EXPECT_TRUE(log.Lines().empty());
}

}  // namespace
