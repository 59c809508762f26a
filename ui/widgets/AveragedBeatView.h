#pragma once

#include "render/AveragedBeatPanel.h"

#include <QWidget>

namespace vantora {

class AnalysisPageModel;

// The averaged-beat panel's window: takes the page's beat whenever the shown
// results changed and copies the panel's picture stretched to its client
// rectangle on every paint.
class AveragedBeatView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 265; // one beat sample per pixel
    static constexpr int kHeight = 210;

    AveragedBeatView(const AnalysisPageModel& model, QWidget* parent);

    // The panel as the next paint shows it.
    AveragedBeatPanel& panel();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const AnalysisPageModel& model_;
    AveragedBeatPanel panel_;
    int shownRevision_ = -1;
};

} // namespace vantora
