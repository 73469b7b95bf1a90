#include "core/persist/archive.h"
#include "test_objects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

using namespace xcTest;

namespace {

template <class T>
T roundTrip(T v) {
    return load<T>(store(v));
}

} // namespace

TEST(ArchivePrimitives, LayoutsAreLittleEndianWithFixedWidths) {
    EXPECT_EQ(store(true), (Bytes{1}));
    EXPECT_EQ(store('A'), (Bytes{0x41}));
    EXPECT_EQ(store(static_cast<short>(-2)), (Bytes{0xFE, 0xFF}));
    EXPECT_EQ(store(static_cast<unsigned short>(0x1234)), (Bytes{0x34, 0x12}));
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
}

TEST(ArchivePrimitives, RoundTripsAndExtension) {
    EXPECT_EQ(roundTrip(static_cast<short>(-32768)), -32768);
    // long loads sign-extended, unsigned long zero-extended.
    EXPECT_EQ(roundTrip(-2147483648L), -2147483648L);
    EXPECT_EQ(load<long>(Bytes{0xEC, 0x13, 0x00, 0x80}), static_cast<std::int32_t>(0x800013ECu));
    EXPECT_EQ(load<unsigned long>(Bytes{0xEC, 0x13, 0x00, 0x80}), 0x800013ECUL);
    EXPECT_TRUE(std::signbit(roundTrip(-0.0)));
    EXPECT_EQ(roundTrip(std::numeric_limits<double>::denorm_min()),
              std::numeric_limits<double>::denorm_min());
    EXPECT_TRUE(std::isnan(roundTrip(std::nan(""))));
    const std::string binary("a\0b\xff", 4);
    EXPECT_EQ(roundTrip(binary), binary);
    const std::basic_string<unsigned long> codes{0, 0x20, 0xFFFFFFFF};
    EXPECT_EQ(roundTrip(codes), codes);
}

TEST(ArchivePrimitives, ValuesOutsideThirtyTwoBitsCannotBeStored) {
    if (sizeof(long) <= 4) GTEST_SKIP() << "long is 32-bit here";
    xcMemoryArchive ar;
    long big = 2147483648L, small = -2147483649L;
    unsigned long ubig = 0x100000000UL;
    std::basic_string<unsigned long> codes{0x100000000UL};
    EXPECT_EQ(thrown<xcArchive::NotStorable>([&] { ar || big; }),
              "The long 2147483648 does not fit into 32 bits");
    EXPECT_EQ(xcArchive::NotStorable().errorNumber(), 0x10000015);
    EXPECT_THROW(ar || small, xcArchive::NotStorable);
    EXPECT_THROW(ar || ubig, xcArchive::NotStorable);
    EXPECT_THROW(ar || codes, xcArchive::NotStorable);
    EXPECT_TRUE(ar.bytes().empty()); // nothing of a refused value is written
}

TEST(ArchivePrimitives, DamagedOrShortDataThrowsAndLeavesTheValue) {
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
    EXPECT_THROW(shortCodes || codes, xcArchive::BadFormat);
    EXPECT_EQ(codes, std::basic_string<unsigned long>{1});
    double d = 1.5;
    xcMemoryArchive empty(Bytes{});
    EXPECT_EQ(thrown<xcArchive::EndOfArchive>([&] { empty || d; }),
              "Archive ends at byte 0, 8 more bytes needed");
    EXPECT_EQ(xcArchive::EndOfArchive().errorNumber(), 0x10000013);
}
