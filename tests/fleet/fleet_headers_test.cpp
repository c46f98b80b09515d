// The well headers and the production history: the cells as written, each
// column read on request, and every bad input refused with the message naming
// its line, column and well.
#include "fleet/headers.h"
#include "fleet/history.h"
#include "fleet/text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace qrvp::fleet;

const char* const kTable = "Well,County,lateral_length_ft,completion_date\n"
                           "A-1,MCKENZIE,9800.5,2013-04-02\n"
                           "\"B,2\",WILLIAMS,,\n"
                           ",WILLIAMS,1,\n"
                           "C-3,MCKENZIE,1e4\n";

TEST(FleetHeaders, ReadsCellsAndColumnsOnRequest)
{
    Headers h;
    std::vector<Problem> problems;
    ASSERT_TRUE(ReadHeaders(ReadCsv(kTable), h, problems));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_TRUE(problems[0].line == 4 && problems[0].column == 1 && problems[0].warning);
    EXPECT_EQ(problems[0].message, "the row names no well; it is skipped");
    EXPECT_TRUE(h.wells == (std::vector<std::string>{"A-1", "B,2", "C-3"}) && h.lines == (std::vector<int>{2, 3, 5}));
    Problem p;
    std::vector<double> lateral;
    ASSERT_TRUE(NumberColumn(h, "LATERAL_length_ft", lateral, p));
    EXPECT_TRUE(lateral[0] == 9800.5 && std::isnan(lateral[1]) && lateral[2] == 1e4);
    std::vector<std::optional<Date>> done;
    ASSERT_TRUE(DateColumn(h, "completion_date", done, p));
    EXPECT_TRUE(done[0] && *done[0] == Date(2013, 4, 2, 0, 0, 0) && !done[1] && !done[2]);
    std::vector<std::string> county;
    ASSERT_TRUE(TextColumn(h, "county", county, p));
    EXPECT_EQ(county, (std::vector<std::string>{"MCKENZIE", "WILLIAMS", "MCKENZIE"}));
    std::vector<std::string> absent;
    EXPECT_EQ(RowsOf(h, {"C-3", "Z-9", "A-1"}, absent), (std::vector<size_t>{2, kNoRow, 0}));
    EXPECT_EQ(AbsentMessage(absent), "well 'Z-9' is absent from the well headers");
    EXPECT_EQ(AbsentMessage({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k"}),
              "11 wells are absent from the well headers: 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', ...");
}

TEST(FleetHeaders, RefusesBadTablesWithTheirLine)
{
    const struct {
        const char* text;
        int line;
        const char* message;
    } cases[] = {
        {"", 1, "the well headers are empty: they need a header naming 'well'"},
        {"name,county\nA,X\n", 1, "the well headers have no column 'well'"},
        {"well,County,county\n", 1, "the well headers name column 'county' twice"},
        {"well,county\nA,X\nB,Y,Z\n", 3, "line 3 has 3 fields, the header names 2 (a comma in an unquoted name?)"},
        {"# c\nwell\nA\nB\nA\n", 5, "well 'A' has two rows in the well headers (lines 3 and 5)"},
    };
    for (const auto& c : cases) {
        Headers h;
        std::vector<Problem> problems;
        EXPECT_FALSE(ReadHeaders(ReadCsv(c.text), h, problems)) << c.text;
        ASSERT_FALSE(problems.empty());
        EXPECT_TRUE(problems.back().fatal && problems.back().line == c.line) << c.text;
        EXPECT_EQ(problems.back().message, c.message);
        EXPECT_TRUE(h.wells.empty() && h.columns.empty());
    }
}

TEST(FleetHeaders, RefusesBadCellsNamingWellAndColumn)
{
    Headers h;
    std::vector<Problem> problems;
    ASSERT_TRUE(ReadHeaders(ReadCsv("well,len,first_production\nA,10,2014-01-01\nB,n/a,2014-13-01\nC,inf,\n"), h,
                            problems));
    std::vector<double> values{1.0};
    std::vector<std::optional<Date>> dates;
    Problem p;
    EXPECT_TRUE(!NumberColumn(h, "len", values, p) && values.empty());
    EXPECT_EQ(p.message, "line 3, column 'len', well 'B': 'n/a' is not a number");
    EXPECT_TRUE(p.line == 3 && p.column == 2 && p.well == "B");
    EXPECT_FALSE(DateColumn(h, "first_production", dates, p));
    EXPECT_EQ(p.message, "line 3, column 'first_production', well 'B': '2014-13-01' is not a date (YYYY-MM-DD, "
                         "years 1800 to 2999)");
    h.cells[1][1] = "5";
    EXPECT_FALSE(NumberColumn(h, "len", values, p));
    EXPECT_EQ(p.message, "line 4, column 'len', well 'C': 'inf' is not a number");
}

TEST(FleetHistory, WellsMonthsAndProblemsByLine)
{
    // Each well as "name@line: date/volume/days/line ..." or "name@line! problem@line"; then the table's problems.
    auto read = [](const char* text) {
        std::vector<Problem> problems;
        std::string out;
        for (const History& w : ReadHistory(ReadCsv(text), problems)) {
            out.append(w.name).append("@").append(std::to_string(w.line)).append(w.problem.empty() ? ":" : "! ");
            if (!w.problem.empty()) out.append(w.problem).append("@").append(std::to_string(w.problemLine));
            for (size_t k = 0; k < w.starts.size() && w.problem.empty(); ++k)
                out.append(" ").append(FormatDate(w.starts[k])).append("/").append(FormatNumber(w.volumes[k]))
                    .append("/").append(FormatNumber(w.daysOn[k])).append("/").append(std::to_string(w.lines[k]));
            out.append("; ");
        }
        for (const Problem& p : problems)
            out.append(std::to_string(p.line)).append(":").append(std::to_string(p.column)).append(p.fatal ? " fatal " : " ")
                .append(p.warning ? "warning " : "").append(p.message).append("; ");
        return out;
    };
    const std::pair<const char*, const char*> cases[] = {
        {"volume,Well,DATE\n100,A,2020-02-01\n90,A,2020-01-01\n,B,2020-03-01\n",
         "A@2: 2020-01-01/90/31/3 2020-02-01/100/29/2; B@4! column 'volume': '' is not a finite number@4; "},
        {"# c\ndate,days_on,well,volume,note\n2020-01-15,,A,1\n2020-02-15,0,A,2\n2020-03-15,30.5,A,3\n2021-01-01,,,4\n",
         "A@3: 2020-01-15/1/31/3 2020-02-15/2/0/4 2020-03-15/3/30.5/5; 6:3 warning the row names no well; it is skipped; "},
        {"well,date,volume,days_on\nA,2020-01-01,1,\nA,2020-02-01,2,\nA,2020-01-31,3,\nB,2020-13-01,1,\nB,x,y,z\n"
         "C,2020-01-01,inf,\nD,2020-01-01,1,nan\nE,2020-01-01\n",
         "A@2! its month 2020-01-31 overlaps the month of line 2@4; B@5! column 'date': bad date '2020-13-01' (YYYY-MM-DD, "
         "years 1800 to 2999)@5; C@7! column 'volume': 'inf' is not a finite number@7; D@8! column 'days_on': 'nan' is "
         "not a finite number@8; E@9! column 'volume': '' is not a finite number@9; "},
        {"", "1:0 fatal the history is empty: it needs a header naming well, date, volume[, days_on]; "},
    };
    for (const auto& [text, want] : cases) EXPECT_EQ(read(text), want) << text;
}

}  // namespace
