// A binary min-heap of (value, cost) entries in one array, with fixed tie rules.
#pragma once

#include "core/base/error_class.h"
#include "core/export.h"

#include <cmath>
#include <cstddef>
#include <iosfwd>
#include <type_traits>
#include <utility>
#include <vector>

// Error numbers: Empty 0x10000221, BadCost 0x10000222.
struct xcPriorityQueueDefs {
    // top() or pop() of an empty queue.
    class XCORE_API Empty : public xcException {
    public:
        Empty() = default;
        void message_(std::ostream& os) const override;
        // Archive: version byte 0, then the xcException part.
        XC_ERROR_MEMBERS(Empty, 0x10000221)
    };
    // A cost that is not a number, which no order can place.
    class XCORE_API BadCost : public xcException {
    public:
        BadCost() = default;
        void message_(std::ostream& os) const override;
        // Archive: version byte 0, then the xcException part.
        XC_ERROR_MEMBERS(BadCost, 0x10000222)
    };
};

// The entry at position i has its children at 2i + 1 and 2i + 2, and no child costs less than
// its parent. The tie rules decide which of several equal-cost entries comes out first:
// - push appends the entry and moves it up while its parent's cost is strictly greater;
// - pop moves the last entry to the top and moves it down: it takes the right child only when
//   the right child's cost is strictly smaller than the left's, and swaps while that child's
//   cost is strictly smaller than its own.
// Cost needs only operator<.
template <class T, class Cost = double>
class xcPriorityQueue {
public:
    using Empty = xcPriorityQueueDefs::Empty;
    using BadCost = xcPriorityQueueDefs::BadCost;

    xcPriorityQueue() = default;

    std::size_t size() const { return heap_.size(); }
    bool empty() const { return heap_.empty(); }
    void clear() { heap_.clear(); }
    void reserve(std::size_t n) { heap_.reserve(n); }

    // A NaN cost throws BadCost and leaves the queue as it was.
    void push(const T& value, Cost cost) { push_(Entry{value, std::move(cost)}); }
    void push(T&& value, Cost cost) { push_(Entry{std::move(value), std::move(cost)}); }

    // The least-cost entry's value and cost; an empty queue throws Empty.
    const T& top() const { return front_().value; }
    const Cost& topCost() const { return front_().cost; }
    // Removes the least-cost entry; an empty queue throws Empty.
    void pop() {
        front_();
        if (heap_.size() > 1) heap_.front() = std::move(heap_.back());
        heap_.pop_back();
        siftDown_(0);
    }
    // Moves the least-cost entry's value out and removes the entry; an empty queue throws Empty.
    T take() {
        if (heap_.empty()) throw Empty();
        T value = std::move(heap_.front().value);
        pop();
        return value;
    }

private:
    struct Entry {
        T value;
        Cost cost;
    };

    const Entry& front_() const {
        if (heap_.empty()) throw Empty();
        return heap_.front();
    }

    void push_(Entry&& entry) {
        if constexpr (std::is_floating_point_v<Cost>) {
            if (std::isnan(entry.cost)) throw BadCost();
        }
        heap_.push_back(std::move(entry));
        std::size_t i = heap_.size() - 1;
        while (i > 0) {
            const std::size_t parent = (i - 1) / 2;
            if (!(heap_[i].cost < heap_[parent].cost)) break;
            std::swap(heap_[i], heap_[parent]);
            i = parent;
        }
    }

    void siftDown_(std::size_t i) {
        const std::size_t n = heap_.size();
        for (;;) {
            const std::size_t left = 2 * i + 1;
            if (left >= n) return;
            std::size_t child = left;
            if (left + 1 < n && heap_[left + 1].cost < heap_[left].cost) child = left + 1;
            if (!(heap_[child].cost < heap_[i].cost)) return;
            std::swap(heap_[i], heap_[child]);
            i = child;
        }
    }

    std::vector<Entry> heap_;
};
