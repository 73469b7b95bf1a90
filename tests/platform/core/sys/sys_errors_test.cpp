#include "core/base/priority_queue.h"
#include "core/persist/archive.h"
#include "core/sys/thread.h"
#include "core/sys/timeout.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes store(xcPersistent& obj) {
    xcMemoryArchive ar;
    ar || obj;
    return ar.bytes();
}

void load(const Bytes& bytes, xcPersistent& obj) {
    xcMemoryArchive ar(bytes);
    ar || obj;
}

// Stores the exception through a pointer and loads it back as whatever class the archive names.
std::unique_ptr<xcException> roundTrip(xcException& e) {
    xcMemoryArchive out;
    xcPersistent* p = &e;
    out || p;
    xcMemoryArchive in(out.bytes());
    xcPersistent* loaded = nullptr;
    in || loaded;
    auto* ex = dynamic_cast<xcException*>(loaded);
    if (ex == nullptr) delete loaded;
    return std::unique_ptr<xcException>(ex);
}

TEST(SysErrors, ArchiveLayouts) {
    // Own version byte, then xcException's.
    xcTimeout::Expired expired;
    EXPECT_EQ(store(expired), (Bytes{0x00, 0x00}));
    xcPriorityQueueDefs::Empty empty;
    EXPECT_EQ(store(empty), (Bytes{0x00, 0x00}));

    // The code's low half, then its high half, both little-endian.
    xcTimeout::InternalExpired custom(0x80000064);
    EXPECT_EQ(store(custom), (Bytes{0x00, 0x64, 0x00, 0x00, 0x80, 0, 0, 0, 0, 0x00}));
    xcTimeout::InternalExpired negative(-5);
    EXPECT_EQ(store(negative), (Bytes{0x00, 0xFB, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}));

    // Own version byte, then xcExceptionWithString's layout.
    xcTimeout::BadParams bad("x");
    EXPECT_EQ(store(bad), (Bytes{0x00, 0x00, 0x01, 0, 0, 0, 'x', 0x00}));
    xcThreadDefs::UnknownThread unknown("id");
    EXPECT_EQ(store(unknown), (Bytes{0x00, 0x00, 0x02, 0, 0, 0, 'i', 'd', 0x00}));
}

TEST(SysErrors, CodesOfEveryWidthSurviveTheArchive) {
    for (const long code : {0L, 1L, -1L, -5L, 0x80000064L, 0xFFFFFFFFL, 0x123456789ABCL,
                            static_cast<long>(0x8000000000000000ul), 0x7FFFFFFFFFFFFFFFL}) {
        xcTimeout::InternalExpired out(code);
        xcTimeout::InternalExpired in(0);
        load(store(out), in);
        EXPECT_EQ(in.code(), code);
    }
}

TEST(SysErrors, EveryClassLoadsBackAsItselfThroughAPointer) {
    std::vector<std::unique_ptr<xcException>> all;
    all.push_back(std::make_unique<xcTimeout::Expired>());
    all.push_back(std::make_unique<xcTimeout::InternalExpired>(0x80000064));
    all.push_back(std::make_unique<xcTimeout::BadParams>("Time limit must be a number >= 0"));
    all.push_back(std::make_unique<xcThreadDefs::BadParams>("Thread entry must not be null"));
    all.push_back(std::make_unique<xcThreadDefs::UnknownThread>("No thread to wait for with id 3"));
    all.push_back(std::make_unique<xcThreadDefs::CreateFailed>("Cannot start a thread: x"));
    all.push_back(std::make_unique<xcPriorityQueueDefs::Empty>());
    all.push_back(std::make_unique<xcPriorityQueueDefs::BadCost>());
    for (const auto& e : all) {
        const std::unique_ptr<xcException> back = roundTrip(*e);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(typeid(*back), typeid(*e));
        EXPECT_EQ(back->errorNumber(), e->errorNumber());
        EXPECT_EQ(back->message(), e->message());
    }
    xcTimeout::InternalExpired custom(0x80000064);
    const auto back = roundTrip(custom);
    EXPECT_EQ(dynamic_cast<xcTimeout::InternalExpired&>(*back).code(), 0x80000064);
}

TEST(SysErrors, UnknownVersionsAndTruncatedDataThrowAndLeaveTheObject) {
    xcTimeout::Expired expired;
    try {
        load(Bytes{0x01, 0x00}, expired);
        FAIL() << "version 1 was read";
    } catch (const xcArchive::UnknownVersion& e) {
        EXPECT_EQ(e.text(), "xcTimeout::Expired");
        EXPECT_EQ(e.number(), 1);
    }
    xcTimeout::InternalExpired custom(7);
    try {
        load(Bytes{0xFF, 0x01, 0, 0, 0, 0, 0, 0, 0, 0x00}, custom);
        FAIL() << "version 255 was read";
    } catch (const xcArchive::UnknownVersion& e) {
        EXPECT_EQ(e.text(), "xcTimeout::InternalExpired");
        EXPECT_EQ(e.number(), 255);
    }
    EXPECT_EQ(custom.code(), 7);
    EXPECT_THROW(load(Bytes{0x00, 0x01, 0, 0, 0, 0, 0}, custom), xcArchive::EndOfArchive);
    EXPECT_EQ(custom.code(), 7);
    xcPriorityQueueDefs::BadCost cost;
    EXPECT_THROW(load(Bytes{0x02, 0x00}, cost), xcArchive::UnknownVersion);
}

} // namespace
