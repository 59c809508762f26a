#pragma once

#include <QImage>
#include <QWidget>

#include <array>

namespace vantora {

class AnalysisPageModel;

// The analysis page's three 10 s rows. Each row is rendered once into an
// image and kept; a click reports its pixel to the page.
class AnalysisRowList : public QWidget {
    Q_OBJECT
public:
    AnalysisRowList(const AnalysisPageModel& model, QWidget* parent);

    // Drops the kept row images and repaints.
    void redrawRows();
    QSize sizeHint() const override;

signals:
    void rowClicked(int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const AnalysisPageModel& model_;
    std::array<QImage, 3> rows_;
};

} // namespace vantora
