#pragma once

#include <QPoint>
#include <QWidget>

namespace vantora {

class TrendPageModel;
struct TrendPlotLayout;

// The six trend plots of a TrendPageModel, worked by keys and mouse: Left
// and Right move the time by a tenth of the view (Ctrl: half), + and -
// zoom, Home and End go to the store's ends, Enter opens the recording under
// the cursor; the wheel zooms around the pointer, dragging moves the time,
// the pointer moves the cursor and a click opens its recording. Keys put the
// cursor in the middle of the view.
class TrendView : public QWidget {
    Q_OBJECT
public:
    TrendView(TrendPageModel& model, QWidget* parent);

    // The plots' layout in the widget now.
    TrendPlotLayout plotLayout() const;
    // The widget x of an instant, and back.
    double xAt(qint64 at) const;
    qint64 timeAtX(double x) const;

signals:
    // The view or the cursor changed.
    void changed();
    // Enter or a click: open the cursor's recording.
    void openRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void cursorToCentre();
    void afterChange();

    TrendPageModel& model_;
    QPoint pressedAt_;
    QPoint lastDragAt_;
    bool dragging_ = false;
    bool pressed_ = false;
};

} // namespace vantora
