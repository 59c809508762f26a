// Download thumbnails on the recorder's display scale (32 px band, zero line
// at y = 27), clipped to the band 6..32. Tested by tests/render/DownloadPointListTest.cpp.
#include "render/DownloadPointList.h"

#include "core/SignalFormat.h"
#include "render/StripPointBuilder.h"

#include <algorithm>

namespace vantora {

namespace {
constexpr int kBandTop = 6;
constexpr int kBandBottom = 32;
constexpr int kAboveBand = 7; // one pixel inside the top bound
} // namespace

void DownloadPointList::addBlock(int recording, int block, std::span<const int32_t> samples,
                                 int cellLeft, int cellRight) {
    if (recording < 0 || block < 0 || block >= kBlocksPerRecording)
        return;
    const size_t first = size_t(kBlocksPerRecording * recording + block) * kSamplesPerBlock;
    const float scale = float((cellRight - cellLeft) * (1.0 / kSamplesPerRecording));
    const int origin = (block == 0 || list_.empty()) ? cellLeft : list_.points.back().x();
    if (block == 0)
        clip_ = BandClip{kBandTop, kBandBottom, kAboveBand};

    // A block lands at its own positions even when an earlier one never came:
    // the gap is held by move points so nothing is joined across it.
    const size_t end = first + kSamplesPerBlock;
    if (list_.points.size() < end) {
        list_.points.resize(end, QPoint(origin, displayScaleY(kSampleBaseline)));
        list_.types.resize(end, kPointMove);
    }
    const int count = std::min<int>(int(samples.size()), kSamplesPerBlock);
    for (int i = 0; i < count; ++i) {
        const int x = int(double(float(i) * scale) + 0.5 + origin);
        int y = displayScaleY(samples[i]);
        uint8_t type = clip_.clip(y);
        if (block == 0 && i == 0)
            type = kPointMove;
        list_.points[first + i] = QPoint(x, y);
        list_.types[first + i] = type;
    }
}

void DownloadPointList::clear() {
    list_.clear();
    clip_ = BandClip{kBandTop, kBandBottom, kAboveBand};
}

} // namespace vantora
