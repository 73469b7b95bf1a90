#include "core/image/pel_errors.h"
#include "core/persist/archive.h"

#include <gtest/gtest.h>

#include <memory>

TEST(PelErrors, FixedNumbersAndArchiveRoundTripAsTheConcreteClass) {
    EXPECT_EQ(xcPel::UnboundWindow().errorNumber(), 0x10000301);
    EXPECT_EQ(xcPel::BadWindow().errorNumber(), 0x10000302);
    EXPECT_EQ(xcPel::SizeMismatch().errorNumber(), 0x10000303);
    EXPECT_EQ(xcPel::BadParams().errorNumber(), 0x10000304);
    const std::unique_ptr<xcPersistent> stored[] = {
        std::make_unique<xcPel::UnboundWindow>("a"), std::make_unique<xcPel::BadWindow>("b"),
        std::make_unique<xcPel::SizeMismatch>("c"), std::make_unique<xcPel::BadParams>("d")};
    xcMemoryArchive out;
    for (const auto& e : stored) {
        xcPersistent* p = e.get();
        out || p;
    }
    xcMemoryArchive in(out.bytes());
    for (const auto& e : stored) {
        xcPersistent* p = nullptr;
        in || p;
        const std::unique_ptr<xcPersistent> loaded(p);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(typeid(*p), typeid(*e));
        EXPECT_EQ(dynamic_cast<xcException&>(*p).message(),
                  dynamic_cast<xcException&>(*e).message());
    }
}
