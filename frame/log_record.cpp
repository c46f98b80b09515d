#include "frame/log_record.h"

#include <cerrno>
#include <cwchar>
#include <vector>

namespace qrvp::log {

namespace {

constexpr size_t kMessageLimit = kMessageCapacity - 1;
constexpr size_t kRecordLimit = kRecordCapacity - 1;
// Output longer than this is taken as a formatter failure, not measured further.
constexpr size_t kLargestTrial = size_t{1} << 20;

size_t CopyCut(wchar_t* out, const wchar_t* text, size_t length)
{
    const size_t kept = length < kMessageLimit ? length : kMessageLimit;
    wmemcpy(out, text, kept);
    out[kept] = L'\0';
    return kept;
}

// Appends to a record line, silently stopping at the formatter's limit.
class LineBuilder {
public:
    explicit LineBuilder(wchar_t* out) : out_(out) {}

    void Char(wchar_t c)
    {
        if (length_ < kRecordLimit) out_[length_++] = c;
    }
    void Text(const wchar_t* text)
    {
        if (text == nullptr) text = L"(null)";
        for (; *text != L'\0' && length_ < kRecordLimit; ++text) out_[length_++] = *text;
    }
    // %d, or %0<width>d for a width of 2 or 3.
    void Number(int64_t value, int width = 0)
    {
        wchar_t digits[24];
        size_t count = 0;
        const bool negative = value < 0;
        uint64_t magnitude = negative ? 0u - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
        do {
            digits[count++] = static_cast<wchar_t>(L'0' + static_cast<int>(magnitude % 10u));
            magnitude /= 10u;
        } while (magnitude != 0);
        if (negative) Char(L'-');
        for (size_t pad = count; pad < static_cast<size_t>(width); ++pad) Char(L'0');
        while (count > 0) Char(digits[--count]);
    }
    size_t Finish()
    {
        out_[length_] = L'\0';
        return length_;
    }

private:
    wchar_t* out_;
    size_t length_ = 0;
};

}  // namespace

size_t FormatMessage(wchar_t* out, const wchar_t* format, va_list args)
{
    if (format == nullptr) return CopyCut(out, L"(null)", 6);

    va_list trial;
    va_copy(trial, args);
    errno = 0;
    const int written = vswprintf(out, kMessageCapacity, format, trial);
    va_end(trial);
    // Some runtimes cut the output and return the full length instead of
    // failing; a length that does not fit counts as too long either way.
    if (written >= 0 && static_cast<size_t>(written) < kMessageCapacity) return static_cast<size_t>(written);

    // Too long for the buffer (the formatter then reports failure instead of
    // cutting): format into larger buffers and cut the result.  A format the
    // formatter rejects (a text it cannot convert) keeps what came before.
    for (size_t size = kMessageCapacity * 4;; size *= 4) {
        if (size > kLargestTrial) size = kLargestTrial;
        std::vector<wchar_t> larger(size, L'\0');
        va_copy(trial, args);
        errno = 0;
        const int full = vswprintf(larger.data(), size, format, trial);
        const bool rejected = errno == EILSEQ;
        va_end(trial);
        if (full >= 0) return CopyCut(out, larger.data(), static_cast<size_t>(full));
        if (rejected || size == kLargestTrial) return CopyCut(out, larger.data(), wcsnlen(larger.data(), size));
    }
}

size_t FormatRecordLine(wchar_t* out, const RecordFields& f)
{
    LineBuilder line(out);
    line.Number(f.time.month);
    line.Char(L'/');
    line.Number(f.time.day);
    line.Char(L'/');
    line.Number(f.time.year);
    line.Char(L' ');
    line.Number(f.time.hour, 2);
    line.Char(L':');
    line.Number(f.time.minute, 2);
    line.Char(L':');
    line.Number(f.time.second, 2);
    line.Char(L'.');
    line.Number(f.time.milliseconds, 3);
    line.Char(L',');
    line.Number(f.system);
    line.Char(L',');
    line.Number(f.level);
    line.Char(L',');
    line.Number(f.code);
    line.Char(L',');
    line.Text(f.text);
    line.Char(L',');
    // Printed as the signed number the platform's %d makes of the id.
    line.Number(static_cast<int32_t>(f.thread));
    line.Char(L',');
    line.Text(f.function);
    line.Char(L',');
    line.Number(f.line);
    line.Char(L',');
    line.Text(f.message);
    line.Char(L'\n');
    return line.Finish();
}

}  // namespace qrvp::log
