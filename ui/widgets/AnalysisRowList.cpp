#include "ui/widgets/AnalysisRowList.h"

#include "core/StringIds.h"
#include "render/AnalysisPageModel.h"
#include "render/StripGeometry.h"
#include "render/StripRowRenderer.h"
#include "ui/widgets/Accessible.h"

#include <QMouseEvent>
#include <QPainter>

namespace vantora {

AnalysisRowList::AnalysisRowList(const AnalysisPageModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setFixedSize(sizeHint());
    accessible::name(this, ids::kA11yEcgRows);
}

QSize AnalysisRowList::sizeHint() const {
    return QSize(strip::kAnalysisRowWidth, strip::kRowCount * strip::kAnalysisRowHeight);
}

void AnalysisRowList::redrawRows() {
    for (QImage& row : rows_)
        row = QImage();
    update();
}

void AnalysisRowList::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (int r = 0; r < strip::kRowCount; ++r) {
        if (rows_[size_t(r)].isNull())
            rows_[size_t(r)] =
                renderAnalysisRow(r, AnalysisPageModel::rowSize(), model_.gain(), model_.points(),
                                  model_.firstCursor(), model_.secondCursor());
        painter.drawImage(0, r * strip::kAnalysisRowHeight, rows_[size_t(r)]);
    }
}

void AnalysisRowList::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit rowClicked(event->position().toPoint().x(), event->position().toPoint().y());
}

} // namespace vantora
