#pragma once

#include "core/RecordingMode.h"
#include "render/RecordRows.h"

#include <QWidget>

#include <vector>

namespace vantora {

// The record management page's preview: the selected recording in three
// 10 s rows, rendered once per recording and gain and kept until then.
class RecordPreview : public QWidget {
    Q_OBJECT
public:
    explicit RecordPreview(QWidget* parent = nullptr);

    // Renders the rows of `samples` (none: empty grids).
    void showRecording(const std::vector<int32_t>& samples, RecordingMode mode, int gain);
    const RecordRowImages& rows() const { return rows_; }
    bool hasRecording() const { return hasRecording_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    RecordRowImages rows_;  // one pixel a pixel: what "Save picture" writes
    RecordRowImages shown_; // at the screen's scale, made on the first paint
    std::vector<int32_t> samples_;
    RecordingMode mode_ = RecordingMode::None;
    int gain_ = 1;
    bool hasRecording_ = false;
};

} // namespace vantora
