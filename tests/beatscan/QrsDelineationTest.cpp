// QRS onset and end on hand-built averaged beats.
#include "Delineation.h"
#include "support/BuiltBeats.h"

#include <gtest/gtest.h>

namespace beatscan {
namespace {

using builtbeats::flat;

// Flat at 0 up to 112, rising by 100 per sample to the R peak at 125 (1300),
// falling back to 0 by 138.
AveragedBeat kneeAt112() {
    AveragedBeat a = flat(0);
    for (int k = 113; k <= 125; ++k) {
        a[k] = 100 * (k - 112);
    }
    for (int k = 126; k < 138; ++k) {
        a[k] = 1300 - 100 * (k - 125);
    }
    return a;
}

TEST(QrsOnset, FlatBeatStopsTheWalkAfterItsFirstStep) {
    // The first step always moves the onset to 8 before R: the change there
    // is the reference change itself. On a flat beat the walk then stops and
    // no curvature qualifies.
    EXPECT_EQ(findQrsOnset(TemplateMeasures(flat(512))), 117);
}

TEST(QrsOnset, RefinementFindsTheFirstClearBendBeforeTheRise) {
    // The coarse walk runs to 21 before R (the change ahead keeps falling);
    // the refinement from 104 meets its first curvature above 15 at 111,
    // where the bend at 112 comes into reach of the +-2 curvature.
    EXPECT_EQ(findQrsOnset(TemplateMeasures(kneeAt112())), 111);
}

TEST(QrsOnset, StaysBetween100And122) {
    for (int32_t height : {-3000, -20, 5, 40, 800, 100000}) {
        AveragedBeat a = flat(0);
        for (int k = 0; k < TemplateLength; ++k) {
            a[k] = (k * k * 7 + k * height) % 997; // a rough shape
        }
        a[125] = height;
        const int32_t qb = findQrsOnset(TemplateMeasures(a));
        EXPECT_GE(qb, 100) << height;
        EXPECT_LE(qb, 122) << height;
    }
}

TEST(QrsEnd, NeverFallingBelowATenthGives145) {
    EXPECT_EQ(findQrsEnd(TemplateMeasures(flat(512))), 145);
}

TEST(QrsEnd, StopAtTheFirstPositionGives131) {
    // With X = 100000 and d = -30000: the reference change at R is 3X + d =
    // 270000, and the change behind 130 is X + 3d = 10000, not below the
    // start value 10000 and below a tenth of the reference.
    constexpr int32_t X = 100000;
    constexpr int32_t d = -30000;
    AveragedBeat a = flat(0);
    a[127] = X;
    a[128] = X;
    a[129] = X + d;
    a[130] = X + d;
    EXPECT_EQ(findQrsEnd(TemplateMeasures(a)), 131);
}

TEST(QrsEnd, EndsOnePastWhereTheChangeStopsFalling) {
    // Falling edge of the knee beat: the change behind falls until the slope
    // has passed, then stays 0 below a tenth of the reference.
    const int32_t se = findQrsEnd(TemplateMeasures(kneeAt112()));
    EXPECT_GT(se, 131);
    EXPECT_LE(se, 145);
    const TemplateMeasures m(kneeAt112());
    EXPECT_LT(m.BackwardChange(se - 1, 1), m.ForwardChange(125, 1) / 10);
    EXPECT_GE(m.BackwardChange(se - 1, 1), m.BackwardChange(se - 2, 1));
}

} // namespace
} // namespace beatscan
