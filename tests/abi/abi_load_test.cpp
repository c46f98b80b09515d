// Loading and unloading the shared library with no other call creates no
// file, opens nothing, starts no thread and maps no shared memory;
// the same watch sees _LogInit read its settings, so the watch itself works.
#include <gtest/gtest.h>

#include <dirent.h>
#include <dlfcn.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

size_t Entries(const char* directory)
{
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(directory)) ++count;
    return count;
}

size_t Threads() { return Entries("/proc/self/task"); }
size_t OpenDescriptors() { return Entries("/proc/self/fd"); }

size_t MappedLines(const std::string& containing)
{
    std::ifstream maps("/proc/self/maps");
    size_t count = 0;
    for (std::string line; std::getline(maps, line);) count += line.find(containing) != std::string::npos ? 1u : 0u;
    return count;
}

// Names of the files the watch saw touched (opened, read, created, ...).
class Watch {
public:
    explicit Watch(const std::vector<std::string>& directories)
    {
        fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        for (const auto& d : directories) {
            if (fs::is_directory(d)) inotify_add_watch(fd_, d.c_str(), IN_ALL_EVENTS);
        }
    }
    ~Watch() { close(fd_); }
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;

    std::vector<std::string> Touched(const std::string& only = "")
    {
        std::vector<std::string> names;
        alignas(inotify_event) char buffer[8192];
        for (;;) {
            const ssize_t got = read(fd_, buffer, sizeof buffer);
            if (got <= 0) break;
            for (ssize_t i = 0; i < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + i);
                const std::string name = event->len > 0 ? event->name : "(directory)";
                if (only.empty() || name == only) names.push_back(name);
                i += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return names;
    }

private:
    int fd_ = -1;
};

class AbiLoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("qrvp_abi_load_" + std::to_string(getpid()));
        fs::create_directories(dir_);
        std::ofstream(dir_ / "registry.reg") << "Windows Registry Editor Version 5.00\n\n"
                                                "[HKEY_LOCAL_MACHINE\\Software\\Ostrel Labs\\Quarvex\\Error Log]\n"
                                                "\"Levels\"=dword:00000020\n";
        setenv("QRVPFUNCS_REGISTRY", (dir_ / "registry.reg").c_str(), 1);
        previous_ = fs::current_path();
        fs::current_path(dir_);
    }
    void TearDown() override
    {
        fs::current_path(previous_);
        unsetenv("QRVPFUNCS_REGISTRY");
        fs::remove_all(dir_);
    }

    fs::path dir_;
    fs::path previous_;
};

TEST_F(AbiLoad, LoadingAndUnloadingTouchNothing)
{
    // /dev/shm is not watched: other processes on the machine may use the
    // log's mutex at any moment.  Descriptors and mappings of this process
    // are checked instead.
    Watch watch({dir_.string()});
    const size_t threads = Threads();
    const size_t descriptors = OpenDescriptors();

    void* library = dlopen(QRVP_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    EXPECT_EQ(Threads(), threads);
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_EQ(MappedLines("ORV.QRV"), 0u);
    EXPECT_EQ(dlclose(library), 0);

    // Nothing in the working directory or the settings file was even opened.
    const auto touched = watch.Touched();
    EXPECT_EQ(Threads(), threads);
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_EQ(Entries(dir_.c_str()), 1u);  // the settings file alone
    for (const auto& name : touched) {
        EXPECT_NE(name, "registry.reg");
        EXPECT_NE(name, "(directory)");
    }
}

TEST_F(AbiLoad, TheWatchSeesInitialisation)
{
    void* library = dlopen(QRVP_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto* init = reinterpret_cast<void (*)()>(dlsym(library, "_LogInit"));
    auto* close = reinterpret_cast<void (*)()>(dlsym(library, "_LogClose"));
    ASSERT_NE(init, nullptr);
    ASSERT_NE(close, nullptr);
    Watch watch({dir_.string()});
    const size_t descriptors = OpenDescriptors();
    init();
    EXPECT_FALSE(watch.Touched("registry.reg").empty());
    EXPECT_EQ(OpenDescriptors(), descriptors + 1);  // the system-wide mutex
    close();
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_EQ(dlclose(library), 0);
}

}  // namespace
