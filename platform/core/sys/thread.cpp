#include "core/sys/thread.h"

#include "core/persist/archive.h"
#include "core/text/str.h"

#include <cassert>
#include <cxxabi.h>
#include <exception>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <system_error>
#include <typeinfo>
#include <unistd.h>
#include <unordered_map>

namespace {

constexpr long kMaxStackBytes = 1L << 30;

// What one thread runs and what it leaves behind. The thread's own trampoline and the table
// share it, so it lives until both the thread has ended and its id has been joined.
struct ThreadRecord {
    unsigned long (*entry)(void*) = nullptr;
    void* arg = nullptr;
    pthread_t handle{};
    unsigned long result = 0;
    std::exception_ptr error;
};

// The threads made and not yet joined, by id. It is never destroyed, so a thread joined
// while the process exits does not meet a destroyed table.
struct ThreadTable {
    std::mutex mutex;
    unsigned long nextId = 1;
    std::unordered_map<unsigned long, std::shared_ptr<ThreadRecord>> threads;
};

ThreadTable& threadTable() {
    static ThreadTable* const table = new ThreadTable;
    return *table;
}

void* trampoline(void* p) {
    const std::unique_ptr<std::shared_ptr<ThreadRecord>> own(
        static_cast<std::shared_ptr<ThreadRecord>*>(p));
    ThreadRecord& record = **own;
    try {
        record.result = record.entry(record.arg);
    } catch (abi::__forced_unwind&) {
        throw; // thread cancellation unwinds with this and must not be stopped
    } catch (...) {
        // Kept for the joining thread; join's happens-before makes it visible there.
        record.error = std::current_exception();
    }
    return nullptr;
}

// The stack size in bytes to ask for: whole pages, at least the system's minimum.
std::size_t stackBytes(long requested) {
    const long page = sysconf(_SC_PAGESIZE) > 0 ? sysconf(_SC_PAGESIZE) : 4096;
    const long minimum = sysconf(_SC_THREAD_STACK_MIN) > 0 ? sysconf(_SC_THREAD_STACK_MIN) : 16384;
    long bytes = requested < minimum ? minimum : requested;
    bytes = (bytes + page - 1) / page * page;
    return static_cast<std::size_t>(bytes);
}

// Owns a pthread attribute object for the span of one creation.
class ThreadAttributes {
public:
    ThreadAttributes() {
        if (const int err = pthread_attr_init(&attr_); err != 0)
            throw xcThreadDefs::CreateFailed("Cannot start a thread: " +
                                             std::generic_category().message(err));
    }
    ~ThreadAttributes() { pthread_attr_destroy(&attr_); }
    ThreadAttributes(const ThreadAttributes&) = delete;
    ThreadAttributes& operator=(const ThreadAttributes&) = delete;
    pthread_attr_t* get() { return &attr_; }

private:
    pthread_attr_t attr_;
};

} // namespace

XC_DEFINE_ERROR(xcThreadDefs::BadParams, xcExceptionWithString)
XC_DEFINE_ERROR(xcThreadDefs::UnknownThread, xcExceptionWithString)
XC_DEFINE_ERROR(xcThreadDefs::CreateFailed, xcExceptionWithString)

xcThreadID xfCreateThread(unsigned long (*entry)(void*), void* arg, long priority, long stackSize) {
    if (entry == nullptr) throw xcThreadDefs::BadParams("Thread entry must not be null");
    if (priority < -1) throw xcThreadDefs::BadParams("Thread priority must be -1 or >= 0");
    if (stackSize != -1 && (stackSize < 1 || stackSize > kMaxStackBytes))
        throw xcThreadDefs::BadParams("Thread stack size must be -1 or 1 .. 1073741824 bytes");

    auto record = std::make_shared<ThreadRecord>();
    record->entry = entry;
    record->arg = arg;

    ThreadAttributes attributes;
    if (stackSize != -1) {
        if (const int err = pthread_attr_setstacksize(attributes.get(), stackBytes(stackSize));
            err != 0)
            throw xcThreadDefs::BadParams("Thread stack size not accepted: " +
                                          std::generic_category().message(err));
    }

    ThreadTable& table = threadTable();
    const std::lock_guard lock(table.mutex);
    auto* handover = new std::shared_ptr<ThreadRecord>(record);
    if (const int err = pthread_create(&record->handle, attributes.get(), &trampoline, handover);
        err != 0) {
        delete handover;
        throw xcThreadDefs::CreateFailed("Cannot start a thread: " +
                                         std::generic_category().message(err));
    }
    const unsigned long id = table.nextId++;
    const pthread_t handle = record->handle;
    try {
        table.threads.emplace(id, std::move(record));
    } catch (...) {
        // Nobody can join it now; it runs to its end on its own and frees its record.
        pthread_detach(handle);
        throw;
    }
    return xcThreadID(id);
}

void xfWaitForThreadTermination(xcThreadID id, unsigned long* exitCode) {
    std::shared_ptr<ThreadRecord> record;
    {
        ThreadTable& table = threadTable();
        const std::lock_guard lock(table.mutex);
        const auto it = table.threads.find(id.value());
        if (it == table.threads.end())
            throw xcThreadDefs::UnknownThread("No thread to wait for with id " + xfStr(id.value()));
        if (pthread_equal(it->second->handle, pthread_self()))
            throw xcThreadDefs::BadParams("A thread cannot wait for its own termination");
        record = std::move(it->second);
        table.threads.erase(it);
    }
    [[maybe_unused]] const int err = pthread_join(record->handle, nullptr);
    assert(err == 0);
    if (record->error) std::rethrow_exception(record->error);
    if (exitCode != nullptr) *exitCode = record->result;
}
