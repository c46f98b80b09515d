// Loading and unloading the shared library with no other call creates no
// file, opens nothing, starts no thread and maps no shared memory; the same
// watch sees _LogInit read its settings, so the watch itself works.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

size_t Entries(const fs::path& directory) { return static_cast<size_t>(std::distance(fs::directory_iterator(directory), {})); }

// Bytes of events the watch has seen (a file of the directory, or the
// directory itself, opened, read, created...) since the last call.
ssize_t Touched(int watch)
{
    alignas(inotify_event) char buffer[8192];
    ssize_t total = 0;
    for (ssize_t got; (got = read(watch, buffer, sizeof buffer)) > 0;) total += got;
    return total;
}

TEST(AbiLoad, LoadingAndUnloadingTouchNothingButInitialisationReadsTheSettings)
{
    const fs::path dir = fs::temp_directory_path() / ("qrvp_abi_load_" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "registry.reg") << "Windows Registry Editor Version 5.00\n\n"
                                           "[HKEY_LOCAL_MACHINE\\Software\\Ostrel Labs\\Quarvex\\Error Log]\n"
                                           "\"Levels\"=dword:00000020\n";
    setenv("QRVPFUNCS_REGISTRY", (dir / "registry.reg").c_str(), 1);
    const fs::path previous = fs::current_path();
    fs::current_path(dir);
    // /dev/shm is not watched: other processes may use the log's mutex at any
    // moment.  This process's descriptors, threads and mappings are counted.
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    inotify_add_watch(watch, dir.c_str(), IN_ALL_EVENTS);
    const size_t threads = Entries("/proc/self/task"), descriptors = Entries("/proc/self/fd");
    const auto mapped = [] {
        std::ifstream maps("/proc/self/maps");
        return std::string(std::istreambuf_iterator<char>(maps), {}).find("ORV.QRV") != std::string::npos;
    };

    void* library = dlopen(QRVP_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    EXPECT_EQ(Entries("/proc/self/task"), threads);
    EXPECT_EQ(Entries("/proc/self/fd"), descriptors);
    EXPECT_FALSE(mapped());
    EXPECT_EQ(dlclose(library), 0);
    EXPECT_EQ(Entries("/proc/self/task"), threads);
    EXPECT_EQ(Entries("/proc/self/fd"), descriptors);
    EXPECT_EQ(Touched(watch), 0);         // the settings file not even opened
    EXPECT_EQ(Entries(dir), 1u);          // nor anything created
    Touched(watch);                       // (the count's own opening)

    library = dlopen(QRVP_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto* init = reinterpret_cast<void (*)()>(dlsym(library, "_LogInit"));
    auto* close = reinterpret_cast<void (*)()>(dlsym(library, "_LogClose"));
    ASSERT_TRUE(init != nullptr && close != nullptr);
    init();
    EXPECT_GT(Touched(watch), 0);  // the settings file, the directory's only one
    EXPECT_EQ(Entries("/proc/self/fd"), descriptors + 1);  // the system-wide mutex
    close();
    EXPECT_EQ(Entries("/proc/self/fd"), descriptors);
    EXPECT_EQ(dlclose(library), 0);
    ::close(watch);
    fs::current_path(previous);
    unsetenv("QRVPFUNCS_REGISTRY");
    fs::remove_all(dir);
}

}  // namespace
