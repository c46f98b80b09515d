// The argument checks of every calculation at their boundaries, as the header
// states them: one row per call, a valid set and, per checked argument, the
// values just inside and just outside what it accepts (zero and the smallest
// number past it, a negative, the first year 1800, one second earlier...),
// with the status and the exact record expected.  Every row also holds the
// general rules: a failure leaves the results alone (except where the contract
// names a value written first), and a null pointer in place of any result
// fails without a crash.  Then every calculation under hostile numbers, two
// arguments at a time, and hostile dates: a status and nothing else.
#include "tests/support/library_calls.h"
#include "tests/support/library_rows.h"
#include "tests/support/decline_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

using namespace qrvp::test;

TEST(LibraryArguments, EveryCheckAtItsBoundary)
{
    LogCapture log;
    size_t seen = 0;
    for (const Row& row : kArgumentRows) {
        SCOPED_TRACE(row.call);
        const std::vector<std::string> t = Tokens(row.call);
        const Callable& c = Callables().at(t[0]);
        const std::vector<std::string> args(t.begin() + 1, t.end());
        const Outcome o = c.call(args, -1);
        const Expected x = ExpectedOf(row);
        const std::vector<std::string> lines = log.Lines();
        std::vector<std::string> fresh(lines.begin() + static_cast<long>(seen), lines.end());
        seen = lines.size();
        EXPECT_EQ(o.status, x.status);
        for (size_t k = 0; k < x.values.size() && k < o.results.size(); ++k) {
            char* end = nullptr;
            const double want = std::strtod(x.values[k].c_str(), &end), got = std::strtod(o.results[k].c_str(), nullptr);
            EXPECT_TRUE(x.values[k] == "~" || x.values[k] == o.results[k] ||
                        (*end == '\0' && std::fabs(got - want) <= 1e-12 * std::fabs(want)))
                << o.results[k];
        }
        if (!x.values.empty()) continue;
        ASSERT_EQ(fresh.size(), x.message.empty() ? 0u : 1u) << (fresh.empty() ? "" : fresh[0]);
        if (!fresh.empty()) ExpectRecord(fresh[0], {x.function, x.message});
        const char* left = c.leftOnFailure;
        if (o.status != 0 && left != kAny) {
            EXPECT_EQ(left ? std::vector<std::string>{o.results.at(0)} : o.results,
                      left ? std::vector<std::string>{left} : o.before);
        }
        if (o.status != 0 || t[0].rfind("Is", 0) == 0) continue;
        for (int p = 0; p < c.pointers; ++p) EXPECT_EQ(c.call(args, p).status, -1) << "null pointer " << p;
        seen = log.Lines().size();
    }
}

TEST(LibraryArguments, HostileValuesGiveOnlyAStatus)
{
    const std::vector<std::string> numbers = {"nan", "inf", "-inf", "1e308", "-1e308", "5e-324", "-0.5", "0"};
    const std::vector<std::string> dates = {"0-0-0", "1799-12-31", "2999-12-31T23:59:59", "2021-02-31",
                                            "4000000000-99-77T30:61:99999"};
    std::set<std::string> done;
    for (const Row& row : kArgumentRows) {
        std::vector<std::string> t = Tokens(row.call);
        if (!done.insert(t[0]).second) continue;
        const Callable& c = Callables().at(t[0]);
        std::vector<std::string> args(t.begin() + 1, t.end());
        Date d;
        const auto values = [&](size_t i) {
            return args[i] == "_" ? std::vector<std::string>{} : ParseDateToken(args[i], &d) ? dates : numbers;
        };
        for (size_t i = 0; i < args.size(); ++i) {
            for (size_t j = i; j < args.size(); ++j) {
                const std::vector<std::string> first = values(i), second = j == i ? std::vector<std::string>{""} : values(j);
                const std::string keep[2] = {args[i], args[j]};
                for (const std::string& a : first) {
                    for (const std::string& b : second) {
                        args[i] = a;
                        if (j != i) args[j] = b;
                        const Outcome o = c.call(args, -1);
                        ASSERT_TRUE(o.status == 0 || o.status == -1 || (o.status == 1 && t[0].rfind("Is", 0) == 0))
                            << t[0] << " " << a << " " << b;
                        ASSERT_TRUE(o.status == 0 || c.leftOnFailure || o.results == o.before) << t[0] << " " << a << " " << b;
                    }
                }
                args[i] = keep[0], args[j] = keep[1];
            }
        }
    }
}

}  // namespace
