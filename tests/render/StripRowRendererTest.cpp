#include "render/StripRowRenderer.h"
#include "render/StripPointBuilder.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <vector>

using namespace vantora;

namespace {

const QColor kLarge(0xE4, 0x80, 0x94);
const QColor kSmall(0xE4, 0xC6, 0xCA);
const QColor kMargin(0xB4, 0xC8, 0xFF);

QColor at(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

StripPointList pointsOf(const std::vector<int32_t>& samples) {
    StripRows rows;
    rows.fill(StripRow{0, 160});
    return buildStripPoints(samples, rows, 1);
}

QImage row(int gain, int height, const StripPointList& list, int index = 0) {
    return renderAnalysisRow(index, QSize(783, height), gain, list, {}, {});
}

} // namespace

TEST(StripRowRenderer, GridLinesSitOnTheirPixels) {
    const QImage image = row(1, 160, StripPointList{});
    EXPECT_EQ(at(image, 5, 130), kMargin);
    EXPECT_EQ(at(image, 22, 5), kLarge); // first large-square line, between columns
    EXPECT_EQ(at(image, 22, 20), kLarge);
    EXPECT_EQ(at(image, 22, 8), kSmall);
    EXPECT_EQ(at(image, 22, 17), kSmall);
    EXPECT_EQ(at(image, 22, 7), Qt::white);
    EXPECT_EQ(at(image, 30, 3), Qt::white); // a large column starts at T + 5
    EXPECT_EQ(at(image, 30, 7), kLarge);
    EXPECT_EQ(at(image, 90, 2), kLarge); // every fifth column starts at T + 1
    EXPECT_EQ(at(image, 18, 30), kSmall);
    EXPECT_EQ(at(image, 780, 31), kLarge); // last column: 15 + 15 * 51
}

TEST(StripRowRenderer, CalibrationBracketAtTheMiddleLine) {
    // H = 160: k = (10 + 1) / 2 = 5, the line at y = 80; 1 mV = 15 px above and below.
    const QImage g1 = row(1, 160, StripPointList{});
    const QColor red(Qt::red);
    EXPECT_EQ(at(g1, 10, 80), red);
    EXPECT_EQ(at(g1, 10, 66), red);
    EXPECT_EQ(at(g1, 12, 65), red);
    EXPECT_EQ(at(g1, 12, 95), red);
    EXPECT_NE(at(g1, 10, 62), red);
    // Gain 2: 60 px tall bracket.
    const QImage g2 = row(2, 160, StripPointList{});
    EXPECT_EQ(at(g2, 10, 52), red);
    EXPECT_EQ(at(g2, 12, 50), red);
    EXPECT_EQ(at(g2, 12, 110), red);
    EXPECT_NE(at(g1, 12, 50), red);
}

TEST(StripRowRenderer, GainLabelIsWrittenBesideTheBracket) {
    auto inkInLabelArea = [](const QImage& image, int top, int bottom) {
        int ink = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < 9; ++x)
                ink += at(image, x, y) != kMargin;
        return ink;
    };
    const QImage g1 = row(1, 160, StripPointList{});
    const QImage g2 = row(2, 160, StripPointList{});
    // The label runs upward from y + h; with gain 2 it starts 15 px lower.
    EXPECT_GT(inkInLabelArea(g1, 50, 95), 20);
    EXPECT_GT(inkInLabelArea(g2, 96, 110), 5);
    EXPECT_EQ(inkInLabelArea(g1, 96, 110), 0);
}

TEST(StripRowRenderer, RowShorterThanALargeSquare) {
    const QImage image = row(1, 10, StripPointList{});
    EXPECT_EQ(at(image, 22, 5), kLarge);
    EXPECT_EQ(at(image, 10, 5), QColor(Qt::red)); // bracket through the one line
    EXPECT_EQ(at(image, 10, 0), QColor(Qt::red));
    EXPECT_EQ(at(image, 22, 8), kSmall);
}

TEST(StripRowRenderer, TraceIsBlackAndTheSelectedStretchRed) {
    std::vector<int32_t> samples(7500, 512 + 175); // y = 50 in every row
    const StripPointList list = pointsOf(samples);
    const QImage plain = row(1, 160, list);
    EXPECT_EQ(at(plain, 200, 50), QColor(Qt::black));
    EXPECT_EQ(at(plain, 200, 51), Qt::white);

    const RowCursor first{0, 100};
    const RowCursor second{0, 300};
    const QImage selected = renderAnalysisRow(0, QSize(783, 160), 1, list, first, second);
    EXPECT_EQ(at(selected, 200, 50), QColor(Qt::red));
    EXPECT_EQ(at(selected, 400, 50), QColor(Qt::black));
    EXPECT_EQ(at(selected, 50, 50), QColor(Qt::black));
    // The cursors: black lines from T + 5 down.
    EXPECT_EQ(at(selected, 100, 120), QColor(Qt::black));
    EXPECT_EQ(at(selected, 300, 10), QColor(Qt::black));
    EXPECT_NE(at(selected, 300, 3), QColor(Qt::black));
}

TEST(StripRowRenderer, SelectionAcrossRowsAndCursorsOnlyInTheirRow) {
    const StripPointList list = pointsOf(std::vector<int32_t>(7500, 512 + 175));
    const RowCursor first{2, 400};
    const RowCursor second{0, 600};
    const QImage r0 = renderAnalysisRow(0, QSize(783, 160), 1, list, first, second);
    const QImage r1 = renderAnalysisRow(1, QSize(783, 160), 1, list, first, second);
    const QImage r2 = renderAnalysisRow(2, QSize(783, 160), 1, list, first, second);
    EXPECT_EQ(at(r0, 500, 50), QColor(Qt::black));
    EXPECT_EQ(at(r0, 700, 50), QColor(Qt::red));
    EXPECT_EQ(at(r1, 200, 50), QColor(Qt::red));
    EXPECT_EQ(at(r2, 300, 50), QColor(Qt::red));
    EXPECT_EQ(at(r2, 500, 50), QColor(Qt::black));
    EXPECT_EQ(at(r1, 400, 120), Qt::white); // no cursor in row 1
    EXPECT_EQ(at(r2, 400, 120), QColor(Qt::black));
}

TEST(StripRowRenderer, RunsOutsideTheRowStayOpen) {
    std::vector<int32_t> samples(7500, 512);
    for (int i = 500; i < 900; ++i)
        samples[size_t(i)] = 1023; // clamped to y = 0
    const QImage image = row(1, 160, pointsOf(samples));
    // The trace rises to the edge and leaves nothing drawn along it.
    EXPECT_EQ(at(image, 15 + int(700 * 0.3068f), 0), Qt::white);
    EXPECT_EQ(at(image, 15 + int(300 * 0.3068f), 80), QColor(Qt::black));
}

TEST(StripRowRenderer, RowsOverTheSharedBackgroundMatchRowsDrawnWhole) {
    std::vector<int32_t> samples(7500);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int32_t(512 + (i * 37) % 400 - 200); // steep zigzag, clipped in places
    const StripPointList list = pointsOf(samples);
    // Alternate sizes and gains so every row follows one drawn for another key.
    const struct {
        int height, gain, row;
    } keys[] = {{160, 1, 0}, {160, 2, 1}, {10, 1, 2}, {160, 1, 1}, {160, 2, 2}, {10, 1, 0}};
    for (const auto& k : keys) {
        QImage whole(QSize(783, k.height), QImage::Format_ARGB32_Premultiplied);
        whole.fill(Qt::white);
        QPainter painter(&whole);
        DrawStripRow(painter, QRect(15, 0, 767, k.height), k.gain, list, k.row * 767,
                     k.row * 767 + 766, StripTraceStyle{Qt::black, std::nullopt, Qt::red});
        painter.end();
        EXPECT_EQ(row(k.gain, k.height, list, k.row), whole)
            << "height " << k.height << ", gain " << k.gain << ", row " << k.row;
    }
}
