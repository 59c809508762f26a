#include "ui/widgets/AnalysisRowList.h"

#include "core/Langpack.h"
#include "core/StringIds.h"
#include "render/AnalysisPageModel.h"
#include "render/StripGeometry.h"
#include "render/StripRowRenderer.h"
#include "ui/frame/KeyboardFocus.h"
#include "ui/widgets/Accessible.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace vantora {

namespace {

constexpr int kFirstX = strip::kLeftMargin;
constexpr int kLastX = strip::kLeftMargin + strip::kRowTraceWidth;
constexpr int kRowSpan = kLastX - kFirstX + 1; // caret positions on one row
constexpr int kCaretStartY = strip::kRowZeroLine;
constexpr int kCtrlStep = 10; // px per key with Ctrl

} // namespace

AnalysisRowList::AnalysisRowList(const AnalysisPageModel& model, QWidget* parent)
    : QWidget(parent), model_(model), caret_(kFirstX, kCaretStartY) {
    setFixedSize(sizeHint());
    accessible::name(this, ids::kA11yEcgRows);
    setFocusPolicy(Qt::StrongFocus);
    setProperty(kDrawsOwnFocusRing, true); // the ring and the caret, in paintEvent
    setToolTip(Langpack::text(ids::kLeftAndRightMove));
}

QSize AnalysisRowList::sizeHint() const {
    return QSize(strip::kAnalysisRowWidth, strip::kRowCount * strip::kAnalysisRowHeight);
}

void AnalysisRowList::redrawRows() {
    for (QImage& row : rows_)
        row = QImage();
    update();
}

QPoint AnalysisRowList::caretMovedBy(QPoint from, int dx) {
    const int row = std::clamp(from.y() / strip::kAnalysisRowHeight, 0, strip::kRowCount - 1);
    const int inRow = from.y() - row * strip::kAnalysisRowHeight;
    // Positions counted along all rows, then split into row and x again.
    const int along =
        std::clamp(row * kRowSpan + std::clamp(from.x(), kFirstX, kLastX) - kFirstX + dx, 0,
                   strip::kRowCount * kRowSpan - 1);
    return QPoint(kFirstX + along % kRowSpan,
                  (along / kRowSpan) * strip::kAnalysisRowHeight + inRow);
}

void AnalysisRowList::moveCaret(QPoint to) {
    caret_ = to;
    update();
}

void AnalysisRowList::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (int r = 0; r < strip::kRowCount; ++r) {
        // Drawn again when the window moves to a screen of another scale.
        if (rows_[size_t(r)].devicePixelRatio() != devicePixelRatioF())
            rows_[size_t(r)] = QImage();
        if (rows_[size_t(r)].isNull())
            rows_[size_t(r)] =
                renderAnalysisRow(r, AnalysisPageModel::rowSize(), model_.gain(), model_.points(),
                                  model_.firstCursor(), model_.secondCursor(), devicePixelRatioF());
        painter.drawImage(0, r * strip::kAnalysisRowHeight, rows_[size_t(r)]);
    }
    if (!hasFocus())
        return;
    // The focus ring, and the caret across its row.
    painter.setPen(QPen(focusRingColor(), 2));
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    const int top = caret_.y() / strip::kAnalysisRowHeight * strip::kAnalysisRowHeight;
    painter.setPen(QPen(focusRingColor(), 1, Qt::DashLine));
    painter.drawLine(caret_.x(), top + 2, caret_.x(), top + strip::kAnalysisRowHeight - 3);
}

void AnalysisRowList::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    // The keyboard goes on from where the mouse was.
    if (at.x() >= kFirstX && rect().contains(at))
        moveCaret(caretMovedBy(at, 0));
    emit rowClicked(at.x(), at.y());
}

void AnalysisRowList::keyPressEvent(QKeyEvent* event) {
    const int step = event->modifiers() & Qt::ControlModifier ? kCtrlStep : 1;
    const int rowY = caret_.y() % strip::kAnalysisRowHeight;
    const int row = caret_.y() / strip::kAnalysisRowHeight;
    switch (event->key()) {
    case Qt::Key_Left:
        moveCaret(caretMovedBy(caret_, -step));
        break;
    case Qt::Key_Right:
        moveCaret(caretMovedBy(caret_, step));
        break;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int to =
            std::clamp(row + (event->key() == Qt::Key_Up ? -1 : 1), 0, strip::kRowCount - 1);
        moveCaret(QPoint(caret_.x(), to * strip::kAnalysisRowHeight + rowY));
        break;
    }
    case Qt::Key_Home:
        moveCaret(QPoint(kFirstX, caret_.y()));
        break;
    case Qt::Key_End:
        moveCaret(QPoint(kLastX, caret_.y()));
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        emit rowClicked(caret_.x(), caret_.y());
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void AnalysisRowList::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void AnalysisRowList::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

} // namespace vantora
