#include "core/persist/archive.h"
#include "core/persist/archive_vector.h"
#include "support/caught.h"
#include "test_objects.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace xcTest;

TEST(VectorArchive, LayoutVersionCountElements) {
    // Numbers move as one block; the bytes are those of each element in turn.
    EXPECT_EQ(store(std::vector<long>{1, -1}),
              (Bytes{0, 2, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
    const std::vector<double> ds{1.0, -2.5};
    EXPECT_EQ(store(ds),
              (Bytes{0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0, 0, 0, 0, 0, 0, 0x04, 0xC0}));
    const std::vector<short> ss{-2, 0x1234};
    EXPECT_EQ(store(ss), (Bytes{0, 2, 0, 0, 0, 0xFE, 0xFF, 0x34, 0x12}));
    EXPECT_EQ(store(std::vector<unsigned char>{7}), (Bytes{0, 1, 0, 0, 0, 7}));
    EXPECT_EQ(load(store(ds), std::vector<double>{5}), ds);
    EXPECT_EQ(load<std::vector<short>>(store(ss)), ss);

    const std::vector<std::vector<double>> nested{{}, {1.0}};
    const std::vector<bool> flags{true, false, true};
    const std::vector<std::string> names{"a", ""};
    EXPECT_EQ(load(store(nested), std::vector<std::vector<double>>{{9.0}}), nested);
    EXPECT_EQ(load<std::vector<bool>>(store(flags)), flags);
    EXPECT_EQ(load(store(names), std::vector<std::string>{"x", "y", "z"}), names);
}

TEST(VectorArchive, DamagedVectorsLeaveTheTargetAsItWas) {
    std::vector<double> v{3.0};
    xcMemoryArchive badVersion(Bytes{1, 0, 0, 0, 0});
    const auto e = caught<xcArchive::UnknownVersion>([&] { badVersion || v; });
    EXPECT_EQ(e.text(), "vector");
    EXPECT_EQ(e.number(), 1);
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
    std::vector<bool> flags{false};
    EXPECT_THROW(badBool || flags, xcArchive::BadFormat);
    EXPECT_EQ(v, std::vector<double>{3.0});
    EXPECT_EQ(keys, std::vector<long>{7});
    EXPECT_EQ(flags, std::vector<bool>{false});
}
