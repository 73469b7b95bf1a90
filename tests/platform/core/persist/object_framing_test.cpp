#include "core/base/errors.h"
#include "core/persist/archive.h"
#include "test_objects.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using xcTest::Node;
using xcTest::sLiveNodes;

namespace {

using Bytes = std::vector<unsigned char>;

// Element by element: g++ 12 warns falsely about range inserts into small vectors.
void append(Bytes& to, const Bytes& more) {
    for (unsigned char c : more) to.push_back(c);
}

// Bytes of a framed new object: tag 1, the class name, then the object's own data.
Bytes newTag(const std::string& name) {
    Bytes b{1, static_cast<unsigned char>(name.size()), 0, 0, 0};
    for (char c : name) b.push_back(static_cast<unsigned char>(c));
    return b;
}

// The start of a node's data: version, empty name, value 0, no numbers, then the children
// vector's version and count.
Bytes nodeHead(unsigned char children = 0) {
    Bytes b(14, 0);
    append(b, Bytes{0, children, 0, 0, 0});
    return b;
}

// Node data with nothing in it: the head, a null link and a null note.
Bytes emptyNodeData() {
    Bytes b = nodeHead();
    append(b, Bytes{0, 0});
    return b;
}

} // namespace

TEST(ArchiveFraming, NullHandlesAndPointersRoundTrip) {
    xcPtrHandle<Node> h;
    xcPtrHandle_const<Node> c;
    xcPersistent* p = nullptr;
    xcMemoryArchive st;
    st || h || c || p;
    EXPECT_EQ(st.bytes(), (Bytes{0, 0, 0}));

    xcPtrHandle<Node> h2(new Node("old"));
    xcPtrHandle_const<Node> c2(new Node("old"));
    xcPersistent* p2 = h2.get(); // overwritten by the load, not deleted
    xcMemoryArchive ld(st.bytes());
    ld || h2 || c2 || p2;
    EXPECT_TRUE(h2.isNull());
    EXPECT_TRUE(c2.isNull());
    EXPECT_EQ(p2, nullptr);
    EXPECT_EQ(sLiveNodes, 0);
}

TEST(ArchiveFraming, LayoutOfANewObjectAndABackReference) {
    xcPtrHandle<Node> n(new Node);
    xcPtrHandle_const<Node> same = n;
    xcMemoryArchive st;
    st || n || same;
    Bytes expected = newTag("xcTest::Node");
    append(expected, emptyNodeData());
    append(expected, Bytes{2, 0, 0, 0, 0}); // back-reference to object 0
    EXPECT_EQ(st.bytes(), expected);
    // The archive keeps its own reference while it lives.
    EXPECT_EQ(n->refCount(), 3);
}

// A node shared through two handles is written once and comes back as one object.
TEST(ArchiveFraming, SharedObjectsStaySharedAndTheOrderOfFirstMeetingCounts) {
    Bytes bytes;
    {
        xcPtrHandle<Node> root(new Node("root", 1));
        xcPtrHandle<Node> shared(new Node("shared", 2));
        shared->numbers = {0.5, -1.25};
        root->children = {shared, xcPtrHandle<Node>(new Node("solo", 3)), shared};
        root->link = shared;
        xcPtrHandle<Node> alsoShared = shared;
        xcMemoryArchive st;
        st || root || alsoShared;
        bytes = st.bytes();
    }
    ASSERT_EQ(sLiveNodes, 0);
    {
        xcPtrHandle<Node> root, again;
        {
            xcMemoryArchive ld(bytes);
            ld || root || again;
            EXPECT_EQ(ld.bytesLeft(), std::size_t(0));
        }
        EXPECT_EQ(sLiveNodes, 3);
        ASSERT_EQ(root->children.size(), 3u);
        EXPECT_EQ(root->name, "root");
        EXPECT_EQ(root->children[0].get(), root->children[2].get());
        EXPECT_EQ(root->children[0].get(), root->link.get());
        EXPECT_EQ(root->children[0].get(), again.get());
        EXPECT_EQ(again->name, "shared");
        EXPECT_EQ(again->numbers, (std::vector<double>{0.5, -1.25}));
        EXPECT_EQ(root->children[1]->name, "solo");
        // Held by children[0], children[2], link and again; the archive let go.
        EXPECT_EQ(again->refCount(), 4);
        EXPECT_EQ(root->refCount(), 1);
    }
    EXPECT_EQ(sLiveNodes, 0);
}

TEST(ArchiveFraming, UnregisteredAndMismatchedClasses) {
    // Storing an object whose class was never registered.
    xcPersistent* u = new xcTest::Unregistered;
    xcMemoryArchive st;
    try {
        st || u;
        FAIL() << "no exception";
    } catch (const xcArchive::NotStorable& e) {
        EXPECT_EQ(e.message(), "Class xcTest::Unregistered is not registered with xc_Instantiator");
    }
    delete u;

    // Loading a class name nobody registered.
    Bytes unknown = newTag("xcTest::Missing");
    append(unknown, emptyNodeData());
    xcPtrHandle<Node> h;
    xcMemoryArchive ld(unknown);
    try {
        ld || h;
        FAIL() << "no exception";
    } catch (const xcArchive::BadFormat& e) {
        EXPECT_EQ(e.message(), "Class xcTest::Missing is not registered with xc_Instantiator");
        EXPECT_EQ(e.errorNumber(), 0x10000012);
    }

    // A Node where an OtherNode handle waits: refused before anything is loaded.
    Bytes node = newTag("xcTest::Node");
    append(node, emptyNodeData());
    xcPtrHandle<xcTest::OtherNode> other;
    xcMemoryArchive ld2(node);
    try {
        ld2 || other;
        FAIL() << "no exception";
    } catch (const xcArchive::BadFormat& e) {
        EXPECT_EQ(e.message(), "Object of class xcTest::Node where xcTest::OtherNode is wanted");
    }
    EXPECT_TRUE(other.isNull());

    // An OtherNode loads fine into a Node handle, and an exception pointer refuses a node.
    Bytes derived = newTag("xcTest::OtherNode");
    append(derived, emptyNodeData());
    {
        xcMemoryArchive ld3(derived);
        xcPtrHandle<Node> base;
        ld3 || base;
        EXPECT_NE(dynamic_cast<xcTest::OtherNode*>(base.get()), nullptr);
    }
    xcException* e = nullptr;
    xcMemoryArchive ld4(derived);
    EXPECT_THROW(ld4 || e, xcArchive::BadFormat);
    EXPECT_EQ(e, nullptr);
    EXPECT_EQ(sLiveNodes, 0);
}

TEST(ArchiveFraming, BadTagsAndBackReferences) {
    auto fails = [](const Bytes& bytes) -> std::string {
        xcMemoryArchive ld(bytes);
        xcPtrHandle<Node> h;
        try {
            ld || h;
        } catch (const xcArchive::BadFormat& e) {
            return e.message();
        }
        return "loaded";
    };
    EXPECT_EQ(fails(Bytes{3}), "Bad object tag 3");
    EXPECT_EQ(fails(Bytes{2, 0, 0, 0, 0}), "Back-reference 0 to one of 0 objects");

    // A node whose link refers back to the node itself.
    Bytes ring = newTag("xcTest::Node");
    append(ring, nodeHead());
    append(ring, Bytes{2, 0, 0, 0, 0, 0});
    EXPECT_EQ(fails(ring), "Back-reference 0 to an object that contains it");

    // A plain object (not shared) cannot be referred to twice.
    Bytes plain = newTag("xcTest::Node");
    append(plain, nodeHead());
    append(plain, Bytes{0}); // no link
    append(plain, newTag("xcBadParams"));
    append(plain, Bytes{0, 0, 0, 0, 0, 0, 0});
    Bytes twice = plain;
    // A second node whose note refers back to the exception (object 1).
    append(twice, newTag("xcTest::Node"));
    append(twice, nodeHead());
    append(twice, Bytes{0, 2, 1, 0, 0, 0});
    {
        xcMemoryArchive ld(plain);
        xcPtrHandle<Node> first;
        ld || first;
        ASSERT_NE(first->note, nullptr);
        EXPECT_EQ(first->note->errorNumber(), 0x10000003);
    }
    {
        xcMemoryArchive ld(twice);
        xcPtrHandle<Node> first, second;
        ld || first;
        try {
            ld || second;
            FAIL() << "no exception";
        } catch (const xcArchive::BadFormat& e) {
            EXPECT_EQ(e.message(), "Back-reference 1 to an object that is not shared");
        }
    }
    EXPECT_EQ(sLiveNodes, 0);
}

TEST(ArchiveFraming, RingsAndDeepNestingAreRefusedOnStoring) {
    {
        xcPtrHandle<Node> a(new Node("a"));
        xcPtrHandle<Node> b(new Node("b"));
        a->children = {b};
        b->link = a;
        xcMemoryArchive st;
        try {
            st || a;
            FAIL() << "no exception";
        } catch (const xcArchive::NotStorable& e) {
            EXPECT_EQ(e.message(), "An object of class xcTest::Node refers to an object that "
                                   "contains it");
        }
        b->link.reset(); // break the ring so that both can go
    }
    EXPECT_EQ(sLiveNodes, 0);
    {
        // A chain exactly kMaxDepth long stores and loads; one more does not.
        xcPtrHandle<Node> head(new Node("0"));
        Node* tail = head.get();
        for (int i = 1; i < xcArchive::kMaxDepth; ++i) {
            tail->children = {xcPtrHandle<Node>(new Node(std::to_string(i)))};
            tail = tail->children[0].get();
        }
        xcMemoryArchive st;
        st || head;
        xcPtrHandle<Node> loaded;
        xcMemoryArchive ld(st.bytes());
        ld || loaded;
        EXPECT_EQ(loaded->children[0]->children[0]->name, "2");

        tail->children = {xcPtrHandle<Node>(new Node("one too many"))};
        xcMemoryArchive st2;
        try {
            st2 || head;
            FAIL() << "no exception";
        } catch (const xcArchive::NotStorable& e) {
            EXPECT_EQ(e.message(), "Objects nest deeper than 256 levels");
        }
        // The same chain built by hand is refused on loading.
        Bytes deep;
        for (int i = 0; i <= xcArchive::kMaxDepth; ++i) {
            append(deep, newTag("xcTest::Node"));
            append(deep, nodeHead(1));
        }
        xcMemoryArchive ld2(deep);
        xcPtrHandle<Node> tooDeep;
        try {
            ld2 || tooDeep;
            FAIL() << "no exception";
        } catch (const xcArchive::BadFormat& e) {
            EXPECT_EQ(e.message(), "Objects nest deeper than 256 levels");
        }
    }
    EXPECT_EQ(sLiveNodes, 0);
}

// The visited set must not take a new object at an address that an earlier value object used
// for already written.
TEST(ArchiveFraming, ValueObjectsAtReusedAddressesAreWrittenEachTime) {
    xcMemoryArchive st;
    for (int i = 0; i < 3; ++i) {
        xcBadParams temp("loop " + std::to_string(i));
        st || temp;
    }
    xcMemoryArchive ld(st.bytes());
    for (int i = 0; i < 3; ++i) {
        xcBadParams back;
        ld || back;
        EXPECT_EQ(back.message(), "loop " + std::to_string(i));
    }
    EXPECT_EQ(ld.bytesLeft(), std::size_t(0));

    // Plain objects behind pointers are written in full every time, even at one address.
    xcMemoryArchive st2;
    for (int i = 0; i < 2; ++i) {
        xcBadParams temp("ptr " + std::to_string(i));
        xcException* p = &temp;
        st2 || p;
        st2 || p; // the same plain object twice: two copies
    }
    xcMemoryArchive ld2(st2.bytes());
    for (int i = 0; i < 4; ++i) {
        xcException* p = nullptr;
        ld2 || p;
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->message(), "ptr " + std::to_string(i / 2));
        delete p; // a plain object loaded through a raw pointer belongs to the caller
    }
}

TEST(ArchiveFraming, LoadSimpleNeedsALoadingArchive) {
    xcBadParams e("x");
    xcMemoryArchive st;
    EXPECT_THROW(e.loadSimple(st), xcBadParams);
    st || e;
    xcBadParams back;
    xcMemoryArchive ld(st.bytes());
    back.loadSimple(ld);
    EXPECT_EQ(back.message(), "x");
    back.reInit(); // the base does nothing
    EXPECT_EQ(back.message(), "x");
}
