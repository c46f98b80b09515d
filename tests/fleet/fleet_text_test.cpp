// The fleet's numbers, dates and CSV: fixed-point text against the C
// library's printf and shortest text read back by strtod, for random doubles
// of every size; the readers on good, boundary and hostile text (a table a
// row); the CSV splitter's fields and line numbers, and its quoting read back.
#include "fleet/csv.h"
#include "fleet/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>

namespace {

using namespace qrvp::fleet;

TEST(FleetText, NumbersAsPrintfWritesThemAndShortestTextReadsBack)
{
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-45, 60);
    for (int i = 0; i < 40000; ++i) {
        double v = u(rng) * std::ldexp(1.0, exponent(rng));
        if (i % 4 == 0) v = std::round(v * 1024.0) / 1024.0 + (i % 8 == 0 ? 0.5 : 0.0);  // ties at every scale
        if (i % 97 == 0) v = std::ldexp(1.0, 53) - 1.0 - static_cast<double>(i % 5);
        char expected[512];
        for (int decimals = 0; decimals <= 10; ++decimals) {
            std::snprintf(expected, sizeof expected, "%.*f", decimals, v);
            ASSERT_EQ(FormatNumber(v, decimals), expected) << v << " " << decimals;
        }
        const std::string shortest = FormatNumber(v);
        ASSERT_EQ(std::strtod(shortest.c_str(), nullptr), v) << shortest;
        ASSERT_LE(shortest.size(), 24u);
    }
    EXPECT_EQ(FormatNumber(-0.0, 2), "-0.00");
    EXPECT_EQ(FiniteText(0.1), "0.1");
    EXPECT_EQ(FiniteText(std::numeric_limits<double>::quiet_NaN()), "");
}

TEST(FleetText, ReadersTakeWhatTheyPromiseAndNothingElse)
{
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const std::pair<const char*, std::optional<double>> numbers[] = {
        {" 1.5\t", 1.5}, {"+2", 2.0}, {"-0.25e1", -2.5}, {"1e400", kInf}, {"-1e400", -kInf}, {"inf", kInf},
        {"", std::nullopt}, {"+", std::nullopt}, {"1.5x", std::nullopt}, {"1,5", std::nullopt}, {"1.5 2", std::nullopt},
        {"--1", std::nullopt}, {"+-1", std::nullopt}, {"0x10", std::nullopt}, {"1e", std::nullopt},
    };
    for (const auto& [text, value] : numbers) EXPECT_EQ(ParseNumber(text), value) << text;
    EXPECT_TRUE(std::isnan(ParseNumber("nan").value_or(0.0)));
    const std::pair<const char*, std::optional<int32_t>> ints[] = {
        {"42", 42}, {" +7 ", 7}, {"-3", -3}, {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt}, {"", std::nullopt}, {"+", std::nullopt}, {"1.0", std::nullopt},
        {"7 7", std::nullopt}, {"+-3", std::nullopt},
    };
    for (const auto& [text, value] : ints) EXPECT_EQ(ParseInt(text), value) << text;
    // Dates: the text and the date read as FormatDate writes it back ("": none read).
    const std::pair<const char*, const char*> dates[] = {
        {"2020-02-29", "2020-02-29"}, {" 1800-01-01 ", "1800-01-01"}, {"2999-12-31T23:59:59", "2999-12-31T23:59:59"},
        {"2020-01-01 00:00:01", "2020-01-01T00:00:01"}, {"2020-1-2T3:04:05", "2020-01-02T03:04:05"},
        {"2020-04-30T00:00:00", "2020-04-30"}, {"2000-02-29", "2000-02-29"}, {"2021-12-31", "2021-12-31"},
        {"2100-02-29", ""}, {"2019-02-29", ""}, {"2020-04-31", ""}, {"1799-12-31", ""}, {"3000-01-01", ""},
        {"2020-13-01", ""}, {"2020-00-10", ""}, {"2020-01-00", ""}, {"2020-01-01T24:00:00", ""},
        {"2020-01-01T23:60:00", ""}, {"2020-01-01T23:59:60", ""}, {"2020-01-01T", ""}, {"2020-01-01T10:00", ""},
        {"2020-01", ""}, {"00000002020-01-01", ""}, {"2020-01-01x", ""}, {"-2020-01-01", ""},
    };
    for (const auto& [text, back] : dates) {
        const std::optional<Date> d = ParseDate(text);
        EXPECT_EQ(d ? FormatDate(*d) : "", back) << text;
    }
    // The raw reader copies fields as written, up to their types' limits.
    const std::optional<Date> raw = ParseRawDate("4294967295-65535-65535T65535:65535:4294967295");
    ASSERT_TRUE(raw.has_value());
    EXPECT_TRUE(raw->year == 4294967295u && raw->month == 65535 && raw->day == 65535 && raw->hour == 65535 &&
                raw->minute == 65535 && raw->second == 4294967295u);
    for (const char* text : {"4294967296-1-1", "1-65536-1", "1-1-65536", "1-1-1T65536:0:0", "1-1-1T0:65536:0",
                             "1-1-1T0:0:4294967296"})
        EXPECT_FALSE(ParseRawDate(text).has_value()) << text;
    EXPECT_EQ(Trim(" \tx y\t \r"), "x y");
    EXPECT_EQ(Lower("Days_ON\xC3\x80"), "days_on\xC3\x80");
}

TEST(FleetCsv, FieldsLinesAndQuotes)
{
    using Records = std::vector<std::pair<int, std::vector<std::string>>>;
    const std::pair<const char*, Records> tables[] = {
        {"a, b ,c\n", {{1, {"a", "b", "c"}}}},
        {"\xEF\xBB\xBFx,y", {{1, {"x", "y"}}}},
        {"# note\n\n  \t\nw,1\n#,2\n", {{4, {"w", "1"}}}},
        {"\"a,b\",\"say \"\"hi\"\"\"\n", {{1, {"a,b", "say \"hi\""}}}},
        {"\"two\nlines\",x\ny\n", {{1, {"two\nlines", "x"}}, {3, {"y"}}}},
        {"a\r\nb\r\n\r\nc", {{1, {"a"}}, {2, {"b"}}, {4, {"c"}}}},
        {"a,\n,\n", {{1, {"a", ""}}, {2, {"", ""}}}},
        {" \"q \" x,z\n", {{1, {"q ", "z"}}}},
        {"a\rb\n", {{1, {"a\rb"}}}},
        {"\"open,\nend", {{1, {"open,\nend"}}}},
    };
    for (const auto& [text, expected] : tables) {
        const std::vector<CsvRecord> records = ReadCsv(text);
        Records got;
        for (const CsvRecord& r : records) got.emplace_back(r.line, r.fields);
        EXPECT_EQ(got, expected) << text;
    }
    for (const char* field : {"plain", "a,b", "say \"hi\"", "two\nlines", "cr\r", " padded ", ""}) {
        const std::string quoted = CsvField(field);
        EXPECT_EQ(quoted.front() == '"', std::strpbrk(field, ",\"\r\n") != nullptr) << field;
        const std::vector<CsvRecord> back = ReadCsv(quoted + ",end\n");
        if (*field == '\0') continue;
        ASSERT_EQ(back.size(), 1u) << field;
        EXPECT_EQ(back[0].fields[0], quoted.front() == '"' ? std::string(field) : std::string(Trim(field)));
    }
}

}  // namespace
