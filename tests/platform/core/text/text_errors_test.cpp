#include "core/persist/archive.h"
#include "core/text/charcode.h"
#include "core/text/str.h"

#include <gtest/gtest.h>

#include <memory>
#include <typeinfo>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

TEST(TextErrors, ArchiveLayoutAndRoundTripAsTheConcreteClass) {
    xcCharCodeDefs::NotRepresentable e("ab");
    {
        xcMemoryArchive ar;
        ar || e;
        // Own version byte, then xcExceptionWithString's: version, length, bytes, xcException.
        EXPECT_EQ(ar.bytes(), (Bytes{0x00, 0x00, 0x02, 0, 0, 0, 'a', 'b', 0x00}));
    }
    for (xcException* original : std::initializer_list<xcException*>{
             new xcCharCodeDefs::NotRepresentable(""),
             new xcCharCodeDefs::NotRepresentable("Character code 0x00000100 is not"),
             new xcStrDefs::BadParams("Hexadecimal width must be between 0 and 64")}) {
        const std::unique_ptr<xcException> own(original);
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
}

TEST(TextErrors, UnknownVersionNamesTheClass) {
    xcCharCodeDefs::NotRepresentable e("keep");
    xcMemoryArchive ar(Bytes{0x03, 0x00, 0x00, 0, 0, 0, 0x00});
    try {
        ar || e;
        FAIL() << "version 3 was read";
    } catch (const xcArchive::UnknownVersion& u) {
        EXPECT_EQ(u.text(), "xcCharCodeDefs::NotRepresentable");
        EXPECT_EQ(u.number(), 3);
    }
    EXPECT_EQ(e.message(), "keep");

    xcStrDefs::BadParams b;
    xcMemoryArchive ar2(Bytes{0x01});
    EXPECT_THROW(ar2 || b, xcArchive::UnknownVersion);
}

} // namespace
