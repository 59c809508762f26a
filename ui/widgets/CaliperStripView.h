#pragma once

#include "render/Calipers.h"
#include "render/DetailReduction.h"
#include "ui/widgets/DetailStripView.h"

#include <vector>

namespace vantora {

// The replay page's large trace: the detail strip showing a stretch of the
// recording on the screen strip scale, chosen by a position in the
// recording's list row, with the strip's wheel zoom, left-button pan and
// right-button vertical stretch. Shift and the left button drag caliper
// markers; Escape clears them. The tooltip names these gestures.
class CaliperStripView : public DetailStripView {
    Q_OBJECT
public:
    explicit CaliperStripView(QWidget* parent = nullptr);

    // Shows a recording from the stretch at selectionX of a list row rowWidth
    // pixels wide (the start of the recording by default).
    void showRecording(const std::vector<int32_t>& samples, int gain, int selectionX = 0,
                       int rowWidth = 1);
    void clearRecording();
    // Moves the stretch shown; calipers are cleared.
    void showStretch(int selectionX, int rowWidth);
    int columns() const { return columns_; }
    // The reduction of the recording shown (empty without one or when the
    // window is too narrow) and the entry in its first column.
    const DetailReduction& reduction() const { return reduction_; }
    int firstEntry() const { return first_; }

    const Calipers& calipers() const { return calipers_; }
    // The reading of the markers shown; none without markers.
    std::optional<CaliperReading> reading() const;

signals:
    // The strip was filled again (a recording, a stretch or a new width).
    void stretchShown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fillStrip();

    std::vector<int32_t> samples_;
    int gain_ = 1;
    int selectionX_ = 0;
    int rowWidth_ = 1;
    DetailReduction reduction_;
    int first_ = 0;
    int columns_ = 0;
    Calipers calipers_;
    bool measuring_ = false; // Shift+left drag in progress
};

} // namespace vantora
