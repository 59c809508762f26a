#pragma once

#include <QColor>
#include <QRect>

class QImage;
class QPainter;

namespace vantora {

class LiveTrace;

// Paints the real-time monitor: paper, a 3 px/mm grid (major squares of
// 15 px = 5 mm) and the sweeping trace with its erase bar. Pixel probes in
// LiveTracePainterTest check the colours and the gap.
namespace live_paint {

inline const QColor kPaper{251, 255, 229};
inline const QColor kMajorGrid{229, 129, 149};
inline const QColor kMinorGrid{227, 197, 203};
inline const QColor kTrace{0, 0, 255};
inline const QColor kCalibration{255, 0, 0};
constexpr int kSquarePx = 15;   // 5 mm
constexpr int kMinorStepPx = 3; // 1 mm
constexpr int kGridTop = 10;    // horizontal lines start here

// The paper and grid alone, drawn once per control size.
QImage gridImage(int width, int height, qreal ratio = 1);

// Fills the whole image (the off-screen buffer of the control). With a grid
// image of the same size and format the grid is copied from it, not drawn.
void paintTrace(QImage& image, const LiveTrace& trace, const QImage* grid = nullptr);

// The 1 mV step (30 px at 10 mm/mV) just left of the trace control, whose
// rectangle is given in the painter's coordinates.
void paintCalibrationMark(QPainter& painter, const QRect& traceRect);

} // namespace live_paint

} // namespace vantora
