// Persistent classes and helpers shared by the archive tests.
#pragma once

#include "core/base/exception.h"
#include "core/base/handle.h"
#include "core/persist/archive.h"
#include "core/persist/archive_vector.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace xcTest {

using Bytes = std::vector<unsigned char>;

// Nodes alive now; every test that loads nodes ends with it back at its start value.
inline std::atomic<int> sLiveNodes{0};

// A shared node. Archive: version byte 0, name, value (long), numbers and children (vector
// format), link (framed), note (framed, owned), then the xcPersistent part.
class Node : public xcPersistent, public xcRepBase {
public:
    explicit Node(const std::string& name = "", long value = 0) : name(name), value(value) {
        ++sLiveNodes;
    }
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
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

template <class T>
Bytes store(T v) {
    xcMemoryArchive ar;
    ar || v;
    EXPECT_EQ(ar.position(), ar.bytes().size());
    return ar.bytes();
}

// Loads a T over start and checks that every byte was used.
template <class T>
T load(const Bytes& bytes, T start = T()) {
    xcMemoryArchive ar(bytes);
    ar || start;
    EXPECT_EQ(ar.bytesLeft(), std::size_t(0));
    return start;
}

// The message of the E that f throws; a call that throws nothing fails the test.
template <class E, class F>
std::string thrown(F f) {
    return caught<E>(f).message();
}

} // namespace xcTest
