#include "occore/xc_cleanup.h"
#include "occore/xoc_char.h"
#include "occore/xoc_failure.h"
#include "occore/xsys_typecheck.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>

namespace {

// Each destructor appends its letter to the string it is registered with.
int32_t logA(void* s) {
    *static_cast<std::string*>(s) += 'a';
    return XOC_OK;
}
int32_t logB(void* s) {
    *static_cast<std::string*>(s) += 'b';
    return XOC_OK;
}
int32_t failing(void* s) {
    *static_cast<std::string*>(s) += 'f';
    return XOC_FAIL_BAD_IMAGE;
}

TEST(CleanupScope, NewestFirstAndInnerScopesToo) {
    std::string log;
    const int32_t outer = xsys_cleanup_getNextTag();
    ASSERT_GT(outer, 0);
    ASSERT_EQ(xsys_cleanupRegister_(outer, &logA, &log), XOC_OK);
    ASSERT_EQ(xsys_cleanupRegister_(outer, &logB, &log), XOC_OK);
    EXPECT_EQ(xsys_cleanupRegister_(outer, &logA, &log), XOC_FAIL_CLEANUP); // two fill a scope
    const int32_t inner = xsys_cleanup_getNextTag();
    ASSERT_EQ(xsys_cleanupRegister_(inner, &failing, &log), XOC_OK);
    EXPECT_EQ(xsys_cleanupRegister_(inner, nullptr, &log), XOC_FAIL_NULL_ARGUMENT);
    // The forgotten inner scope runs first; its failure is reported, the rest still run.
    EXPECT_EQ(xsys_cleanupExecute_(outer), XOC_FAIL_BAD_IMAGE);
    EXPECT_EQ(log, "fba");
    EXPECT_EQ(xsys_cleanup_isOpen(inner), 0);
    EXPECT_EQ(xsys_cleanupExecute_(outer), XOC_FAIL_CLEANUP);
    EXPECT_EQ(log, "fba");
}

TEST(CleanupScope, GuardRunsOnEveryExitPath) {
    std::string log;
    try {
        xc_CleanupObject guard(xsys_cleanup_getNextTag());
        ASSERT_EQ(xsys_cleanupRegister_(guard.tag(), &logA, &log), XOC_OK);
        throw std::runtime_error("leaving");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(log, "a");
    {
        xc_CleanupObject guard(xsys_cleanup_getNextTag());
        ASSERT_EQ(xsys_cleanupRegister_(guard.tag(), &logB, &log), XOC_OK);
        EXPECT_EQ(xsys_cleanupExecute_(guard.tag()), XOC_OK); // closed by hand: not run twice
    }
    EXPECT_EQ(log, "ab");
}

TEST(CleanupScope, PerThreadAndBoundedDepth) {
    const int32_t mine = xsys_cleanup_getNextTag();
    int32_t fromOther = 0;
    std::thread([&] { fromOther = xsys_cleanupRegister_(mine, &logA, nullptr); }).join();
    EXPECT_EQ(fromOther, XOC_FAIL_CLEANUP);
    for (int i = 1; i < XSYS_CLEANUP_MAX_DEPTH; ++i) ASSERT_GT(xsys_cleanup_getNextTag(), 0);
    EXPECT_EQ(xsys_cleanup_getNextTag(), XOC_FAIL_CLEANUP);
    EXPECT_EQ(xsys_cleanupExecute_(mine), XOC_OK);
    const int32_t again = xsys_cleanup_getNextTag();
    EXPECT_GT(again, 0);
    EXPECT_EQ(xsys_cleanupExecute_(again), XOC_OK);
}

TEST(CleanupScope, TypeChecksPassOnlyTheOwnDestructor) {
    EXPECT_NE(xsys_typeCheckFunc_xoc_char(&xoc_char_destruct), nullptr);
    EXPECT_EQ(xsys_typeCheckFunc_xoc_char([](xoc_char*) -> int32_t { return 0; }), nullptr);
    EXPECT_EQ(xsys_typeCheckFunc_ximg_imageConst(&ximg_imageConst_constructUnbound), nullptr);
}

} // namespace
