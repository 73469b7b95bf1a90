// Which candidates of two neighbouring characters may stand next to each other on one line.
#pragma once

#include "foundation/export.h"
#include "oc/arrange/char_data.h"
#include "oc/arrange/pose.h"

#include <vector>

// table[i][a][b] for character i's candidate a and character i + 1's candidate b. A pair is
// incompatible when b lies farther from a (in a's frame, divided by a's scale) than twice the
// largest model diagonal of the two characters, or when their angles differ by more than
// 30 degrees (modulo 180 degrees when either is 180-degree symmetric; any angle when either is
// fully symmetric). Rows of a character without candidates are empty.
class OC_API xc_CompatTable {
public:
    xc_CompatTable() = default;
    xc_CompatTable(const std::vector<xc_CharData>& charData,
                   const std::vector<std::vector<xc_Pose>>& poses);

    bool compatible(long i, long a, long b) const;
    const std::vector<std::vector<std::vector<bool>>>& table() const { return table_; }

private:
    std::vector<std::vector<std::vector<bool>>> table_;
};
