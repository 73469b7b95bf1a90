#include "core/sys/thread.h"
#include "core/sys/timeout.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <stdexcept>

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

} // namespace
