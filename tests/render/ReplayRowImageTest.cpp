#include "render/ReplayRowImage.h"
#include "render/DetailReduction.h"
#include "render/StripPointBuilder.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vantora;

TEST(ReplayRowImage, GridBandTraceAndBackground) {
    const std::vector<int32_t> samples(7500, 512);
    const QImage image = ReplayRowImage::render(750, buildReplayRowPoints(samples, 0, 750));
    EXPECT_EQ(image.size(), QSize(750, 39));
    EXPECT_EQ(image.pixelColor(7, 5), QColor(0xE4, 0x80, 0x94));
    EXPECT_EQ(image.pixelColor(7, 20), QColor(0xE4, 0x80, 0x94));
    EXPECT_EQ(image.pixelColor(7, 23), QColor(0xE4, 0xC6, 0xCA));
    EXPECT_EQ(image.pixelColor(100, 27), QColor(Qt::blue)); // zero line at y = 27
    EXPECT_EQ(image.pixelColor(100, 36), QColor(0xB4, 0xC8, 0xFF));
    EXPECT_EQ(image.pixelColor(75, 2), QColor(0xE4, 0x80, 0x94)); // fifth column from y = 1
    EXPECT_EQ(image.pixelColor(90, 2), Qt::white);
}

// The green mark on a thumbnail row and the stretch the detail strip shows
// from the same selection: the mark starts at the selection and moves left
// at the row's end exactly as the stretch is held back at the recording's end.
TEST(ReplayRowImage, SelectionMarkAndStretchAgreeAtTheRowEnds) {
    constexpr int kRow = 236;
    constexpr int kDetail = 740;
    std::vector<int32_t> samples(7500, 512);
    const DetailReduction r = DetailReduction::compute(samples, kDetail);
    const int mark = ReplayRowImage::selectionMarkWidth(kRow, kDetail, r.ratio);
    EXPECT_EQ(mark, int(kRow * (kDetail - 15) / (r.ratio * 7500)));
    const int lastLeft = kRow - 1 - mark; // the mark ends on the row's last pixel
    struct Case {
        int x;
        int left; // where the mark is drawn
    };
    for (const Case c : {Case{0, 0}, Case{100, 100}, Case{lastLeft, lastLeft},
                         Case{lastLeft + 1, lastLeft}, Case{kRow - 1, lastLeft}}) {
        QImage image = ReplayRowImage::render(kRow, StripPointList{});
        ReplayRowImage::drawSelectionMark(image, c.x, mark);
        EXPECT_EQ(image.pixelColor(c.left, 15), QColor(Qt::green)) << c.x;
        EXPECT_EQ(image.pixelColor(c.left + mark, 15), QColor(Qt::green)) << c.x;
        EXPECT_NE(image.pixelColor(c.left + mark / 2, 15), QColor(Qt::green)) << c.x;
        if (c.left >= 3) {
            EXPECT_NE(image.pixelColor(c.left - 3, 15), QColor(Qt::green)) << c.x;
        }
        // The strip's first entry lies where the mark starts, within a pixel.
        const double entriesPerPixel = r.ratio * 7500 / kRow;
        EXPECT_NEAR(r.firstEntry(kDetail, c.x, kRow) / entriesPerPixel, c.left, 1.0) << c.x;
    }
}
