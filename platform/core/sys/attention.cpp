#include "core/sys/attention.h"

#include "core/sys/timeout.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace {

// check() reads only this counter while nothing is armed: a plain thread_local int needs no
// initialisation guard, so the test costs one TLS load.
thread_local int tArmed = 0;
thread_local std::vector<xcAttentionTag*> tTags;

// Limits beyond this many seconds (about 30 years) never pass; the cap also keeps the deadline
// inside the clock's range.
constexpr double kNeverSeconds = 1e9;

} // namespace

void xcAttention::check() {
    if (tArmed == 0) return;
    const auto now = std::chrono::steady_clock::now();
    for (const xcAttentionTag* tag : tTags) {
        if (tag->kind_ == xcAttentionTag::Kind::eNone || now < tag->deadline_) continue;
        if (tag->kind_ == xcAttentionTag::Kind::eCustom)
            throw xcTimeout::InternalExpired(tag->code_);
        throw xcTimeout::Expired();
    }
}

std::size_t xcAttention::depth() { return tTags.size(); }

bool xcAttention::isArmed() { return tArmed != 0; }

xcAttentionTag::xcAttentionTag(bool enable) : stack_(&tTags), enabled_(enable) {
    if (enabled_) stack_->push_back(this);
}

xcAttentionTag::~xcAttentionTag() {
    assert(stack_ == &tTags && "an attention tag is destroyed on its own thread");
    if (!enabled_) return;
    // Tags may go in any order, so this one is found by identity, not taken from the end.
    const auto it = std::find(stack_->begin(), stack_->end(), this);
    assert(it != stack_->end());
    if (it != stack_->end()) stack_->erase(it);
    if (isArmed()) --tArmed;
}

void xcAttentionTag::checkThread_() const {
    if (stack_ != &tTags)
        throw xcTimeout::BadParams("An attention tag can only be used on the thread that made it");
}

void xcAttentionTag::arm_(double seconds, Kind kind, long code) {
    checkThread_();
    if (!(seconds >= 0.0)) throw xcTimeout::BadParams("Time limit must be a number >= 0");
    const auto now = Clock::now();
    Clock::time_point deadline = Clock::time_point::max();
    if (seconds < kNeverSeconds)
        deadline = now + std::chrono::duration_cast<Clock::duration>(
                             std::chrono::duration<double>(seconds));
    if (enabled_ && !isArmed()) ++tArmed;
    deadline_ = deadline;
    kind_ = kind;
    code_ = code;
}

void xcAttentionTag::attachTimeout(double seconds) { arm_(seconds, Kind::eOrdinary, 0); }

void xcAttentionTag::attachTimeoutCustom(double seconds, long code) {
    arm_(seconds, Kind::eCustom, code);
}

void xcAttentionTag::cancel() {
    checkThread_();
    if (!isArmed()) arm_(0.0, Kind::eOrdinary, 0);
    deadline_ = Clock::time_point::min();
}

void xcAttentionTag::disarm() {
    checkThread_();
    if (enabled_ && isArmed()) --tArmed;
    kind_ = Kind::eNone;
    code_ = 0;
}

bool xcAttentionTag::hasExpired() const { return isArmed() && Clock::now() >= deadline_; }
