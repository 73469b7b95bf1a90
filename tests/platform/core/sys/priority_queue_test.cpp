#include "core/base/priority_queue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>

namespace {

std::string drain(xcPriorityQueue<char>& q) {
    std::string order;
    while (!q.empty()) {
        order += q.top();
        q.pop();
    }
    return order;
}

// Push A(1), B(1), C(0), D(1):
//   A        [A1]
//   B        [A1 B1]           parent A1 is not greater than B1: stays
//   C        [A1 B1 C0]        parent A1 > C0: swap -> [C0 B1 A1]
//   D        [C0 B1 A1 D1]     parent B1 is not greater than D1: stays
// Pops:
//   C out; D to the top [D1 B1 A1]; right A1 is not smaller than left B1, so the left child
//   B1, which is not smaller than D1: stays            -> [D1 B1 A1]
//   D out; A to the top [A1 B1]; B1 not smaller: stays -> [A1 B1]
//   A out, then B.
TEST(PriorityQueue, TiesComeOutInTheOrderTheSiftRulesGive) {
    xcPriorityQueue<char> q;
    q.push('A', 1);
    q.push('B', 1);
    q.push('C', 0);
    q.push('D', 1);
    EXPECT_EQ(q.size(), 4u);
    EXPECT_EQ(q.top(), 'C');
    EXPECT_EQ(q.topCost(), 0.0);
    EXPECT_EQ(drain(q), "CDAB");
}

// Push a3 b2 c2 d1 e2 f1 g0:
//   a [a3]; b: a3 > b2 swap [b2 a3]; c: b2 > c2 no [b2 a3 c2];
//   d: a3 > d1 swap, b2 > d1 swap [d1 b2 c2 a3]; e: b2 > e2 no [d1 b2 c2 a3 e2];
//   f: c2 > f1 swap, d1 > f1 no [d1 b2 f1 a3 e2 c2];
//   g: f1 > g0 swap, d1 > g0 swap [g0 b2 d1 a3 e2 c2 f1].
// Pops:
//   g out; f to the top [f1 b2 d1 a3 e2 c2]; right d1 < left b2 so d1; d1 < f1? no: stays.
//   f out; c to the top [c2 b2 d1 a3 e2]; right d1 < b2 so d1; d1 < c2: swap
//     [d1 b2 c2 a3 e2]; c2 at 2 has no children.
//   d out; e to the top [e2 b2 c2 a3]; right c2 not < b2 so b2; b2 < e2? no: stays.
//   e out; a to the top [a3 b2 c2]; right c2 not < b2 so b2; b2 < a3: swap [b2 a3 c2].
//   b out; c to the top [c2 a3]; a3 < c2? no.   c out, then a.
TEST(PriorityQueue, SiftDownTakesTheRightChildOnlyWhenStrictlySmaller) {
    xcPriorityQueue<char> q;
    const std::pair<char, double> pushes[] = {{'a', 3}, {'b', 2}, {'c', 2}, {'d', 1},
                                              {'e', 2}, {'f', 1}, {'g', 0}};
    for (const auto& [label, cost] : pushes) q.push(label, cost);
    EXPECT_EQ(drain(q), "gfdebca");
}

TEST(PriorityQueue, EmptyQueueAndNaNCostThrowAndLeaveTheQueueAsItWas) {
    xcPriorityQueue<std::string> q;
    EXPECT_THROW(q.top(), xcPriorityQueueDefs::Empty);
    EXPECT_THROW(q.take(), xcPriorityQueueDefs::Empty);
    q.push("one", 1.0);
    EXPECT_THROW(q.push("nan", std::nan("")), xcPriorityQueueDefs::BadCost);
    EXPECT_EQ(q.size(), 1u);
    q.pop();
    try {
        q.pop();
        FAIL() << "popped an empty queue";
    } catch (const xcPriorityQueue<std::string>::Empty& e) {
        EXPECT_EQ(e.errorNumber(), 0x10000221);
        EXPECT_EQ(e.message(), "The priority queue is empty");
    }
    q.push("inf", INFINITY); // infinite costs are ordered and accepted
    q.push("two", 2.0);
    EXPECT_EQ(q.take(), "two");
    EXPECT_EQ(q.topCost(), INFINITY);
}

TEST(PriorityQueue, RandomCostsComeOutInOrderAndMoveOnlyValuesWork) {
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> cost(0, 20); // many ties
    xcPriorityQueue<std::unique_ptr<int>, int> q;
    q.reserve(500);
    int pushed = 0;
    int popped = 0;
    int last = -1;
    for (int round = 0; round < 2000; ++round) {
        if (q.empty() || rng() % 3 != 0) {
            const int c = cost(rng);
            q.push(std::make_unique<int>(c), c);
            ++pushed;
            last = std::min(last, c); // the next pop may be this smaller entry
        } else {
            const int c = q.topCost();
            const std::unique_ptr<int> value = q.take();
            ASSERT_NE(value, nullptr);
            EXPECT_EQ(*value, c);
            EXPECT_GE(c, last);
            last = c;
            ++popped;
        }
    }
    EXPECT_EQ(q.size(), static_cast<std::size_t>(pushed - popped));
    last = -1;
    while (!q.empty()) {
        EXPECT_GE(q.topCost(), last);
        last = q.topCost();
        q.pop();
    }
}

} // namespace
