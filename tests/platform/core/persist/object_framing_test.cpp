#include "core/base/errors.h"
#include "core/persist/archive.h"
#include "test_objects.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace xcTest;

namespace {

// Element by element: g++ 12 warns falsely about range inserts into small vectors.
Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes b;
    for (const Bytes& p : parts)
        for (unsigned char c : p) b.push_back(c);
    return b;
}

// A framed new object: tag 1, then the class name.
Bytes newTag(const std::string& name) {
    Bytes b{1, static_cast<unsigned char>(name.size()), 0, 0, 0};
    for (char c : name) b.push_back(static_cast<unsigned char>(c));
    return b;
}

// A node's data up to its link: version, empty name, value 0, no numbers, children count.
Bytes nodeHead(unsigned char children = 0) {
    return cat({Bytes(14, 0), Bytes{0, children, 0, 0, 0}});
}

// A framed node of the given class with nothing in it (null link and note).
Bytes emptyNode(const std::string& cls = "xcTest::Node") {
    return cat({newTag(cls), nodeHead(), Bytes{0, 0}});
}

template <class H>
std::string loadFails(const Bytes& bytes, H& h) {
    xcMemoryArchive ld(bytes);
    return thrown<xcArchive::BadFormat>([&] { ld || h; });
}

} // namespace

TEST(ArchiveFraming, NullsNewObjectsAndBackReferencesLayout) {
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
    EXPECT_TRUE(h2.isNull() && c2.isNull() && p2 == nullptr);
    EXPECT_EQ(sLiveNodes, 0);

    xcPtrHandle<Node> n(new Node);
    xcPtrHandle_const<Node> same = n;
    xcMemoryArchive st2;
    st2 || n || same;
    EXPECT_EQ(st2.bytes(), cat({emptyNode(), Bytes{2, 0, 0, 0, 0}})); // back-reference to 0
    EXPECT_EQ(n->refCount(), 3); // the archive keeps its own reference while it lives
}

TEST(ArchiveFraming, UnregisteredAndMismatchedClasses) {
    xcPersistent* u = new Unregistered;
    xcMemoryArchive st;
    EXPECT_EQ(thrown<xcArchive::NotStorable>([&] { st || u; }),
              "Class xcTest::Unregistered is not registered with xc_Instantiator");
    delete u;

    xcPtrHandle<Node> h;
    EXPECT_EQ(loadFails(emptyNode("xcTest::Missing"), h),
              "Class xcTest::Missing is not registered with xc_Instantiator");
    // A Node where an OtherNode handle waits: refused before anything is loaded.
    xcPtrHandle<OtherNode> other;
    EXPECT_EQ(loadFails(emptyNode(), other),
              "Object of class xcTest::Node where xcTest::OtherNode is wanted");
    EXPECT_TRUE(other.isNull());
    // An OtherNode loads into a Node handle; an exception pointer refuses it.
    EXPECT_NE(
        dynamic_cast<OtherNode*>(load<xcPtrHandle<Node>>(emptyNode("xcTest::OtherNode")).get()),
        nullptr);
    xcException* e = nullptr;
    xcMemoryArchive ld(emptyNode("xcTest::OtherNode"));
    EXPECT_THROW(ld || e, xcArchive::BadFormat);
    EXPECT_EQ(e, nullptr);
    EXPECT_EQ(sLiveNodes, 0);
}

TEST(ArchiveFraming, BadTagsAndBackReferences) {
    xcPtrHandle<Node> h;
    EXPECT_EQ(loadFails(Bytes{3}, h), "Bad object tag 3");
    EXPECT_EQ(loadFails(Bytes{2, 0, 0, 0, 0}, h), "Back-reference 0 to one of 0 objects");
    // A node whose link refers back to the node itself.
    EXPECT_EQ(loadFails(cat({newTag("xcTest::Node"), nodeHead(), Bytes{2, 0, 0, 0, 0, 0}}), h),
              "Back-reference 0 to an object that contains it");

    // A plain object (not shared) cannot be referred to twice: the second node's note refers
    // back to the first node's exception (object 1).
    const Bytes plain = cat({newTag("xcTest::Node"), nodeHead(), Bytes{0}, newTag("xcBadParams"),
                             Bytes{0, 0, 0, 0, 0, 0, 0}});
    EXPECT_EQ(load<xcPtrHandle<Node>>(plain)->note->errorNumber(), 0x10000003);
    {
        xcMemoryArchive ld(
            cat({plain, newTag("xcTest::Node"), nodeHead(), Bytes{0, 2, 1, 0, 0, 0}}));
        xcPtrHandle<Node> first, second;
        ld || first;
        EXPECT_EQ(thrown<xcArchive::BadFormat>([&] { ld || second; }),
                  "Back-reference 1 to an object that is not shared");
    }
    EXPECT_EQ(sLiveNodes, 0);
}

TEST(ArchiveFraming, RingsAndDeepNestingAreRefused) {
    {
        xcPtrHandle<Node> a(new Node("a"));
        xcPtrHandle<Node> b(new Node("b"));
        a->children = {b};
        b->link = a;
        xcMemoryArchive st;
        EXPECT_EQ(thrown<xcArchive::NotStorable>([&] { st || a; }),
                  "An object of class xcTest::Node refers to an object that contains it");
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
        EXPECT_EQ(load<xcPtrHandle<Node>>(store(head))->children[0]->children[0]->name, "2");
        tail->children = {xcPtrHandle<Node>(new Node("one too many"))};
        xcMemoryArchive st;
        EXPECT_EQ(thrown<xcArchive::NotStorable>([&] { st || head; }),
                  "Objects nest deeper than 256 levels");
        Bytes deep;
        for (int i = 0; i <= xcArchive::kMaxDepth; ++i)
            deep = cat({deep, newTag("xcTest::Node"), nodeHead(1)});
        xcPtrHandle<Node> tooDeep;
        EXPECT_EQ(loadFails(deep, tooDeep), "Objects nest deeper than 256 levels");
    }
    EXPECT_EQ(sLiveNodes, 0);
}

// The visited set must not take a new object at an address that an earlier value object used
// for already written.
TEST(ArchiveFraming, ValueObjectsAtReusedAddressesAreWrittenEachTime) {
    xcMemoryArchive st, st2;
    for (int i = 0; i < 3; ++i) {
        xcBadParams temp("loop " + std::to_string(i));
        xcException* p = &temp;
        st || temp;
        st2 || p || p; // a plain object behind a pointer is written in full each time
    }
    xcMemoryArchive ld(st.bytes()), ld2(st2.bytes());
    for (int i = 0; i < 6; ++i) {
        xcException* p = nullptr;
        ld2 || p;
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->message(), "loop " + std::to_string(i / 2));
        delete p; // a plain object loaded through a raw pointer belongs to the caller
        if (i >= 3) continue;
        xcBadParams back;
        ld || back;
        EXPECT_EQ(back.message(), "loop " + std::to_string(i));
    }
    EXPECT_EQ(ld.bytesLeft(), std::size_t(0));
}
