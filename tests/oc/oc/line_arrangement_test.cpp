#include "oc/oc/line_arrangement.h"

#include "foundation/oc_defs.h"
#include "oc/oc/fixtures.h"

#include <gtest/gtest.h>

#include <limits>

using namespace oc_test;

namespace {

using LineHandle = xcPtrHandle_const<xcOCLine>;
using Lines = xcOCLineArrangement::Lines;
using Poses = std::vector<xc2Rigid>;
using Doubles = std::vector<double>;
using Radians = std::vector<xcRadian>;

xc2Rigid shift(double x, double y) {
    return xc2Rigid(xcRadian(0), xcVector<2>(x, y));
}

// Two 10 x 12 characters 20 apart on a line of the given alphabet: they cover (0, 0, 30, 12).
LineHandle twoChars(const AlphabetHandle& abc, const std::string& name = "line") {
    return LineHandle(new xcOCLine({xcOCKeySet({10}, 0), xcOCKeySet({20}, 0)}, abc, shift(20, 0),
                                   1.0, 0.0, xcRadian(0), 0.0, name));
}

} // namespace

TEST(OCLineArrangement, ConstructorsAndTheirChecks) {
    const AlphabetHandle abc = alphabetOf(2);
    const LineHandle l0 = twoChars(abc), l1 = twoChars(abc, "second");
    const xcOCLineArrangement even(Lines{l0, l1, l0}, shift(0, 30), 1.0, xcRadian(0.1), "even");
    EXPECT_EQ(even.linePoses(), (Poses{shift(0, 0), shift(0, 30), shift(0, 60)}));
    EXPECT_EQ(even.rotationUncertainties(), Radians(3, xcRadian(0.1)));

    const Lines one{l0}, two{l0, l1};
    const Radians rBad{xcRadian(0), xcRadian(-1)};
    // The evenly spaced form checks the uncertainties before the count; the full form checks
    // line by line (the second message spelled as it stands).
    expectThrows<xcOCDefs::BadParams>(
        {{[&] { xcOCLineArrangement(one, shift(0, 1), -1, xcRadian(-1), ""); },
          "Line translation uncertainty must be >= 0"},
         {[&] { xcOCLineArrangement(one, Poses{}, 0, xcRadian(0), ""); },
          "The number of line poses does not match the number of lines."},
         {[&] {
              xcOCLineArrangement(two, Poses(2), Doubles{0, -1}, rBad, "");
          },
          "Line position uncertaintiesp must be >= 0"}},
        kBadParams);
}

TEST(OCLineArrangement, EncloseRectPlacesEveryLine) {
    const AlphabetHandle abc = alphabetOf(2);
    const xcXform<2> I;
    EXPECT_EQ(xcOCLineArrangement().encloseRect(I, I, I, 0, xcRadian(0), 0, false), xcRect());

    const xcOCLineArrangement one(Lines{twoChars(abc)}, Poses{shift(100, 50)}, 0, xcRadian(0), "");
    EXPECT_EQ(one.encloseRect(I, I, I, 0, xcRadian(0), 0, false), xcRect(100, 50, 30, 12));
    // The line's own uncertainty, then the caller's on top.
    const xcOCLineArrangement loose(Lines{twoChars(abc)}, Poses{shift(100, 50)}, 3, xcRadian(0),
                                    "");
    EXPECT_EQ(loose.encloseRect(I, I, I, 0, xcRadian(0), 0, false), xcRect(97, 47, 36, 18));
    EXPECT_EQ(loose.encloseRect(xcXform<2>::translation({-100, 0}), I, I, 1, xcRadian(0), 0, false),
              xcRect(-4, 46, 38, 20));
    // Two lines 30 apart: the union.
    const xcOCLineArrangement two(Lines{twoChars(abc), twoChars(abc)}, shift(0, 30), 0, xcRadian(0),
                                  "");
    EXPECT_EQ(two.encloseRect(I, I, I, 0, xcRadian(0), 0, false), xcRect(0, 0, 30, 42));
    // A line turned by a quarter: its characters run down the y axis.
    const xcOCLineArrangement turned(Lines{twoChars(abc)},
                                     Poses{xc2Rigid(xcRadian(std::numbers::pi / 2), {0, 0})}, 0,
                                     xcRadian(0), "");
    const xcRect t = turned.encloseRect(I, I, I, 0, xcRadian(0), 0, false);
    const double got[] = {t.x(), t.y(), t.width(), t.height()}, want[] = {-12, 0, 12, 30};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], want[i], 1e-12);

    expectThrow<xcOCDefs::BadParams>([&] { two.encloseRect(I, I, I, 0, xcRadian(0), -1, false); },
                                     "Scale uncertainty must be >= 0", kBadParams);
    expectThrow<xcOCDefs::NotCompiled>([&] { two.encloseRect(I, I, I, 0, xcRadian(0), 0, true); },
                                       "", kNotCompiled);
}

TEST(OCLineArrangement, ArchiveLayoutAndSharing) {
    const AlphabetHandle abc = alphabetOf(2);
    const LineHandle l0 = twoChars(abc), l1 = twoChars(abc, "other");
    // The same line twice and two lines of one alphabet: each shared object is written once.
    xcPtrHandle_const<xcOCLineArrangement> h(new xcOCLineArrangement(
        Lines{l0, l1, l0}, Poses{shift(0, 0), shift(0, 30), shift(0, 60)}, Doubles{1, 2, 3},
        Radians{xcRadian(0.5), xcRadian(0.25), xcRadian(0)}, "arr"));
    const Bytes bytes = store(h);

    Reader r(bytes);
    EXPECT_EQ(r.u8(), 1); // new framed object
    EXPECT_EQ(r.str(), "xcOCLineArrangement");
    EXPECT_EQ(r.u8(), 0); // version
    r.vec(3);             // lines
    // The arrangement is object 0; the lines and their alphabet are objects 1, 2 (with its two
    // models 3 and 4) and 5, and the third line is a back-reference to object 1. What follows
    // has a fixed size: the back-reference (5 bytes), three poses (5 + 72), two vectors of
    // three doubles (2 x 29) and the name (4 + 3).
    ASSERT_GT(bytes.size(), 147u);
    const Bytes rest(bytes.end() - 147, bytes.end());
    Reader tail(rest);
    EXPECT_EQ(tail.u8(), 2);
    EXPECT_EQ(tail.u32(), 1u);
    tail.vec(3); // line poses
    for (double v : {0.0, 0.0, 0.0, 0.0, 0.0, 30.0, 0.0, 0.0, 60.0}) EXPECT_EQ(tail.f64(), v);
    // translation uncertainties, then rotation uncertainties as doubles
    for (const Doubles& d : {Doubles{1, 2, 3}, Doubles{0.5, 0.25, 0}}) {
        tail.vec(3);
        for (double v : d) EXPECT_EQ(tail.f64(), v);
    }
    EXPECT_EQ(tail.str(), "arr");
    EXPECT_TRUE(tail.atEnd());

    xcPtrHandle_const<xcOCLineArrangement> back;
    load(bytes, back);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, *h);
    EXPECT_EQ(back->lines()[0], back->lines()[2]);
    EXPECT_NE(back->lines()[0], back->lines()[1]);
    EXPECT_EQ(back->lines()[0]->alphabet(), back->lines()[1]->alphabet());

    // Unknown version.
    xcOCLineArrangement target;
    Bytes plain = storeObject(target);
    plain[0] = 1;
    expectUnknownVersion(plain, static_cast<xcPersistent&>(target), "xcOCLineArrangement");

    // The damage reaches the lines, their alphabet and its models too.
    damageRun(bytes, [](const Bytes& data) {
        xcMemoryArchive in(data);
        xcPtrHandle_const<xcOCLineArrangement> loaded;
        in || loaded;
        if (!loaded) return;
        for (const LineHandle& l : loaded->lines())
            if (l) l->numNormalChars();
    });
}
