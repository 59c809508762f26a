#pragma once

#include "render/Calipers.h"
#include "ui/widgets/DetailStripView.h"

#include <vector>

namespace vantora {

// The replay page's large trace: the detail strip with its left-button pan
// and wheel zoom, where the right button drags caliper markers instead and
// Escape clears them.
class CaliperStripView : public DetailStripView {
    Q_OBJECT
public:
    explicit CaliperStripView(QWidget* parent = nullptr);

    // Shows a recording: its samples reduced to the window's columns.
    void showRecording(const std::vector<int32_t>& samples, int gain);
    void clearRecording();
    int columns() const { return columns_; }

    const Calipers& calipers() const { return calipers_; }
    // The reading of the markers shown; none without markers.
    std::optional<CaliperReading> reading() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fillStrip();

    std::vector<int32_t> samples_;
    int gain_ = 1;
    int columns_ = 0;
    Calipers calipers_;
};

} // namespace vantora
