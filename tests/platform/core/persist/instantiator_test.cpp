#include "core/object/instantiator.h"
#include "core/persist/archive.h"
#include "test_objects.h"

#include <gtest/gtest.h>

TEST(Instantiator, NamesAndRegistrations) {
    EXPECT_EQ(xc_Instantiator::className(typeid(xcArchive::UnknownVersion)),
              "xcArchive::UnknownVersion");
    EXPECT_EQ(xc_Instantiator::registeredName(typeid(xcTest::Node)), "xcTest::Node");
    EXPECT_EQ(xc_Instantiator::registeredName(typeid(xcTest::Unregistered)), "");
    EXPECT_EQ(xc_Instantiator::find("xcTest::Unregistered"), nullptr);
    ASSERT_NE(xc_Instantiator::find("xcFailureCode"), nullptr);

    // A second registration of a type is harmless and is taken back on its own.
    xc_Instantiator::MakeFn first = xc_Instantiator::find("xcTest::Node");
    {
        xc_Instantiator again(typeid(xcTest::Node), []() -> xcPersistent* { return nullptr; });
        EXPECT_EQ(xc_Instantiator::find("xcTest::Node"), first);
    }
    EXPECT_EQ(xc_Instantiator::find("xcTest::Node"), first);

    // A registration made and dropped at run time.
    {
        xc_Instantiator reg(typeid(xcTest::Unregistered),
                            []() -> xcPersistent* { return new xcTest::Unregistered; });
        EXPECT_EQ(xc_Instantiator::registeredName(typeid(xcTest::Unregistered)),
                  "xcTest::Unregistered");
        xcPersistent* made = xc_Instantiator::find("xcTest::Unregistered")();
        EXPECT_NE(dynamic_cast<xcTest::Unregistered*>(made), nullptr);
        delete made;
    }
    EXPECT_EQ(xc_Instantiator::find("xcTest::Unregistered"), nullptr);
}
