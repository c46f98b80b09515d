// The well headers: one row per well, a `well` column and any others in any
// order (first_production, completion_date, lateral_length_ft, proppant_lbs,
// county, operator, ...; kHeaderColumns names the ones with a fixed meaning).
// Every cell is kept as its text, so that any column can group wells; a
// column is read as numbers or dates only when a caller asks for it, and
// then every cell of it must be one (blank: none reported).
//
// Messages name the row by its line, the column by its name and the well:
//   "line 7, column 'lateral_length_ft', well 'A-3': 'n/a' is not a number"
#ifndef QRVP_FLEET_HEADERS_H
#define QRVP_FLEET_HEADERS_H

#include "QRVPFuncs.h"
#include "fleet/csv.h"
#include "fleet/segments.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qrvp::fleet {

struct Headers {
    int headerLine = 0;
    std::vector<std::string> columns;              // lower case, in the header's order
    std::vector<std::string> wells;                // one per row, in row order
    std::vector<int> lines;                        // each row's line
    std::vector<std::vector<std::string>> cells;   // [row][column] as written, "" where blank
    std::map<std::string, size_t> rowOf;           // well name -> row
};

constexpr size_t kNoRow = static_cast<size_t>(-1);

// Reads the records (the first is the header) into `headers`.  Fatal
// problems, added to `problems` with `headers` then left empty: no header, no
// `well` column, a column named twice, a row with more fields than the header
// (its cells would land in the wrong columns), a well named by two rows.  A
// row naming no well is skipped with a warning.  Missing trailing fields are
// blanks.  Returns false on a fatal problem.
bool ReadHeaders(const std::vector<CsvRecord>& records, Headers& headers, std::vector<Problem>& problems);

// The index of the column (any case); kNoRow when there is none.
size_t ColumnIndex(const Headers& headers, const std::string& name);

// The column's cells as numbers, one per row, NaN where blank.  False, with
// `problem` set, when the column is missing ("the well headers have no column
// 'x' (they have: well, county, ...)") or a cell is not a finite number (the
// first such row, naming its line, the column and the well); `values` is then
// left empty.
bool NumberColumn(const Headers& headers, const std::string& column, std::vector<double>& values, Problem& problem);

// The same for a date column (fleet/text.h's ParseDate), none where blank.
bool DateColumn(const Headers& headers, const std::string& column, std::vector<std::optional<Date>>& values,
                Problem& problem);

// The column's cells as text ("" where blank); false with `problem` when the
// column is missing.
bool TextColumn(const Headers& headers, const std::string& column, std::vector<std::string>& values,
                Problem& problem);

// The header row of each name (kNoRow where the headers lack it); the names
// absent from the headers, in the order given, are appended to `absent`.
std::vector<size_t> RowsOf(const Headers& headers, const std::vector<std::string>& names,
                           std::vector<std::string>& absent);

// "well 'A-1' is absent from the well headers" for one name; for more,
// "3 wells are absent from the well headers: 'A-1', 'A-2', 'B-7'" (the first
// ten named, then ", ...").
std::string AbsentMessage(const std::vector<std::string>& absent);

}  // namespace qrvp::fleet

#endif
