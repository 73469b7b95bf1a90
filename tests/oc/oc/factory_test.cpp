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
    EXPECT_EQ(xc_Instantiator::registeredName(typeid(xcOCModel)), "xcOCModel");
    EXPECT_EQ(xc_Instantiator::registeredName(typeid(xcOCLineArrangement)), "xcOCLineArrangement");
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

    // A whole arrangement stored through a handle comes back through a base pointer too.
    const xcOCLineArrangement::Lines lines{xcPtrHandle_const<xcOCLine>(
        new xcOCLine({xcOCKeySet({10}, 0)}, alphabetOf(1), xc2Rigid(), 1, 0, xcRadian(0), 0, "l"))};
    xcPtrHandle_const<xcOCLineArrangement> arr(
        new xcOCLineArrangement(lines, xc2Rigid(), 0, xcRadian(0), "a"));
    xcMemoryArchive in(store(arr));
    xcPersistent* any = nullptr;
    in || any;
    const xcPtrHandle_const<xcOCLineArrangement> back(
        dynamic_cast<const xcOCLineArrangement*>(any));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, *arr);
}
