// The exported-registry file as a settings store: its grammar, the registry's
// byte forms of each value type, and files that try to hurt the reader.  (The
// forms a registry export holds, in UTF-16LE, are held to the registry's own
// answers in platform_settings_parity_test.)
#include "platform/posix/reg_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using qrvp::platform::posix::LookUpRegValue;
using qrvp::platform::posix::RegLookup;
using Bytes = std::vector<uint8_t>;

const std::string kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";
const std::string kKey = "[HKEY_LOCAL_MACHINE\\Software\\Ostrel Labs\\Quarvex\\Error Log]\r\n";
const wchar_t* kPath = L"Software\\Ostrel Labs\\Quarvex\\Error Log";

RegLookup Find(const std::string& file, const wchar_t* value = L"V", const wchar_t* path = kPath)
{
    return LookUpRegValue(file, path, value);
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
        {"\"V\"=\"unterminated", false, {}},
        {"\"V\"=\"x\" trailing", false, {}},
        {"\"V\"=hex: 0a , 0B ,", true, {0x0A, 0x0B}},
        {"\"V\"=hex:123", false, {}},
        {"\"V\"=HEX(7):61,00,00,00,00,00", true, {0x61, 0, 0, 0, 0, 0}},
        {"\"V\"=qword:1", false, {}},
        {"\"V\" = dword:1", true, {1, 0, 0, 0}},
        {"\"W\"=dword:2", false, {}},
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
