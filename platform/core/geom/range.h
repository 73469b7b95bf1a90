// A closed interval of doubles, or the empty or the full range.
#pragma once

#include <limits>

// Start and end are kept as given (no swap). EmptyRange() and FullRange() are kinds of their own,
// so comparing with them never depends on their end values.
class xcRange {
public:
    enum Kind : unsigned char { eNormal = 0, eEmpty = 1, eFull = 2 };

    xcRange() = default; // [0, 0]
    xcRange(double start, double end) : start_(start), end_(end) {}

    static xcRange EmptyRange() { return xcRange(eEmpty, 0.0, 0.0); }
    static xcRange FullRange() {
        return xcRange(eFull, -std::numeric_limits<double>::infinity(),
                       std::numeric_limits<double>::infinity());
    }
    // Rebuilds a range from its parts (archives).
    static xcRange fromParts(Kind kind, double start, double end) {
        if (kind == eEmpty) return EmptyRange();
        if (kind == eFull) return FullRange();
        return xcRange(start, end);
    }

    Kind kind() const { return kind_; }
    double start() const { return start_; }
    double end() const { return end_; }
    bool isEmpty() const { return kind_ == eEmpty; }
    bool isFull() const { return kind_ == eFull; }
    bool contains(double v) const {
        return kind_ == eFull || (kind_ == eNormal && v >= start_ && v <= end_);
    }

    friend bool operator==(const xcRange&, const xcRange&) = default;

private:
    xcRange(Kind k, double s, double e) : kind_(k), start_(s), end_(e) {}

    Kind kind_ = eNormal;
    double start_ = 0.0;
    double end_ = 0.0;
};
