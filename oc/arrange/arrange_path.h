// A partial arrangement: one candidate choice per character so far, and where lines begin.
#pragma once

#include "foundation/export.h"

#include <vector>

// choices[i] is the index of character i's chosen candidate, or -1 when it is left unmatched.
// lineStarts holds, in ascending order, the indices at which a new line begins; its first entry
// is 0 once the path is not empty. Line l runs from lineStarts[l] to lineStarts[l + 1] - 1, the
// last line to depth() - 1.
class OC_API xc_ArrangePath {
public:
    long depth() const { return static_cast<long>(choices.size()); }
    long numLines() const { return static_cast<long>(lineStarts.size()); }
    // One past the last character of line l.
    long lineEnd(long l) const {
        return l + 1 < numLines() ? lineStarts[static_cast<std::size_t>(l) + 1] : depth();
    }

    // With newLine, the current depth becomes a line start; then c is appended.
    void push(long c, bool newLine);
    // Removes the last choice, and its line start when it began a line.
    void pop();

    std::vector<long> choices;
    std::vector<long> lineStarts;
};
