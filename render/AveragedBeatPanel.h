#pragma once

#include "render/AveragedBeatLayout.h"

#include <QImage>
#include <QSize>

#include <optional>

namespace vantora {

// The analysis page's averaged-beat panel: a cached grid (7 px per mm, 70 px
// per mV) with its calibration bracket and the PR/QRS/QT legend, and on a
// copy of it the beat, the interval segments and the four wave markers.
class AveragedBeatPanel {
public:
    // Takes a new result; the layout is computed again on the next picture.
    void setData(const AveragedBeat& beat, const ParameterBlock& parameters);
    // Drops the data, the layout and the beat picture.
    void clear();
    bool hasData() const { return data_.has_value(); }

    // The picture for a client of `size`: the beat picture when a beat is
    // shown, otherwise the cached grid. The grid is built once per size.
    const QImage& picture(QSize size, qreal ratio = 1);
    // The layout of the current beat, computed by the last picture() call.
    const std::optional<AveragedBeatLayout>& layout() const { return layout_; }

    static QImage renderGrid(QSize size, qreal ratio = 1);

private:
    struct Data {
        AveragedBeat beat;
        ParameterBlock parameters;
    };
    std::optional<Data> data_;
    std::optional<AveragedBeatLayout> layout_;
    QImage grid_;
    QImage beatPicture_;
};

} // namespace vantora
