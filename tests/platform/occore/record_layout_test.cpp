#include "occore/xoc_char.h"
#include "occore/xoc_failure.h"
#include "occore/xstd_string.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

extern "C" size_t xoc_test_layoutFromC(size_t* out);
extern "C" int xoc_test_useFromC(void);

TEST(RecordLayout, CAndCppAgree) {
    const std::vector<std::size_t> expected = {448, 16,  24,  64,  104, 144, 152, 192, 196, 200,
                                               204, 240, 416, 424, 432, 440, 56,  64,  168};
    std::vector<std::size_t> fromC(64);
    fromC.resize(xoc_test_layoutFromC(fromC.data()));
    EXPECT_EQ(fromC, expected);
    EXPECT_EQ(xoc_test_useFromC(), 0);
}

TEST(RecordLayout, FieldsSitAtTheirBytes) {
    xoc_char rec;
    std::memset(&rec, 0, sizeof rec);
    rec.key = xoc_charKey{0x11223344u, -2, 0x0A0B0C0D, 7};
    rec.polarity = xoc_charPolarityLightOnDark;
    rec.threshold = 0x01020304;
    rec.imageArea = xoc_rect32{5, 6, 7, 8};
    rec.metrics.advanceY = 2.5;
    unsigned char b[sizeof rec];
    std::memcpy(b, &rec, sizeof rec);
    const unsigned char head[20] = {0x44, 0x33, 0x22, 0x11, 0xFE, 0xFF, 0xFF, 0xFF, 0x0D, 0x0C,
                                    0x0B, 0x0A, 7,    0,    0,    0,    2,    0,    0,    0};
    EXPECT_EQ(std::memcmp(b, head, sizeof head), 0);
    const unsigned char threshold[4] = {4, 3, 2, 1};
    EXPECT_EQ(std::memcmp(b + 196, threshold, 4), 0);
    EXPECT_EQ(b[204] + b[208] + b[212] + b[216], 5 + 6 + 7 + 8);
    double advanceY = 0;
    std::memcpy(&advanceY, b + 240 + 168, sizeof advanceY);
    EXPECT_EQ(advanceY, 2.5);
}

TEST(RecordLayout, ConstructAndDestruct) {
    xoc_char rec;
    std::memset(&rec, 0xAB, sizeof rec);
    ASSERT_EQ(xoc_char_construct(&rec), 0);
    // Clones are owned by the target: a second clone releases the first, null clears it.
    ASSERT_EQ(xstd_string_cloneA("abc", &rec.description), 0);
    ASSERT_EQ(xstd_string_cloneA(nullptr, &rec.description), 0);
    EXPECT_EQ(rec.description, nullptr);
    EXPECT_EQ(xstd_string_cloneA("x", nullptr), XOC_FAIL_NULL_ARGUMENT);
    const uint32_t codes[] = {0x41, 0x1F600, 0xFFFFFF80u, 0};
    ASSERT_EQ(xstd_string_clone32(codes, &rec.name32), 0);
    ASSERT_EQ(xstd_string_length32(rec.name32), 3u);
    EXPECT_EQ(rec.name32[2], 0xFFFFFF80u);
    ASSERT_EQ(xstd_string_cloneA("x", &rec.description), 0);
    EXPECT_EQ(xoc_char_destruct(&rec), 0); // releases the texts (ASan counts leaks)
    EXPECT_EQ(rec.description, nullptr);
    EXPECT_EQ(xoc_char_destruct(&rec), 0); // twice is harmless
    EXPECT_LT(xoc_char_construct(nullptr), 0);
}
