#include "core/persist/archive.h"
#include "core/persist/archive_vector.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
using Bytes = std::vector<unsigned char>;
}

TEST(VectorArchive, LayoutVersionCountElements) {
    std::vector<long> keys{1, -1};
    xcMemoryArchive st;
    st || keys;
    EXPECT_EQ(st.bytes(), (Bytes{0, 2, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));

    // Numbers move as one block; the bytes are those of each element in turn.
    std::vector<double> ds{1.0, -2.5};
    std::vector<short> ss{-2, 0x1234};
    std::vector<unsigned char> cs{7};
    xcMemoryArchive blocks;
    blocks || ds || ss || cs;
    Bytes expected{0, 2, 0, 0, 0};                                                // version, count
    for (unsigned char b : {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}) expected.push_back(b); // 1.0
    for (unsigned char b : {0, 0, 0, 0, 0, 0, 0x04, 0xC0}) expected.push_back(b); // -2.5
    for (unsigned char b : {0, 2, 0, 0, 0, 0xFE, 0xFF, 0x34, 0x12}) expected.push_back(b);
    for (unsigned char b : {0, 1, 0, 0, 0, 7}) expected.push_back(b);
    EXPECT_EQ(blocks.bytes(), expected);
    xcMemoryArchive blocksBack(blocks.bytes());
    std::vector<double> ds2{5};
    std::vector<short> ss2;
    std::vector<unsigned char> cs2;
    blocksBack || ds2 || ss2 || cs2;
    EXPECT_EQ(ds2, ds);
    EXPECT_EQ(ss2, ss);
    EXPECT_EQ(cs2, cs);

    std::vector<std::vector<double>> nested{{}, {1.0}};
    std::vector<bool> flags{true, false, true};
    std::vector<std::string> names{"a", ""};
    xcMemoryArchive st2;
    st2 || nested || flags || names;
    xcMemoryArchive ld(st2.bytes());
    std::vector<std::vector<double>> nested2{{9.0}};
    std::vector<bool> flags2;
    std::vector<std::string> names2{"x", "y", "z"};
    ld || nested2 || flags2 || names2;
    EXPECT_EQ(nested2, nested);
    EXPECT_EQ(flags2, flags);
    EXPECT_EQ(names2, names);
    EXPECT_EQ(ld.bytesLeft(), std::size_t(0));
}

TEST(VectorArchive, DamagedVectorsLeaveTheTargetAsItWas) {
    std::vector<double> v{3.0};
    xcMemoryArchive badVersion(Bytes{1, 0, 0, 0, 0});
    try {
        badVersion || v;
        FAIL() << "no exception";
    } catch (const xcArchive::UnknownVersion& e) {
        EXPECT_EQ(e.text(), "vector");
        EXPECT_EQ(e.number(), 1);
    }
    // 2 doubles need 16 bytes; 15 are left: refused before the vector is sized.
    Bytes shortData{0, 2, 0, 0, 0};
    shortData.resize(shortData.size() + 15, 0);
    xcMemoryArchive tooFew(shortData);
    try {
        tooFew || v;
        FAIL() << "no exception";
    } catch (const xcArchive::BadFormat& e) {
        EXPECT_EQ(e.message(), "Count 2 needs more than the 15 bytes left in the archive");
    }
    // A huge count of longs (4 bytes each).
    std::vector<long> keys{7};
    xcMemoryArchive huge(Bytes{0, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3, 4});
    EXPECT_THROW(huge || keys, xcArchive::BadFormat);
    // Elements that fail halfway.
    xcMemoryArchive badBool(Bytes{0, 2, 0, 0, 0, 1, 7});
    std::vector<bool> flags{false};
    EXPECT_THROW(badBool || flags, xcArchive::BadFormat);
    EXPECT_EQ(v, std::vector<double>{3.0});
    EXPECT_EQ(keys, std::vector<long>{7});
    EXPECT_EQ(flags, std::vector<bool>{false});
}
