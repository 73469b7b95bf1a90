#include "oc/arrange/candidate_search.h"

#include "oc/extract/access.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* what;
    long occurrences;
    std::vector<double> scores;
    long numCandidates;
    bool allowUnmatched;
};

} // namespace

TEST(OCArrangeCandidates, CountAndWhetherACharacterMayStayUnmatched) {
    const Case cases[] = {
        {"within 0.15 of the best, stopping at the first lower",
         1,
         {0.95, 0.85, 0.82, 0.70, 0.81},
         3,
         false},
        {"nothing within the margin", 1, {0.95, 0.79}, 1, false},
        {"best below 0.7", 1, {0.69}, 1, true},
        {"best exactly 0.7", 1, {0.70}, 1, false},
        {"occurs twice, found once", 2, {0.99}, 1, true},
        {"occurs twice, second best decides", 2, {0.99, 0.75, 0.61, 0.59}, 3, false},
        {"not found", 1, {}, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        xc_OCExtractCharResult r;
        r.numOccurrences(c.occurrences);
        for (std::size_t i = 0; i < c.scores.size(); ++i) {
            xc_OCExtractCharInstance inst;
            inst.score = c.scores[i];
            inst.pose =
                xcXform<2>(xcMatrix<2>::rotation(xcRadian(0.1), 2.0), xcVector<2>(double(i), 5.0));
            xc_OCExtractTestAccess::append(r, inst);
        }
        xc_CharData data;
        std::vector<xc_Pose> poses;
        std::vector<double> scores;
        xf_ArrangeTakeCandidates_(r, data, poses, scores);
        EXPECT_EQ(data.numCandidates, c.numCandidates);
        EXPECT_EQ(data.allowUnmatched, c.allowUnmatched);
        EXPECT_EQ(data.hasCandidates, !c.scores.empty());
        EXPECT_EQ(scores, c.scores);
        ASSERT_EQ(poses.size(), c.scores.size());
        for (std::size_t i = 0; i < poses.size(); ++i) {
            EXPECT_NEAR(poses[i].angle.toDouble(), 0.1, 1e-12);
            EXPECT_NEAR(poses[i].scale, 2.0, 1e-12);
            EXPECT_EQ(poses[i].translation, xcVector<2>(double(i), 5.0));
        }
    }
}
