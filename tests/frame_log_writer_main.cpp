// Helper process for the multi-process log tests.
//   frame_log_writer_main append <count> <tag>   writes <count> records, then
//                                                waits for its writer
//   frame_log_writer_main forever <tag>           writes records until killed
//   frame_log_writer_main hold                    takes the log's system-wide
//                                                mutex, prints "held", sleeps
// The settings come from QRVPFUNCS_REGISTRY, as for any host.
#include "QRVPFuncs.h"
#include "platform/named_mutex.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

int main(int argc, char** argv)
{
    if (argc < 2) return 2;
    const std::string mode = argv[1];
    if (mode == "hold") {
        qrvp::platform::NamedMutex* mutex = qrvp::platform::OpenNamedMutex(L"ORV.QRV.LogMutex");
        if (mutex == nullptr) return 3;
        qrvp::platform::LockNamedMutex(mutex);
        std::printf("held\n");
        std::fflush(stdout);
        for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    if (mode == "append" && argc == 4) {
        const long count = std::strtol(argv[2], nullptr, 10);
        const int tag = std::atoi(argv[3]);
        _LogInit();
        for (long i = 0; i < count; ++i) {
            LogPrintf(9, 5, 0, nullptr, L"Writer", tag, L"process %d record %ld of %ld, padded to be long enough",
                      tag, i, count);
        }
        _LogClose();
        return 0;
    }
    if (mode == "forever" && argc == 3) {
        const int tag = std::atoi(argv[2]);
        _LogInit();
        for (long i = 0;; ++i) {
            LogPrintf(9, 5, 0, nullptr, L"Writer", tag, L"process %d record %ld", tag, i);
            if (i % 1000 == 999) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    return 2;
}
