#pragma once

#include "render/StripPointList.h"

#include <cstdint>
#include <span>

namespace vantora {

// The download list's thumbnails: one point list for all received recordings,
// built block by block as the recorder sends them. Block b of recording a owns
// points (15a + b) * 500 ... + 499; a block received again replaces its points.
class DownloadPointList {
public:
    static constexpr int kBlocksPerRecording = 15;
    static constexpr int kSamplesPerBlock = 500;

    // samples: the block decoded into 500 samples; cellLeft/cellRight: the
    // row's thumbnail cell, across which a whole recording spans.
    void addBlock(int recording, int block, std::span<const int32_t> samples, int cellLeft,
                  int cellRight);
    void clear();
    const StripPointList& points() const { return list_; }

private:
    StripPointList list_;
    BandClip clip_;
};

} // namespace vantora
