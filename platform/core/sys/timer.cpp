#include "core/sys/timer.h"

void xcTimer::start() {
    if (running_) return;
    since_ = Clock::now();
    running_ = true;
}

void xcTimer::stop() {
    if (!running_) return;
    total_ += Clock::now() - since_;
    running_ = false;
}

void xcTimer::reset() {
    total_ = Clock::duration::zero();
    if (running_) since_ = Clock::now();
}

double xcTimer::msec() const {
    Clock::duration d = total_;
    if (running_) d += Clock::now() - since_;
    return std::chrono::duration<double, std::milli>(d).count();
}
