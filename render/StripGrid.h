#pragma once

#include <QRect>
#include <QString>

class QPainter;

namespace vantora {

// The screen strip scale: 1 mm = 3 px, a large square 15 px, 1 mV = 30 px x gain.
namespace grid {
constexpr int kSmallStep = 3;
constexpr int kLargeStep = 15;
constexpr int kTopOffset = 5; // first large-square line below a strip's top
} // namespace grid

// Integer coordinates name pixels; a 1 px line through their centres covers
// exactly one pixel row or column even with anti-aliasing.
constexpr double kPixelCentre = 0.5;

// "%dmm/1mv" of 10 x gain.
QString gainLabel(int gain);

// Writes text reading upwards with the top of its glyph cell at x, starting
// at y and running up (a 90 degree counter-clockwise escapement).
void drawUpwardText(QPainter& painter, int x, int y, const QString& text, int pixelHeight);

// Grid, calibration bracket and gain label of a screen strip row in `rect`
// (left L, top T, right R, bottom B); the bracket lies in the 5 px left of L.
void drawStripRowGrid(QPainter& painter, const QRect& rect, int gain);

} // namespace vantora
