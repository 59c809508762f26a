#pragma once

#include "render/DownloadPointList.h"

#include <QTreeView>

namespace vantora {

class DownloadPageModel;
class RowTableModel;

// The download list: number, drawn trace, list byte, heart rate, start time
// and save mark of every received recording. The trace and the save mark are
// drawn from the page's model; a click inside the 30 x 30 square of a row's
// save mark, or Space on the current row, asks to toggle it.
class DownloadList : public QTreeView {
    Q_OBJECT
public:
    enum Column { kNumber, kTrace, kListByte, kHeartRate, kStartTime, kSaveMark, kColumns };
    static constexpr int kRowHeight = 39;
    static constexpr int kTraceWidth = 300;
    static constexpr int kMarkSize = 30; // the clickable square, pixels

    DownloadList(const DownloadPageModel& model, QWidget* parent = nullptr);

    // The rows as the model holds them (texts and save states).
    void refreshRows();
    // A block arrived: its samples join the row's trace.
    void addBlock(int tableIndex, int blockInChunk, std::span<const int32_t> samples);
    void clearTraces() { points_.clear(); }
    const DownloadPointList& points() const { return points_; }
    // The square of a row's save mark, in viewport coordinates.
    QRect markRect(int row) const;

signals:
    void markToggleRequested(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    const DownloadPageModel& model_;
    RowTableModel* rows_;
    DownloadPointList points_;
};

} // namespace vantora
