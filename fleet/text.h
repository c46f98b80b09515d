// Reading and writing the numbers and dates of the fleet's tables and of the
// command's arguments.
#ifndef QRVP_FLEET_TEXT_H
#define QRVP_FLEET_TEXT_H

#include "QRVPFuncs.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qrvp::fleet {

// The whole text as a double: decimal or scientific notation, "inf", "nan".
// Surrounding blanks are allowed; anything else left over is not.
std::optional<double> ParseNumber(std::string_view text);

// The whole text as a 32-bit integer.
std::optional<int32_t> ParseInt(std::string_view text);

// "YYYY-MM-DD", "YYYY-MM-DDTHH:MM:SS" or the same with a blank for the T.
// Strict: a calendar date of years 1800..2999 whose day exists in its month.
std::optional<Date> ParseDate(std::string_view text);

// The same syntax, but the fields are copied into the record as written,
// unchecked (year up to 4294967295, the others up to 65535), so that a caller
// can hand the library any record it likes.
std::optional<Date> ParseRawDate(std::string_view text);

// "YYYY-MM-DD", with "THH:MM:SS" when the time of day is not midnight.
std::string FormatDate(const Date& date);
// "YYYY-MM-DD" only.
std::string FormatDay(const Date& date);

// Appends a double: the shortest text that reads back as the same double when
// decimals < 0, else fixed-point with that many decimals.
void AppendNumber(std::string& out, double value, int decimals);
// The same text written at `at`, which has room for kNumberCapacity
// characters; returns the end of the text.
constexpr size_t kNumberCapacity = 400;
char* WriteNumber(char* at, double value, int decimals);
std::string FormatNumber(double value, int decimals = -1);

// Trims blanks and tabs at both ends.
std::string_view Trim(std::string_view text);

// The text in lower case (ASCII letters only), as column and model names are
// matched.
std::string Lower(std::string_view text);

// The shortest exact text of a finite number; empty for NaN or an infinity
// (a blank cell of a table the fleet writes).
std::string FiniteText(double value);

}  // namespace qrvp::fleet

#endif
