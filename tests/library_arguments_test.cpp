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
        ASSERT_EQ(fresh.size(), x.message.empty() ? 0u : 1u) << (fresh.empty() ? "" : fresh[0]);
        if (!fresh.empty()) {
            const RecordTail tail = ParseRecordTail(fresh[0]);
            EXPECT_EQ(tail.function, x.function);
            EXPECT_EQ(tail.message, x.message);
            EXPECT_NE(fresh[0].find(",9,5,0,(null),"), std::string::npos) << fresh[0];
        }
        for (const std::string& r : o.results) EXPECT_TRUE(o.status == 0 || c.writesOnFailure || r == "untouched") << r;
        if (o.status != 0 || t[0].rfind("Is", 0) == 0) continue;
        for (int p = 0; p < c.pointers; ++p) EXPECT_EQ(c.call(args, p).status, -1) << "null pointer " << p;
        seen = log.Lines().size();
    }
}

}  // namespace
