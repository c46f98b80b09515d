// A comma-separated table as the fleet reads it: one record a line, fields split on
// commas, a field may be quoted with double quotes (a doubled quote inside
// stands for one).  Blank lines and lines whose first character is '#' are
// skipped.  Every record remembers its line number for messages.
#ifndef QRVP_FLEET_CSV_H
#define QRVP_FLEET_CSV_H

#include <string>
#include <vector>

namespace qrvp::fleet {

struct CsvRecord {
    int line = 0;                     // 1-based line number in the input
    std::vector<std::string> fields;  // unquoted, blanks at both ends trimmed
};

// Splits the whole text.  A quoted field may run over several lines; the
// record keeps the line it started on.  Never fails: an unterminated quote
// takes the rest of the text.
std::vector<CsvRecord> ReadCsv(const std::string& text);

// The text as one output field: quoted, with its quotes doubled, when it holds
// a comma, a quote or a line end; as it is otherwise.
std::string CsvField(const std::string& text);

}  // namespace qrvp::fleet

#endif
