// Helper process for the multi-process log tests, on POSIX and Windows.
//   frame_log_writer_main append <count> <tag>   writes <count> records, waits
//                                                for its writer and exits 0
//   frame_log_writer_main die-holding            takes the log's system-wide
//                                                mutex and dies holding it
//   frame_log_writer_main die-logging <ms>       writes records for <ms>
//                                                milliseconds, then dies at once
// Dying is _Exit: no destructor, no unlock, threads stopped wherever they are,
// as when the process is killed.  A helper still alive after a minute exits
// with 3, so a test waiting for it fails instead of hanging.  The settings
// come from the store, as for any host.
#include "QRVPFuncs.h"
#include "platform/named_mutex.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

int main(int argc, char** argv)
{
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::minutes(1));
        std::_Exit(3);
    }).detach();
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "die-holding") {
        qrvp::platform::NamedMutex* mutex = qrvp::platform::OpenNamedMutex(L"ORV.QRV.LogMutex");
        if (mutex == nullptr) return 2;
        qrvp::platform::LockNamedMutex(mutex);
        std::_Exit(0);
    }
    if (mode == "append" && argc == 4) {
        const long count = std::strtol(argv[2], nullptr, 10);
        const int tag = std::atoi(argv[3]);
        _LogInit();
        for (long i = 0; i < count; ++i) {
            LogPrintf(9, 5, 0, nullptr, L"Writer", tag, L"process %d record %ld, padded", tag, i);
        }
        _LogClose();
        return 0;
    }
    if (mode == "die-logging" && argc == 3) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::atoi(argv[2]));
        _LogInit();
        for (long i = 0; std::chrono::steady_clock::now() < end; ++i) {
            LogPrintf(9, 5, 0, nullptr, L"Writer", 2, L"process 2 record %ld", i);
        }
        std::_Exit(0);
    }
    return 2;
}
