#include "core/base/priority_queue.h"
#include "core/persist/archive.h"
#include "core/sys/thread.h"
#include "core/sys/timeout.h"
#include "support/caught.h"

#include <gtest/gtest.h>

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

TEST(SysErrors, UnknownVersionsAndTruncatedDataThrowAndLeaveTheObject) {
    xcTimeout::Expired expired;
    EXPECT_EQ(caught<xcArchive::UnknownVersion>([&] {
                  load(Bytes{0x01, 0x00}, expired);
              }).message(),
              "Unknown version 1 of xcTimeout::Expired");
    xcTimeout::InternalExpired custom(7);
    EXPECT_EQ(caught<xcArchive::UnknownVersion>([&] {
                  load(Bytes{0xFF, 0x01, 0, 0, 0, 0, 0, 0, 0, 0x00}, custom);
              }).message(),
              "Unknown version 255 of xcTimeout::InternalExpired");
    EXPECT_THROW(load(Bytes{0x00, 0x01, 0, 0, 0, 0, 0}, custom), xcArchive::EndOfArchive);
    EXPECT_EQ(custom.code(), 7);
    xcPriorityQueueDefs::BadCost cost;
    EXPECT_THROW(load(Bytes{0x02, 0x00}, cost), xcArchive::UnknownVersion);
}

} // namespace
