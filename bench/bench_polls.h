// How promptly code heeds a caller's time limit: the longest CPU stretch between two polls of
// xcAttention::check() over a run without a limit, and how late an armed limit ends a run.
#pragma once

#include "bench_time.h"
#include "core/sys/attention.h"
#include "core/sys/timeout.h"

#include <execinfo.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace oc_bench {

// The gaps between the polls of one or more runs. The run's start and end count as polls.
struct PollGaps {
    double longestMs = 0.0;
    double headMs = 0.0, tailMs = 0.0; // start to first poll, last poll to end
    long polls = 0;
    // With call stacks asked for: where the longest stretch began and ended (the poll's callers,
    // innermost first, as the dynamic loader names them).
    std::string longestFrom, longestTo;

    void merge(const PollGaps& o) {
        if (o.longestMs > longestMs) {
            longestMs = o.longestMs;
            longestFrom = o.longestFrom;
            longestTo = o.longestTo;
        }
        headMs = std::max(headMs, o.headMs);
        tailMs = std::max(tailMs, o.tailMs);
        polls += o.polls;
    }
};

namespace detail {

struct PollWatch {
    double (*clockMs)() = threadCpuMs;
    bool stacks = false;
    double last = 0.0;
    PollGaps gaps;
    std::string lastStack;

    static std::string stack() {
        void* frames[12];
        const int n = backtrace(frames, 12);
        char** names = backtrace_symbols(frames, n);
        std::string out;
        // Frame 0 is this function, 1 the observer, 2 check() itself.
        for (int i = 3; names != nullptr && i < n; ++i)
            out += std::string("    ") + names[i] + "\n";
        std::free(names);
        return out;
    }
    void at(double now, bool isPoll) {
        if (gaps.polls == 0) gaps.headMs = now - last;
        if (now - last > gaps.longestMs) {
            gaps.longestMs = now - last;
            if (stacks) {
                gaps.longestFrom = lastStack.empty() ? "    (start of the run)\n" : lastStack;
                gaps.longestTo = isPoll ? stack() : "    (end of the run)\n";
            }
        }
        if (stacks && isPoll) lastStack = stack();
        // The stack walk is not the run's work: the clock restarts after it.
        last = stacks ? clockMs() : now;
    }
};

inline void onPoll(void* context) noexcept {
    auto* w = static_cast<PollWatch*>(context);
    w->at(w->clockMs(), true);
    ++w->gaps.polls;
}

} // namespace detail

// The gaps between the polls on the calling thread while run() runs, timed by clockMs
// (threadCpuMs, or processCpuMs when the work runs on threads the caller waits for). With
// `stacks`, the call stacks at both ends of the longest gap are kept (the walks themselves are
// left out of the times).
inline PollGaps pollGaps(const std::function<void()>& run, double (*clockMs)() = threadCpuMs,
                         bool stacks = false) {
    detail::PollWatch w;
    w.clockMs = clockMs;
    w.stacks = stacks;
    w.last = clockMs();
    xcAttention::observePolls(&detail::onPoll, &w);
    try {
        run();
    } catch (...) {
        xcAttention::observePolls(nullptr);
        throw;
    }
    xcAttention::observePolls(nullptr);
    const double end = clockMs();
    w.gaps.tailMs = end - w.last;
    w.at(end, false);
    return w.gaps;
}

// How late a limit ended the runs: wall time from arming to the run's end, less the limit; and
// the CPU time the run took after its limit passed (what an idle core would add to the limit,
// however busy this machine is), for the runs the limit ended.
struct Lateness {
    std::vector<double> lateMs, cpuLateMs;
    int finishedEarly = 0; // runs that ended before their limit passed

    static double median(std::vector<double> v) {
        if (v.empty()) return 0.0;
        std::sort(v.begin(), v.end());
        return 0.5 * (v[(v.size() - 1) / 2] + v[v.size() / 2]);
    }
    double median() const { return median(lateMs); }
    double p99() const { return percentile(lateMs, 0.99); }
    double max() const { return percentile(lateMs, 1.0); }
};

namespace detail {

// The CPU clock (of the thread, or of the process) read by a signal that a timer sends to the
// running thread when the limit passes: the kernel delivers it at once to a thread on a core.
inline clockid_t gAlarmClock = CLOCK_THREAD_CPUTIME_ID;
inline std::atomic<double> gCpuAtLimitMs{-1.0};
static_assert(std::atomic<double>::is_always_lock_free, "read in a signal handler");

inline void onLimitSignal(int) {
    timespec t{};
    clock_gettime(gAlarmClock, &t);
    gCpuAtLimitMs.store(double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6);
}

inline double clockMs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
}

// A one-shot timer on CLOCK_MONOTONIC (the attention tags' clock) that signals this thread.
class LimitAlarm {
public:
    LimitAlarm() {
        struct sigaction action {};
        action.sa_handler = &onLimitSignal;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        sigaction(SIGRTMIN, &action, nullptr);
        sigevent event{};
        event.sigev_notify = SIGEV_THREAD_ID;
        event.sigev_signo = SIGRTMIN;
        event._sigev_un._tid = gettid();
        ok_ = timer_create(CLOCK_MONOTONIC, &event, &timer_) == 0;
    }
    ~LimitAlarm() {
        if (ok_) timer_delete(timer_);
    }
    LimitAlarm(const LimitAlarm&) = delete;
    LimitAlarm& operator=(const LimitAlarm&) = delete;

    void at(std::chrono::steady_clock::time_point when) {
        gCpuAtLimitMs.store(-1.0);
        const auto ns =
            std::chrono::duration_cast<std::chrono::nanoseconds>(when.time_since_epoch()).count();
        itimerspec due{};
        due.it_value.tv_sec = time_t(ns / 1000000000);
        due.it_value.tv_nsec = long(ns % 1000000000);
        if (ok_) timer_settime(timer_, TIMER_ABSTIME, &due, nullptr);
    }
    void cancel() {
        itimerspec none{};
        if (ok_) timer_settime(timer_, 0, &none, nullptr);
    }

private:
    timer_t timer_{};
    bool ok_ = false;
};

} // namespace detail

// Runs prepare() (not timed) and then run() under a limit of limitMs armed on the calling
// thread, `runs` times. cpuClock counts the CPU time after the limit: CLOCK_THREAD_CPUTIME_ID,
// or CLOCK_PROCESS_CPUTIME_ID when the work runs on threads the caller waits for.
inline Lateness lateness(const std::function<void()>& prepare, const std::function<void()>& run,
                         double limitMs, int runs, clockid_t cpuClock = CLOCK_THREAD_CPUTIME_ID) {
    Lateness out;
    detail::gAlarmClock = cpuClock;
    detail::LimitAlarm alarm;
    for (int i = 0; i < runs; ++i) {
        prepare();
        xcAttentionTag tag(true);
        const auto start = std::chrono::steady_clock::now();
        tag.attachTimeout(limitMs * 1e-3);
        alarm.at(start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                             std::chrono::duration<double, std::milli>(limitMs)));
        bool expired = false;
        try {
            run();
            ++out.finishedEarly;
        } catch (const xcTimeout::Expired&) {
            expired = true;
        }
        const auto end = std::chrono::steady_clock::now();
        const double cpuEnd = detail::clockMs(cpuClock);
        alarm.cancel();
        const double ms = std::chrono::duration<double, std::milli>(end - start).count();
        out.lateMs.push_back(std::max(0.0, ms - limitMs));
        const double cpuAtLimit = detail::gCpuAtLimitMs.load();
        if (expired && cpuAtLimit >= 0.0) out.cpuLateMs.push_back(cpuEnd - cpuAtLimit);
    }
    return out;
}

// "<limit> ms limit: late by M ms median[, P ms 99th percentile], X ms max over N runs (E
// finished before the limit)", and with cpu the same figures of the CPU time after the limit.
inline void printLateness(int limitMs, const Lateness& l, bool withP99, bool cpu = false) {
    std::printf("  %2d ms limit: late by %.2f ms median", limitMs, l.median());
    if (withP99) std::printf(", %.2f ms 99th percentile", l.p99());
    std::printf(", %.2f ms max over %zu runs", l.max(), l.lateMs.size());
    if (l.finishedEarly > 0) std::printf(" (%d finished before the limit)", l.finishedEarly);
    std::printf("\n");
    if (cpu && !l.cpuLateMs.empty())
        std::printf("              CPU time after the limit %.2f ms median, %.2f ms 99th "
                    "percentile, %.2f ms max\n",
                    Lateness::median(l.cpuLateMs), percentile(l.cpuLateMs, 0.99),
                    percentile(l.cpuLateMs, 1.0));
}

} // namespace oc_bench
