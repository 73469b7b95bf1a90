#include "core/sys/thread.h"
#include "core/sys/timeout.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <pthread.h>
#include <stdexcept>
#include <thread>
#include <vector>

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

TEST(Thread, JoinGivesTheResultOrRethrowsAndForgetsTheId) {
    unsigned long value = 21;
    unsigned long result = 0;
    const xcThreadID id = xfCreateThread(&doubleIt, &value, -1, -1);
    xfWaitForThreadTermination(id, &result);
    EXPECT_EQ(value, 42u);
    EXPECT_EQ(result, 43u);
    EXPECT_THROW(xfWaitForThreadTermination(xcThreadID()), xcThreadDefs::UnknownThread);

    const xcThreadID failing = xfCreateThread(&throwsTimeout, nullptr, 0, -1);
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
}

TEST(Thread, BadArgumentsThrowAndStartNothing) {
    unsigned long value = 1;
    EXPECT_THROW(xfCreateThread(nullptr, &value, -1, -1), xcThreadDefs::BadParams);
    // Priority below -1; stack sizes of 0, negative other than -1, or above 1 GiB.
    for (const auto& [priority, stack] :
         {std::pair{-2L, -1L}, {-1L, 0L}, {-1L, -7L}, {-1L, (1L << 30) + 1}})
        EXPECT_THROW(xfCreateThread(&doubleIt, &value, priority, stack), xcThreadDefs::BadParams);
    EXPECT_EQ(value, 1u);
}

unsigned long ownStackSize(void*) {
    pthread_attr_t attr;
    std::size_t size = 0;
    if (pthread_getattr_np(pthread_self(), &attr) != 0) return 0;
    pthread_attr_getstacksize(&attr, &size);
    pthread_attr_destroy(&attr);
    return size;
}

TEST(Thread, AGivenStackSizeIsHonoured) {
    // Larger than the default stack, so a thread that got the default would show it.
    const long request = 64L * 1024 * 1024 + 1;
    unsigned long size = 0;
    xfWaitForThreadTermination(xfCreateThread(&ownStackSize, nullptr, -1, request), &size);
    EXPECT_GE(size, static_cast<unsigned long>(request));
}

unsigned long addOne(void* arg) {
    static_cast<std::atomic<unsigned long>*>(arg)->fetch_add(1);
    return 1;
}

TEST(Thread, ManyThreadsFromManyCreatorsGetDistinctIdsAndAllJoin) {
    std::atomic<unsigned long> counter{0};
    std::vector<std::vector<unsigned long>> ids(4);
    std::vector<std::thread> creators;
    for (auto& mine : ids) {
        creators.emplace_back([&counter, &mine] {
            for (int i = 0; i < 50; ++i)
                mine.push_back(xfCreateThread(&addOne, &counter, -1, -1).value());
            for (const unsigned long id : mine) xfWaitForThreadTermination(xcThreadID(id));
        });
    }
    for (auto& t : creators) t.join();
    EXPECT_EQ(counter.load(), 200u);
    std::vector<unsigned long> all;
    for (const auto& v : ids) all.insert(all.end(), v.begin(), v.end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
}

std::atomic<unsigned long> gSelfId{0};
std::atomic<bool> gSelfJoinTried{false};

unsigned long joinsItself(void*) {
    while (gSelfId.load() == 0) std::this_thread::yield();
    unsigned long refused = 0;
    try {
        xfWaitForThreadTermination(xcThreadID(gSelfId.load()));
    } catch (const xcThreadDefs::BadParams&) {
        refused = 1;
    }
    gSelfJoinTried = true;
    return refused;
}

// Joining itself would deadlock; the refusal must leave the id joinable by its creator.
TEST(Thread, AThreadCannotWaitForItself) {
    gSelfId = 0;
    gSelfJoinTried = false;
    const xcThreadID id = xfCreateThread(&joinsItself, nullptr, -1, -1);
    gSelfId = id.value();
    while (!gSelfJoinTried.load()) std::this_thread::yield();
    unsigned long result = 0;
    xfWaitForThreadTermination(id, &result);
    EXPECT_EQ(result, 1u);
}

} // namespace
