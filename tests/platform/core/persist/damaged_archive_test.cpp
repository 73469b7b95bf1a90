#include "core/base/errors.h"
#include "core/geom/nmmatrix.h"
#include "core/persist/archive.h"
#include "core/persist/archive_geom.h"
#include "core/persist/archive_vector.h"
#include "support/archive_damage.h"
#include "test_objects.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace xcTest;

namespace {

// Everything one archive holds: nested shared nodes, a second handle onto a shared node,
// exceptions behind pointers, strings, vectors, a matrix and geometry values.
struct Contents {
    xcPtrHandle<Node> root;
    xcPtrHandle_const<Node> shared;
    std::string title;
    std::vector<std::vector<double>> table;
    xcNMMatrix matrix;
    xcXform<2> xform;
    xcRange range;
    xcPelRect window;
    std::basic_string<unsigned long> codes;
    std::unique_ptr<xcException> error;

    void exchange(xcArchive& ar) {
        xcException* e = error.get();
        ar || root || shared || title || table || matrix || xform || range || window || codes || e;
        if (ar.isLoading()) error.reset(e);
    }
};

Bytes buildArchive() {
    Contents c;
    c.root = xcPtrHandle<Node>(new Node("root", -7));
    xcPtrHandle<Node> shared(new Node("shared", 1));
    shared->numbers = {1.0, 2.0, 3.5};
    shared->note = new xcArchive::UnknownVersion("xcOCModel", 3);
    xcPtrHandle<Node> leaf(new Node("leaf", 2));
    leaf->link = shared;
    leaf->note = new xcBadParams("Character scale factors must be > 0");
    xcPtrHandle<Node> mid(new Node("mid", 3));
    mid->children = {leaf, shared};
    c.root->children = {mid, shared, xcPtrHandle<Node>(new Node("empty"))};
    c.root->link = leaf;
    c.shared = shared;
    c.title = "a bit of everything";
    c.table = {{1, 2}, {}, {3}};
    c.matrix = xcNMMatrix(2, 2, 0.25);
    c.xform = xcXform<2>(xcMatrix<2>(1, 2, 3, 4), xcVector<2>(5, 6));
    c.range = xcRange::FullRange();
    c.window = xcPelRect(1, 2, 3, 4);
    c.codes = {0x41, 0x3000};
    c.error = std::make_unique<xcFailureCode>(0x800013EEL);
    xcMemoryArchive st;
    c.exchange(st);
    return st.bytes();
}

// Checks, when it goes, that every node loaded since it was made is gone again.
struct NoNodesLeft {
    ~NoNodesLeft() { EXPECT_EQ(sLiveNodes, 0); }
};

} // namespace

TEST(DamagedArchive, IntactLoadsDamagedThrowsAndNothingLeaks) {
    const Bytes bytes = buildArchive();
    ASSERT_EQ(sLiveNodes, 0);
    {
        const NoNodesLeft check;
        Contents c;
        xcMemoryArchive ld(bytes);
        c.exchange(ld);
        EXPECT_EQ(ld.bytesLeft(), std::size_t(0));
        EXPECT_EQ(sLiveNodes, 5);
        EXPECT_EQ(c.root->children[0]->children[1].get(), c.shared.get());
        EXPECT_EQ(c.root->link->link.get(), c.shared.get());
        EXPECT_EQ(c.shared->note->message(), "Unknown version 3 of xcOCModel");
        EXPECT_EQ(c.error->message(), "Failure code 0x800013EE");
    }
    // Inverted bytes inside numbers load; the others must be caught.
    const int loaded = oc_test::expectDamageRefused(bytes, [](const Bytes& data) {
        const NoNodesLeft check;
        Contents c;
        xcMemoryArchive ld(data);
        c.exchange(ld);
    });
    EXPECT_GT(loaded, 0);
    EXPECT_LT(loaded, int(bytes.size()));
}
