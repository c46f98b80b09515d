// qrvp call against the library's own calls: every row of the library's
// argument table through the command, its status and every result it shows
// (a value in the wrong slot, or shown unwritten, fails), a first row's record.
// (The readers of its dates and numbers are fleet_text_test's.)
#include "tests/support/library_calls.h"
#include "tests/support/library_rows.h"
#include "tools/qrvp/calls.h"
#include "fleet/text.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace qrvp::test;

// A result as the command shows it, in the library table's form.
std::string Canonical(std::string text)
{
    for (const char* mark : {" (unchanged)", " (was "}) {
        if (text.find(mark) != std::string::npos) text.erase(text.find(mark));
    }
    if (text == "(not written)") return "untouched";
    Date d;
    if (text.find('-', 1) != std::string::npos && text.find('e') == std::string::npos && ParseDateToken(text, &d))
        return DateText(d);
    return NumberText(std::strtod(text.c_str(), nullptr));
}

// The shown results, one per out-parameter (a segment's six fields in one).
std::vector<std::string> ShownResults(const std::string& out)
{
    std::istringstream in(out);
    std::vector<std::string> results;
    std::string line;
    std::getline(in, line);  // the call
    std::getline(in, line);  // status or result
    while (std::getline(in, line) && line.rfind("log:", 0) != 0) {
        std::string value = line.substr(line.find(" = ") + 3), fields;
        if (value[0] != '{') value = std::string("{ = ").append(value).append("}");  // one field
        for (size_t at = value.find(" = "); at != std::string::npos; at = value.find(" = ", at + 1)) {
            const size_t end = value.find_first_of(",}", at);
            fields.append(fields.empty() ? "" : " ").append(Canonical(value.substr(at + 3, end - at - 3)));
        }
        results.push_back(fields);
    }
    return results;
}

TEST(QrvpCall, EveryRowGivesTheLibrarysOwnResults)
{
    std::set<std::string> called;
    for (const Row& row : kArgumentRows) {
        SCOPED_TRACE(row.call);
        const std::vector<std::string> t = Tokens(row.call);
        const bool first = called.insert(t[0]).second;
        const std::vector<std::string> args(t.begin() + 1, t.end());
        std::vector<std::string> inputs;
        for (const std::string& a : args)
            if (a != "_") inputs.push_back(a);
        const Outcome own = Callables().at(t[0]).call(args, -1);
        std::string out, err;
        const int code = qrvp::tool::CallFunction(t[0], inputs, out, err);
        const bool flag = t[0].rfind("Is", 0) == 0;
        EXPECT_EQ(code, flag || own.status == 0 ? 0 : 1) << err;
        EXPECT_NE(out.find((flag ? "result = " : "status = ") + std::to_string(own.status) + "\n"), std::string::npos)
            << out;
        EXPECT_EQ(ShownResults(out), own.results) << out;
        if (!first) continue;  // the records: a function's first row
        const Expected x = ExpectedOf(row);
        EXPECT_NE(out.find(x.message.empty() ? "log: no records" : "," + x.function + ","), std::string::npos) << out;
        EXPECT_NE(out.find(x.message), std::string::npos) << out;
    }
    EXPECT_EQ(called.size(), Callables().size());
}

}  // namespace
