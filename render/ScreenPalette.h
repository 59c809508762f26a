#pragma once

#include <QColor>

namespace vantora::palette {

// Screen colours of the paper grid and traces (opaque).
inline const QColor kLargeSquare{0xE4, 0x80, 0x94};
inline const QColor kSmallSquare{0xE4, 0xC6, 0xCA};
inline const QColor kPaper{0xFB, 0xFF, 0xE5};  // detail strip
inline const QColor kMargin{0xB4, 0xC8, 0xFF}; // beside a strip
inline const QColor kCalibration{0xFF, 0x00, 0x00};
inline const QColor kTrace{0x00, 0x00, 0xFF};
inline const QColor kAnalysisTrace{0x00, 0x00, 0x00};
inline const QColor kSelectedTrace{0xFF, 0x00, 0x00};
inline const QColor kMarker{0x7D, 0x7D, 0x7D};
inline const QColor kSelectionMark{0x00, 0xFF, 0x00};

} // namespace vantora::palette
