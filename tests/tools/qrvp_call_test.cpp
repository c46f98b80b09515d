// qrvp call against the library's own calls: every row of the library's
// argument table through the command, its status and every result it shows
// (a value in the wrong slot, or shown unwritten, fails), a first row's record;
// then the command's readers of dates and numbers at their bounds.
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

TEST(QrvpCall, DatesAndNumbersReadAtTheirBounds)
{
    // The strict reader: a calendar date of 1800..2999, a time of day up to 23:59:59.
    const std::pair<const char*, const char*> dates[] = {
        {"2021-06-30T23:59:59", "2021-06-30T23:59:59"}, {"2021-06-30 00:00:00", "2021-06-30T00:00:00"},
        {"2021-06-30T24:00:00", ""}, {"2021-06-30T23:60:00", ""}, {"2021-06-30T23:59:60", ""},
        {"1800-01-01", "1800-01-01T00:00:00"}, {"1799-12-31", ""}, {"2999-12-31", "2999-12-31T00:00:00"},
        {"3000-01-01", ""}, {"2000-02-29", "2000-02-29T00:00:00"}, {"2100-02-29", ""}, {"2021-04-31", ""},
        {"2021-12-31", "2021-12-31T00:00:00"}, {"2021-13-01", ""}, {"2021-00-01", ""}, {"2021-01-00", ""},
        {"2021-01-01T", ""}, {"2021-01", ""}, {"2021-01-01T12:00", ""}, {"2021-01-0x", ""},
    };
    for (const auto& [text, expected] : dates) {
        const auto d = qrvp::fleet::ParseDate(text);
        EXPECT_EQ(d ? DateText(*d) : "", expected) << text;
    }
    // The raw reader copies any record the fields can hold, and no more.
    EXPECT_EQ(DateText(*qrvp::fleet::ParseRawDate("4294967295-65535-0T65535:0:4294967295")),
              "4294967295-65535-00T65535:00:4294967295");
    EXPECT_FALSE(qrvp::fleet::ParseRawDate("2021-65536-01") || qrvp::fleet::ParseRawDate("4294967296-01-01"));
    const std::pair<const char*, const char*> numbers[] = {
        {" +1.5\t", "1.5"}, {"-2.5e-3", "-0.0025000000000000001"}, {"1e400", "inf"}, {"-inf", "-inf"},
        {"1x", ""}, {"", ""}, {"+", ""}, {"1.5 2", ""}};
    for (const auto& [text, expected] : numbers) {
        const auto v = qrvp::fleet::ParseNumber(text);
        EXPECT_EQ(v ? NumberText(*v) : "", expected) << text;
    }
}

}  // namespace
