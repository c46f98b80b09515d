#include "platform/posix/reg_file.h"

#include <string>

namespace qrvp::platform::posix {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Yields the file's characters one by one, so a file is never held decoded.
class Decoder {
public:
    explicit Decoder(std::string_view bytes) : bytes_(bytes)
    {
        if (bytes_.size() >= 2 && Byte(0) == 0xFF && Byte(1) == 0xFE) {
            utf16_ = true;
            pos_ = 2;
        } else if (bytes_.size() >= 3 && Byte(0) == 0xEF && Byte(1) == 0xBB && Byte(2) == 0xBF) {
            pos_ = 3;
        }
    }

    bool Next(char32_t& c) { return utf16_ ? NextUtf16(c) : NextUtf8(c); }

private:
    uint32_t Byte(size_t i) const { return static_cast<unsigned char>(bytes_[i]); }

    bool NextUnit(uint32_t& unit)
    {
        if (pos_ + 1 >= bytes_.size()) return false;  // an odd last byte is dropped
        unit = Byte(pos_) | (Byte(pos_ + 1) << 8);
        pos_ += 2;
        return true;
    }

    bool NextUtf16(char32_t& c)
    {
        uint32_t unit = 0;
        if (!NextUnit(unit)) return false;
        if (unit >= 0xD800 && unit <= 0xDBFF && pos_ + 1 < bytes_.size()) {
            const uint32_t low = Byte(pos_) | (Byte(pos_ + 1) << 8);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                pos_ += 2;
                c = static_cast<char32_t>(0x10000u + ((unit - 0xD800u) << 10) + (low - 0xDC00u));
                return true;
            }
        }
        c = (unit >= 0xD800 && unit <= 0xDFFF) ? kReplacement : static_cast<char32_t>(unit);
        return true;
    }

    bool NextUtf8(char32_t& c)
    {
        if (pos_ >= bytes_.size()) return false;
        const uint32_t lead = Byte(pos_);
        size_t extra = 0;
        uint32_t value = 0;
        uint32_t minimum = 0;
        if (lead < 0x80) {
            c = static_cast<char32_t>(lead);
            ++pos_;
            return true;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1, value = lead & 0x1F, minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2, value = lead & 0x0F, minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3, value = lead & 0x07, minimum = 0x10000;
        } else {
            c = kReplacement;
            ++pos_;
            return true;
        }
        if (pos_ + extra >= bytes_.size()) {
            c = kReplacement;
            ++pos_;
            return true;
        }
        for (size_t i = 1; i <= extra; ++i) {
            const uint32_t next = Byte(pos_ + i);
            if ((next & 0xC0) != 0x80) {
                c = kReplacement;
                ++pos_;
                return true;
            }
            value = (value << 6) | (next & 0x3F);
        }
        if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            c = kReplacement;
            ++pos_;
            return true;
        }
        pos_ += extra + 1;
        c = static_cast<char32_t>(value);
        return true;
    }

    std::string_view bytes_;
    size_t pos_ = 0;
    bool utf16_ = false;
};

bool IsBlank(char32_t c) { return c == U' ' || c == U'\t' || c == U'\r' || c == 0xFEFF; }

void TrimRight(std::u32string& s)
{
    while (!s.empty() && IsBlank(s.back())) s.pop_back();
}

size_t SkipBlanks(const std::u32string& s, size_t i)
{
    while (i < s.size() && IsBlank(s[i])) ++i;
    return i;
}

// Lines of the file, with continuations joined and over-long lines flagged.
class LineReader {
public:
    explicit LineReader(std::string_view bytes) : decoder_(bytes) {}

    // False at the end of the file.  `line` has no line end and no trailing
    // blanks; `tooLong` says it was cut and must be skipped.
    bool Next(std::u32string& line, bool& tooLong)
    {
        line.clear();
        tooLong = false;
        bool continues = false;
        if (!Physical(line, tooLong, continues)) return false;
        TrimRight(line);
        if (continues && !tooLong) line.pop_back();
        while (continues) {
            std::u32string more;
            bool moreTooLong = false;
            if (!Physical(more, moreTooLong, continues)) break;
            if (tooLong || moreTooLong) {
                // Keep consuming the continued line so the next one starts fresh.
                tooLong = true;
                continue;
            }
            TrimRight(more);
            if (continues) more.pop_back();
            const size_t start = SkipBlanks(more, 0);
            if (line.size() + (more.size() - start) > kMaxRegLineChars) {
                tooLong = true;
                continue;
            }
            line.append(more, start, std::u32string::npos);
        }
        if (tooLong) line.clear();
        return true;
    }

private:
    // One physical line; `continues` says its last non-blank character is a
    // backslash, even when the line was too long to keep.
    bool Physical(std::u32string& out, bool& tooLong, bool& continues)
    {
        char32_t c = 0;
        char32_t lastNonBlank = 0;
        bool any = false;
        while (decoder_.Next(c)) {
            any = true;
            if (c == U'\n') break;
            if (!IsBlank(c)) lastNonBlank = c;
            if (out.size() < kMaxRegLineChars) {
                out.push_back(c);
            } else {
                tooLong = true;
            }
        }
        continues = any && lastNonBlank == U'\\';
        return any;
    }

    Decoder decoder_;
};

char32_t Fold(char32_t c)
{
    if (c >= U'a' && c <= U'z') return c - 0x20;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
    return c;
}

bool SameName(std::u32string_view a, std::u32string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i])) return false;
    }
    return true;
}

// True when `inner` names a key strictly below `outer`.
bool IsBelow(std::u32string_view inner, std::u32string_view outer)
{
    if (outer.empty()) return !inner.empty();
    return inner.size() > outer.size() && inner[outer.size()] == U'\\' &&
           SameName(inner.substr(0, outer.size()), outer);
}

std::u32string FromWide(std::wstring_view text)
{
    std::u32string out;
    out.reserve(text.size());
    for (const wchar_t c : text) out.push_back(static_cast<char32_t>(static_cast<uint32_t>(c)));
    return out;
}

// Reads a quoted string starting at s[i] == '"'; i ends after the closing
// quote.  False when the string is not closed.
bool QuotedText(const std::u32string& s, size_t& i, std::u32string& text)
{
    text.clear();
    ++i;
    while (i < s.size()) {
        const char32_t c = s[i];
        if (c == U'"') {
            ++i;
            return true;
        }
        if (c == U'\\' && i + 1 < s.size() && (s[i + 1] == U'\\' || s[i + 1] == U'"')) {
            text.push_back(s[i + 1]);
            i += 2;
            continue;
        }
        text.push_back(c);
        ++i;
    }
    return false;
}

int HexDigit(char32_t c)
{
    if (c >= U'0' && c <= U'9') return static_cast<int>(c - U'0');
    if (c >= U'a' && c <= U'f') return static_cast<int>(c - U'a') + 10;
    if (c >= U'A' && c <= U'F') return static_cast<int>(c - U'A') + 10;
    return -1;
}

bool StartsWithFolded(const std::u32string& s, size_t i, std::u32string_view prefix)
{
    return s.size() - i >= prefix.size() && SameName(std::u32string_view(s).substr(i, prefix.size()), prefix);
}

bool OnlyBlanksFrom(const std::u32string& s, size_t i) { return SkipBlanks(s, i) == s.size(); }

void AppendUtf16(std::vector<uint8_t>& out, uint32_t unit)
{
    out.push_back(static_cast<uint8_t>(unit & 0xFF));
    out.push_back(static_cast<uint8_t>(unit >> 8));
}

bool ParseText(const std::u32string& s, size_t i, std::vector<uint8_t>& data)
{
    std::u32string text;
    if (!QuotedText(s, i, text) || !OnlyBlanksFrom(s, i)) return false;
    data.clear();
    data.reserve(text.size() * 2 + 2);
    for (const char32_t c : text) {
        const auto code = static_cast<uint32_t>(c);
        if (code > 0xFFFF) {
            AppendUtf16(data, 0xD800u + ((code - 0x10000u) >> 10));
            AppendUtf16(data, 0xDC00u + ((code - 0x10000u) & 0x3FFu));
        } else {
            AppendUtf16(data, code);
        }
    }
    AppendUtf16(data, 0);
    return true;
}

bool ParseDword(const std::u32string& s, size_t i, std::vector<uint8_t>& data)
{
    uint32_t value = 0;
    size_t digits = 0;
    for (; i < s.size() && HexDigit(s[i]) >= 0; ++i, ++digits) {
        if (digits == 8) return false;
        value = (value << 4) | static_cast<uint32_t>(HexDigit(s[i]));
    }
    if (digits == 0 || !OnlyBlanksFrom(s, i)) return false;
    data = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 24)};
    return true;
}

// "01,ff, 2a" (an empty list and one trailing comma allowed).
bool ParseHexList(const std::u32string& s, size_t i, std::vector<uint8_t>& data)
{
    data.clear();
    i = SkipBlanks(s, i);
    while (i < s.size()) {
        int value = 0;
        size_t digits = 0;
        for (; i < s.size() && HexDigit(s[i]) >= 0; ++i, ++digits) {
            if (digits == 2) return false;
            value = value * 16 + HexDigit(s[i]);
        }
        if (digits == 0) return false;
        data.push_back(static_cast<uint8_t>(value));
        i = SkipBlanks(s, i);
        if (i == s.size()) break;
        if (s[i] != U',') return false;
        i = SkipBlanks(s, i + 1);
    }
    return true;
}

enum class DataKind { kValue, kDelete, kMalformed };

DataKind ParseData(const std::u32string& s, size_t i, std::vector<uint8_t>& data)
{
    i = SkipBlanks(s, i);
    if (i >= s.size()) return DataKind::kMalformed;
    if (s[i] == U'-') return OnlyBlanksFrom(s, i + 1) ? DataKind::kDelete : DataKind::kMalformed;
    if (s[i] == U'"') return ParseText(s, i, data) ? DataKind::kValue : DataKind::kMalformed;
    if (StartsWithFolded(s, i, U"dword:")) {
        return ParseDword(s, i + 6, data) ? DataKind::kValue : DataKind::kMalformed;
    }
    if (StartsWithFolded(s, i, U"hex:")) {
        return ParseHexList(s, i + 4, data) ? DataKind::kValue : DataKind::kMalformed;
    }
    if (StartsWithFolded(s, i, U"hex(")) {
        size_t j = i + 4;
        size_t digits = 0;
        for (; j < s.size() && HexDigit(s[j]) >= 0; ++j) ++digits;
        if (digits == 0 || digits > 8 || j + 1 >= s.size() || s[j] != U')' || s[j + 1] != U':') {
            return DataKind::kMalformed;
        }
        return ParseHexList(s, j + 2, data) ? DataKind::kValue : DataKind::kMalformed;
    }
    return DataKind::kMalformed;
}

bool IsHeaderLine(const std::u32string& line)
{
    std::u32string trimmed = line.substr(SkipBlanks(line, 0));
    return trimmed == U"Windows Registry Editor Version 5.00" || trimmed == U"REGEDIT4";
}

}  // namespace

RegLookup LookUpRegValue(std::string_view fileBytes, std::wstring_view keyPath, std::wstring_view valueName)
{
    RegLookup result;
    const std::u32string target = FromWide(keyPath);
    const std::u32string wanted = FromWide(valueName);
    constexpr std::u32string_view kHive = U"HKEY_LOCAL_MACHINE";

    LineReader reader(fileBytes);
    std::u32string line;
    bool tooLong = false;
    if (!reader.Next(line, tooLong) || tooLong || !IsHeaderLine(line)) return result;

    bool inTarget = false;
    std::u32string name;
    std::vector<uint8_t> data;
    while (reader.Next(line, tooLong)) {
        if (tooLong) continue;
        const size_t start = SkipBlanks(line, 0);
        if (start == line.size() || line[start] == U';') continue;

        if (line[start] == U'[') {
            inTarget = false;
            const size_t close = line.rfind(U']');
            if (close == std::u32string::npos || close <= start) continue;
            std::u32string_view inner = std::u32string_view(line).substr(start + 1, close - start - 1);
            const bool deletion = !inner.empty() && inner.front() == U'-';
            if (deletion) inner.remove_prefix(1);
            if (!StartsWithFolded(std::u32string(inner), 0, kHive)) continue;
            std::u32string_view path = inner.substr(kHive.size());
            if (!path.empty()) {
                if (path.front() != U'\\') continue;  // another hive whose name starts alike
                path.remove_prefix(1);
            }
            if (deletion) {
                if (SameName(path, target) || IsBelow(target, path)) {
                    result = RegLookup{};
                }
                continue;
            }
            if (SameName(path, target)) {
                result.keyFound = true;
                inTarget = true;
            } else if (IsBelow(path, target)) {
                result.keyFound = true;
            }
            continue;
        }

        if (!inTarget) continue;
        size_t i = start;
        if (line[i] == U'@') {
            name.clear();
            ++i;
        } else if (line[i] == U'"') {
            if (!QuotedText(line, i, name)) continue;
        } else {
            continue;
        }
        i = SkipBlanks(line, i);
        if (i >= line.size() || line[i] != U'=') continue;
        if (!SameName(name, wanted)) continue;
        switch (ParseData(line, i + 1, data)) {
        case DataKind::kValue:
            result.valueFound = true;
            result.data = data;
            break;
        case DataKind::kDelete:
            result.valueFound = false;
            result.data.clear();
            break;
        case DataKind::kMalformed:
            break;
        }
    }
    return result;
}

}  // namespace qrvp::platform::posix
