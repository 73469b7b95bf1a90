// Time limits, threads, the timer and the priority queue.
#include "core/base/priority_queue.h"
#include "core/sys/attention.h"
#include "core/sys/thread.h"
#include "core/sys/timeout.h"
#include "core/sys/timer.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <type_traits>

namespace {

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

} // namespace

TEST(Attention, LimitsOfNestedTagsTheOutermostPassedOneWins) {
    long code = 0;
    xcAttentionTag outer;
    xcAttentionTag disabled(false); // never seen by check()
    xcAttentionTag inner;
    disabled.attachTimeout(0.0);
    EXPECT_EQ(xcAttention::depth(), 2u);
    EXPECT_EQ(outcome(), 'n');
    inner.attachTimeoutCustom(0.0, 0x80000064); // only the tool's limit has passed
    outer.attachTimeout(10.0);
    EXPECT_EQ(outcome(&code), 'I');
    EXPECT_EQ(code, 0x80000064);
    outer.attachTimeout(0.0); // arming again replaces; the caller's limit wins
    EXPECT_EQ(outcome(), 'E');
    outer.attachTimeoutCustom(0.0, 1); // two custom limits: the outer one's code
    EXPECT_EQ(outcome(&code), 'I');
    EXPECT_EQ(code, 1);
    outer.attachTimeout(INFINITY);
    inner.disarm();
    EXPECT_EQ(outcome(), 'n');
    inner.cancel(); // an unarmed tag cancelled passes as an ordinary limit
    EXPECT_EQ(outcome(), 'E');
    inner.disarm();
    outer.disarm();
    EXPECT_FALSE(xcAttention::isArmed());
    outer.attachTimeoutCustom(100.0, 12);
    EXPECT_THROW(outer.attachTimeout(-1e-9), xcTimeout::BadParams);
    EXPECT_THROW(outer.attachTimeoutCustom(NAN, 3), xcTimeout::BadParams);
    EXPECT_EQ(outer.code(), 12); // the bad limits changed nothing
    outer.cancel();
    EXPECT_EQ(outcome(&code), 'I');
    EXPECT_EQ(xcTimeout::InternalExpired(0x80000064).message(),
              "Time limit expired (code 0x80000064)");
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

namespace {

unsigned long doubleIt(void* arg) {
    auto* value = static_cast<unsigned long*>(arg);
    *value *= 2;
    return *value + 1;
}
unsigned long throwsTimeout(void*) {
    throw xcTimeout::InternalExpired(0x80000064);
}
unsigned long throwsStd(void*) {
    throw std::runtime_error("worker failed");
}

} // namespace

TEST(Thread, JoinGivesTheResultOrRethrowsAndForgetsTheIdBadArgumentsStartNothing) {
    unsigned long value = 21;
    unsigned long result = 0;
    xfWaitForThreadTermination(xfCreateThread(&doubleIt, &value, -1, -1), &result);
    EXPECT_EQ(value, 42u);
    EXPECT_EQ(result, 43u);

    const xcThreadID failing = xfCreateThread(&throwsTimeout, nullptr, 0, 1);
    EXPECT_EQ(caught<xcTimeout::InternalExpired>([&] {
                  xfWaitForThreadTermination(failing, &result);
              }).code(),
              0x80000064);
    EXPECT_EQ(result, 43u); // untouched by a thread that threw
    // Joined ids are forgotten, even after a throw.
    EXPECT_EQ(
        caught<xcThreadDefs::UnknownThread>([&] { xfWaitForThreadTermination(failing); }).message(),
        "No thread to wait for with id " + std::to_string(failing.value()));
    EXPECT_THROW(xfWaitForThreadTermination(xfCreateThread(&throwsStd, nullptr, -1, -1)),
                 std::runtime_error);

    EXPECT_THROW(xfCreateThread(nullptr, &value, -1, -1), xcThreadDefs::BadParams);
    // Priority below -1; stack sizes of 0, negative other than -1, or above 1 GiB.
    for (const auto& [priority, stack] :
         {std::pair{-2L, -1L}, {-1L, 0L}, {-1L, -7L}, {-1L, (1L << 30) + 1}})
        EXPECT_THROW(xfCreateThread(&doubleIt, &value, priority, stack), xcThreadDefs::BadParams);
    EXPECT_EQ(value, 42u);
}

// Readings are bracketed by the test's own clock reads, so the checks hold under any load.
TEST(Timer, CountsOnlyWhileRunningSumsIntervalsAndResets) {
    using Clock = std::chrono::steady_clock;
    const auto msSince = [](Clock::time_point t) {
        return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
    };
    const auto spin = [&](double ms) {
        for (const auto t0 = Clock::now(); msSince(t0) < ms;) {
        }
    };
    xcTimer t;
    t.stop(); // stopping a stopped timer changes nothing
    EXPECT_EQ(t.msec(), 0.0);
    const auto outer = Clock::now();
    t.start();
    const auto inner = Clock::now();
    spin(1.0);
    const double innerMs = msSince(inner);
    t.stop();
    const double first = t.msec();
    EXPECT_GE(first, innerMs);
    EXPECT_LE(first, msSince(outer));
    spin(1.0);
    EXPECT_EQ(t.msec(), first); // a stopped timer stands still
    t.start();
    spin(1.0);
    t.start(); // keeps the running interval
    EXPECT_GE(t.msec(), first + 1.0);
    // Reset while running restarts and keeps running; reset while stopped clears.
    const auto before = Clock::now();
    t.reset();
    EXPECT_LE(t.msec(), msSince(before));
    t.stop();
    t.reset();
    EXPECT_EQ(t.msec(), 0.0);
}

namespace {

std::string drain(xcPriorityQueue<char>& q) {
    std::string order;
    for (; !q.empty(); q.pop()) order += q.top();
    return order;
}

} // namespace

// Sifting up moves an entry only past a strictly greater parent; sifting down takes the right
// child only when it is strictly smaller than the left, and swaps only when strictly smaller.
// Worked by hand: A1 B1 C0 D1 heap as [C0 B1 A1 D1] and pop C D A B; a3 b2 c2 d1 e2 f1 g0 heap
// as [g0 b2 d1 a3 e2 c2 f1] and pop g f d e b c a.
TEST(PriorityQueue, TiesEmptyQueueAndNaNCost) {
    xcPriorityQueue<char> q;
    for (const auto& [label, cost] : {std::pair{'A', 1.0}, {'B', 1.0}, {'C', 0.0}, {'D', 1.0}})
        q.push(label, cost);
    EXPECT_EQ(q.topCost(), 0.0);
    EXPECT_EQ(drain(q), "CDAB");
    const double costs[] = {3, 2, 2, 1, 2, 1, 0};
    for (int i = 0; i < 7; ++i) q.push(char('a' + i), costs[i]);
    EXPECT_EQ(drain(q), "gfdebca");
    // a0 b5 c1 d6 e7 f2 g9 heap in push order. Popping a sifts g9 down to c1's place, whose only
    // child is f2: the two must swap, or f2 stays below h8 pushed next and comes out after b5.
    const double more[] = {0, 5, 1, 6, 7, 2, 9};
    for (int i = 0; i < 7; ++i) q.push(char('a' + i), more[i]);
    q.pop();
    q.push('h', 8.0);
    EXPECT_EQ(drain(q), "cfbdehg");
    // Values that can only be moved, with whole-number costs.
    xcPriorityQueue<std::unique_ptr<int>, int> owned;
    owned.push(std::make_unique<int>(4), 4);
    owned.push(std::make_unique<int>(3), 3);
    EXPECT_EQ(*owned.take(), 3);
    EXPECT_EQ(*owned.take(), 4);

    EXPECT_THROW(q.take(), xcPriorityQueueDefs::Empty);
    EXPECT_EQ(caught<xcPriorityQueueDefs::Empty>([&] { q.pop(); }).message(),
              "The priority queue is empty");
    q.push('x', INFINITY); // infinite costs are ordered and accepted
    EXPECT_THROW(q.push('n', std::nan("")), xcPriorityQueueDefs::BadCost);
    q.push('y', 2.0);
    EXPECT_EQ(drain(q), "yx");
}
