#include "occore/xoc_failure.h"
#include "occore/xstd_string.h"

#include <gtest/gtest.h>

namespace {

TEST(StringClone, CopiesOwnedByTheTarget) {
    char* target = nullptr;
    const char source[] = "abc";
    ASSERT_EQ(xstd_string_cloneA(source, &target), XOC_OK);
    EXPECT_STREQ(target, "abc");
    EXPECT_NE(target, source);
    ASSERT_EQ(xstd_string_cloneA("", &target), XOC_OK); // releases the first copy
    EXPECT_STREQ(target, "");
    ASSERT_EQ(xstd_string_cloneA(nullptr, &target), XOC_OK);
    EXPECT_EQ(target, nullptr);
    EXPECT_EQ(xstd_string_cloneA("x", nullptr), XOC_FAIL_NULL_ARGUMENT);
    const uint32_t codes[] = {0x41, 0x1F600, 0xFFFFFF80u, 0};
    uint32_t* target32 = nullptr;
    ASSERT_EQ(xstd_string_clone32(codes, &target32), XOC_OK);
    ASSERT_EQ(xstd_string_length32(target32), 3u);
    EXPECT_EQ(target32[1], 0x1F600u);
    EXPECT_EQ(target32[3], 0u);
    xstd_string_free(target32);
}

} // namespace
