// Archive layouts of values and exceptions: primitives, strings, vectors, geometry, matrices and
// every core exception class; the damaged data each loader must refuse, leaving its target as it
// was.
#include "archive_test_util.h"
#include "core/base/errors.h"
#include "core/base/priority_queue.h"
#include "core/geom/geom_errors.h"
#include "core/geom/nmmatrix.h"
#include "core/image/pel_errors.h"
#include "core/persist/archive.h"
#include "core/persist/archive_geom.h"
#include "core/persist/archive_vector.h"
#include "core/sys/thread.h"
#include "core/sys/timeout.h"
#include "core/text/charcode.h"
#include "core/text/str.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace xcTest;

namespace {

template <class T>
T roundTrip(T v) {
    return load<T>(store(v));
}

// The archive bytes of an optional kind byte and doubles (8 bytes each, little-endian IEEE).
Bytes doubles(std::initializer_list<double> ds, int kind = -1) {
    Bytes b;
    if (kind >= 0) b.push_back(static_cast<unsigned char>(kind));
    for (double d : ds) {
        unsigned char raw[8];
        std::memcpy(raw, &d, 8); // the test host is little-endian
        for (unsigned char c : raw) b.push_back(c);
    }
    return b;
}

template <class T>
void expectLayout(const T& v, const Bytes& bytes) {
    EXPECT_EQ(store(v), bytes);
    EXPECT_EQ(load<T>(bytes), v);
}

} // namespace

TEST(ArchivePrimitives, LittleEndianFixedWidthLayoutsAndExtension) {
    EXPECT_EQ(store(true), (Bytes{1}));
    EXPECT_EQ(store('A'), (Bytes{0x41}));
    EXPECT_EQ(store(static_cast<short>(-2)), (Bytes{0xFE, 0xFF}));
    EXPECT_EQ(store(0x12345678), (Bytes{0x78, 0x56, 0x34, 0x12}));
    // long and unsigned long take 4 bytes whatever the host's long is.
    EXPECT_EQ(store(-2L), (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(store(0xFFFFFFFFUL), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    // IEEE bits: 1.0f = 0x3F800000, -2.5 = 0xC004000000000000.
    EXPECT_EQ(store(1.0f), (Bytes{0x00, 0x00, 0x80, 0x3F}));
    EXPECT_EQ(store(-2.5), (Bytes{0, 0, 0, 0, 0, 0, 0x04, 0xC0}));
    EXPECT_EQ(store(std::string("hi")), (Bytes{0x02, 0, 0, 0, 'h', 'i'}));
    EXPECT_EQ(store(std::basic_string<unsigned long>{0x41, 0x10FFFF}),
              (Bytes{0x02, 0, 0, 0, 0x41, 0, 0, 0, 0xFF, 0xFF, 0x10, 0}));

    // Signed values load sign-extended, unsigned ones zero-extended; doubles keep every bit.
    EXPECT_EQ(roundTrip(static_cast<short>(-32768)), -32768);
    EXPECT_EQ(load<long>(Bytes{0xEC, 0x13, 0x00, 0x80}), static_cast<std::int32_t>(0x800013ECu));
    EXPECT_EQ(load<unsigned long>(Bytes{0xEC, 0x13, 0x00, 0x80}), 0x800013ECUL);
    EXPECT_TRUE(std::signbit(roundTrip(-0.0)));
    EXPECT_TRUE(std::isnan(roundTrip(std::nan(""))));
    const std::string binary("a\0b\xff", 4);
    EXPECT_EQ(roundTrip(binary), binary);
    const std::basic_string<unsigned long> codes{0, 0x20, 0xFFFFFFFF};
    EXPECT_EQ(roundTrip(codes), codes);
}

TEST(ArchivePrimitives, RefusedAndDamagedValuesLeaveTheTarget) {
    xcMemoryArchive ar;
    long big = 2147483648L, small = -2147483649L;
    unsigned long ubig = 0x100000000UL;
    std::basic_string<unsigned long> wide{0x41, 0x100000000UL};
    EXPECT_EQ(thrown<xcArchive::NotStorable>([&] { ar || big; }),
              "The long 2147483648 does not fit into 32 bits");
    EXPECT_THROW(ar || small, xcArchive::NotStorable);
    EXPECT_THROW(ar || ubig, xcArchive::NotStorable);
    EXPECT_THROW(ar || wide, xcArchive::NotStorable);
    EXPECT_TRUE(ar.bytes().empty()); // nothing of a refused value is written

    bool flag = true;
    xcMemoryArchive badBool(Bytes{2});
    EXPECT_EQ(thrown<xcArchive::BadFormat>([&] { badBool || flag; }),
              "A bool holds 2 instead of 0 or 1");
    EXPECT_TRUE(flag);
    long v = 5;
    xcMemoryArchive shortLong(Bytes{1, 2, 3});
    EXPECT_THROW(shortLong || v, xcArchive::EndOfArchive);
    EXPECT_EQ(v, 5);
    // A length larger than the bytes left is refused before anything is allocated.
    std::string s = "kept";
    xcMemoryArchive hugeString(Bytes{0xFF, 0xFF, 0xFF, 0xFF, 'a'});
    EXPECT_EQ(thrown<xcArchive::BadFormat>([&] { hugeString || s; }),
              "Count 4294967295 needs more than the 1 bytes left in the archive");
    EXPECT_EQ(s, "kept");
    std::basic_string<unsigned long> codes{1};
    xcMemoryArchive shortCodes(Bytes{2, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0});
    EXPECT_EQ(thrown<xcArchive::BadFormat>([&] { shortCodes || codes; }),
              "Count 2 needs more than the 7 bytes left in the archive");
    EXPECT_EQ(codes, std::basic_string<unsigned long>{1});
    double d = 1.5;
    xcMemoryArchive empty(Bytes{});
    EXPECT_EQ(thrown<xcArchive::EndOfArchive>([&] { empty || d; }),
              "Archive ends at byte 0, 8 more bytes needed");
    EXPECT_EQ(d, 1.5);
}

TEST(ArchiveVectors, VersionCountElementsAndDamage) {
    // Numbers move as one block; the bytes are those of each element in turn.
    EXPECT_EQ(store(std::vector<long>{1, -1}),
              (Bytes{0, 2, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
    const std::vector<short> ss{-2, 0x1234};
    expectLayout(ss, Bytes{0, 2, 0, 0, 0, 0xFE, 0xFF, 0x34, 0x12});
    const std::vector<double> ds{1.0, -2.5};
    EXPECT_EQ(load(store(ds), std::vector<double>{5}), ds);
    const std::vector<std::vector<double>> nested{{}, {1.0}};
    const std::vector<bool> flags{true, false, true};
    const std::vector<std::string> names{"a", ""};
    EXPECT_EQ(load(store(nested), std::vector<std::vector<double>>{{9.0}}), nested);
    EXPECT_EQ(load<std::vector<bool>>(store(flags)), flags);
    EXPECT_EQ(load(store(names), std::vector<std::string>{"x", "y", "z"}), names);

    std::vector<double> v{3.0};
    xcMemoryArchive badVersion(Bytes{1, 0, 0, 0, 0});
    EXPECT_EQ(thrown<xcArchive::UnknownVersion>([&] { badVersion || v; }),
              "Unknown version 1 of vector");
    // 2 doubles need 16 bytes; 15 are left: refused before the vector is sized.
    Bytes shortData{0, 2, 0, 0, 0};
    shortData.resize(shortData.size() + 15, 0);
    xcMemoryArchive tooFew(shortData);
    EXPECT_EQ(thrown<xcArchive::BadFormat>([&] { tooFew || v; }),
              "Count 2 needs more than the 15 bytes left in the archive");
    // A huge count of longs (4 bytes each), and elements that fail halfway.
    std::vector<long> keys{7};
    xcMemoryArchive huge(Bytes{0, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3, 4});
    EXPECT_THROW(huge || keys, xcArchive::BadFormat);
    xcMemoryArchive badBool(Bytes{0, 2, 0, 0, 0, 1, 7});
    std::vector<bool> bools{false};
    EXPECT_THROW(badBool || bools, xcArchive::BadFormat);
    EXPECT_EQ(v, std::vector<double>{3.0});
    EXPECT_EQ(keys, std::vector<long>{7});
    EXPECT_EQ(bools, std::vector<bool>{false});
}

TEST(ArchiveGeometry, LayoutsRoundTripsAndRangeKinds) {
    const xcXform<2> x(xcMatrix<2>(1, 2, 3, 4), xcVector<2>(5, 6));
    expectLayout(xcVector<2>(1.5, -2), doubles({1.5, -2}));
    expectLayout(xcMatrix<2>(1, 2, 3, 4), doubles({1, 2, 3, 4}));
    expectLayout(x, doubles({1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(store(xc2XformLinear(x)), doubles({1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(load<xc2XformLinear>(doubles({1, 2, 3, 4, 5, 6})).linear(), x);
    expectLayout(xc2Rigid(xcRadian(0.25), xcVector<2>(-1, 2)), doubles({0.25, -1, 2}));
    EXPECT_EQ(store(xcRadian(1.0)), doubles({1.0}));
    EXPECT_EQ(store(xcDegree(90.0)), doubles({90.0})); // degrees stay degrees
    EXPECT_EQ(load<xcDegree>(doubles({45.0})).toDouble(), 45.0);
    expectLayout(xcRect(0.5, 1.5, 10, 20), doubles({0.5, 1.5, 10, 20}));
    expectLayout(xcPelRect(-3, 4, 640, 480),
                 Bytes{0xFD, 0xFF, 0xFF, 0xFF, 4, 0, 0, 0, 0x80, 2, 0, 0, 0xE0, 1, 0, 0});
    expectLayout(xcAffineRectangle(xcVector<2>(1, 2), xcVector<2>(3, 4), xcVector<2>(5, 6)),
                 doubles({1, 2, 3, 4, 5, 6}));

    // Ranges keep their kind; a full range is rebuilt from its kind, whatever its ends say.
    expectLayout(xcRange(1, 2), doubles({1, 2}, 0));
    EXPECT_EQ(store(xcRange::EmptyRange())[0], 1);
    EXPECT_EQ(load<xcRange>(store(xcRange::EmptyRange())), xcRange::EmptyRange());
    EXPECT_TRUE(load<xcRange>(doubles({0, 0}, 2)).isFull());
    xcRange kept(5, 6);
    xcMemoryArchive ld(doubles({1, 2}, 3));
    EXPECT_EQ(thrown<xcArchive::BadFormat>([&] { ld || kept; }), "Range kind 3 is not 0, 1 or 2");
    EXPECT_EQ(kept, xcRange(5, 6));
}

TEST(ArchiveMatrix, LayoutDamageAndEmptyShapes) {
    xcNMMatrix m(1, 2);
    m(0, 0) = 1.0;
    m(0, 1) = -2.5;
    const Bytes bytes{1, 0, 0,    0,    2, 0, 0, 0, 0, 0, 0,    0,
                      0, 0, 0xF0, 0x3F, 0, 0, 0, 0, 0, 0, 0x04, 0xC0};
    expectLayout(m, bytes);
    xcNMMatrix back = m;
    // 0xFFFF x 0xFFFF doubles cannot come from 10 bytes.
    xcMemoryArchive huge(Bytes{0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0, 1, 2});
    EXPECT_THROW(huge || back, xcArchive::BadFormat);
    xcMemoryArchive shortData(Bytes(bytes.begin(), bytes.end() - 1));
    EXPECT_THROW(shortData || back, xcArchive::BadFormat);
    EXPECT_EQ(back, m);

    // A side of 0 keeps the other side, which the bytes left do not bound, from driving a loop
    // or an allocation: 2^32 - 1 rows of nothing in 8 bytes.
    for (const auto& [rows, cols] : {std::pair{0xFFFFFFFFul, 0ul}, std::pair{0ul, 0xFFFFFFFFul}}) {
        xcMemoryArchive out;
        unsigned long r = rows, c = cols;
        out || r || c;
        back = load(out.bytes(), back);
        EXPECT_EQ(back.rows(), long(rows));
        EXPECT_EQ(back.cols(), long(cols));
        EXPECT_EQ(store(back), out.bytes());
    }
}

namespace {

// Stores an exception through a base pointer and loads it back the same way.
std::unique_ptr<xcException> throughPointer(xcException& e) {
    xcException* p = &e;
    return std::unique_ptr<xcException>(load<xcException*>(store(p), nullptr));
}

// The classes E... have consecutive numbers from `first` and come back through a base pointer
// as themselves.
template <class... E>
void expectFamily(long first) {
    long number = first;
    (
        [&] {
            E e;
            const auto back = throughPointer(e);
            ASSERT_NE(back, nullptr);
            EXPECT_EQ(typeid(*back), typeid(E));
            EXPECT_EQ(back->errorNumber(), number++) << typeid(E).name();
        }(),
        ...);
}

} // namespace

TEST(ExceptionArchive, EveryCoreClassComesBackAsItselfWithItsNumber) {
    using A = xcArchive;
    using T = xcTimeout;
    using H = xcThreadDefs;
    using Q = xcPriorityQueueDefs;
    expectFamily<xcException>(0x10000000);
    expectFamily<xcBadPointer, xcFailureCode, xcBadParams>(0x10000001);
    expectFamily<A::UnknownVersion, A::BadFormat, A::EndOfArchive, A::IOError, A::NotStorable>(
        0x10000011);
    expectFamily<xcGeomDefs::Singular, xcGeomDefs::BadParams>(0x10000101);
    expectFamily<T::Expired, T::InternalExpired, T::BadParams>(0x10000201);
    expectFamily<H::BadParams, H::UnknownThread, H::CreateFailed>(0x10000211);
    expectFamily<Q::Empty, Q::BadCost>(0x10000221);
    expectFamily<xcCharCodeDefs::NotRepresentable>(0x10000231);
    expectFamily<xcStrDefs::BadParams>(0x10000241);
    expectFamily<xcPel::UnboundWindow, xcPel::BadWindow, xcPel::SizeMismatch, xcPel::BadParams>(
        0x10000301);
    EXPECT_EQ(xcBadPointer().message(), "Null pointer dereferenced");
    EXPECT_EQ(Q::BadCost().message(), "A priority queue cost must not be NaN");
    xcArchive::UnknownVersion uv("xcOCDefs::BadParams", 7);
    EXPECT_EQ(throughPointer(uv)->message(), "Unknown version 7 of xcOCDefs::BadParams");
    xcExceptionWithString text("with string");
    EXPECT_EQ(throughPointer(text)->message(), "with string");
    xcFailureCode fc(0x800013EEL);
    EXPECT_EQ(dynamic_cast<xcFailureCode&>(*throughPointer(fc)).code(),
              static_cast<int>(0x800013EEu));
    // A loaded exception can be thrown as its concrete class.
    xcBadParams bad("b");
    EXPECT_THROW(throughPointer(bad).release()->suicideAndRethrow(), xcBadParams);
}

TEST(ExceptionArchive, LayoutsOwnVersionFieldsThenTheBase) {
    xcExceptionWithString s("ab");
    EXPECT_EQ(store(s), (Bytes{0x00, 0x02, 0, 0, 0, 'a', 'b', 0x00}));
    // One more version byte per class level above xcExceptionWithString.
    xcArchive::EndOfArchive eoa("e");
    EXPECT_EQ(store(eoa), (Bytes{0, 0, 0, 1, 0, 0, 0, 'e', 0}));
    xcFailureCode fc(0x800013EEL);
    EXPECT_EQ(store(fc), (Bytes{0x00, 0xEE, 0x13, 0x00, 0x80, 0x00}));
    xcArchive::UnknownVersion uv("ab", 3);
    EXPECT_EQ(store(uv), (Bytes{0, 2, 0, 0, 0, 'a', 'b', 3, 0, 0, 0, 0}));
    // The code's low half, then its high half, so that every 64-bit code comes back.
    xcTimeout::InternalExpired negative(-5);
    EXPECT_EQ(store(negative), (Bytes{0x00, 0xFB, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}));
    for (const long code : {0x80000064L, 0xFFFFFFFFL, 0x123456789ABCL,
                            static_cast<long>(0x8000000000000000ul), 0x7FFFFFFFFFFFFFFFL}) {
        xcTimeout::InternalExpired out(code);
        EXPECT_EQ(dynamic_cast<xcTimeout::InternalExpired&>(*throughPointer(out)).code(), code);
    }
}

// Each level names its own class; version bytes are read unsigned; a failed load leaves the
// fields as they were.
TEST(ExceptionArchive, UnknownVersionsAndTruncationsLeaveTheObject) {
    xcExceptionWithString kept("kept");
    xcArchive::BadFormat bf;
    xcTimeout::InternalExpired custom(7);
    const struct {
        Bytes bytes;
        xcPersistent* target;
        const char* message;
    } cases[] = {
        {Bytes{0x01}, &kept, "Unknown version 1 of xcExceptionWithString"},
        {Bytes{0x00, 0x01, 0, 0, 0, 'z', 0xFF}, &kept, "Unknown version 255 of xcException"},
        {Bytes{0x04}, &bf, "Unknown version 4 of xcArchive::BadFormat"},
        {Bytes{0xFF, 0x01, 0, 0, 0, 0, 0, 0, 0, 0x00}, &custom,
         "Unknown version 255 of xcTimeout::InternalExpired"},
    };
    for (const auto& c : cases) {
        xcMemoryArchive ld(c.bytes);
        EXPECT_EQ(thrown<xcArchive::UnknownVersion>([&] { ld || *c.target; }), c.message);
    }
    xcMemoryArchive shortCode(Bytes{0x00, 0x01, 0, 0, 0, 0, 0});
    EXPECT_THROW(shortCode || custom, xcArchive::EndOfArchive);
    EXPECT_EQ(kept.text(), "kept");
    EXPECT_EQ(custom.code(), 7);
}
