#include "core/base/errors.h"
#include "core/base/priority_queue.h"
#include "core/geom/geom_errors.h"
#include "core/image/pel_errors.h"
#include "core/persist/archive.h"
#include "core/sys/thread.h"
#include "core/sys/timeout.h"
#include "core/text/charcode.h"
#include "core/text/str.h"
#include "support/caught.h"
#include "test_objects.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using xcTest::Bytes;
using xcTest::store;

namespace {

// Stores an exception through a base pointer and loads it back the same way.
std::unique_ptr<xcException> throughPointer(xcException& e) {
    xcException* p = &e;
    return std::unique_ptr<xcException>(xcTest::load<xcException*>(store(p), nullptr));
}

} // namespace

// Every core exception comes back as its concrete class with its number and message.
TEST(ExceptionArchive, ConcreteClassesRoundTripThroughAPointer) {
    xcBadPointer bp("Null handle dereferenced");
    xcFailureCode fc(0x800013EEL);
    xcBadParams bpar("Facility 9000 is not in 0 .. 2047");
    xcArchive::UnknownVersion uv("xcOCDefs::BadParams", 7);
    xcArchive::BadFormat bf("Bad object tag 9");
    xcArchive::EndOfArchive eoa("Archive ends");
    xcArchive::IOError io("Cannot open archive file x");
    xcArchive::NotStorable ns("The long 5000000000 does not fit into 32 bits");
    xcExceptionWithString ews("with string");
    xcException plain;
    xcGeomDefs::Singular sing("Matrix is singular");
    xcGeomDefs::BadParams gbp("Length must be >= 0");
    xcPel::UnboundWindow pu("a");
    xcPel::BadWindow pw("b");
    xcPel::SizeMismatch ps("c");
    xcPel::BadParams pp("d");
    xcCharCodeDefs::NotRepresentable nr("ab");
    xcStrDefs::BadParams sb("Hexadecimal width must be between 0 and 64");
    xcTimeout::Expired te;
    xcTimeout::InternalExpired ti(0x80000064);
    xcTimeout::BadParams tb("Time limit must be a number >= 0");
    xcThreadDefs::BadParams hb("Thread entry must not be null");
    xcThreadDefs::UnknownThread hu("No thread to wait for with id 3");
    xcThreadDefs::CreateFailed hc("Cannot start a thread: x");
    xcPriorityQueueDefs::Empty qe;
    xcPriorityQueueDefs::BadCost qc;
    for (xcException* e : std::initializer_list<xcException*>{
             &bp, &fc, &bpar, &uv, &bf, &eoa, &io, &ns, &ews, &plain, &sing, &gbp, &pu,
             &pw, &ps, &pp,   &nr, &sb, &te,  &ti, &tb, &hb,  &hu,    &hc,   &qe,  &qc}) {
        auto back = throughPointer(*e);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(typeid(*back), typeid(*e));
        EXPECT_EQ(back->errorNumber(), e->errorNumber());
        EXPECT_EQ(back->message(), e->message());
    }
    EXPECT_EQ(
        std::vector<long>({pu.errorNumber(), pw.errorNumber(), ps.errorNumber(), pp.errorNumber()}),
        std::vector<long>({0x10000301, 0x10000302, 0x10000303, 0x10000304}));
    auto uvBack = throughPointer(uv);
    auto& u = dynamic_cast<xcArchive::UnknownVersion&>(*uvBack);
    EXPECT_EQ(u.text(), "xcOCDefs::BadParams");
    EXPECT_EQ(u.number(), 7);
    EXPECT_EQ(dynamic_cast<xcFailureCode&>(*throughPointer(fc)).code(),
              static_cast<int>(0x800013EEu));
    EXPECT_EQ(dynamic_cast<xcTimeout::InternalExpired&>(*throughPointer(ti)).code(), 0x80000064);
    // A loaded exception can be thrown as its concrete class.
    EXPECT_THROW(throughPointer(bpar).release()->suicideAndRethrow(), xcBadParams);
}

TEST(ExceptionArchive, LayoutsAndUnknownVersion) {
    // Own version, the text, the number, then xcException's version.
    EXPECT_EQ(store(xcArchive::UnknownVersion("ab", 3)),
              (Bytes{0, 2, 0, 0, 0, 'a', 'b', 3, 0, 0, 0, 0}));
    // EndOfArchive, BadFormat, xcExceptionWithString (with the text), xcException.
    EXPECT_EQ(store(xcArchive::EndOfArchive("e")), (Bytes{0, 0, 0, 1, 0, 0, 0, 'e', 0}));
    // Framed: tag 1, the class name as the registry knows it, then the data.
    xcArchive::IOError io("");
    xcException* p = &io;
    const std::string name = "xcArchive::IOError";
    Bytes expected{1, static_cast<unsigned char>(name.size()), 0, 0, 0};
    for (char c : name) expected.push_back(static_cast<unsigned char>(c));
    for (int i = 0; i < 7; ++i) expected.push_back(0);
    EXPECT_EQ(store(p), expected);

    xcMemoryArchive ld(Bytes{4});
    xcArchive::BadFormat bf;
    const auto e = caught<xcArchive::UnknownVersion>([&] { ld || bf; });
    EXPECT_EQ(e.text(), "xcArchive::BadFormat");
    EXPECT_EQ(e.number(), 4);
    EXPECT_EQ(e.errorNumber(), 0x10000011);
}
