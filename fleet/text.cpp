#include "fleet/text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace qrvp::fleet {

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::string Lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

namespace {

// The trimmed text without a leading '+' (from_chars takes none); empty,
// which no number reads, for a sign after it ("+-1").
std::string_view UnsignedPlus(std::string_view text)
{
    text = Trim(text);
    if (text.empty() || text.front() != '+') return text;
    text.remove_prefix(1);
    return !text.empty() && (text.front() == '-' || text.front() == '+') ? std::string_view() : text;
}

}  // namespace

std::string FiniteText(double value) { return std::isfinite(value) ? FormatNumber(value) : std::string(); }

std::optional<double> ParseNumber(std::string_view text)
{
    text = UnsignedPlus(text);
    if (text.empty()) return std::nullopt;
    double value = 0.0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    // A value beyond the double range is an error for from_chars; it is still
    // a number the user wrote, so it reads as the infinity strtod would give.
    if (ec == std::errc::result_out_of_range && ptr == end) {
        std::string copy(text);
        return std::strtod(copy.c_str(), nullptr);
    }
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

std::optional<int32_t> ParseInt(std::string_view text)
{
    text = UnsignedPlus(text);
    int32_t value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

namespace {

struct DateFields {
    unsigned long long year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Digits only, at least one, at most ten.
bool ReadField(std::string_view text, unsigned long long& value)
{
    if (text.empty() || text.size() > 10) return false;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size();
}

std::optional<DateFields> SplitDate(std::string_view text)
{
    text = Trim(text);
    DateFields f;
    std::string_view day = text, time;
    size_t sep = text.find_first_of("T ");
    if (sep != std::string_view::npos) {
        day = text.substr(0, sep);
        time = text.substr(sep + 1);
        if (time.empty()) return std::nullopt;
    }
    size_t d1 = day.find('-');
    size_t d2 = d1 == std::string_view::npos ? d1 : day.find('-', d1 + 1);
    if (d2 == std::string_view::npos) return std::nullopt;
    if (!ReadField(day.substr(0, d1), f.year) || !ReadField(day.substr(d1 + 1, d2 - d1 - 1), f.month) ||
        !ReadField(day.substr(d2 + 1), f.day))
        return std::nullopt;
    if (!time.empty()) {
        size_t c1 = time.find(':');
        size_t c2 = c1 == std::string_view::npos ? c1 : time.find(':', c1 + 1);
        if (c2 == std::string_view::npos) return std::nullopt;
        if (!ReadField(time.substr(0, c1), f.hour) || !ReadField(time.substr(c1 + 1, c2 - c1 - 1), f.minute) ||
            !ReadField(time.substr(c2 + 1), f.second))
            return std::nullopt;
    }
    return f;
}

}  // namespace

std::optional<Date> ParseDate(std::string_view text)
{
    auto f = SplitDate(text);
    if (!f || f->year < 1800 || f->year > 2999 || f->month < 1 || f->month > 12 || f->day < 1 ||
        f->hour > 23 || f->minute > 59 || f->second > 59)
        return std::nullopt;
    Date date(static_cast<int32_t>(f->year), static_cast<int32_t>(f->month), static_cast<int32_t>(f->day),
              static_cast<int32_t>(f->hour), static_cast<int32_t>(f->minute), static_cast<int32_t>(f->second));
    if (f->day > static_cast<unsigned long long>(date.DaysInMonth())) return std::nullopt;
    return date;
}

std::optional<Date> ParseRawDate(std::string_view text)
{
    auto f = SplitDate(text);
    if (!f || f->year > 0xFFFFFFFFull || f->month > 0xFFFF || f->day > 0xFFFF || f->hour > 0xFFFF ||
        f->minute > 0xFFFF || f->second > 0xFFFFFFFFull)
        return std::nullopt;
    Date date;
    date.year = static_cast<uint32_t>(f->year);
    date.month = static_cast<uint16_t>(f->month);
    date.day = static_cast<uint16_t>(f->day);
    date.hour = static_cast<uint16_t>(f->hour);
    date.minute = static_cast<uint16_t>(f->minute);
    date.second = static_cast<uint32_t>(f->second);
    return date;
}

std::string FormatDay(const Date& date)
{
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02u", static_cast<unsigned>(date.year),
                  static_cast<unsigned>(date.month), static_cast<unsigned>(date.day));
    return buffer;
}

std::string FormatDate(const Date& date)
{
    std::string text = FormatDay(date);
    if (date.hour != 0 || date.minute != 0 || date.second != 0) {
        char buffer[48];
        std::snprintf(buffer, sizeof buffer, "T%02u:%02u:%02u", static_cast<unsigned>(date.hour),
                      static_cast<unsigned>(date.minute), static_cast<unsigned>(date.second));
        text += buffer;
    }
    return text;
}

namespace {

#if defined(__SIZEOF_INT128__)
__extension__ typedef unsigned __int128 Wide;

// Fixed-point text of |value| < 2^53 with 0..9 decimals, rounded exactly as
// printf rounds (to nearest, ties to even, on the double's exact value): the
// value is m * 2^e exactly, so m * 10^decimals * 2^e is rounded in 128-bit
// integers.  The forecast writes millions of these.
char* WriteFixedExact(char* at, double value, int decimals)
{
    const double magnitude = std::fabs(value);
    if (!(magnitude < 9007199254740992.0) || decimals < 0 || decimals > 9) return nullptr;
    static constexpr uint32_t kPower[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000,
                                          1000000000};
    const uint32_t scale = kPower[decimals];
    Wide scaled = 0;
    // Anything below 2^-40 rounds to zero at nine decimals or fewer.
    if (magnitude >= 0x1p-40) {
        uint64_t bits = 0;
        std::memcpy(&bits, &magnitude, sizeof bits);
        const auto mantissa = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
        const int shift = 1075 - static_cast<int>(bits >> 52);  // magnitude = mantissa / 2^shift; 0..92
        const Wide n = static_cast<Wide>(mantissa) * scale;         // below 2^83
        scaled = n >> shift;
        // From 2^52 on the value is a whole number (shift 0): nothing to round.
        if (shift > 0) {
            const Wide rest = n - (scaled << shift);
            const Wide half = static_cast<Wide>(1) << (shift - 1);
            if (rest > half || (rest == half && (scaled & 1u) != 0)) ++scaled;
        }
    }
    char buffer[48];
    char* end = buffer + sizeof buffer;
    char* p = end;
    uint64_t whole;
    uint32_t part;
    if (scaled >> 64 == 0) {  // the common case, without a 128-bit division
        const auto narrow = static_cast<uint64_t>(scaled);
        whole = narrow / scale;
        part = static_cast<uint32_t>(narrow % scale);
    } else {
        whole = static_cast<uint64_t>(scaled / scale);
        part = static_cast<uint32_t>(scaled % scale);
    }
    // Two digits at a time.
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    int left = decimals;
    for (; left >= 2; left -= 2) {
        const uint32_t pair = part % 100u;
        part /= 100u;
        p -= 2;
        p[0] = kPairs[2 * pair];
        p[1] = kPairs[2 * pair + 1];
    }
    if (left == 1) *--p = static_cast<char>('0' + part % 10u);
    if (decimals > 0) *--p = '.';
    while (whole >= 100) {
        const auto pair = static_cast<size_t>(whole % 100u);
        whole /= 100u;
        p -= 2;
        p[0] = kPairs[2 * pair];
        p[1] = kPairs[2 * pair + 1];
    }
    if (whole >= 10) {
        p -= 2;
        p[0] = kPairs[2 * whole];
        p[1] = kPairs[2 * whole + 1];
    } else {
        *--p = static_cast<char>('0' + whole);
    }
    if (std::signbit(value)) *--p = '-';
    const auto length = static_cast<size_t>(end - p);
    std::memcpy(at, p, length);
    return at + length;
}
#else
// Without a 128-bit integer the general formatter does the work.
char* WriteFixedExact(char*, double, int) { return nullptr; }
#endif

}  // namespace

char* WriteNumber(char* at, double value, int decimals)
{
    if (decimals >= 0) {
        if (char* end = WriteFixedExact(at, value, decimals)) return end;
    }
    std::to_chars_result r;
    if (decimals < 0)
        r = std::to_chars(at, at + kNumberCapacity, value);
    else
        r = std::to_chars(at, at + kNumberCapacity, value, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) {
        *at = '?';
        return at + 1;
    }
    return r.ptr;
}

void AppendNumber(std::string& out, double value, int decimals)
{
    char buffer[kNumberCapacity];
    out.append(buffer, WriteNumber(buffer, value, decimals));
}

std::string FormatNumber(double value, int decimals)
{
    std::string out;
    AppendNumber(out, value, decimals);
    return out;
}

}  // namespace qrvp::fleet
