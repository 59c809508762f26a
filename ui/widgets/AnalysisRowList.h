#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>

#include <array>

namespace vantora {

class AnalysisPageModel;

// The analysis page's three 10 s rows. Each row is rendered once into an
// image and kept; a click reports its pixel to the page. From the keyboard a
// caret stands for the mouse: Left and Right move it one pixel (Ctrl: ten),
// running on into the neighbouring row at a row's end; Up and Down change the
// row, Home and End go to the row's ends; Enter or Space reports the caret's
// pixel as a click would.
class AnalysisRowList : public QWidget {
    Q_OBJECT
public:
    AnalysisRowList(const AnalysisPageModel& model, QWidget* parent);

    // Drops the kept row images and repaints.
    void redrawRows();
    QSize sizeHint() const override;

    // The keyboard's pixel of the list, as a click would give it.
    QPoint caret() const { return caret_; }
    // `from` moved by dx pixels along the rows: past a row's right end onto
    // the next row's start, before its left start onto the previous row's
    // end; the first row's start and the last row's end stop it.
    static QPoint caretMovedBy(QPoint from, int dx);

signals:
    void rowClicked(int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void moveCaret(QPoint to);

    const AnalysisPageModel& model_;
    std::array<QImage, 3> rows_;
    QPoint caret_;
};

} // namespace vantora
