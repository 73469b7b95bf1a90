#include "core/persist/instantiator.h"
#include "oc/oc/fixtures.h"
#include "oc/oc/line_arrangement.h"

#include <gtest/gtest.h>

using namespace oc_test;

// The library registers its persistent classes while it loads, so an archive that names a class
// can make an object of it without the caller naming the type.
TEST(OCFactories, PersistentClassesAreRegisteredAtLoad) {
    for (const char* name : {"xcOCModel", "xcOCAlphabet", "xcOCLine", "xcOCLineArrangement"}) {
        const xc_Instantiator::MakeFn make = xc_Instantiator::find(name);
        ASSERT_NE(make, nullptr) << name;
        xcPersistent* made = make();
        EXPECT_EQ(xc_Instantiator::className(typeid(*made)), name);
        delete made;
    }
}

TEST(OCFactories, ObjectsLoadByClassNameThroughABasePointer) {
    // A framed model written by hand: tag 1, the class name, then the model's own data.
    xcMemoryArchive out;
    unsigned char tag = 1;
    std::string cls = "xcOCModel";
    xcOCModel model(8, Image(), xcPelRect(0, 0, 4, 4), xcOCModel::eBlank, "eight", "by name");
    out || tag || cls;
    out || static_cast<xcPersistent&>(model);

    xcPersistent* loaded = nullptr;
    {
        xcMemoryArchive in(out.bytes());
        in || loaded;
        ASSERT_NE(loaded, nullptr);
        // A shared object must be taken by a handle before the archive goes.
        const xcPtrHandle_const<xcOCModel> h(dynamic_cast<const xcOCModel*>(loaded));
        ASSERT_TRUE(h);
        EXPECT_EQ(*h, model);
    }
}
