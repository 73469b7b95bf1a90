#include "core/persist/archive.h"
#include "core/text/charcode.h"
#include "core/text/str.h"

#include <gtest/gtest.h>

#include <memory>
#include <typeinfo>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

TEST(TextErrors, ArchiveLayoutRoundTripAndUnknownVersion) {
    xcCharCodeDefs::NotRepresentable e("ab");
    xcMemoryArchive ar;
    ar || e;
    // Own version byte, then xcExceptionWithString's: version, length, bytes, xcException.
    EXPECT_EQ(ar.bytes(), (Bytes{0x00, 0x00, 0x02, 0, 0, 0, 'a', 'b', 0x00}));

    xcStrDefs::BadParams bad("Hexadecimal width must be between 0 and 64");
    for (xcException* original : {static_cast<xcException*>(&e), static_cast<xcException*>(&bad)}) {
        xcMemoryArchive out;
        xcPersistent* p = original;
        out || p;
        xcMemoryArchive in(out.bytes());
        xcPersistent* loaded = nullptr;
        in || loaded;
        const std::unique_ptr<xcPersistent> back(loaded);
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(typeid(*loaded), typeid(*original));
        EXPECT_EQ(dynamic_cast<xcException&>(*loaded).message(), original->message());
    }

    xcMemoryArchive ar2(Bytes{0x03, 0x00, 0x00, 0, 0, 0, 0x00});
    try {
        ar2 || e;
        FAIL() << "version 3 was read";
    } catch (const xcArchive::UnknownVersion& u) {
        EXPECT_EQ(u.text(), "xcCharCodeDefs::NotRepresentable");
        EXPECT_EQ(u.number(), 3);
    }
    EXPECT_EQ(e.message(), "ab");
    xcMemoryArchive ar3(Bytes{0x01});
    EXPECT_THROW(ar3 || bad, xcArchive::UnknownVersion);
}

} // namespace
