#include "core/sys/attention.h"
#include "core/sys/timeout.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <thread>
#include <type_traits>

namespace {

constexpr long kExtractCode = 0x80000064;

// What check() does: 'n' nothing, 'E' Expired, 'I' InternalExpired (its code goes to *code).
char outcome(long* code = nullptr) {
    try {
        xcAttention::check();
    } catch (const xcTimeout::Expired&) {
        return 'E';
    } catch (const xcTimeout::InternalExpired& e) {
        if (code != nullptr) *code = e.code();
        return 'I';
    }
    return 'n';
}

// A handler for one timeout must never take the other.
static_assert(!std::is_base_of_v<xcTimeout::Expired, xcTimeout::InternalExpired> &&
              !std::is_base_of_v<xcTimeout::InternalExpired, xcTimeout::Expired>);

TEST(Attention, ZeroLimitHasPassedAtFirstCheckTenSecondsHasNot) {
    xcAttentionTag tag;
    EXPECT_EQ(outcome(), 'n');
    tag.attachTimeout(10.0);
    EXPECT_EQ(outcome(), 'n');
    tag.attachTimeout(0.0); // arming again replaces the limit
    EXPECT_EQ(outcome(), 'E');
    tag.attachTimeout(INFINITY);
    EXPECT_EQ(outcome(), 'n');
    tag.attachTimeoutCustom(100.0, 12);
    tag.cancel();
    long code = 0;
    EXPECT_EQ(outcome(&code), 'I');
    EXPECT_EQ(code, 12);
    EXPECT_THROW(tag.attachTimeout(-1e-9), xcTimeout::BadParams);
    EXPECT_THROW(tag.attachTimeoutCustom(NAN, 3), xcTimeout::BadParams);
    EXPECT_EQ(tag.code(), 12); // the bad limits changed nothing
    EXPECT_EQ(xcTimeout::InternalExpired(kExtractCode).message(),
              "Time limit expired (code 0x80000064)");
    EXPECT_EQ(xcTimeout::Expired().errorNumber(), 0x10000201);
}

TEST(Attention, NestedTagsTheOutermostPassedLimitWins) {
    long code = 0;
    xcAttentionTag outer;
    xcAttentionTag disabled(false); // never seen by check()
    xcAttentionTag inner;
    disabled.attachTimeout(0.0);
    EXPECT_EQ(xcAttention::depth(), 2u);
    EXPECT_EQ(outcome(), 'n');
    inner.attachTimeoutCustom(0.0, kExtractCode); // only the tool's limit has passed
    outer.attachTimeout(10.0);
    EXPECT_EQ(outcome(&code), 'I');
    EXPECT_EQ(code, kExtractCode);
    outer.attachTimeout(0.0); // the caller's limit passes inside the tool's: the caller's
    EXPECT_EQ(outcome(), 'E');
    outer.attachTimeoutCustom(0.0, 1); // two custom limits: the outer one's code
    EXPECT_EQ(outcome(&code), 'I');
    EXPECT_EQ(code, 1);
    outer.disarm();
    inner.attachTimeout(0.0);
    EXPECT_EQ(outcome(), 'E');
    inner.disarm();
    EXPECT_EQ(outcome(), 'n');
    EXPECT_FALSE(xcAttention::isArmed());
}

TEST(Attention, LimitsStayOnTheirOwnThread) {
    std::atomic<int> stage{0};
    std::atomic<int> otherOutcomes{0}; // checks on the other thread that did not return
    std::atomic<bool> otherCouldArm{true};
    xcAttentionTag tag;
    // A new thread starts with no tags and keeps polling while this one's 0 s limit is armed.
    std::thread other([&] {
        if (xcAttention::depth() != 0) ++otherOutcomes;
        try {
            tag.attachTimeout(0.0); // a tag belongs to the thread that made it
        } catch (const xcTimeout::BadParams&) {
            otherCouldArm = false;
        }
        stage = 1;
        while (stage.load() < 2) {
        }
        for (int i = 0; i < 100000; ++i)
            if (outcome() != 'n') ++otherOutcomes;
        stage = 3;
    });
    while (stage.load() < 1) {
    }
    EXPECT_FALSE(tag.isArmed());
    tag.attachTimeout(0.0);
    stage = 2;
    while (stage.load() < 3) EXPECT_EQ(outcome(), 'E');
    other.join();
    EXPECT_EQ(otherOutcomes.load(), 0);
    EXPECT_FALSE(otherCouldArm.load());
}

} // namespace
