// Per-thread time limits: attention tags that a thread arms and xcAttention::check() polls.
#pragma once

#include "core/export.h"

#include <chrono>
#include <cstddef>

class xcAttentionTag;

// The calling thread's tags, outermost (oldest) first. check() walks them in that order and
// throws for the first armed tag whose deadline has passed: xcTimeout::Expired for an ordinary
// limit, xcTimeout::InternalExpired carrying the code for a custom one. So an outer (caller's)
// limit wins over an inner one that has passed too. A thread starts with no tags, and no tag
// of one thread is ever seen by another.
class XCORE_API xcAttention {
public:
    xcAttention() = delete;

    // Throws when a limit of the calling thread has passed; returns at once when none is armed.
    static void check();
    // The number of enabled tags alive on the calling thread.
    static std::size_t depth();
    // True when at least one of the calling thread's tags is armed.
    static bool isArmed();

    // Called with its context at the start of every check() on the thread that installed it,
    // armed or not; for measuring how far apart a piece of work polls. One per thread: a new
    // one replaces the old, null removes it. It must not throw.
    using PollObserver = void (*)(void* context) noexcept;
    static void observePolls(PollObserver observer, void* context = nullptr);
};

// A time limit of the thread that constructs it. An enabled tag joins the thread's tags and
// leaves them when destroyed, in any order; a disabled tag (enable false) is never seen by
// check(). A limit counts from the moment it is armed: a limit of 0 s has passed at the next
// check(), +infinity never passes. Arming again replaces the limit.
//
// A tag belongs to its thread: arming, cancelling or disarming it from another thread throws
// xcTimeout::BadParams, and it must be destroyed on its own thread.
class XCORE_API xcAttentionTag {
public:
    explicit xcAttentionTag(bool enable = true);
    ~xcAttentionTag();
    xcAttentionTag(const xcAttentionTag&) = delete;
    xcAttentionTag& operator=(const xcAttentionTag&) = delete;

    // Arms an ordinary limit of `seconds` from now (a number >= 0, else xcTimeout::BadParams).
    void attachTimeout(double seconds);
    // Arms a limit of `seconds` from now that expires as xcTimeout::InternalExpired(code).
    void attachTimeoutCustom(double seconds, long code);
    // Makes the armed limit pass now (an unarmed tag is armed as an ordinary limit first).
    void cancel();
    // Removes the limit; the tag stays on its thread, unarmed.
    void disarm();

    bool isEnabled() const { return enabled_; }
    bool isArmed() const { return kind_ != Kind::eNone; }
    bool isCustom() const { return kind_ == Kind::eCustom; }
    // The code of a custom limit (0 otherwise).
    long code() const { return code_; }
    // True when the tag is armed and its deadline has passed.
    bool hasExpired() const;

private:
    friend class xcAttention;
    using Clock = std::chrono::steady_clock;
    enum class Kind { eNone, eOrdinary, eCustom };

    void arm_(double seconds, Kind kind, long code);
    void checkThread_() const;

    // The thread's tags form a list through the tags themselves, so joining and leaving
    // neither allocate nor depend on any other object's lifetime.
    xcAttentionTag* outer_ = nullptr;
    xcAttentionTag* inner_ = nullptr;
    const void* thread_; // identifies the thread that made the tag
    Clock::time_point deadline_{};
    Kind kind_ = Kind::eNone;
    long code_ = 0;
    bool enabled_ = false;
};
