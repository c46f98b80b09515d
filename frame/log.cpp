// The diagnostic log: records are formatted and time-stamped on the caller's
// thread and queued; a writer thread of lowered priority, started when a
// record finds none running, appends the whole queue to the file with one
// open and one close, then ends.
//
// Locks, always taken in this order and never the other way round:
//   fileLock  this process's use of the file (a writer's drain, a deletion);
//   the named mutex "ORV.QRV.LogMutex", the file across processes, from
//             _LogInit to _LogClose;
//   lock      the queue, the writer mark, the file name and the mutex handle,
//             held only for a few instructions (and a thread start).
// Record calls take only `lock`, so a writer busy with the file never holds up
// a caller; the writer takes the queue in batches, and ends only once it has
// found the queue empty, so no record is left without a writer.
#include "frame/log.h"

#include "QRVPFuncs.h"
#include "frame/log_record.h"
#include "frame/settings.h"
#include "platform/file_append.h"
#include "platform/local_time.h"
#include "platform/named_mutex.h"
#include "platform/thread.h"

#include <atomic>
#include <cstdarg>
#include <cwchar>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace qrvp::log {

namespace {

constexpr const wchar_t* kMutexName = L"ORV.QRV.LogMutex";
constexpr const wchar_t* kDefaultFileName = L"logs\\QuarvexLog.csv";
constexpr const wchar_t* kSettingsKey = L"Quarvex\\Error Log";
// The longest configurable path is 1,022 characters.
constexpr size_t kFileNameCapacity = 1024;

// The named mutex's handle, shared by _LogInit's state and by the writers and
// deletions still using it, so re-initialising or closing never pulls it from
// under them.  References are counted under LogState::lock.
struct SharedMutex {
    platform::NamedMutex* handle = nullptr;
    int references = 0;
};

// Everything here is constant-initialised: loading the library runs no code
// that touches a file, a thread or a mutex.
struct LogState {
    std::mutex lock;
    std::mutex fileLock;
    std::vector<std::wstring>* queue = nullptr;  // created by the first record
    bool writerRunning = false;                  // the writer mark
    platform::Thread* lastWriter = nullptr;      // the newest writer not yet waited for
    SharedMutex* named = nullptr;
    wchar_t fileName[kFileNameCapacity] = L"QuarvexLog.csv";
};

// MinGW's std::mutex has no constant initialiser; its default constructor
// there touches nothing outside the object all the same.
#if defined(__MINGW32__)
#define QRVP_CONSTINIT_LOCKS
#else
#define QRVP_CONSTINIT_LOCKS constinit
#endif
QRVP_CONSTINIT_LOCKS LogState g_state;
// Until _LogInit: level 0 of systems 0 to 15.  Read without a lock.
constinit std::atomic<uint32_t> g_levelMask{1u};
constinit std::atomic<uint32_t> g_systemMask{0xFFFFu};

SharedMutex* AcquireNamedLocked()
{
    if (g_state.named != nullptr) ++g_state.named->references;
    return g_state.named;
}

void ReleaseNamedLocked(SharedMutex* named)
{
    if (named == nullptr || --named->references > 0) return;
    platform::CloseNamedMutex(named->handle);
    delete named;
}

void ReleaseNamed(SharedMutex* named)
{
    std::lock_guard guard(g_state.lock);
    ReleaseNamedLocked(named);
}

// The named mutex (when open) and a copy of the file name, for one use of the file.
SharedMutex* BeginFileUse(wchar_t (&fileName)[kFileNameCapacity])
{
    SharedMutex* named = nullptr;
    {
        std::lock_guard guard(g_state.lock);
        named = AcquireNamedLocked();
        wmemcpy(fileName, g_state.fileName, kFileNameCapacity);
    }
    if (named != nullptr) platform::LockNamedMutex(named->handle);
    return named;
}

void EndFileUse(SharedMutex* named)
{
    if (named == nullptr) return;
    platform::UnlockNamedMutex(named->handle);
    ReleaseNamed(named);
}

void DrainQueue(platform::AppendFile* file)
{
    std::vector<std::wstring> batch;
    for (;;) {
        {
            std::lock_guard guard(g_state.lock);
            if (g_state.queue == nullptr || g_state.queue->empty()) {
                g_state.writerRunning = false;
                return;
            }
            batch.swap(*g_state.queue);
        }
        for (const std::wstring& record : batch) platform::AppendText(file, record.data(), record.size());
        batch.clear();
    }
}

void RunWriter(void* predecessor)
{
    // The writer before this one has cleared its mark and is at most closing
    // its file; waiting for it here keeps every thread waited for exactly once.
    platform::WaitThread(static_cast<platform::Thread*>(predecessor));
    platform::LowerCurrentThreadPriority();

    std::lock_guard fileGuard(g_state.fileLock);
    wchar_t fileName[kFileNameCapacity];
    SharedMutex* named = BeginFileUse(fileName);
    platform::AppendFile* file = platform::OpenForAppend(fileName);
    if (file == nullptr) {
        // The records stay queued for the next writer.
        std::lock_guard guard(g_state.lock);
        g_state.writerRunning = false;
    } else {
        DrainQueue(file);
        platform::CloseAppendFile(file);
    }
    EndFileUse(named);
}

void QueueRecord(std::wstring&& record)
{
    std::lock_guard guard(g_state.lock);
    if (g_state.queue == nullptr) {
        g_state.queue = new (std::nothrow) std::vector<std::wstring>;
        if (g_state.queue == nullptr) return;
    }
    g_state.queue->push_back(std::move(record));
    if (!g_state.writerRunning) {
        // When no thread can be started the record stays queued and the next
        // record tries again.
        platform::Thread* writer = platform::StartThread(RunWriter, g_state.lastWriter);
        if (writer != nullptr) {
            g_state.writerRunning = true;
            g_state.lastWriter = writer;
        }
    }
}

void WriteRecord(int32_t system, int32_t level, int32_t code, const wchar_t* text, const wchar_t* function,
                 int32_t line, const wchar_t* message)
{
    RecordFields fields;
    fields.time = platform::CurrentLocalTime();
    fields.system = system;
    fields.level = level;
    fields.code = code;
    fields.text = text;
    fields.thread = platform::CurrentThreadId();
    fields.function = function;
    fields.line = line;
    fields.message = message;
    wchar_t buffer[kRecordCapacity];
    const size_t length = FormatRecordLine(buffer, fields);
    try {
        QueueRecord(std::wstring(buffer, length));
    } catch (...) {
        // Out of memory: the record is lost; the caller never hears of it.
    }
}

void WriteFormatted(int32_t system, int32_t level, int32_t code, const wchar_t* text, const wchar_t* function,
                    int32_t line, const wchar_t* format, va_list args)
{
    wchar_t message[kMessageCapacity];
    try {
        FormatMessage(message, format, args);
    } catch (...) {
        return;
    }
    WriteRecord(system, level, code, text, function, line, message);
}

bool Passes(int32_t system, int32_t level)
{
    return PassesFilter(g_levelMask.load(std::memory_order_relaxed), g_systemMask.load(std::memory_order_relaxed),
                        system, level);
}

// At unload: free the queue and wait for an ending writer, unless a writer is
// still at work (the host did not call _LogClose); then its state is left in
// place rather than pulled from under it.
struct UnloadCleanup {
    UnloadCleanup() = default;
    UnloadCleanup(const UnloadCleanup&) = delete;
    UnloadCleanup& operator=(const UnloadCleanup&) = delete;
    ~UnloadCleanup()
    {
        platform::Thread* ending = nullptr;
        {
            std::lock_guard guard(g_state.lock);
            if (g_state.writerRunning) return;
            delete g_state.queue;
            g_state.queue = nullptr;
            ending = g_state.lastWriter;
            g_state.lastWriter = nullptr;
            ReleaseNamedLocked(g_state.named);
            g_state.named = nullptr;
        }
        platform::WaitThread(ending);
    }
};

constinit UnloadCleanup g_unloadCleanup;

}  // namespace

LogSettings CurrentSettings()
{
    LogSettings settings;
    settings.levelMask = g_levelMask.load(std::memory_order_relaxed);
    settings.systemMask = g_systemMask.load(std::memory_order_relaxed);
    std::lock_guard guard(g_state.lock);
    settings.fileName = g_state.fileName;
    settings.mutexOpen = g_state.named != nullptr;
    return settings;
}

size_t QueuedRecords()
{
    std::lock_guard guard(g_state.lock);
    return g_state.queue == nullptr ? 0 : g_state.queue->size();
}

}  // namespace qrvp::log

using qrvp::log::g_levelMask;
using qrvp::log::g_state;
using qrvp::log::g_systemMask;

extern "C" void LogPrintf(int32_t system, int32_t level, int32_t code, const wchar_t* text, const wchar_t* function,
                          int32_t line, const wchar_t* format, ...)
{
    if (!qrvp::log::Passes(system, level)) return;
    va_list args;
    va_start(args, format);
    qrvp::log::WriteFormatted(system, level, code, text, function, line, format, args);
    va_end(args);
}

extern "C" void LogPrintfForce(int32_t system, int32_t level, int32_t code, const wchar_t* text,
                               const wchar_t* function, int32_t line, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    qrvp::log::WriteFormatted(system, level, code, text, function, line, format, args);
    va_end(args);
}

extern "C" void _LogMsg(int32_t system, int32_t level, int32_t code, const wchar_t* text, const wchar_t* function,
                        int32_t line, const wchar_t* message)
{
    if (!qrvp::log::Passes(system, level)) return;
    qrvp::log::WriteRecord(system, level, code, text, function, line, message);
}

extern "C" void LogMsg(int32_t system, int32_t level, int32_t code, const wchar_t* text, const wchar_t* function,
                       int32_t line, const wchar_t* message)
{
    _LogMsg(system, level, code, text, function, line, message);
}

extern "C" void _LogInit(void)
{
    using namespace qrvp::log;
    try {
        SharedMutex* fresh = nullptr;
        if (qrvp::platform::NamedMutex* handle = qrvp::platform::OpenNamedMutex(kMutexName)) {
            fresh = new (std::nothrow) SharedMutex{handle, 1};
            if (fresh == nullptr) qrvp::platform::CloseNamedMutex(handle);
        }
        const auto levels = static_cast<uint32_t>(GetRegistryValueInt(kSettingsKey, L"Levels"));
        const auto systems = static_cast<uint32_t>(GetRegistryValueInt(kSettingsKey, L"Systems"));
        std::wstring fileName = qrvp::ReadLogFileSetting();
        if (fileName.empty()) fileName = kDefaultFileName;
        if (fileName.size() >= kFileNameCapacity) fileName.resize(kFileNameCapacity - 1);
        // The time zone is loaded now rather than by the first record.
        (void)qrvp::platform::CurrentLocalTime();

        std::lock_guard guard(g_state.lock);
        ReleaseNamedLocked(g_state.named);
        g_state.named = fresh;
        wmemcpy(g_state.fileName, fileName.c_str(), fileName.size() + 1);
        g_levelMask.store(levels, std::memory_order_relaxed);
        g_systemMask.store(systems, std::memory_order_relaxed);
    } catch (...) {
        // Out of memory while reading the settings: the log keeps its old ones.
    }
}

extern "C" void _LogClose(void)
{
    using namespace qrvp::log;
    qrvp::platform::Thread* writer = nullptr;
    {
        std::lock_guard guard(g_state.lock);
        writer = g_state.lastWriter;
        g_state.lastWriter = nullptr;
    }
    // The newest writer waited for its predecessor before it began, so once it
    // has ended no writer of this process runs.
    qrvp::platform::WaitThread(writer);
    std::lock_guard guard(g_state.lock);
    ReleaseNamedLocked(g_state.named);
    g_state.named = nullptr;
}

extern "C" void _LogDelete(void)
{
    using namespace qrvp::log;
    std::lock_guard fileGuard(g_state.fileLock);
    wchar_t fileName[kFileNameCapacity];
    SharedMutex* named = BeginFileUse(fileName);
    qrvp::platform::DeleteFileAt(fileName);
    EndFileUse(named);
}
