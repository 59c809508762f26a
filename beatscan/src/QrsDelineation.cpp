// QRS onset and end on the averaged beat (R peak at 125, 4 ms per sample).
// The onset walks left from the R peak while the level keeps changing, then
// refines toward R at the first clear bend whose change grows toward R; the
// end walks right from 20 ms after R until the change behind stops falling
// and is small. QrsDelineationTest checks both on built beats and their
// limits (onset 100..122, end 131..145).
#include "Delineation.h"

namespace beatscan {
namespace {

constexpr int OnsetWalkFirst = 8;     // samples before R, 32 ms
constexpr int OnsetWalkLimit = 25;    // samples before R, 100 ms
constexpr int OnsetMinimumOffset = 6; // samples, 24 ms
constexpr int OnsetRefineEnd = 123;   // refinement stops short of 8 ms before R
constexpr int OnsetRefineRestart = 121;
constexpr int OnsetCurvatureStart = 15; // halved while above 4: 15, 7, 3
constexpr int OnsetCurvatureFloor = 4;
constexpr int EndWalkFirst = 130; // 20 ms after R
constexpr int EndWalkLimit = 145; // 80 ms after R

int32_t coarseOnsetOffset(const TemplateMeasures& m) {
    const int64_t ref = m.BackwardChange(TemplateCentre, 2);
    int32_t off = OnsetWalkLimit;
    int64_t cur = 1000;
    for (int k = OnsetWalkFirst; k < OnsetWalkLimit; ++k) {
        const int64_t prev = cur;
        cur = m.ForwardChange(TemplateCentre - k, 2);
        if (cur < prev || cur > ref / 4) {
            off = k;
        } else {
            break;
        }
    }
    return off > OnsetMinimumOffset ? off : OnsetMinimumOffset;
}

} // namespace

int32_t findQrsOnset(const TemplateMeasures& m) {
    const int32_t off = coarseOnsetOffset(m);
    int64_t t = OnsetCurvatureStart;
    for (int j = TemplateCentre - off; j < OnsetRefineEnd; ++j) {
        const int64_t curv = m.Curv(j, 2);
        if ((curv < -t || curv > t) && 3 * m.BackwardChange(j, 2) < 2 * m.ForwardChange(j, 2)) {
            return j;
        }
        if (j == OnsetRefineRestart && t > OnsetCurvatureFloor) {
            t /= 2;
            j = TemplateCentre - off; // the increment makes the next pass start one later
        }
    }
    return TemplateCentre - off;
}

int32_t findQrsEnd(const TemplateMeasures& m) {
    const int64_t ref = m.ForwardChange(TemplateCentre, 1);
    int64_t cur = 10000;
    int i = EndWalkFirst;
    while (i < EndWalkLimit) {
        const int64_t prev = cur;
        cur = m.BackwardChange(i, 1);
        ++i;
        if (cur >= prev && cur < ref / 10) {
            break;
        }
    }
    return i;
}

} // namespace beatscan
