#pragma once

#include <QWidget>

namespace vantora {

class AveragedBeatPanel;

// The averaged-beat panel's window: copies the panel's current picture
// stretched to its client rectangle on every paint.
class CAveragedBeatWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 265; // one beat sample per pixel
    static constexpr int kHeight = 210;

    CAveragedBeatWnd(AveragedBeatPanel& panel, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    AveragedBeatPanel& panel_;
};

} // namespace vantora
