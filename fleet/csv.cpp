#include "fleet/csv.h"

#include "fleet/text.h"

namespace qrvp::fleet {

std::vector<CsvRecord> ReadCsv(const std::string& text)
{
    std::vector<CsvRecord> records;
    size_t i = 0;
    const size_t n = text.size();
    int line = 1;
    // A byte-order mark says nothing about the table.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) i = 3;
    while (i < n) {
        // Skip blank and comment lines.
        size_t eol = text.find('\n', i);
        if (eol == std::string::npos) eol = n;
        std::string_view whole(text.data() + i, eol - i);
        if (Trim(whole).empty() || Trim(whole).front() == '#') {
            i = eol + 1;
            ++line;
            continue;
        }
        CsvRecord record;
        record.line = line;
        std::string field;
        bool quoted = false, wasQuoted = false;
        for (;;) {
            if (i >= n) {
                record.fields.push_back(wasQuoted ? field : std::string(Trim(field)));
                break;
            }
            char c = text[i++];
            if (quoted) {
                if (c == '"') {
                    if (i < n && text[i] == '"') {
                        field += '"';
                        ++i;
                    } else {
                        quoted = false;
                    }
                } else {
                    if (c == '\n') ++line;
                    field += c;
                }
                continue;
            }
            if (c == '"' && Trim(field).empty()) {
                field.clear();
                quoted = wasQuoted = true;
            } else if (c == ',') {
                record.fields.push_back(wasQuoted ? field : std::string(Trim(field)));
                field.clear();
                wasQuoted = false;
            } else if (c == '\n') {
                ++line;
                record.fields.push_back(wasQuoted ? field : std::string(Trim(field)));
                break;
            } else if (c != '\r' || (i < n && text[i] != '\n')) {
                if (!wasQuoted) field += c;
            }
        }
        records.push_back(std::move(record));
    }
    return records;
}

std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace qrvp::fleet
