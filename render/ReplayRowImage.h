#pragma once

#include "render/StripPointList.h"

#include <QImage>

#include <optional>

namespace vantora {

// One row image of the replay page's recording list: a 32 px grid band with
// the whole recording in blue, on a 39 px high image whose lower band is the
// page background.
struct ReplayRowImage {
    static constexpr int kHeight = 39;
    static constexpr int kGridHeight = 32;

    // points: the row's list from buildReplayRowPoints, x measured in the image.
    static QImage render(int width, const StripPointList& points, qreal ratio = 1);
    // Draws the green selection mark (pen width 3, 32 px high) from x, moved
    // left when it would run past the right end.
    static void drawSelectionMark(QImage& image, int x, int markWidth);
    // The mark's width: the share of the recording the detail strip shows.
    static int selectionMarkWidth(int columnWidth, int detailWidth, double entriesPerSample);
};

} // namespace vantora
