// Exceptions, failure codes and reference-counted handles.
#include "core/base/errors.h"
#include "core/base/exception.h"
#include "core/base/failure.h"
#include "core/base/handle.h"
#include "support/caught.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

TEST(Exception, MessagesAndSuicideAndRethrow) {
    EXPECT_STREQ(xcExceptionWithString("Threshold must be >= 0.").what(),
                 "Threshold must be >= 0.");
    EXPECT_EQ(xcFailureCode(0x800013EEL).message(), "Failure code 0x800013EE");
    // A code given as an LP64 literal and one given as a negative int32 are the same code.
    EXPECT_EQ(xcFailureCode(0x800013EEL).code(), -2147478546L);
    // The copy thrown has the concrete class and data of the heap object, which is gone
    // afterwards (the sanitizers report a leak or double free otherwise).
    xcException* heap = new xcBadParams("Facility 9000 is not in 0 .. 2047");
    EXPECT_EQ(caught<xcBadParams>([&] { heap->suicideAndRethrow(); }).message(),
              "Facility 9000 is not in 0 .. 2047");
    xcException* code = new xcFailureCode(-5);
    EXPECT_EQ(caught<xcFailureCode>([&] { code->suicideAndRethrow(); }).message(),
              "Failure code 0xFFFFFFFB");
}

namespace {

struct ConvertedError {
    long code;
};

long sLastSeen = 0;

// Converts one code of facility 159 and lets every other one pass.
void convert159(long code) {
    sLastSeen = code;
    if (static_cast<std::uint32_t>(code) == 0x800013ECu) throw ConvertedError{code};
}

// The code of the xcFailureCode thrown for code, and the code the converter saw (0: none).
std::pair<long, long> failureCodeOf(long code) {
    sLastSeen = 0;
    try {
        xfThrowExceptionOnFailure(code);
    } catch (const xcFailureCode& e) {
        return {e.code(), sLastSeen};
    }
    ADD_FAILURE() << "no xcFailureCode for " << code;
    return {0, 0};
}

long i32(std::uint32_t u) {
    return static_cast<std::int32_t>(u);
}

} // namespace

TEST(Failure, CodesRouteByFacilityOfTheirLow32Bits) {
    // Only the low 32 bits count: 0x100000001 is 1 as an int32.
    for (long code : {0L, 1L, 0x7FFFFFFFL, 0x100000001L})
        EXPECT_NO_THROW(xfThrowExceptionOnFailure(code));
    EXPECT_EQ(failureCodeOf(INT32_MIN), std::make_pair(long(INT32_MIN), 0L));
    xfRegisterExceptionConverter(159, &convert159);
    // 0x800013EC as a long literal is positive on LP64 hosts and must still fail; the
    // converter sees the sign-extended code.
    EXPECT_EQ(caught<ConvertedError>([&] { xfThrowExceptionOnFailure(0x800013ECL); }).code,
              -2147478548L);
    // The converter returns: the core reports the code. Facility 159 spans 0x13E0 .. 0x13FF of
    // the low 16 bits; its neighbours are not routed; the high 16 bits take no part.
    const struct {
        long in, seen;
    } cases[] = {{0x800013EEL, i32(0x800013EEu)},
                 {0x800013E0L, i32(0x800013E0u)},
                 {0x800013DFL, 0},
                 {0x80001400L, 0},
                 {0xFFFF13FFL, i32(0xFFFF13FFu)}};
    for (const auto& c : cases)
        EXPECT_EQ(failureCodeOf(c.in), std::make_pair(i32(std::uint32_t(c.in)), c.seen))
            << std::hex << c.in;
    xfRegisterExceptionConverter(159, nullptr);
    EXPECT_EQ(failureCodeOf(0x800013ECL).second, 0);

    xfRegisterExceptionConverter(2047, &convert159);
    EXPECT_EQ(failureCodeOf(0x8000FFE0L).second, i32(0x8000FFE0u));
    xfRegisterExceptionConverter(2047, nullptr);
    EXPECT_EQ(
        caught<xcBadParams>([&] { xfRegisterExceptionConverter(2048, &convert159); }).message(),
        "Facility 2048 is not in 0 .. 2047");
    EXPECT_THROW(xfRegisterExceptionConverter(-1, &convert159), xcBadParams);
}

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

TEST(Handle, NullSharingCountsAndIdentity) {
    xcPtrHandle<Counted> null;
    EXPECT_TRUE(null.isNull() && !null && null == nullptr && null == xcPtrHandle_const<Counted>());
    const auto e = caught<xcBadPointer>([&] { (void)null->value; });
    EXPECT_EQ(e.message(), "Null handle dereferenced");
    EXPECT_THROW((void)*xcPtrHandle_const<Counted>(), xcBadPointer);
    {
        xcPtrHandle<Counted> a(new Counted(3));
        a = a; // self-assignment by the only holder keeps the object
        EXPECT_EQ(sLive, 1);
        xcPtrHandle<Counted> b = a;
        xcPtrHandle_const<Counted> c = a;
        EXPECT_EQ(a->refCount(), 3);
        EXPECT_TRUE(c == a && a != xcPtrHandle<Counted>(new Counted(3)));
        xcPtrHandle<Counted> other(new Counted(4));
        xcPtrHandle<Counted> moved = std::move(b);
        a = other; // the first object keeps its other holders
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
        xcPtrHandle_const<Counted> cbase = owner;
        EXPECT_EQ(owner->refCount(), 3);
        owner.reset();
        again.reset();
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
