#include "core/base/priority_queue.h"
#include "support/caught.h"

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

// Sifting up moves an entry only past a strictly greater parent; sifting down takes the right
// child only when it is strictly smaller than the left, and swaps only when strictly smaller.
// Worked by hand: A1 B1 C0 D1 heap as [C0 B1 A1 D1] and pop C D A B; a3 b2 c2 d1 e2 f1 g0 heap
// as [g0 b2 d1 a3 e2 c2 f1] and pop g f d e b c a.
TEST(PriorityQueue, TiesComeOutInTheOrderTheSiftRulesGive) {
    xcPriorityQueue<char> q;
    for (const auto& [label, cost] : {std::pair{'A', 1.0}, {'B', 1.0}, {'C', 0.0}, {'D', 1.0}})
        q.push(label, cost);
    EXPECT_EQ(q.topCost(), 0.0);
    EXPECT_EQ(drain(q), "CDAB");
    const double costs[] = {3, 2, 2, 1, 2, 1, 0};
    for (int i = 0; i < 7; ++i) q.push(char('a' + i), costs[i]);
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
    const auto e = caught<xcPriorityQueue<std::string>::Empty>([&] { q.pop(); });
    EXPECT_EQ(e.errorNumber(), 0x10000221);
    EXPECT_EQ(e.message(), "The priority queue is empty");
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
    std::size_t held = 0;
    int last = -1;
    for (int round = 0; round < 2000 || !q.empty(); ++round) {
        if (round < 2000 && (q.empty() || rng() % 3 != 0)) {
            const int c = cost(rng);
            q.push(std::make_unique<int>(c), c);
            ++held;
            last = std::min(last, c); // the next pop may be this smaller entry
        } else {
            const int c = q.topCost();
            const std::unique_ptr<int> value = q.take();
            ASSERT_TRUE(value != nullptr && *value == c && c >= last);
            last = c;
            ASSERT_EQ(q.size(), --held);
        }
    }
}

} // namespace
