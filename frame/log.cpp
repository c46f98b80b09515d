// The diagnostic log: records are formatted and time-stamped on the caller's
// thread and queued; a writer thread of lowered priority, started when a
// record finds none running, appends the records queued when it began with
// one open and one close, then ends.  Records queued meanwhile start the next
// writer, unless _LogClose is waiting: so _LogClose waits for one batch, never
// for threads that keep logging.
//
// Locks, always taken in this order and never the other way round:
//   fileLock  this process's use of the file (a writer's batch, a deletion);
//   the named mutex "ORV.QRV.LogMutex", the file across processes, from
//             _LogInit to _LogClose;
//   lock      the queue, the writer mark, the file name and the mutex handle,
//             held only for a few instructions (and a thread start).
// Record calls take only `lock`, so a writer busy with the file never holds up
// a caller.  A fork waits for both locks, so the child starts with the log
// idle: no writer of its own, the parent's unwritten records left to the
// parent, its own lock on the file (the platform's named mutex sees to that).
#include "frame/log.h"

#include "QRVPFuncs.h"
#include "frame/log_record.h"
#include "frame/settings.h"
#include "platform/file_append.h"
#include "platform/local_time.h"
#include "platform/named_mutex.h"
#include "platform/thread.h"

#include <algorithm>
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
    // Records are counted as they are queued; a writer has settled those
    // counted when it took its batch (written, or back in the queue after a
    // failure).  _LogClose waits until the records queued before it are
    // settled, and while it waits writers start successors only for those.
    uint64_t queuedCount = 0;
    uint64_t settledCount = 0;
    uint64_t closeTarget = 0;
    int closers = 0;  // _LogClose calls waiting
    SharedMutex* named = nullptr;
    wchar_t fileName[kFileNameCapacity] = L"QuarvexLog.csv";
    // Where this process's last batch left the file ending on a cut record
    // (see platform::CutRecordEnd), so the next batch follows on its line.
    uint64_t cutEnd = 0;
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

// The named mutex (when open), a copy of the file name and its cut end, for one use of the file.
SharedMutex* BeginFileUse(wchar_t (&fileName)[kFileNameCapacity], uint64_t& cutEnd)
{
    SharedMutex* named = nullptr;
    {
        std::lock_guard guard(g_state.lock);
        named = AcquireNamedLocked();
        wmemcpy(fileName, g_state.fileName, kFileNameCapacity);
        cutEnd = g_state.cutEnd;
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

void RunWriter(void* predecessor);

// Starts a writer that will first wait for the newest one; with `lock` held.
// When no thread can be started the records stay queued and the next record
// tries again.
void StartWriterLocked()
{
    platform::Thread* writer = platform::StartThread(RunWriter, g_state.lastWriter);
    g_state.writerRunning = writer != nullptr;
    if (writer != nullptr) g_state.lastWriter = writer;
}

// Writes the records queued now (counted through `taken`); those the file
// did not take go back to the front of the queue.  True when all were written.
bool WriteBatch(platform::AppendFile* file, uint64_t& taken)
{
    std::vector<std::wstring> batch;
    {
        std::lock_guard guard(g_state.lock);
        if (g_state.queue != nullptr) batch.swap(*g_state.queue);
        taken = g_state.queuedCount;
    }
    const size_t written = platform::AppendRecords(file, batch.data(), batch.size());
    if (written == batch.size()) return true;
    std::lock_guard guard(g_state.lock);
    // The queue was created before the batch was taken from it.
    std::vector<std::wstring>& queue = *g_state.queue;
    try {
        queue.insert(queue.begin(), std::make_move_iterator(batch.begin() + static_cast<std::ptrdiff_t>(written)),
                     std::make_move_iterator(batch.end()));
    } catch (...) {
        // Out of memory: the unwritten records are lost.
    }
    return false;
}

void RunWriter(void* predecessor)
{
    // The writer before this one has cleared its mark or handed over to this
    // one and is at most closing its file; waiting for it here keeps every
    // thread waited for exactly once.
    platform::WaitThread(static_cast<platform::Thread*>(predecessor));
    platform::LowerCurrentThreadPriority();

    std::lock_guard fileGuard(g_state.fileLock);
    wchar_t fileName[kFileNameCapacity];
    uint64_t cutEnd = 0;
    SharedMutex* named = BeginFileUse(fileName, cutEnd);
    platform::AppendFile* file = platform::OpenForAppend(fileName, cutEnd);
    // A file that cannot be opened, or that took only part of the batch, ends
    // the writer with the records queued for the next one.
    uint64_t taken = 0;
    const bool complete = file != nullptr && WriteBatch(file, taken);
    cutEnd = platform::CutRecordEnd(file);
    platform::CloseAppendFile(file);
    {
        std::lock_guard guard(g_state.lock);
        if (wcscmp(fileName, g_state.fileName) == 0) g_state.cutEnd = cutEnd;
        g_state.settledCount = complete ? std::max(g_state.settledCount, taken) : g_state.queuedCount;
        const bool more = g_state.queue != nullptr && !g_state.queue->empty();
        const bool wanted = g_state.closers == 0 || g_state.settledCount < g_state.closeTarget;
        if (complete && more && wanted) {
            StartWriterLocked();
        } else {
            g_state.writerRunning = false;
        }
    }
    EndFileUse(named);
}

// Around a fork: the forking thread takes both locks, so no writer or
// deletion of this process is using the file or the named mutex, and the
// child's copies of the locks are free.  The child keeps none of the parent's
// writers or records.
void BeforeFork()
{
    g_state.fileLock.lock();
    g_state.lock.lock();
}

void AfterForkInParent()
{
    g_state.lock.unlock();
    g_state.fileLock.unlock();
}

void AfterForkInChild()
{
    if (g_state.queue != nullptr) g_state.queue->clear();
    g_state.settledCount = g_state.queuedCount;
    g_state.writerRunning = false;
    platform::ForgetThreadAfterFork(g_state.lastWriter);
    g_state.lastWriter = nullptr;
    g_state.closers = 0;
    AfterForkInParent();
}

void RegisterForkHandlersOnce()
{
    static std::once_flag registered;
    std::call_once(registered, [] { platform::RegisterForkHandlers(BeforeFork, AfterForkInParent, AfterForkInChild); });
}

void QueueRecord(std::wstring&& record)
{
    RegisterForkHandlersOnce();
    std::lock_guard guard(g_state.lock);
    if (g_state.queue == nullptr) {
        g_state.queue = new (std::nothrow) std::vector<std::wstring>;
        if (g_state.queue == nullptr) return;
    }
    g_state.queue->push_back(std::move(record));
    ++g_state.queuedCount;
    if (!g_state.writerRunning) StartWriterLocked();
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

// At unload: free the queue and release the handle of an ending writer
// (never waiting for it where the system's loader lock is held), unless a
// writer is still at work (the host did not call _LogClose) or the lock is
// held (at process exit by a thread already gone); then the state is left in
// place rather than pulled from under anyone.
struct UnloadCleanup {
    UnloadCleanup() = default;
    UnloadCleanup(const UnloadCleanup&) = delete;
    UnloadCleanup& operator=(const UnloadCleanup&) = delete;
    ~UnloadCleanup()
    {
        platform::Thread* ending = nullptr;
        {
            std::unique_lock guard(g_state.lock, std::try_to_lock);
            if (!guard.owns_lock() || g_state.writerRunning) return;
            delete g_state.queue;
            g_state.queue = nullptr;
            ending = g_state.lastWriter;
            g_state.lastWriter = nullptr;
            ReleaseNamedLocked(g_state.named);
            g_state.named = nullptr;
        }
        platform::ReleaseThreadAtUnload(ending);
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
    RegisterForkHandlersOnce();
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
        if (wcscmp(g_state.fileName, fileName.c_str()) != 0) g_state.cutEnd = 0;
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
    std::unique_lock guard(g_state.lock);
    ++g_state.closers;
    const uint64_t target = g_state.queuedCount;
    g_state.closeTarget = std::max(g_state.closeTarget, target);
    // Each writer waited for its predecessor before it began, so once the
    // newest has ended no writer of this process runs.  The one running now
    // writes its batch and, when records queued before this call are left, a
    // successor writes them; records queued after it stay queued.
    while (g_state.settledCount < target) {
        // Records left without a writer (the last one ended while another
        // close waited) get one now.
        const bool queued = g_state.queue != nullptr && !g_state.queue->empty();
        if (!g_state.writerRunning && queued) StartWriterLocked();
        qrvp::platform::Thread* writer = g_state.lastWriter;
        if (writer == nullptr || (!g_state.writerRunning && !queued)) break;
        g_state.lastWriter = nullptr;
        guard.unlock();
        qrvp::platform::WaitThread(writer);
        guard.lock();
    }
    // A writer that has ended is waited for (briefly: it is at most closing
    // its file); one that a record call started since is left to its batch.
    if (qrvp::platform::Thread* writer = g_state.writerRunning ? nullptr : g_state.lastWriter) {
        g_state.lastWriter = nullptr;
        guard.unlock();
        qrvp::platform::WaitThread(writer);
        guard.lock();
    }
    --g_state.closers;
    ReleaseNamedLocked(g_state.named);
    g_state.named = nullptr;
}

extern "C" void _LogDelete(void)
{
    using namespace qrvp::log;
    RegisterForkHandlersOnce();
    std::lock_guard fileGuard(g_state.fileLock);
    wchar_t fileName[kFileNameCapacity];
    uint64_t cutEnd = 0;
    SharedMutex* named = BeginFileUse(fileName, cutEnd);
    qrvp::platform::DeleteFileAt(fileName);
    {
        std::lock_guard guard(g_state.lock);
        g_state.cutEnd = 0;
    }
    EndFileUse(named);
}
