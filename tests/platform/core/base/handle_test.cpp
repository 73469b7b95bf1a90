#include "core/base/errors.h"
#include "core/base/handle.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

std::atomic<int> sLive{0};

class Counted : public xcRepBase {
public:
    explicit Counted(int v = 0) : value(v) { ++sLive; }
    Counted(const Counted& o) : xcRepBase(o), value(o.value) { ++sLive; }
    Counted& operator=(const Counted&) = default;
    ~Counted() override { --sLive; }
    int value;
};

class Derived : public Counted {
public:
    Derived() : Counted(7) {}
    // The intrusive count lets a member function hand out a handle to its own object.
    xcPtrHandle<Derived> self() { return xcPtrHandle<Derived>(this); }
};

} // namespace

TEST(Handle, NullHandlesThrowOnDereference) {
    xcPtrHandle<Counted> h;
    xcPtrHandle_const<Counted> c;
    EXPECT_TRUE(h.isNull() && !h && h == nullptr && h == c);
    const auto e = caught<xcBadPointer>([&] { (void)h->value; });
    EXPECT_EQ(e.message(), "Null handle dereferenced");
    EXPECT_EQ(e.errorNumber(), 0x10000001);
    EXPECT_THROW((void)*c, xcBadPointer);
}

TEST(Handle, SharingCountsAndIdentity) {
    ASSERT_EQ(sLive, 0);
    {
        xcPtrHandle<Counted> a(new Counted(3));
        xcPtrHandle<Counted> b = a;
        b->value = 4;
        EXPECT_EQ((*a).value, 4);
        xcPtrHandle_const<Counted> c = a;
        EXPECT_EQ(a->refCount(), 3);
        EXPECT_TRUE(c == a && a == c);
        xcPtrHandle<Counted> other(new Counted(4));
        EXPECT_TRUE(a != other); // equal contents are not identity
        xcPtrHandle<Counted> moved = std::move(b);
        a = other; // the first object keeps its other holders
        a = a;     // self-assignment keeps the object
        EXPECT_TRUE(b.isNull() && moved->refCount() == 2 && other->refCount() == 2);
        // Copying a rep object gives a new object with its own (zero) count.
        Counted copy(*other);
        copy = *moved;
        EXPECT_EQ(copy.refCount() + moved->refCount(), 2);
        moved.reset();
        c.reset();
        EXPECT_EQ(sLive, 2); // copy and other
    }
    EXPECT_EQ(sLive, 0);
    {
        xcPtrHandle<Derived> owner(new Derived);
        xcPtrHandle<Derived> again = owner->self(); // joins the existing count
        xcPtrHandle<Counted> base = again;
        xcPtrHandle_const<Counted> cbase = owner;
        EXPECT_EQ(owner->refCount(), 4);
        owner.reset();
        again.reset();
        base.reset();
        EXPECT_EQ(sLive, 1);
        EXPECT_EQ(cbase->value, 7);
    }
    EXPECT_EQ(sLive, 0);
}

// Many threads copy and drop handles of one object at once: the count must end where it began
// and the object must be freed exactly once, by whichever thread holds it last.
TEST(Handle, CountsAcrossThreads) {
    {
        xcPtrHandle<Counted> shared(new Counted(1));
        std::vector<std::thread> threads;
        for (int t = 0; t < 8; ++t) {
            threads.emplace_back([shared] {
                for (int i = 0; i < 20000; ++i) {
                    xcPtrHandle<Counted> a = shared;
                    xcPtrHandle_const<Counted> b = a;
                    xcPtrHandle<Counted> c = std::move(a);
                }
            });
        }
        for (auto& t : threads) t.join();
        EXPECT_EQ(shared->refCount(), 1);
    }
    for (int round = 0; round < 50; ++round) {
        std::vector<std::thread> threads;
        {
            xcPtrHandle<Counted> h(new Counted(round));
            for (int t = 0; t < 4; ++t)
                threads.emplace_back([copy = h]() mutable { copy.reset(); });
        }
        for (auto& t : threads) t.join();
        EXPECT_EQ(sLive, 0);
    }
}
