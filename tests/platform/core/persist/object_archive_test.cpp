// Persistent objects in archives: the framing of shared and plain objects, the class registry,
// damaged archives of many objects, and archive files.
#include "archive_test_util.h"
#include "core/base/errors.h"
#include "core/base/handle.h"
#include "core/geom/nmmatrix.h"
#include "core/object/instantiator.h"
#include "core/persist/archive.h"
#include "core/persist/archive_geom.h"
#include "core/persist/archive_vector.h"
#include "support/archive_damage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace xcTest {

// Nodes alive now; every test that loads nodes ends with it back at its start value.
std::atomic<int> sLiveNodes{0};

// A shared node. Archive: version byte 0, name, value (long), numbers and children (vector
// format), link (framed), note (framed, owned), then the xcPersistent part.
class Node : public xcPersistent, public xcRepBase {
public:
    explicit Node(const std::string& name = "", long value = 0) : name(name), value(value) {
        ++sLiveNodes;
    }
    ~Node() override {
        delete note;
        --sLiveNodes;
    }

    void dispatchSerialize(xcArchive& ar) override {
        if (haveVisited(ar)) return;
        unsigned char version = 0;
        ar || version;
        if (version != 0) throw xcArchive::UnknownVersion("xcTest::Node", version);
        ar || name || value || numbers || children || link;
        xcException* n = note;
        ar || n;
        if (ar.isLoading() && n != note) {
            delete note;
            note = n;
        }
        xcPersistent::dispatchSerialize(ar);
        setVisited(ar);
    }

    std::string name;
    long value;
    std::vector<double> numbers;
    std::vector<xcPtrHandle<Node>> children;
    xcPtrHandle_const<Node> link;
    xcException* note = nullptr;
};

// A node kind of its own, to test loading into a handle of the wrong class.
class OtherNode : public Node {
public:
    OtherNode() : Node("other") {}
};

// A persistent class that no xc_Instantiator registers.
class Unregistered : public xcPersistent, public xcRepBase {};

const xc_Instantiator sNodeClass(typeid(Node), []() -> xcPersistent* { return new Node; });
const xc_Instantiator sOtherNodeClass(typeid(OtherNode),
                                      []() -> xcPersistent* { return new OtherNode; });

} // namespace xcTest

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
    const int before = sLiveNodes;
    xcMemoryArchive ld(bytes);
    const std::string message = thrown<xcArchive::BadFormat>([&] { ld || h; });
    EXPECT_EQ(sLiveNodes, before); // what the failed framing made is freed at once
    return message;
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
    {
        xcMemoryArchive ld(cat({emptyNode(), Bytes{2, 0, 0, 0, 0}}));
        ld || h;
        EXPECT_EQ(thrown<xcArchive::BadFormat>([&] { ld || other; }),
                  "Back-reference 0 to an object of class xcTest::Node where xcTest::OtherNode "
                  "is wanted");
        h.reset();
    }
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

TEST(Instantiator, NamesAndRegistrations) {
    using I = xc_Instantiator;
    // A second registration of a type is harmless and is taken back on its own.
    const I::MakeFn first = I::find("xcTest::Node");
    ASSERT_NE(first, nullptr);
    {
        const I again(typeid(Node), []() -> xcPersistent* { return nullptr; });
        EXPECT_EQ(I::find("xcTest::Node"), first);
    }
    EXPECT_EQ(I::find("xcTest::Node"), first);
    // A registration made and dropped at run time.
    {
        const I reg(typeid(Unregistered), []() -> xcPersistent* { return new Unregistered; });
        EXPECT_EQ(I::registeredName(typeid(Unregistered)), "xcTest::Unregistered");
        const std::unique_ptr<xcPersistent> made(I::find("xcTest::Unregistered")());
        EXPECT_NE(dynamic_cast<Unregistered*>(made.get()), nullptr);
    }
    EXPECT_EQ(I::find("xcTest::Unregistered"), nullptr);
}

namespace {

// Everything one archive holds: nested shared nodes, a second handle onto a shared node,
// exceptions behind pointers, strings, vectors, a matrix and a range.
struct Contents {
    xcPtrHandle<Node> root;
    xcPtrHandle_const<Node> shared;
    std::vector<std::vector<double>> table;
    xcNMMatrix matrix;
    xcRange range;
    std::basic_string<unsigned long> codes;
    std::unique_ptr<xcException> error;

    void exchange(xcArchive& ar) {
        xcException* e = error.get();
        ar || root || shared || table || matrix || range || codes || e;
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
    c.table = {{1, 2}, {}, {3}};
    c.matrix = xcNMMatrix(2, 2, 0.25);
    c.range = xcRange::FullRange();
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

namespace {

std::string tempPath(const char* name) {
    return (std::filesystem::temp_directory_path() /
            (std::string("xc_archive_") + std::to_string(getpid()) + "_" + name))
        .string();
}

} // namespace

TEST(FileArchive, StoresWhatAMemoryArchiveStoresAndLoadsItBack) {
    const std::string path = tempPath("roundtrip");
    std::string text = "text";
    long value = -42;
    {
        xcFileArchive st(path, xcFileArchive::eStoring);
        st || text || value;
        st.close();
        EXPECT_THROW(st || text, xcArchive::IOError); // closed
    }
    std::ifstream in(path, std::ios::binary);
    const Bytes onDisk((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(onDisk, cat({store(text), store(value)}));
    text.clear();
    value = 0;
    {
        xcFileArchive ld(path, xcFileArchive::eLoading);
        EXPECT_EQ(ld.bytesLeft(), onDisk.size());
        ld || text || value;
        EXPECT_THROW(ld || value, xcArchive::EndOfArchive);
    }
    EXPECT_EQ(text + std::to_string(value), "text-42");
    std::remove(path.c_str());
}

// Opening fails with a message naming the path. Loading refuses a directory or a FIFO (no size
// to bound the counts) without waiting for a writer; storing to a FIFO that has no reader fails
// instead of waiting for one. Should an open block, the watchdog opens the other end after two
// seconds, which frees it, and the test fails instead of hanging.
TEST(FileArchive, OpeningFailuresNameThePathAndNeverBlock) {
    const std::string missing = tempPath("no/such/dir/file");
    EXPECT_EQ(thrown<xcArchive::IOError>([&] {
                  xcFileArchive(missing, xcFileArchive::eLoading);
              }).rfind("Cannot open archive file " + missing + " for reading: ", 0),
              0u);
    EXPECT_THROW(xcFileArchive(missing, xcFileArchive::eStoring), xcArchive::IOError);
    EXPECT_THROW(
        xcFileArchive(std::filesystem::temp_directory_path().string(), xcFileArchive::eLoading),
        xcArchive::IOError);

    const std::string path = tempPath("fifo");
    std::filesystem::remove(path);
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    for (const auto mode : {xcFileArchive::eLoading, xcFileArchive::eStoring}) {
        std::atomic<bool> done{false}, rescued{false};
        std::thread watchdog([&] {
            for (int i = 0; i < 200 && !done; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (done) return;
            rescued = true;
            const int fd =
                open(path.c_str(), mode == xcFileArchive::eLoading ? O_WRONLY : O_RDONLY);
            if (fd >= 0) close(fd);
        });
        const std::string msg = thrown<xcArchive::IOError>([&] { xcFileArchive ar(path, mode); });
        done = true;
        watchdog.join();
        EXPECT_FALSE(rescued) << mode;
        EXPECT_EQ(msg.rfind(mode == xcFileArchive::eLoading
                                ? "Archive file " + path + " is not a regular file"
                                : "Cannot open archive file " + path + " for writing: ",
                            0),
                  0u)
            << msg;
    }
    std::filesystem::remove(path);
}
