#include "oc/arrange/arrange_defs.h"

#include "core/object/instantiator.h"
#include "core/persist/archive.h"
#include "oc/oc/fixtures.h"

#include <gtest/gtest.h>

using namespace oc_test;

TEST(OCArrangeDefs, ExceptionsCarryTheirNumbersAndRethrowThemselves) {
    const xcOCArrangeDefs::BadParams p("Invalid timeout");
    EXPECT_EQ(p.errorNumber(), 0x10007400);
    EXPECT_EQ(xcOCArrangeDefs::BadMask().errorNumber(), 0x10007401);
    // Thrown from the heap as its own class; the heap object is freed (ASan would tell).
    xcOCArrangeDefs::Errors* heap = new xcOCArrangeDefs::BadParams("Invalid max lines");
    expectThrow<xcOCArrangeDefs::BadParams>([&] { heap->suicideAndRethrow(); }, "Invalid max lines",
                                            0x10007400);
    heap = new xcOCArrangeDefs::BadMask();
    expectThrow<xcOCArrangeDefs::BadMask>([&] { heap->suicideAndRethrow(); }, "", 0x10007401);
}

TEST(OCArrangeDefs, ExceptionsArchiveTheirMessageAndLoadByClassName) {
    xcPersistent* out = new xcOCArrangeDefs::BadParams("Invalid line type");
    xcMemoryArchive ar;
    ar || out;
    delete out;
    Reader r(ar.bytes());
    EXPECT_EQ(r.u8(), 1);
    EXPECT_EQ(r.str(), "xcOCArrangeDefs::BadParams");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(r.u8(), 0); // BadParams, Errors, the message's class
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
    ASSERT_NE(xc_Instantiator::find("xcOCArrangeDefs::BadMask"), nullptr);

    // A version other than 0 names the class whose byte it is, with the number 0.
    for (std::size_t at : {std::size_t(31), std::size_t(32)}) {
        Bytes bytes = ar.bytes();
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
