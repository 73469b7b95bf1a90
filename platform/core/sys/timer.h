// A stopwatch on the steady clock that sums the intervals it has been running.
#pragma once

#include "core/export.h"

#include <chrono>

// msec() = the sum of the finished intervals plus the running one, in milliseconds.
// A new timer is stopped and reads 0.
class XCORE_API xcTimer {
public:
    xcTimer() = default;

    // Starts an interval; a running timer keeps its current interval.
    void start();
    // Ends the running interval and adds it to the total; a stopped timer stays as it is.
    void stop();
    // Zeroes the total. A running timer starts a new interval now and keeps running.
    void reset();
    // The total in milliseconds, the running interval included.
    double msec() const;

    bool isRunning() const { return running_; }

private:
    using Clock = std::chrono::steady_clock;

    Clock::duration total_{};
    Clock::time_point since_{};
    bool running_ = false;
};
