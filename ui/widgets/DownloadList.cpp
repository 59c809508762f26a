#include "ui/widgets/DownloadList.h"

#include "core/Langpack.h"
#include "core/StringIds.h"
#include "device/DownloadPageModel.h"
#include "device/StoredRecordings.h"
#include "render/StripRowRenderer.h"
#include "ui/models/RowTableModel.h"
#include "ui/widgets/Accessible.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace vantora {

namespace {

constexpr std::array<int, DownloadList::kColumns> kColumnLabels{
    ids::kNumberColumn,    ids::kEcg,           ids::kListNumber,
    ids::kHeartRateResult, ids::kRecordingTime, ids::kSave};
constexpr int kTraceRole = Qt::UserRole; // the row's table entry
constexpr int kSaveStateRole = Qt::UserRole + 1;

// A cell of the model's row: its text, the trace's table entry, the save
// state and the save mark's tip.
QVariant cellOf(const DownloadRow& row, int column, int role) {
    if (role == Qt::DisplayRole) {
        switch (column) {
        case DownloadList::kNumber:
            return row.numberText();
        case DownloadList::kListByte:
            return row.listByteText();
        case DownloadList::kHeartRate:
            return row.heartRateText();
        case DownloadList::kStartTime:
            return row.startTimeText();
        default:
            return {};
        }
    }
    if (role == kTraceRole && column == DownloadList::kTrace)
        return row.tableIndex;
    if (role == kSaveStateRole && column == DownloadList::kSaveMark)
        return row.saveState;
    if (role == Qt::ToolTipRole && column == DownloadList::kSaveMark)
        return row.saveState == kSaveStored ? Langpack::text(ids::kStoredMark) : QString();
    return {};
}

// Draws the trace and the save mark cells; the text cells as usual.
class DownloadRowDelegate : public QStyledItemDelegate {
public:
    explicit DownloadRowDelegate(const DownloadList& list)
        : QStyledItemDelegate(const_cast<DownloadList*>(&list)), list_(list) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(DownloadList::kRowHeight);
        return size;
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (index.column() == DownloadList::kTrace)
            paintTrace(*painter, option.rect, index.data(kTraceRole).toInt());
        else if (index.column() == DownloadList::kSaveMark)
            paintMark(*painter, option.rect, index.data(kSaveStateRole).toInt());
        else
            QStyledItemDelegate::paint(painter, option, index);
    }

private:
    void paintTrace(QPainter& painter, const QRect& cell, int tableIndex) const {
        painter.save();
        painter.fillRect(cell, Qt::white);
        const StripPointList& list = list_.points().points();
        const int first = tableIndex * kSamplesPerRecording;
        const int last = std::min(list.size(), first + kSamplesPerRecording) - 1;
        if (first < last) {
            painter.setClipRect(cell);
            painter.translate(cell.topLeft());
            painter.setRenderHint(QPainter::Antialiasing, false);
            drawStripTrace(painter, list, first, last, StripTraceStyle{QColor(Qt::blue), {}, {}});
        }
        painter.restore();
    }

    static void paintMark(QPainter& painter, const QRect& cell, int state) {
        const QRect box = QRect(0, 0, DownloadList::kMarkSize - 10, DownloadList::kMarkSize - 10)
                              .translated(cell.center() - QPoint(10, 10));
        // Saved now or stored before: a grey mark that no click changes.
        const bool kept = state == kSaveDone || state == kSaveStored;
        painter.save();
        painter.setPen(QPen(Qt::black, 1));
        painter.fillRect(box, kept ? QColor(Qt::lightGray) : QColor(Qt::white));
        painter.drawRect(box);
        if (state != kSaveNotChosen) {
            painter.setPen(QPen(kept ? Qt::darkGray : Qt::darkGreen, 3));
            painter.drawPolyline(QPolygon{box.topLeft() + QPoint(4, 10),
                                          box.topLeft() + QPoint(8, 15),
                                          box.topLeft() + QPoint(16, 4)});
        }
        painter.restore();
    }

    const DownloadList& list_;
};

} // namespace

DownloadList::DownloadList(const DownloadPageModel& model, QWidget* parent)
    : QTreeView(parent), model_(model) {
    QStringList labels;
    for (int id : kColumnLabels)
        labels << Langpack::text(id);
    rows_ = new RowTableModel(
        labels, [this] { return int(model_.rows().size()); },
        [this](int row, int column, int role) {
            return cellOf(model_.rows()[size_t(row)], column, role);
        },
        this);
    setModel(rows_);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new DownloadRowDelegate(*this));
    header()->setStretchLastSection(false);
    header()->resizeSection(kNumber, 50);
    header()->resizeSection(kTrace, kTraceWidth);
    header()->resizeSection(kListByte, 70);
    header()->resizeSection(kHeartRate, 90);
    header()->resizeSection(kStartTime, 150);
    header()->resizeSection(kSaveMark, 60);
    accessible::name(this, ids::kRecordsList);
}

void DownloadList::refreshRows() {
    rows_->sync();
    viewport()->update();
}

void DownloadList::addBlock(int tableIndex, int blockInChunk, std::span<const int32_t> samples) {
    points_.addBlock(tableIndex, blockInChunk, samples, 0, header()->sectionSize(kTrace));
}

QRect DownloadList::markRect(int row) const {
    const QModelIndex item = rows_->index(row, 0);
    if (!item.isValid())
        return {};
    const QRect cell = visualRect(item);
    const int left = header()->sectionViewportPosition(kSaveMark);
    const QPoint centre(left + header()->sectionSize(kSaveMark) / 2, cell.center().y());
    return QRect(centre - QPoint(kMarkSize / 2, kMarkSize / 2), QSize(kMarkSize, kMarkSize));
}

void DownloadList::mousePressEvent(QMouseEvent* event) {
    QTreeView::mousePressEvent(event);
    const QModelIndex item = indexAt(event->position().toPoint());
    if (!item.isValid() || event->button() != Qt::LeftButton)
        return;
    const int row = item.row();
    if (markRect(row).contains(event->position().toPoint()))
        emit markToggleRequested(row);
}

void DownloadList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && currentIndex().isValid()) {
        emit markToggleRequested(currentIndex().row());
        return;
    }
    QTreeView::keyPressEvent(event);
}

} // namespace vantora
