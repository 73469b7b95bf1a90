#include "oc/arrange/arrange_defs.h"

#include "core/persist/archive.h"
#include "core/persist/instantiator.h"
#include "oc/oc/fixtures.h"

#include <gtest/gtest.h>

using namespace oc_test;

TEST(OCArrangeDefs, EnumerationValues) {
    EXPECT_EQ(xcOCArrangeDefs::eStraight, 0u);
    EXPECT_EQ(xcOCArrangeDefs::eCircular, 1u);
    EXPECT_EQ(xcOCArrangeDefs::eDontCare, 2u);
    EXPECT_EQ(xcOCArrangeDefs::eSpecified, 0u);
    EXPECT_EQ(xcOCArrangeDefs::eAverage, 1u);
    EXPECT_EQ(xcOCArrangeDefs::eAbsolute, 0u);
    EXPECT_EQ(xcOCArrangeDefs::eRelative, 1u);
    EXPECT_EQ(xcOCArrangeDefs::eMatched, 0u);
    EXPECT_EQ(xcOCArrangeDefs::eInferred, 1u);
    EXPECT_EQ(xcOCArrangeDefs::eUnknown, 2u);
    static_assert(sizeof(xcOCArrangeDefs::LineType) == 4);
    static_assert(sizeof(xcOCArrangeDefs::CharStatus) == 4);
}

TEST(OCArrangeDefs, ExceptionsCarryTheirNumbersAndRethrowThemselves) {
    const xcOCArrangeDefs::BadParams p("Invalid timeout");
    EXPECT_EQ(p.errorNumber(), 0x10007400);
    EXPECT_EQ(p.message(), "Invalid timeout");
    const xcOCArrangeDefs::BadMask m;
    EXPECT_EQ(m.errorNumber(), 0x10007401);
    EXPECT_EQ(m.message(), "");
    xcOCArrangeDefs::BadParams copy("x");
    copy = p;
    EXPECT_EQ(copy.message(), "Invalid timeout");
    EXPECT_EQ(xcOCArrangeDefs::BadMask(m).errorNumber(), 0x10007401);

    // Thrown from the heap as its own class; the heap object is freed (ASan would tell).
    xcOCArrangeDefs::Errors* heap = new xcOCArrangeDefs::BadParams("Invalid max lines");
    try {
        heap->suicideAndRethrow();
    } catch (const xcOCArrangeDefs::BadParams& e) {
        EXPECT_EQ(e.message(), "Invalid max lines");
        EXPECT_EQ(e.errorNumber(), 0x10007400);
    }
    heap = new xcOCArrangeDefs::BadMask();
    EXPECT_THROW(heap->suicideAndRethrow(), xcOCArrangeDefs::BadMask);
}

TEST(OCArrangeDefs, ExceptionsArchiveTheirMessageAndLoadByClassName) {
    for (const char* name : {"xcOCArrangeDefs::BadParams", "xcOCArrangeDefs::BadMask"}) {
        const xc_Instantiator::MakeFn make = xc_Instantiator::find(name);
        ASSERT_NE(make, nullptr) << name;
        xcPersistent* made = make();
        EXPECT_EQ(xc_Instantiator::className(typeid(*made)), name);
        EXPECT_EQ(dynamic_cast<xcException&>(*made).message(), "");
        delete made;
    }

    xcPersistent* out = new xcOCArrangeDefs::BadParams("Invalid line type");
    xcMemoryArchive ar;
    ar || out;
    delete out;
    Reader r(ar.bytes());
    EXPECT_EQ(r.u8(), 1);
    EXPECT_EQ(r.str(), "xcOCArrangeDefs::BadParams");
    EXPECT_EQ(r.u8(), 0); // BadParams
    EXPECT_EQ(r.u8(), 0); // Errors
    EXPECT_EQ(r.u8(), 0); // the message's class
    EXPECT_EQ(r.str(), "Invalid line type");
    EXPECT_EQ(r.u8(), 0); // xcException
    EXPECT_TRUE(r.atEnd());

    xcPersistent* in = nullptr;
    {
        xcMemoryArchive back(ar.bytes());
        back || in;
    }
    ASSERT_NE(dynamic_cast<xcOCArrangeDefs::BadParams*>(in), nullptr);
    EXPECT_EQ(dynamic_cast<xcException*>(in)->message(), "Invalid line type");
    delete in;

    // A version other than 0 names the class whose byte it is, with the number 0.
    for (std::size_t at : {std::size_t(31), std::size_t(32)}) {
        std::vector<unsigned char> bytes = ar.bytes();
        bytes[at] = 1;
        xcMemoryArchive back(bytes);
        xcPersistent* p = nullptr;
        try {
            back || p;
            ADD_FAILURE() << "loaded";
        } catch (const xcArchive::UnknownVersion& e) {
            EXPECT_EQ(e.text(),
                      at == 31 ? "xcOCArrangeDefs::BadParams" : "xcOCArrangeDefs::Errors");
            EXPECT_EQ(e.number(), 0);
        }
    }
}
