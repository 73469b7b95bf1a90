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

TEST(SysErrors, ArchiveLayoutsAndCodesOfEveryWidth) {
    // Own version byte, then xcException's.
    xcTimeout::Expired expired;
    EXPECT_EQ(store(expired), (Bytes{0x00, 0x00}));
    // The code's low half, then its high half, both little-endian.
    xcTimeout::InternalExpired custom(0x80000064);
    EXPECT_EQ(store(custom), (Bytes{0x00, 0x64, 0x00, 0x00, 0x80, 0, 0, 0, 0, 0x00}));
    xcTimeout::InternalExpired negative(-5);
    EXPECT_EQ(store(negative), (Bytes{0x00, 0xFB, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}));
    // Own version byte, then xcExceptionWithString's layout.
    xcThreadDefs::UnknownThread unknown("id");
    EXPECT_EQ(store(unknown), (Bytes{0x00, 0x00, 0x02, 0, 0, 0, 'i', 'd', 0x00}));

    for (const long code : {0L, -1L, 0x80000064L, 0xFFFFFFFFL, 0x123456789ABCL,
                            static_cast<long>(0x8000000000000000ul), 0x7FFFFFFFFFFFFFFFL}) {
        xcTimeout::InternalExpired out(code), in(0);
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
        xcMemoryArchive out;
        xcPersistent* p = e.get();
        out || p;
        xcMemoryArchive in(out.bytes());
        xcPersistent* loaded = nullptr;
        in || loaded;
        const std::unique_ptr<xcPersistent> own(loaded);
        auto* back = dynamic_cast<xcException*>(loaded);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(typeid(*back), typeid(*e));
        EXPECT_EQ(back->errorNumber(), e->errorNumber());
        EXPECT_EQ(back->message(), e->message());
        if (auto* ie = dynamic_cast<xcTimeout::InternalExpired*>(back)) {
            EXPECT_EQ(ie->code(), 0x80000064);
        }
    }
}

TEST(SysErrors, UnknownVersionsAndTruncatedDataThrowAndLeaveTheObject) {
    xcTimeout::Expired expired;
    try {
        load(Bytes{0x01, 0x00}, expired);
        FAIL() << "version 1 was read";
    } catch (const xcArchive::UnknownVersion& e) {
        EXPECT_EQ(e.message(), "Unknown version 1 of xcTimeout::Expired");
    }
    xcTimeout::InternalExpired custom(7);
    try {
        load(Bytes{0xFF, 0x01, 0, 0, 0, 0, 0, 0, 0, 0x00}, custom);
        FAIL() << "version 255 was read";
    } catch (const xcArchive::UnknownVersion& e) {
        EXPECT_EQ(e.message(), "Unknown version 255 of xcTimeout::InternalExpired");
    }
    EXPECT_THROW(load(Bytes{0x00, 0x01, 0, 0, 0, 0, 0}, custom), xcArchive::EndOfArchive);
    EXPECT_EQ(custom.code(), 7);
    xcPriorityQueueDefs::BadCost cost;
    EXPECT_THROW(load(Bytes{0x02, 0x00}, cost), xcArchive::UnknownVersion);
}

} // namespace
