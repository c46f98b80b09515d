// The argument checks of every calculation at their boundaries, as the header
// states them: one row per call, a valid set and, per checked argument, the
// values just inside and just outside what it accepts (zero and the smallest
// number past it, a negative, the first year 1800, one second earlier...),
// with the status and the exact record expected.  Every row also holds the
// general rules: a failure leaves the results alone (except where the contract
// names a value written first), and a null pointer in place of any result
// fails without a crash.
#include "tests/support/library_calls.h"
#include "tests/support/library_rows.h"
#include "tests/support/log_capture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace qrvp::test;

bool Written(double v)
{
    const double u = Untouched();
    return std::memcmp(&v, &u, sizeof v) != 0;
}

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
        std::string expect = row.expect, function = t[0];
        int32_t status = expect.empty() ? 0 : -1;
        if (expect.rfind('=', 0) == 0) {
            status = std::atoi(expect.c_str() + 1);
            expect = expect.find(' ') == std::string::npos ? "" : expect.substr(expect.find(' ') + 1);
        }
        if (expect.rfind('@', 0) == 0) {
            function = expect.substr(1, expect.find(' ') - 1);
            expect = expect.substr(expect.find(' ') + 1);
        }
        const std::vector<std::string> lines = log.Lines();
        std::vector<std::string> fresh(lines.begin() + static_cast<long>(seen), lines.end());
        seen = lines.size();
        if (std::getenv("QRVP_PRINT_ROWS")) {
            std::string got = fresh.empty() ? "" : ParseRecordTail(fresh[0]).message;
            if (!fresh.empty() && ParseRecordTail(fresh[0]).function != t[0]) got = "@" + ParseRecordTail(fresh[0]).function + " " + got;
            if (fresh.empty() && o.status != 0) got = "=" + std::to_string(o.status);
            std::printf("ROW {\"%s\", \"%s\"},%s\n", row.call, got.c_str(), fresh.size() > 1 ? " MANY" : "");
        }
        EXPECT_EQ(o.status, status);
        if (expect.empty()) {
            EXPECT_TRUE(fresh.empty()) << (fresh.empty() ? "" : fresh[0]);
        } else {
            EXPECT_EQ(fresh.size(), 1u);
        }
        if (!expect.empty() && !fresh.empty()) {
            const RecordTail tail = ParseRecordTail(fresh[0]);
            EXPECT_EQ(tail.function, function);
            EXPECT_EQ(tail.message, expect);
            EXPECT_NE(fresh[0].find(",9,5,0,(null),"), std::string::npos) << fresh[0];
        }
        if (o.status != 0 && !c.writesOnFailure) {
            for (double v : o.numbers) EXPECT_FALSE(Written(v)) << v;
            for (const std::string& d : o.dates) EXPECT_EQ(d.rfind("4008636142-", 0), 0u) << d;
        }
        if (o.status != 0 || t[0].rfind("Is", 0) == 0) continue;
        for (int p = 0; p < c.pointers; ++p) EXPECT_EQ(c.call(args, p).status, -1) << "null pointer " << p;
        seen = log.Lines().size();
    }
}

}  // namespace
