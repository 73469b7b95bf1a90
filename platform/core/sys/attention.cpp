#include "core/sys/attention.h"

#include "core/sys/timeout.h"

#include <cassert>

namespace {

// Plain thread_local values: they need no initialisation guard and no destructor, so check()
// costs two TLS loads while nothing is armed and nothing observes, and tags may outlive any
// other object.
thread_local int tArmed = 0;
thread_local std::size_t tDepth = 0;
thread_local xcAttentionTag* tOutermost = nullptr;
thread_local xcAttentionTag* tInnermost = nullptr;
thread_local xcAttention::PollObserver tObserver = nullptr;
thread_local void* tObserverContext = nullptr;

// Limits beyond this many seconds (about 30 years) never pass; the cap also keeps the deadline
// inside the clock's range.
constexpr double kNeverSeconds = 1e9;

} // namespace

void xcAttention::check() {
    if (tObserver != nullptr) tObserver(tObserverContext);
    if (tArmed == 0) return;
    const auto now = std::chrono::steady_clock::now();
    for (const xcAttentionTag* tag = tOutermost; tag != nullptr; tag = tag->inner_) {
        if (tag->kind_ == xcAttentionTag::Kind::eNone || now < tag->deadline_) continue;
        if (tag->kind_ == xcAttentionTag::Kind::eCustom)
            throw xcTimeout::InternalExpired(tag->code_);
        throw xcTimeout::Expired();
    }
}

std::size_t xcAttention::depth() {
    return tDepth;
}

bool xcAttention::isArmed() {
    return tArmed != 0;
}

void xcAttention::observePolls(PollObserver observer, void* context) {
    tObserver = observer;
    tObserverContext = context;
}

xcAttentionTag::xcAttentionTag(bool enable) : thread_(&tArmed), enabled_(enable) {
    if (!enabled_) return;
    outer_ = tInnermost;
    if (outer_ != nullptr)
        outer_->inner_ = this;
    else
        tOutermost = this;
    tInnermost = this;
    ++tDepth;
}

xcAttentionTag::~xcAttentionTag() {
    assert(thread_ == &tArmed && "an attention tag is destroyed on its own thread");
    if (!enabled_) return;
    // Tags may go in any order: this one is unlinked wherever it stands.
    if (outer_ != nullptr)
        outer_->inner_ = inner_;
    else
        tOutermost = inner_;
    if (inner_ != nullptr)
        inner_->outer_ = outer_;
    else
        tInnermost = outer_;
    --tDepth;
    if (isArmed()) --tArmed;
}

void xcAttentionTag::checkThread_() const {
    if (thread_ != &tArmed)
        throw xcTimeout::BadParams("An attention tag can only be used on the thread that made it");
}

void xcAttentionTag::arm_(double seconds, Kind kind, long code) {
    checkThread_();
    if (!(seconds >= 0.0)) throw xcTimeout::BadParams("Time limit must be a number >= 0");
    Clock::time_point deadline = Clock::time_point::max();
    if (seconds < kNeverSeconds)
        deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(seconds));
    if (enabled_ && !isArmed()) ++tArmed;
    deadline_ = deadline;
    kind_ = kind;
    code_ = code;
}

void xcAttentionTag::attachTimeout(double seconds) {
    arm_(seconds, Kind::eOrdinary, 0);
}

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

bool xcAttentionTag::hasExpired() const {
    return isArmed() && Clock::now() >= deadline_;
}
