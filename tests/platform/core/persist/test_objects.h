// Persistent classes used by the archive tests: a shared node that holds a bit of everything.
#pragma once

#include "core/base/exception.h"
#include "core/base/handle.h"
#include "core/persist/archive.h"
#include "core/persist/archive_vector.h"

#include <atomic>
#include <string>
#include <vector>

namespace xcTest {

// Nodes alive now; every test that loads nodes ends with it back at its start value.
inline std::atomic<int> sLiveNodes{0};

// A shared node: a name, numbers, child nodes, one optional link to any node, and an owned
// exception behind a raw pointer. Archive: version byte 0, name, value (long), numbers and
// children (vector format), link (framed), note (framed), then the xcPersistent part.
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

} // namespace xcTest
