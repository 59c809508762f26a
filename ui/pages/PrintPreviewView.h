#pragma once

#include "render/PrintPreviewModel.h"
#include "render/ReportOutput.h"

#include <QHash>
#include <QImage>
#include <QSizeF>
#include <QWidget>

#include <memory>
#include <vector>

class QAbstractScrollArea;
class QAction;
class QLabel;
class QToolBar;

namespace vantora {

class PageHost;
class CPreviewSheets;

// The report pages a preview shows.
struct PreviewSource {
    int count = 1;
    ReportPageBuilder build;
    // The landscape sheet; empty: the default printer's paper, else A4.
    QSizeF sheetMm;
};

// The print preview: takes the active page's place in the main frame until
// closed, with its own toolbar (print, next, previous, one or two sheets,
// zoom in, zoom out, close), the report pages drawn as white sheets in the
// preview colours, and a click on a sheet cycling the zoom around that point.
// Keys: Page Down and Page Up, + and -, Ctrl+P, Esc. The state lives in
// PrintPreviewModel.
class PrintPreviewView : public QWidget {
    Q_OBJECT
public:
    // Shows `count` report pages in place of the frame's active page, on
    // `sheetMm` (landscape) or else the default printer's paper.
    static PrintPreviewView* open(PageHost& frame, int count, ReportPageBuilder build,
                                  QSizeF sheetMm = {});

    PrintPreviewView(PageHost& frame, PreviewSource source);
    ~PrintPreviewView() override;

    const PrintPreviewModel& model() const { return model_; }
    QToolBar* toolbar() const { return toolbar_; }
    QAction* action(int command) const { return actions_.value(command); }
    QLabel* pageLabel() const { return pageLabel_; }
    // The landscape sheet the reports are laid out on.
    QSizeF sheetMm() const { return source_.sheetMm; }
    QAbstractScrollArea* sheetArea() const;
    // The shown sheets in the sheet area's viewport.
    QList<QRect> sheetRects() const;

    // Runs a command as its toolbar button does, when enabled.
    void runCommand(int command);
    // A left click at `pos` of the sheet area's viewport.
    void OnSheetClicked(const QPoint& pos);

private:
    friend class CPreviewSheets;

    void buildToolbar();
    QAction* addCommand(int command, const QList<QKeySequence>& keys);
    void OnCommand(int command);
    void refresh();
    void layoutSheets(QPointF keep = {-1, -1}, QPoint at = {});
    void paintSheets(QPainter& painter);
    void OnScrolled();
    void OnWheel(int steps);
    const QImage& sheetImage(int page, const QSize& size);
    QPoint scrollOffset() const;

    PageHost& frame_;
    PreviewSource source_;
    PrintPreviewModel model_;
    QToolBar* toolbar_ = nullptr;
    QLabel* pageLabel_ = nullptr;
    CPreviewSheets* sheets_ = nullptr;
    QHash<int, QAction*> actions_;
    PreviewGeometry geometry_;
    std::vector<std::unique_ptr<ReportPage>> pages_; // built when first shown
    QHash<int, QImage> images_;                      // rendered sheets at imageSize_
    QSize imageSize_;
};

} // namespace vantora
