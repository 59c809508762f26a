#include "ui/widgets/DownloadList.h"

#include "core/Langpack.h"
#include "core/StringIds.h"
#include "device/DownloadPageModel.h"
#include "device/StoredRecordings.h"
#include "render/StripRowRenderer.h"

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
    : QTreeWidget(parent), model_(model) {
    setColumnCount(kColumns);
    QStringList labels;
    for (int id : kColumnLabels)
        labels << Langpack::text(id);
    setHeaderLabels(labels);
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
}

void DownloadList::refreshRows() {
    const auto& rows = model_.rows();
    while (topLevelItemCount() > int(rows.size()))
        delete takeTopLevelItem(topLevelItemCount() - 1);
    for (size_t i = 0; i < rows.size(); ++i) {
        QTreeWidgetItem* item = topLevelItem(int(i));
        if (item == nullptr)
            item = new QTreeWidgetItem(this);
        const DownloadRow& row = rows[i];
        item->setText(kNumber, row.numberText());
        item->setData(kTrace, kTraceRole, row.tableIndex);
        item->setText(kListByte, row.listByteText());
        item->setText(kHeartRate, row.heartRateText());
        item->setText(kStartTime, row.startTimeText());
        item->setData(kSaveMark, kSaveStateRole, row.saveState);
        item->setToolTip(kSaveMark, row.saveState == kSaveStored ? Langpack::text(ids::kStoredMark)
                                                                 : QString());
    }
    viewport()->update();
}

void DownloadList::addBlock(int tableIndex, int blockInChunk, std::span<const int32_t> samples) {
    points_.addBlock(tableIndex, blockInChunk, samples, 0, header()->sectionSize(kTrace));
}

QRect DownloadList::markRect(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    if (item == nullptr)
        return {};
    const QRect cell = visualItemRect(item);
    const int left = header()->sectionViewportPosition(kSaveMark);
    const QPoint centre(left + header()->sectionSize(kSaveMark) / 2, cell.center().y());
    return QRect(centre - QPoint(kMarkSize / 2, kMarkSize / 2), QSize(kMarkSize, kMarkSize));
}

void DownloadList::mousePressEvent(QMouseEvent* event) {
    QTreeWidget::mousePressEvent(event);
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (item == nullptr || event->button() != Qt::LeftButton)
        return;
    const int row = indexOfTopLevelItem(item);
    if (markRect(row).contains(event->position().toPoint()))
        emit markToggleRequested(row);
}

void DownloadList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && currentItem() != nullptr) {
        emit markToggleRequested(indexOfTopLevelItem(currentItem()));
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

} // namespace vantora
