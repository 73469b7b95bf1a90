// Exceptions in archives: every core class back through a base pointer with its number, and
// the byte layouts of each kind of class.
#include "archive_test_util.h"
#include "core/base/errors.h"
#include "core/base/priority_queue.h"
#include "core/geom/geom_errors.h"
#include "core/image/pel_errors.h"
#include "core/persist/archive.h"
#include "core/sys/thread.h"
#include "core/sys/timeout.h"
#include "core/text/charcode.h"
#include "core/text/str.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using xcTest::Bytes;

namespace {

// Stores an exception through a base pointer and loads it back the same way.
std::unique_ptr<xcException> throughPointer(xcException& e) {
    xcException* p = &e;
    return std::unique_ptr<xcException>(xcTest::load<xcException*>(xcTest::store(p), nullptr));
}

Bytes store(xcPersistent& e) {
    xcMemoryArchive ar;
    ar || e;
    return ar.bytes();
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
    xcException base;
    EXPECT_EQ(store(base), (Bytes{0x00}));
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
    // Framed: tag 1, the class name as the registry knows it, then the data.
    xcArchive::IOError io("");
    xcException* p = &io;
    const std::string name = "xcArchive::IOError";
    Bytes expected{1, static_cast<unsigned char>(name.size()), 0, 0, 0};
    for (char c : name) expected.push_back(static_cast<unsigned char>(c));
    for (int i = 0; i < 7; ++i) expected.push_back(0);
    EXPECT_EQ(xcTest::store(p), expected);
}

// Each level names its own class; version bytes are read unsigned; a failed load leaves the
// fields as they were.
TEST(ExceptionArchive, UnknownVersionsAndTruncationsLeaveTheObject) {
    xcExceptionWithString kept("kept");
    xcBadPointer bp;
    xcArchive::BadFormat bf;
    xcTimeout::InternalExpired custom(7);
    const struct {
        Bytes bytes;
        xcPersistent* target;
        const char* message;
    } cases[] = {
        {Bytes{0x01}, &kept, "Unknown version 1 of xcExceptionWithString"},
        {Bytes{0x00, 0x01, 0, 0, 0, 'z', 0xFF}, &kept, "Unknown version 255 of xcException"},
        {Bytes{0x02}, &bp, "Unknown version 2 of xcBadPointer"},
        {Bytes{0x04}, &bf, "Unknown version 4 of xcArchive::BadFormat"},
        {Bytes{0xFF, 0x01, 0, 0, 0, 0, 0, 0, 0, 0x00}, &custom,
         "Unknown version 255 of xcTimeout::InternalExpired"},
        {Bytes{0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 0x01}, &custom, "Unknown version 1 of xcException"},
    };
    for (const auto& c : cases) {
        xcMemoryArchive ld(c.bytes);
        EXPECT_EQ(xcTest::thrown<xcArchive::UnknownVersion>([&] { ld || *c.target; }), c.message);
    }
    xcMemoryArchive shortCode(Bytes{0x00, 0x01, 0, 0, 0, 0, 0});
    EXPECT_THROW(shortCode || custom, xcArchive::EndOfArchive);
    EXPECT_EQ(kept.text(), "kept");
    EXPECT_EQ(custom.code(), 7);
}
