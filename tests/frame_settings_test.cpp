// The settings readers over a settings file: the log's file name, and stores
// that are missing, malformed or hostile.  (How values of each type read as four bytes
// is held to the registry's own answers in platform_settings_parity_test.)
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
        fs::create_directories(dir_);
        ::setenv("QRVPFUNCS_REGISTRY", store_.c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("QRVPFUNCS_REGISTRY");
        fs::remove_all(dir_);
    }
    // Writes the store: `body` under the key `subkey` names.
    void Store(const std::string& subkey, const std::string& body)
    {
        std::ofstream(store_, std::ios::binary | std::ios::trunc)
            << "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Ostrel Labs"
            << (subkey.empty() ? "" : "\\" + subkey) << "]\n" << body;
    }

    const fs::path dir_ = fs::temp_directory_path() / ("qrvp_settings_" + std::to_string(getpid()));
    const std::string store_ = (dir_ / "registry.reg").string();
};

TEST_F(FrameSettings, LogFileNameAsStored)
{
    const std::string key = "Quarvex\\Error Log";
    const auto read = [&](const std::string& value) {
        Store(key, "\"Filename\"=" + value + "\n");
        return qrvp::ReadLogFileSetting();
    };
    EXPECT_EQ(read("\"C:\\\\Logs\\\\Run \\u00e9.csv\""), L"C:\\Logs\\Run \\u00e9.csv");
    EXPECT_EQ(read("\"/var/log/\xf0\x9f\x98\x80.csv\""), L"/var/log/\U0001F600.csv");
    // Whatever the type: an expandable text is not expanded; an odd last
    // byte pairs with the zero that follows it in the buffer, also when the
    // value fills the whole 2,047 bytes.
    EXPECT_EQ(read("hex(2):25,00,54,00,4d,00,50,00,25,00,00,00"), L"%TMP%");
    EXPECT_EQ(read("hex:61,00,62"), L"ab");
    std::string full = "hex:";
    for (int i = 0; i < 1023; ++i) full += "78,00,";
    EXPECT_EQ(read(full + "79"), std::wstring(1023, L'x') + L"y");
    // 1,022 characters and a terminator fill 2,046 bytes; one more is too
    // many, and the log then takes its default name.
    const std::string longest(1022, 'x');
    EXPECT_EQ(read("\"" + longest + "\"").size(), 1022u);
    Store(key, "\"Filename\"=\"" + longest + "y\"\n\"Levels\"=dword:20\n\"Systems\"=dword:200\n");
    EXPECT_EQ(qrvp::ReadLogFileSetting(), L"");
    _LogInit();
    const qrvp::log::LogSettings settings = qrvp::log::CurrentSettings();
    _LogClose();
    EXPECT_EQ(settings.fileName, L"logs\\QuarvexLog.csv");
    EXPECT_EQ(settings.levelMask, 0x20u);
    EXPECT_EQ(settings.systemMask, 0x200u);
}

TEST_F(FrameSettings, UnreadableStoresGiveDefaults)
{
    const auto levels = [] { return GetRegistryValueInt(L"Quarvex\\Error Log", L"Levels"); };
    Store("Quarvex\\Error Log", "\"Levels\"=dword:20\n");
    ASSERT_EQ(levels(), 0x20);
    // Larger than the bound: not read at all.
    Store("Quarvex\\Error Log", "\"Levels\"=dword:20\n; " + std::string(17u << 20, 'x') + "\n");
    EXPECT_EQ(levels(), 0);
    // A value of more than four bytes is not read either.
    Store("Quarvex\\Error Log", "\"Levels\"=hex:20,00,00,00,00\n");
    EXPECT_EQ(levels(), 0);
    // A key path longer than 1,023 characters is cut there (the store's key
    // "Software\Ostrel Labs\" and 1,002 more); a shorter one is not.
    const std::string sub(1002, 'k');
    Store(sub, "\"Levels\"=dword:7\n");
    for (const std::string& asked : {sub, sub + "extra"}) {
        EXPECT_EQ(GetRegistryValueInt(std::wstring(asked.begin(), asked.end()).c_str(), L"Levels"), 7) << asked.size();
    }
    EXPECT_EQ(GetRegistryValueInt(std::wstring(sub.begin(), sub.end() - 1).c_str(), L"Levels"), 0);
    // A malformed line is skipped, the rest still read.
    Store("Quarvex\\Error Log", "\"Levels\"=dword:zz\n\"Levels\"=dword:40\n\"Levels\"=dword:123456789\n");
    EXPECT_EQ(levels(), 0x40);
    // Missing, a directory, a FIFO nobody writes to (a blocking read would
    // never return).
    const std::string fifo = (dir_ / "fifo.reg").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {(dir_ / "missing" / "x.reg").string(), dir_.string(), fifo}) {
        ::setenv("QRVPFUNCS_REGISTRY", path.c_str(), 1);
        EXPECT_EQ(levels(), 0) << path;
    }
}

}  // namespace
