// Local measures on the averaged beat (250 values at 250 samples/s, R peak at
// element 125) that wave delineation judges it by.
#pragma once

#include "AnalysisState.h"
#include "FilterTables.h"

#include <array>
#include <cassert>
#include <cstdint>

namespace beatscan {

// Every position passed must keep all samples read inside 0..249; the callers
// in delineation guarantee that for every averaged beat.
class TemplateMeasures {
public:
    explicit TemplateMeasures(const AveragedBeat& beat);

    int32_t value(int x) const {
        assert(x >= 0 && x < TemplateLength);
        return A[x];
    }

    // Symmetric sharpening with SharpTable kernel h, truncated.
    int32_t Sharpen(int x, int h) const {
        if (h == DelineationSharpen) {
            assert(x >= h && x < TemplateLength - h);
            return sharpened[x];
        }
        return sharpenOther(x, h);
    }
    // (2 Sharpen(x, 4) + Sharpen(x + 2, 4) + Sharpen(x - 2, 4)) / 4.
    int32_t Smooth3(int x) const;
    // One-sided edge filter: EdgeTable kernel h over x..x + h, truncated.
    int32_t RightEdge(int x, int h) const {
        for (int e = 0; e < 2; ++e) {
            if (h == DelineationEdges[e]) {
                assert(x >= 0 && x < TemplateLength - h);
                return edges[e][x];
            }
        }
        return rightEdgeOther(x, h);
    }
    // RightEdge values around x smoothed with GaussTable kernel g.
    double SmoothedEdge(int x, int g, int h) const { return OffsetEdge(x, x, g, h); }
    // As SmoothedEdge(x, g, h), but the centre weight falls on position q.
    double OffsetEdge(int x, int q, int g, int h) const {
        double acc = 0.0;
        for (int k = 1; k <= g; ++k) {
            acc += RightEdge(x + k, h) * gaussWeight(g, g - k);
            acc += RightEdge(x - k, h) * gaussWeight(g, g - k);
        }
        acc += RightEdge(q, h) * gaussWeight(g, g);
        return acc;
    }
    // 2 A[x] + sum over k = 1..h of (A[x + k] + A[x - k]) / k.
    int64_t Level(int x, int h) const;
    // |Level(i + h, h) - Level(i + 3h, h)|: level change to the right of i.
    int64_t ForwardChange(int i, int h) const;
    // |Level(i - h, h) - Level(i - 3h, h)|: level change to the left of i.
    int64_t BackwardChange(int i, int h) const;
    // Sum over k = 1..h of (2 A[i] - A[i + k] - A[i - k]); positive at a peak.
    int64_t Curv(int i, int h) const;
    // Mean of A[s] .. A[e - 1], truncated; needs e > s.
    int32_t Mean(int s, int e) const;

    // The kernels delineation uses, filled for every position at once.
    static constexpr int DelineationSharpen = 4;
    static constexpr int DelineationEdges[] = {4, 5};

private:
    // Delineation asks for the same filtered values many times over: those of
    // its kernels are computed up front (in one vectorised pass each), any
    // other once per beat on first use.
    struct Memo {
        std::array<int32_t, TemplateLength> values;
        std::array<bool, TemplateLength> known{};

        template <typename Compute> int32_t get(int x, Compute compute);
    };

    int32_t sharpenOther(int x, int h) const;
    int32_t rightEdgeOther(int x, int h) const;
    int32_t computeSharpen(int x, int h) const;
    int32_t computeRightEdge(int x, int h) const;

    const AveragedBeat A;                            // a copy, so a measure never outlives its beat
    std::array<int32_t, TemplateLength> sharpened{}; // Sharpen(x, 4), x = 4..245
    std::array<std::array<int32_t, TemplateLength>, 2> edges{}; // RightEdge(x, 4 | 5)
    mutable std::array<Memo, SharpMaxHalfWidth + 1> sharpenMemo;
    mutable std::array<Memo, EdgeMaxLength + 1> rightEdgeMemo;
};

// Cosine of the angle at the middle of three points: -1 on a straight line,
// larger the sharper the bend.
double BendCosine(double x1, double y1, double x2, double y2, double x3, double y3);

} // namespace beatscan
