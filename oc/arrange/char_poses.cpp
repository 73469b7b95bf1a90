#include "oc/arrange/char_poses.h"

#include "oc/oc/line.h"

#include <cstddef>

std::vector<xcXform<2>> xfOCCharacterPoses(const xcOCArrangeResults& results) {
    std::vector<xcXform<2>> out;
    if (results.arrangement().isNull()) return out;
    const xcOCLineArrangement& arrangement = *results.arrangement();
    for (std::size_t l = 0; l < arrangement.lines().size(); ++l) {
        const xcOCLine& line = *arrangement.lines()[l];
        const xcXform<2> linePose =
            results.clientFromArrangementXform() * arrangement.linePoses()[l].linear();
        for (std::size_t k = 0; k < line.charPoses().size(); ++k) {
            const xcXform<2> p = linePose * line.charPoses()[k].linear();
            const double scale = line.charScales()[k];
            out.emplace_back(p.matrix() * scale, p.trans());
        }
    }
    return out;
}
