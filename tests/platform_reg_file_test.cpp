// The exported-registry file as a settings store: its grammar, the registry's
// byte forms of each value type, and files that try to hurt the reader.  (The
// forms a registry export holds, in UTF-16LE, are held to the registry's own
// answers in platform_settings_parity_test.)
#include "platform/posix/posix_path.h"
#include "platform/posix/reg_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using qrvp::platform::posix::LookUpRegValue;
using qrvp::platform::posix::ToUtf8;
using qrvp::platform::posix::RegLookup;
using Bytes = std::vector<uint8_t>;

const std::string kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";
const std::string kKey = "[HKEY_LOCAL_MACHINE\\Software\\Ostrel Labs\\Quarvex\\Error Log]\r\n";
const wchar_t* kPath = L"Software\\Ostrel Labs\\Quarvex\\Error Log";

RegLookup Find(const std::string& file, const wchar_t* value = L"V", const wchar_t* path = kPath)
{
    return LookUpRegValue(file, path, value);
}

// The text as the registry editor exports it: UTF-16LE after its byte-order mark.
std::string Utf16(const std::u32string& text)
{
    std::string out = "\xff\xfe";
    const auto unit = [&](char32_t u) { out.append(1, static_cast<char>(u & 0xFF)).append(1, static_cast<char>(u >> 8)); };
    for (const char32_t c : text) {
        if (c < 0x10000) unit(c);
        else unit(0xD800 + ((c - 0x10000) >> 10)), unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
    return out;
}

TEST(PlatformRegFile, NamesAtTheEdgesOfEncodingsAndCase)
{
    // A code point at each edge of UTF-8's and UTF-16's forms: the bytes
    // ToUtf8 gives it, and a value so named found in a UTF-8 and a UTF-16LE file.
    const struct {
        char32_t c;
        const char* utf8;
    } points[] = {{0x7F, "\x7f"}, {0x80, "\xc2\x80"}, {0x7FF, "\xdf\xbf"}, {0x800, "\xe0\xa0\x80"},
                  {0xD7FF, "\xed\x9f\xbf"}, {0xD800, "?"}, {0xDFFF, "?"}, {0xE000, "\xee\x80\x80"},
                  {0xFFFF, "\xef\xbf\xbf"}, {0x10000, "\xf0\x90\x80\x80"}, {0x10FFFF, "\xf4\x8f\xbf\xbf"},
                  {0x110000, "?"}};
    const std::u32string head(kHeader.begin(), kHeader.end()), key(kKey.begin(), kKey.end());
    for (const auto& p : points) {
        const std::wstring name(1, static_cast<wchar_t>(p.c));
        EXPECT_EQ(ToUtf8(name.c_str(), false), p.utf8) << std::hex << static_cast<uint32_t>(p.c);
        if (p.c > 0x10FFFF) continue;
        const bool surrogate = p.c >= 0xD800 && p.c <= 0xDFFF;  // alone, it reads as U+FFFD
        const wchar_t* asked = surrogate ? L"\xFFFD" : name.c_str();
        const std::string utf8File = kHeader + kKey + "\"" + p.utf8 + "\"=dword:1\r\n";
        EXPECT_TRUE(surrogate || Find(utf8File, asked).valueFound) << std::hex << static_cast<uint32_t>(p.c);
        EXPECT_TRUE(Find(Utf16(head + key + U'"' + p.c + U"\"=dword:1\r\n"), asked).valueFound) << std::hex << static_cast<uint32_t>(p.c);
    }
    // An odd last byte of a UTF-16LE file is no character.
    EXPECT_EQ(Find(Utf16(head + key + U"\"V\"=dword:1") + "2").data, (Bytes{1, 0, 0, 0}));
    // Names match in any case of ASCII and Latin-1 letters, and only of letters;
    // an overlong UTF-8 form matches nothing.
    const struct {
        const char* stored;
        const wchar_t* asked;
        bool found;
    } names[] = {{"a", L"A", true},          {"z", L"Z", true},           {"`", L"@", false},
                 {"{", L"[", false},         {"\xc3\xa0", L"\xC0", true}, {"\xc3\x80", L"\xE0", true},
                 {"\xc3\xbe", L"\xDE", true}, {"\xc3\xb7", L"\xD7", false}, {"\xc3\xbf", L"\xDF", false},
                 {"\xc3\x9f", L"\xBF", false}, {"\xc1\xbf", L"\x7F", false}, {"\xe0\x9f\xbf", L"\x7FF", false}};
    for (const auto& n : names)
        EXPECT_EQ(Find(kHeader + kKey + "\"" + n.stored + "\"=dword:1\r\n", n.asked).valueFound, n.found) << n.stored;
}

TEST(PlatformRegFile, ValueForms)
{
    const struct {
        const char* line;
        bool found;
        Bytes data;
    } cases[] = {
        {"\"V\"=dword:DeadBeef", true, {0xEF, 0xBE, 0xAD, 0xDE}},
        {"\"V\"=dword:123456789", false, {}},  // nine digits: malformed
        {"\"V\"=dword:", false, {}},
        {"\"V\"=\"\"", true, {0, 0}},
        {"\"V\"=\"\xf0\x9f\x98\x80\"", true, {0x3D, 0xD8, 0x00, 0xDE, 0, 0}},
        {"\"V\"=\"\xef\xbf\xbf\"", true, {0xFF, 0xFF, 0, 0}},  // the last character of one UTF-16 unit
        {"\"V\"=\"unterminated", false, {}},
        {"\"V\"=\"x\" trailing", false, {}},
        {"\"V\"=hex: 0a , 0B ,f9,AF,", true, {0x0A, 0x0B, 0xF9, 0xAF}},  // each end of each digit range
        {"\"V\"=hex:123", false, {}},
        {"\"V\"=HEX(00000007):61,00,00,00,00,00", true, {0x61, 0, 0, 0, 0, 0}},
        {"\"V\"=qword:1", false, {}},
        {"\"V\" = dword:1", true, {1, 0, 0, 0}},
        {"\"V\"=hex(000000007):61,00", false, {}},  // a type of nine digits: malformed
        // A name without '=' after it is no assignment, whatever follows.
        {"\"V\"=dword:1\r\n\"V\"x-\r\n\"V\"xdword:2\r\n\"V\"", true, {1, 0, 0, 0}},
        {"\"V\" dword:3", false, {}},
    };
    for (const auto& c : cases) {
        const RegLookup r = Find(kHeader + kKey + c.line + "\r\n");
        EXPECT_TRUE(r.keyFound) << c.line;
        EXPECT_EQ(r.valueFound, c.found) << c.line;
        EXPECT_EQ(r.data, c.data) << c.line;
    }
}

TEST(PlatformRegFile, KeysAndOrder)
{
    const std::string file = kHeader +
                             "; comment\n"
                             "[HKEY_CURRENT_USER\\Software\\Ostrel Labs]\n\"V\"=dword:9\n"
                             "[hkey_local_machine\\SOFTWARE\\ostrel labs]\n@=dword:5\n\"V\"=dword:1\n"
                             "[HKEY_LOCAL_MACHINE\\Software\\Ostrel Labs\\Quarvex\\Valcore]\n\"V\"=dword:2\n"
                             "\"V\"=dword:3\n";
    // Only the machine's keys, named in any case; a later line overrides an earlier one.
    EXPECT_EQ(Find(file, L"V", L"Software\\Ostrel Labs").data, (Bytes{1, 0, 0, 0}));
    EXPECT_EQ(Find(file, L"V", L"Software\\Ostrel Labs\\Quarvex\\Valcore").data, (Bytes{3, 0, 0, 0}));
    // A key exists when a key below it is named; its values do not.
    const RegLookup parent = Find(file, L"V", L"Software\\Ostrel Labs\\Quarvex");
    EXPECT_TRUE(parent.keyFound);
    EXPECT_FALSE(parent.valueFound);
    EXPECT_TRUE(Find(file, L"V", L"").keyFound);
    // A deletion reaches only below its key, and a key deleted can come back.
    const std::string base = kHeader + kKey + "\"V\"=dword:1\n";
    EXPECT_TRUE(Find(base + "[-HKEY_LOCAL_MACHINE\\Software\\Ostrel Labs\\Quarvex\\Error Log\\Sub]\n").valueFound);
    const RegLookup again = Find(base + "[-HKEY_LOCAL_MACHINE\\Software\\Ostrel Labs\\Quarvex]\n" + kKey + "\"V\"=dword:2\n");
    EXPECT_EQ(again.data, (Bytes{2, 0, 0, 0}));
}

TEST(PlatformRegFile, HeadersEncodingsAndContinuations)
{
    const std::string body = kKey + "\"V\"=hex:01,\\\n   02,\\\r\n  03\n";
    EXPECT_EQ(Find(kHeader + body).data, (Bytes{1, 2, 3}));
    EXPECT_EQ(Find("REGEDIT4\n" + body).data, (Bytes{1, 2, 3}));
    EXPECT_EQ(Find("\xef\xbb\xbf" + kHeader + body).data, (Bytes{1, 2, 3}));
    EXPECT_FALSE(Find("Windows Registry Editor Version 4.00\n" + body).keyFound);
    EXPECT_FALSE(Find(body).keyFound);
    EXPECT_FALSE(Find("").keyFound);
}

TEST(PlatformRegFile, HostileFilesEndQuickly)
{
    // Bytes of every value, NULs and broken UTF-8 among the lines.
    std::string noise = kHeader + kKey;
    for (int i = 0; i < 200000; ++i) noise.push_back(static_cast<char>((i * 7919) & 0xFF));
    noise += "\n\"V\"=dword:4\n";
    EXPECT_EQ(Find(noise).data, (Bytes{4, 0, 0, 0}));

    // A continuation that never ends, and one line longer than the bound.
    std::string endless = kHeader + kKey + "\"V\"=hex:01,";
    for (int i = 0; i < 400000; ++i) endless += "02,\\\n";
    EXPECT_FALSE(Find(endless).valueFound);
    std::string longLine = kHeader + kKey + "\"V\"=hex:" + std::string(3u << 20, '0') + "\n\"V\"=dword:5\n";
    EXPECT_EQ(Find(longLine).data, (Bytes{5, 0, 0, 0}));

    // A key path nested thousands deep.
    std::string deep = kHeader + "[HKEY_LOCAL_MACHINE";
    for (int i = 0; i < 100000; ++i) deep += "\\k";
    deep += "]\n\"V\"=dword:1\n";
    EXPECT_FALSE(Find(deep).valueFound);

    // Brackets and quotes without their partners.
    EXPECT_FALSE(Find(kHeader + "[HKEY_LOCAL_MACHINE\\Software\\Ostrel Labs\\Quarvex\\Error Log\n\"V\"=dword:1\n").valueFound);
    EXPECT_FALSE(Find(kHeader + kKey + "\"V=dword:1\n").valueFound);
    EXPECT_FALSE(Find(kHeader + kKey + "]\n[\n\"\n@\n=\n").valueFound);
}

}  // namespace
