// Reading the well headers: the columns, one row per well, and each column
// read as numbers, dates or text when asked.
#include "fleet/headers.h"

#include "fleet/text.h"

#include <cmath>

namespace qrvp::fleet {

namespace {

Problem Fatal(int line, const std::string& message)
{
    Problem p;
    p.line = line;
    p.message = message;
    p.fatal = true;
    return p;
}

std::string Quoted(const std::string& text) { return std::string("'").append(text).append("'"); }

// The column's index, or false with "no column" as the problem.
bool Find(const Headers& headers, const std::string& column, size_t& index, Problem& problem)
{
    index = ColumnIndex(headers, column);
    if (index != kNoRow) return true;
    std::string names;
    for (const std::string& c : headers.columns) names.append(names.empty() ? "" : ", ").append(c);
    problem = Problem{};
    problem.line = headers.headerLine;
    problem.columnName = Lower(column);
    problem.message = "the well headers have no column " + Quoted(Lower(column)) + " (they have: " + names + ")";
    return false;
}

// A cell that is not what its column should hold.
Problem BadCell(const Headers& headers, size_t row, size_t column, const std::string& what)
{
    Problem p;
    p.line = headers.lines[row];
    p.column = static_cast<int>(column) + 1;
    p.columnName = headers.columns[column];
    p.well = headers.wells[row];
    p.message = "line " + std::to_string(p.line) + ", column " + Quoted(p.columnName) + ", well " + Quoted(p.well) +
                ": " + Quoted(headers.cells[row][column]) + " " + what;
    return p;
}

}  // namespace

bool ReadHeaders(const std::vector<CsvRecord>& records, Headers& headers, std::vector<Problem>& problems)
{
    headers = Headers{};
    auto fail = [&](Problem p) {
        problems.push_back(std::move(p));
        headers = Headers{};
        return false;
    };
    if (records.empty()) return fail(Fatal(1, "the well headers are empty: they need a header naming 'well'"));
    const CsvRecord& header = records.front();
    headers.headerLine = header.line;
    size_t well = kNoRow;
    for (const std::string& field : header.fields) {
        const std::string name = Lower(field);
        if (ColumnIndex(headers, name) != kNoRow)
            return fail(Fatal(header.line, "the well headers name column " + Quoted(name) + " twice"));
        if (name == "well") well = headers.columns.size();
        headers.columns.push_back(name);
    }
    if (well == kNoRow) return fail(Fatal(header.line, "the well headers have no column 'well'"));
    for (size_t r = 1; r < records.size(); ++r) {
        const CsvRecord& rec = records[r];
        if (rec.fields.size() > headers.columns.size())
            return fail(Fatal(rec.line, "line " + std::to_string(rec.line) + " has " + std::to_string(rec.fields.size()) +
                                            " fields, the header names " + std::to_string(headers.columns.size()) +
                                            " (a comma in an unquoted name?)"));
        std::vector<std::string> cells = rec.fields;
        cells.resize(headers.columns.size());
        if (cells[well].empty()) {
            Problem p;
            p.line = rec.line;
            p.column = static_cast<int>(well) + 1;
            p.columnName = "well";
            p.message = "the row names no well; it is skipped";
            p.warning = true;
            problems.push_back(p);
            continue;
        }
        const auto [at, added] = headers.rowOf.try_emplace(cells[well], headers.wells.size());
        if (!added)
            return fail(Fatal(rec.line, "well " + Quoted(cells[well]) + " has two rows in the well headers (lines " +
                                            std::to_string(headers.lines[at->second]) + " and " +
                                            std::to_string(rec.line) + ")"));
        headers.wells.push_back(cells[well]);
        headers.lines.push_back(rec.line);
        headers.cells.push_back(std::move(cells));
    }
    return true;
}

size_t ColumnIndex(const Headers& headers, const std::string& name)
{
    const std::string lower = Lower(name);
    for (size_t i = 0; i < headers.columns.size(); ++i)
        if (headers.columns[i] == lower) return i;
    return kNoRow;
}

bool NumberColumn(const Headers& headers, const std::string& column, std::vector<double>& values, Problem& problem)
{
    values.clear();
    size_t c = 0;
    if (!Find(headers, column, c, problem)) return false;
    std::vector<double> out(headers.wells.size(), std::nan(""));
    for (size_t r = 0; r < out.size(); ++r) {
        const std::string& text = headers.cells[r][c];
        if (text.empty()) continue;
        const std::optional<double> v = ParseNumber(text);
        if (!v || !std::isfinite(*v)) {
            problem = BadCell(headers, r, c, "is not a number");
            return false;
        }
        out[r] = *v;
    }
    values.swap(out);
    return true;
}

bool DateColumn(const Headers& headers, const std::string& column, std::vector<std::optional<Date>>& values,
                Problem& problem)
{
    values.clear();
    size_t c = 0;
    if (!Find(headers, column, c, problem)) return false;
    std::vector<std::optional<Date>> out(headers.wells.size());
    for (size_t r = 0; r < out.size(); ++r) {
        const std::string& text = headers.cells[r][c];
        if (text.empty()) continue;
        out[r] = ParseDate(text);
        if (!out[r]) {
            problem = BadCell(headers, r, c, "is not a date (YYYY-MM-DD, years 1800 to 2999)");
            return false;
        }
    }
    values.swap(out);
    return true;
}

bool TextColumn(const Headers& headers, const std::string& column, std::vector<std::string>& values, Problem& problem)
{
    values.clear();
    size_t c = 0;
    if (!Find(headers, column, c, problem)) return false;
    for (const std::vector<std::string>& row : headers.cells) values.push_back(row[c]);
    return true;
}

std::vector<size_t> RowsOf(const Headers& headers, const std::vector<std::string>& names,
                           std::vector<std::string>& absent)
{
    std::vector<size_t> rows;
    rows.reserve(names.size());
    for (const std::string& name : names) {
        const auto it = headers.rowOf.find(name);
        rows.push_back(it == headers.rowOf.end() ? kNoRow : it->second);
        if (it == headers.rowOf.end()) absent.push_back(name);
    }
    return rows;
}

std::string AbsentMessage(const std::vector<std::string>& absent)
{
    if (absent.size() == 1) return "well " + Quoted(absent.front()) + " is absent from the well headers";
    std::string out = std::to_string(absent.size()) + " wells are absent from the well headers: ";
    for (size_t i = 0; i < absent.size() && i < 10; ++i) out.append(i ? ", " : "").append(Quoted(absent[i]));
    if (absent.size() > 10) out.append(", ...");
    return out;
}

}  // namespace qrvp::fleet
