// The settings readers over a settings file: the key an empty subkey names,
// the report connection count, the log's file name, and stores that are
// missing, malformed or hostile.
#include "QRVPFuncs.h"
#include "frame/log.h"
#include "frame/settings.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class FrameSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() /
               ("qrvp_settings_" + std::to_string(getpid()) + "_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::create_directories(dir_);
        store_ = (dir_ / "registry.reg").string();
        ::setenv("QRVPFUNCS_REGISTRY", store_.c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("QRVPFUNCS_REGISTRY");
        fs::remove_all(dir_);
    }
    void Store(const std::string& body)
    {
        std::ofstream(store_, std::ios::binary | std::ios::trunc)
            << "Windows Registry Editor Version 5.00\n\n" << body;
    }
    static std::string Key(const std::string& subkey)
    {
        return "[HKEY_LOCAL_MACHINE\\Software\\Ostrel Labs" + (subkey.empty() ? "" : "\\" + subkey) + "]\n";
    }

    fs::path dir_;
    std::string store_;
};

// How values of each type read as four bytes is held to the registry's own
// answers in platform_settings_parity_test; here, the key the subkey names.
TEST_F(FrameSettings, EmptySubkeyReadsUnderTheRootKey)
{
    Store(Key("") + "\"Root\"=dword:3\n");
    EXPECT_EQ(GetRegistryValueInt(L"", L"Root"), 3);
    EXPECT_EQ(GetRegistryValueInt(nullptr, L"Root"), 0);
    EXPECT_EQ(GetRegistryValueInt(L"Quarvex", L"Root"), 0);
}

TEST_F(FrameSettings, ReportThreading)
{
    struct Case {
        const char* line;
        int32_t expected;
    };
    const Case cases[] = {{"", 20}, {"\"MaxConnections\"=dword:0\n", 20},
                          {"\"MaxConnections\"=dword:ffffffff\n", 20}, {"\"MaxConnections\"=dword:8\n", 8}};
    for (const Case& c : cases) {
        Store(Key("Quarvex\\Valcore") + c.line);
        int32_t count = -1;
        EXPECT_EQ(GetReportThreading(&count), 0);
        EXPECT_EQ(count, c.expected) << c.line;
    }
    EXPECT_EQ(GetReportThreading(nullptr), -1);
}

TEST_F(FrameSettings, LogFileName)
{
    const std::string key = Key("Quarvex\\Error Log");
    Store(key + "\"Filename\"=\"C:\\\\Logs\\\\Run \\u00e9.csv\"\n");
    EXPECT_EQ(qrvp::ReadLogFileSetting(), L"C:\\Logs\\Run \\u00e9.csv");
    Store(key + "\"Filename\"=\"/var/log/\xf0\x9f\x98\x80.csv\"\n");
    EXPECT_EQ(qrvp::ReadLogFileSetting(), L"/var/log/\U0001F600.csv");
    // Taken as stored, whatever the type: an expandable text is not expanded.
    Store(key + "\"Filename\"=hex(2):25,00,54,00,4d,00,50,00,25,00,00,00\n");
    EXPECT_EQ(qrvp::ReadLogFileSetting(), L"%TMP%");
    // An odd last byte pairs with the zero that follows it in the buffer.
    Store(key + "\"Filename\"=hex:61,00,62\n");
    EXPECT_EQ(qrvp::ReadLogFileSetting(), L"ab");

    // 1,022 characters and a terminator fill 2,046 bytes; one more is too many.
    const std::string longest(1022, 'x');
    Store(key + "\"Filename\"=\"" + longest + "\"\n");
    EXPECT_EQ(qrvp::ReadLogFileSetting().size(), 1022u);
    Store(key + "\"Filename\"=\"" + longest + "y\"\n\"Levels\"=dword:20\n\"Systems\"=dword:200\n");
    EXPECT_EQ(qrvp::ReadLogFileSetting(), L"");
    _LogInit();
    const qrvp::log::LogSettings settings = qrvp::log::CurrentSettings();
    _LogClose();
    EXPECT_EQ(settings.fileName, L"logs\\QuarvexLog.csv");
    EXPECT_EQ(settings.levelMask, 0x20u);
    EXPECT_EQ(settings.systemMask, 0x200u);
}

TEST_F(FrameSettings, KeyPathIsCutAtTheFormatterLimit)
{
    EXPECT_EQ(qrvp::SettingsKeyPath(L""), L"Software\\Ostrel Labs");
    EXPECT_EQ(qrvp::SettingsKeyPath(L"Quarvex\\Valcore"), L"Software\\Ostrel Labs\\Quarvex\\Valcore");
    const std::wstring cut = qrvp::SettingsKeyPath(std::wstring(5000, L'k').c_str());
    EXPECT_EQ(cut.size(), 1023u);
}

TEST_F(FrameSettings, UnreadableStoresGiveDefaults)
{
    const auto masks = [] { return GetRegistryValueInt(L"Quarvex\\Error Log", L"Levels"); };
    const std::string good = Key("Quarvex\\Error Log") + "\"Levels\"=dword:20\n";
    Store(good);
    ASSERT_EQ(masks(), 0x20);

    fs::remove(store_);
    EXPECT_EQ(masks(), 0);
    ::setenv("QRVPFUNCS_REGISTRY", (dir_ / "missing" / "x.reg").c_str(), 1);
    EXPECT_EQ(masks(), 0);
    ::setenv("QRVPFUNCS_REGISTRY", dir_.c_str(), 1);  // a directory
    EXPECT_EQ(masks(), 0);
    // A FIFO nobody writes to: a blocking read would never return.
    const std::string fifo = (dir_ / "fifo.reg").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ::setenv("QRVPFUNCS_REGISTRY", fifo.c_str(), 1);
    EXPECT_EQ(masks(), 0);

    // Larger than the bound: not read at all.
    ::setenv("QRVPFUNCS_REGISTRY", store_.c_str(), 1);
    Store(good + "; " + std::string(17u << 20, 'x') + "\n");
    EXPECT_EQ(masks(), 0);
    // A malformed line is skipped, the rest still read.
    Store(Key("Quarvex\\Error Log") + "\"Levels\"=dword:zz\n\"Levels\"=dword:40\n\"Levels\"=dword:123456789\n");
    EXPECT_EQ(masks(), 0x40);
}

}  // namespace
