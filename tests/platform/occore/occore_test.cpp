// The character core's C interface: the record's layout, images held by records, the binarized
// mark cut, fixed-point rectangles and clean-up scopes.
#include "occore/xc_cleanup.h"
#include "occore/xc_image.h"
#include "occore/xoc_char.h"
#include "occore/xoc_failure.h"
#include "occore/xoc_rect.h"
#include "occore/xstd_string.h"
#include "occore/xsys_typecheck.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <stdexcept>
#include <thread>

extern "C" size_t xoc_test_layoutFromC(size_t* out);
extern "C" int xoc_test_useFromC(void);

namespace {

using Image = xcPelBuffer_const<unsigned char>;

TEST(RecordLayout, CAndCppAgreeAndTextsAreOwned) {
    const std::vector<std::size_t> expected = {448, 4,   8,   12,  16,  24,  64,  104,
                                               144, 152, 192, 196, 200, 204, 240, 416,
                                               424, 432, 440, 56,  64,  168};
    std::vector<std::size_t> fromC(64);
    fromC.resize(xoc_test_layoutFromC(fromC.data()));
    EXPECT_EQ(fromC, expected);
    EXPECT_EQ(xoc_test_useFromC(), 0);
    // Construction, owned texts and destruction.
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

unsigned char grey(long x, long y) {
    return static_cast<unsigned char>(3 * x + 7 * y);
}

TEST(ImageRecord, AssignedRecordKeepsItsPixelsAloneAndUnboundOrEmptyBuffersConvert) {
    ximg_image8Const rec, second;
    ASSERT_EQ(ximg_imageConst_constructUnbound(&rec.base), XOC_OK);
    ximg_imageConst_constructUnbound(&second.base);
    const xcXform<2> cfi = xcXform<2>::translation(xcVector<2>(100, 0));
    {
        xcPelBuffer<unsigned char> buf(xcPelRect(10, 20, 7, 5));
        for (long y = 0; y < 5; ++y)
            for (long x = 0; x < 7; ++x) *buf.pointToPel(x, y) = grey(10 + x, 20 + y);
        buf.clientFromImageXform(cfi);
        buf.window(xcPelRect(11, 21, 3, 2));
        const xc_Image wrapper(buf);
        const ximg_imageConst& v = *wrapper.imageConst();
        EXPECT_EQ(std::vector<long>({v.x, v.y, v.width, v.height, v.rowUpdate, v.depth}),
                  std::vector<long>({11, 21, 3, 2, buf.rowUpdate(), 8}));
        EXPECT_EQ(v.pels, buf.pointToPel(0, 0));
        ASSERT_EQ(ximg_imageConst_assign(&rec.base, wrapper.imageConst()), XOC_OK);
    }
    // Buffer and wrapper are gone: the record's own reference keeps the pels (ASan checks).
    EXPECT_EQ(rec.base.pels[rec.base.rowUpdate + 2], grey(13, 22));
    const Image back = xfConvertImage(rec);
    EXPECT_EQ(back.window(), xcPelRect(11, 21, 3, 2));
    EXPECT_EQ(back.clientFromImage(), cfi);
    ASSERT_EQ(ximg_imageConst_assign(&second.base, &rec.base), XOC_OK);
    EXPECT_EQ(ximg_imageConst_assign(&second.base, &second.base), XOC_OK);
    ASSERT_EQ(ximg_imageConst_destruct(&rec.base), XOC_OK);
    EXPECT_EQ(second.base.pels[1], grey(12, 21));
    EXPECT_TRUE(xfConvertImage(second).sharesRoot(back));
    ASSERT_EQ(ximg_imageConst_assign(&second.base, &rec.base), XOC_OK); // now unbound
    EXPECT_EQ(second.base.pels, nullptr);
    EXPECT_EQ(ximg_imageConst_destruct(&second.base), XOC_OK);
    EXPECT_EQ(ximg_imageConst_assign(nullptr, &rec.base), XOC_FAIL_NULL_ARGUMENT);
    // Unbound and empty buffers: an unbound one's transforms travel with the record.
    Image unbound;
    unbound.clientFromImageXform(xcXform<2>::translation(xcVector<2>(1, 2)));
    const xc_Image u(unbound);
    EXPECT_FALSE(xfConvertImage(*u.image8()).isBound());
    EXPECT_EQ(xfConvertImage(*u.image8()).clientFromImage(), unbound.clientFromImage());
    xcPelBuffer<unsigned char> buf(xcPelRect(0, 0, 4, 4));
    buf.window(xcPelRect(2, 2, 0, 0));
    const xc_Image empty(buf); // bound, but no pel to point at
    EXPECT_EQ(ximg_imageConst_isBound(empty.imageConst()), 1);
    EXPECT_EQ(empty.imageConst()->pels, nullptr);
    EXPECT_EQ(xfConvertImage(*empty.image8()).window(), xcPelRect(2, 2, 0, 0));
}

// 10 x 8 at (0, 0): grey 40 with a 3 x 2 block of grey 200 at (4, 3).
xcPelBuffer<unsigned char> blockImage() {
    xcPelBuffer<unsigned char> b(xcPelRect(0, 0, 10, 8));
    for (long y = 0; y < 8; ++y)
        for (long x = 0; x < 10; ++x)
            *b.pointToPel(x, y) = (x >= 4 && x < 7 && y >= 3 && y < 5) ? 200 : 40;
    return b;
}

struct Record {
    Record() {
        xoc_char_construct(&rec);
        ximg_imageConst_constructUnbound(&out.base);
    }
    ~Record() {
        xoc_char_destruct(&rec);
        ximg_imageConst_destruct(&out.base);
    }
    int32_t setNormalized(const Image& src, int32_t has, int32_t t, int32_t inv,
                          const xoc_rect32* rootCopyRect = nullptr) {
        const xc_Image wrapper(src);
        return xoc_char_setNormalizedImageThresholdAndInvert8(&rec, wrapper.image8(), has, t, inv,
                                                              rootCopyRect);
    }
    int32_t cut() { return xoc_char_getBinarizedImageMarkRect8(&rec, &out); }
    Image result() const { return xfConvertImage(out); }
    xoc_char rec;
    ximg_image8Const out;
};

TEST(CharComputations, SetNormalizedImage) {
    Record r;
    xcPelBuffer<unsigned char> src = blockImage();
    src.window(xcPelRect(3, 2, 5, 4));
    const xoc_rect32 bad{4, 2, 5, 4}, copyRect{2, 1, 20, 20};
    for (int32_t t : {-1, 257}) EXPECT_EQ(r.setNormalized(src, 1, t, 0), XOC_FAIL_BAD_THRESHOLD);
    EXPECT_EQ(r.setNormalized(src, 1, 128, 0, &bad), XOC_FAIL_BAD_RECT);
    EXPECT_EQ(ximg_imageConst_isBound(&r.rec.normalizedImage.base), 0); // failures change nothing

    ASSERT_EQ(r.setNormalized(src, 1, 200, 1, &copyRect), XOC_OK);
    EXPECT_EQ(r.rec.hasThresholdAndInvert + r.rec.invert + r.rec.binarizedImageCached, 3);
    // The detected mark's client rectangle goes, its image rectangle stays.
    EXPECT_EQ(r.rec.metrics.specifiedRects, 60u - XOC_DETECTED_MARK_RECT);
    Image normalized = xfConvertImage(r.rec.normalizedImage);
    EXPECT_EQ(normalized.window(), xcPelRect(3, 2, 5, 4));
    EXPECT_FALSE(normalized.sharesRoot(src));
    normalized.setEntire(); // root copy: the part of the root inside the rectangle
    EXPECT_EQ(normalized.window(), xcPelRect(2, 1, 8, 7));
    // Inverted at threshold 200: 200 is not below it and goes to 0, 40 to 255.
    const Image bin = xfConvertImage(r.rec.binarizedImage);
    EXPECT_EQ(*bin.pointToPel(0, 0), 255);
    EXPECT_EQ(*bin.pointToPel(1, 1), 0);
    ASSERT_EQ(r.setNormalized(src, 0, 128, 0), XOC_OK); // no threshold: no binarized image
    EXPECT_EQ(ximg_imageConst_isBound(&r.rec.binarizedImage.base), 0);
}

TEST(CharComputations, MarkRectFailuresComeInOrder) {
    Record r;
    r.rec.metrics.specifiedRects = XOC_CELL_RECT | XOC_CELL_RECT_IMAGE;
    EXPECT_EQ(r.cut(), XOC_FAIL_NO_THRESHOLD_AND_INVERT);
    r.rec.hasThresholdAndInvert = 1;
    EXPECT_EQ(r.cut(), XOC_FAIL_RECT_NOT_SPECIFIED);
    r.rec.metrics.specifiedRects = XOC_MARK_RECT;
    ASSERT_EQ(r.cut(), XOC_OK); // unbound normalized image: unbound result
    EXPECT_FALSE(r.result().isBound());
    ASSERT_EQ(r.setNormalized(blockImage(), 0, 100, 0), XOC_OK);
    r.rec.hasThresholdAndInvert = 1;
    r.rec.threshold = 300;
    EXPECT_EQ(r.cut(), XOC_FAIL_BAD_THRESHOLD);
    r.rec.threshold = 100;
    r.rec.metrics.markRect = xoc_rectD{0, 0, 3e9, 1};
    EXPECT_EQ(r.cut(), XOC_FAIL_INTEGER_OVERFLOW);
    xcPelBuffer<unsigned char> curved = blockImage();
    curved.imageFromClientXform(std::make_shared<xc2XformPoly2>(
        xcXform<2>(), std::array<double, 3>{1e-3, 0, 0}, std::array<double, 3>{0, 0, 0}));
    ASSERT_EQ(r.setNormalized(curved, 1, 128, 0), XOC_OK);
    EXPECT_EQ(r.cut(), XOC_FAIL_NOT_LINEAR);
}

TEST(CharComputations, MarkRectChoiceAndCut) {
    Record r;
    xcPelBuffer<unsigned char> src = blockImage();
    src.imageFromClientXform(xcXform<2>(xcMatrix<2>(2, 0, 0, 2), xcVector<2>())); // client x 2
    ASSERT_EQ(r.setNormalized(src, 1, 128, 0), XOC_OK);
    xoc_charMetrics& m = r.rec.metrics;
    m.specifiedRects = XOC_DETECTED_MARK_RECT;
    m.detectedMarkRect = xoc_rectD{2, 1.5, 1.5, 1}; // pels (4, 3) to (7, 5): the block
    ASSERT_EQ(r.cut(), XOC_OK);
    EXPECT_EQ(r.result().window(), xcPelRect(4, 3, 3, 2));
    for (long y = 0; y < 2; ++y)
        for (long x = 0; x < 3; ++x) EXPECT_EQ(*r.result().pointToPel(x, y), 255);
    // Order: mark image, detected mark image, mark, detected mark.
    m.specifiedRects |= XOC_MARK_RECT;
    m.markRect = xoc_rectD{0, 0, 1, 1};
    ASSERT_EQ(r.cut(), XOC_OK);
    EXPECT_EQ(r.result().window(), xcPelRect(0, 0, 2, 2));
    m.specifiedRects |= XOC_DETECTED_MARK_RECT_IMAGE;
    m.detectedMarkRectImage = xoc_rect32{5 << 16, 6 << 16, 1 << 16, 1 << 16};
    ASSERT_EQ(r.cut(), XOC_OK);
    EXPECT_EQ(r.result().window(), xcPelRect(5, 6, 1, 1));
    m.specifiedRects |= XOC_MARK_RECT_IMAGE;
    m.markRectImage = xoc_rect32{(8 << 16) + 1, 0, 5 << 16, 3 << 16}; // enclosed, then clipped
    ASSERT_EQ(r.cut(), XOC_OK);
    EXPECT_EQ(r.result().window(), xcPelRect(8, 0, 2, 3));
    // A valid cache is cut as it is; without one the normalized image is thresholded anew.
    r.rec.threshold = 0;
    m.markRectImage = xoc_rect32{4 << 16, 3 << 16, 1 << 16, 1 << 16};
    ASSERT_EQ(r.cut(), XOC_OK);
    EXPECT_EQ(*r.result().pointToPel(0, 0), 255);
    r.rec.binarizedImageCached = 0;
    r.rec.invert = 1;
    ASSERT_EQ(r.cut(), XOC_OK);
    EXPECT_EQ(*r.result().pointToPel(0, 0), 0);
}

int32_t toFixed(double x, double y, double w, double h, int32_t bits, xoc_rect32& out) {
    const xoc_rectD r{x, y, w, h};
    return xoc_rect32FixedInitFromRectD_(&out, &r, bits);
}

TEST(FixedPoint, ValueIsIntegerOverTwoToTheFractionBits) {
    // Exact both ways for every field, also for values beyond a float's 24 bits.
    const xoc_rect32 fixed{-0x7FFFFFF1, -98304, 1, 0x7FFFFFFF};
    xoc_rectD r{};
    ASSERT_EQ(xoc_rectDInitFromRect32Fixed_(&r, &fixed, 16), XOC_OK);
    EXPECT_TRUE(r.x == -2147483633.0 / 65536.0 && r.y == -1.5 && r.width == 1.0 / 65536.0 &&
                r.height == 2147483647.0 / 65536.0);
    xoc_rect32 f{};
    ASSERT_EQ(xoc_rect32FixedInitFromRectD_(&f, &r, 16), XOC_OK);
    EXPECT_EQ(std::memcmp(&f, &fixed, sizeof f), 0);
    const double half = std::ldexp(1.0, -17); // half a unit: rounds away from zero
    ASSERT_EQ(toFixed(1.0 + half, -1.0 - half, half * 0.99, 0.5, 16, f), XOC_OK);
    EXPECT_EQ(std::vector<int32_t>({f.x, f.y, f.width}), std::vector<int32_t>({65537, -65537, 0}));
    ASSERT_EQ(toFixed(2.5, -2.5, 0.49, 0.5, 0, f), XOC_OK);
    EXPECT_EQ(std::vector<int32_t>({f.x, f.y, f.width, f.height}),
              std::vector<int32_t>({3, -3, 0, 1}));
}

TEST(FixedPoint, Overflow) {
    xoc_rect32 f{1, 2, 3, 4};
    // With 16 fraction bits every value from 32768 up overflows, as do NaN and infinity.
    for (double bad : {32768.0, 40000.0, -32768.5, std::nan(""), HUGE_VAL})
        EXPECT_EQ(toFixed(0, bad, 1, 1, 16, f), XOC_FAIL_FIXED_POINT_OVERFLOW) << bad;
    EXPECT_TRUE(f.x == 1 && f.height == 4); // untouched on failure
    ASSERT_EQ(toFixed(32767.99999, -32768.0, 0, 0, 16, f), XOC_OK);
    EXPECT_TRUE(f.x == INT32_MAX && f.y == INT32_MIN);
    // Each value fits, but a far edge does not.
    EXPECT_EQ(toFixed(20000.0, 0, 20000.0, 1, 16, f), XOC_FAIL_INTEGER_OVERFLOW);
    EXPECT_EQ(toFixed(0, -20000.0, 1, -20000.0, 16, f), XOC_FAIL_INTEGER_OVERFLOW);
    EXPECT_EQ(toFixed(20000.0, 0, -20000.0, 1, 16, f), XOC_OK);
    xoc_rectD d{};
    const xoc_rect32 big{INT32_MAX, 0, 0, 0};
    EXPECT_EQ(xoc_rectDInitFromRect32Fixed_(&d, &big, -2000), XOC_FAIL_FIXED_POINT_OVERFLOW);
    EXPECT_EQ(xoc_rect32FixedInitFromRectD_(&f, nullptr, 16), XOC_FAIL_NULL_ARGUMENT);
}

// A destructor that appends its letter to the string it is registered with and returns `result`.
template <char letter, int32_t result = XOC_OK>
int32_t logTo(void* s) {
    *static_cast<std::string*>(s) += letter;
    return result;
}
constexpr auto logA = &logTo<'a'>, logB = &logTo<'b'>, failing = &logTo<'f', XOC_FAIL_BAD_IMAGE>;

TEST(CleanupScope, NewestFirstAndInnerScopesToo) {
    std::string log;
    const int32_t outer = xsys_cleanup_getNextTag();
    ASSERT_GT(outer, 0);
    ASSERT_EQ(xsys_cleanupRegister_(outer, logA, &log), XOC_OK);
    ASSERT_EQ(xsys_cleanupRegister_(outer, logB, &log), XOC_OK);
    EXPECT_EQ(xsys_cleanupRegister_(outer, logA, &log), XOC_FAIL_CLEANUP); // two fill a scope
    const int32_t inner = xsys_cleanup_getNextTag();
    ASSERT_EQ(xsys_cleanupRegister_(inner, failing, &log), XOC_OK);
    EXPECT_EQ(xsys_cleanupRegister_(inner, nullptr, &log), XOC_FAIL_NULL_ARGUMENT);
    // The forgotten inner scope runs first; its failure is reported, the rest still run.
    EXPECT_EQ(xsys_cleanupExecute_(outer), XOC_FAIL_BAD_IMAGE);
    EXPECT_EQ(xsys_cleanup_isOpen(inner), 0);
    EXPECT_EQ(xsys_cleanupExecute_(outer), XOC_FAIL_CLEANUP);
    EXPECT_EQ(log, "fba");
    // Only a type's own destructor passes its type check.
    EXPECT_EQ(xsys_typeCheckFunc_xoc_char([](xoc_char*) -> int32_t { return 0; }), nullptr);
    EXPECT_EQ(xsys_typeCheckFunc_ximg_imageConst(&ximg_imageConst_constructUnbound), nullptr);
}

// The guard runs its scope on every exit path.
TEST(CleanupScope, GuardRunsOnEveryExitPathPerThreadAndBoundedDepth) {
    std::string log;
    try {
        xc_CleanupObject guard(xsys_cleanup_getNextTag());
        ASSERT_EQ(xsys_cleanupRegister_(guard.tag(), logA, &log), XOC_OK);
        throw std::runtime_error("leaving");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(log, "a");
    {
        xc_CleanupObject guard(xsys_cleanup_getNextTag());
        ASSERT_EQ(xsys_cleanupRegister_(guard.tag(), logB, &log), XOC_OK);
        EXPECT_EQ(xsys_cleanupExecute_(guard.tag()), XOC_OK); // closed by hand: not run twice
    }
    EXPECT_EQ(log, "ab");
    // Scopes belong to their thread, and only so many are open at once.
    const int32_t mine = xsys_cleanup_getNextTag();
    int32_t fromOther = 0;
    std::thread([&] { fromOther = xsys_cleanupRegister_(mine, logA, nullptr); }).join();
    EXPECT_EQ(fromOther, XOC_FAIL_CLEANUP);
    for (int i = 1; i < XSYS_CLEANUP_MAX_DEPTH; ++i) ASSERT_GT(xsys_cleanup_getNextTag(), 0);
    EXPECT_EQ(xsys_cleanup_getNextTag(), XOC_FAIL_CLEANUP);
    EXPECT_EQ(xsys_cleanupExecute_(mine), XOC_OK);
    const int32_t again = xsys_cleanup_getNextTag();
    EXPECT_GT(again, 0);
    EXPECT_EQ(xsys_cleanupExecute_(again), XOC_OK);
}

} // namespace
