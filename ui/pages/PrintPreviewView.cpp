// The print preview in the main frame: the report pages of the page that
// opened it, drawn at screen scale with the preview's paper colours.
#include "ui/pages/PrintPreviewView.h"

#include "core/AppSettings.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "ui/frame/PageHost.h"
#include "ui/frame/PageIds.h"
#include "ui/widgets/Accessible.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinterInfo>
#include <QScrollBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace vantora {

// The scrolled area the sheets are drawn in; the view does the work.
class CPreviewSheets : public QAbstractScrollArea {
public:
    explicit CPreviewSheets(PrintPreviewView& view) : QAbstractScrollArea(&view), view_(view) {
        // Fixed scroll bars keep the viewport's size, so a zoom stays where
        // it was clicked.
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        setFocusPolicy(Qt::StrongFocus);
        viewport()->setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(viewport());
        view_.paintSheets(painter);
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton)
            view_.OnSheetClicked(event->position().toPoint());
    }
    void resizeEvent(QResizeEvent* event) override {
        QAbstractScrollArea::resizeEvent(event);
        view_.layoutSheets();
    }
    void wheelEvent(QWheelEvent* event) override {
        if (view_.model().zoom() != 0)
            return QAbstractScrollArea::wheelEvent(event);
        if (const int steps = event->angleDelta().y() / 120)
            view_.OnWheel(steps);
    }
    void scrollContentsBy(int, int) override { viewport()->update(); }

private:
    PrintPreviewView& view_;
};

namespace {

// The default printer's paper, landscape; A4 without one.
QSizeF defaultSheetMm() {
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    QPageSize paper = printer.isNull() ? QPageSize() : printer.defaultPageSize();
    if (!paper.isValid())
        paper = QPageSize(QPageSize::A4);
    return paper.size(QPageSize::Millimeter).transposed();
}

constexpr int kShadow = 3;           // pixels of the sheet's shadow, right and bottom
constexpr int kFramePen = 2;         // pixels of the sheet's frame
constexpr int kScrollStep = 40;      // pixels per scroll-bar step on a magnified sheet
constexpr unsigned kDesk = 0x8A94AD; // around the sheets: the white paper stands out

} // namespace

PrintPreviewView* PrintPreviewView::open(PageHost& frame, int count, ReportPageBuilder build,
                                         QSizeF sheetMm) {
    auto* view = new PrintPreviewView(frame, PreviewSource{count, std::move(build), sheetMm});
    frame.OpenPreview(view);
    view->sheets_->setFocus();
    return view;
}

PrintPreviewView::PrintPreviewView(PageHost& frame, PreviewSource source)
    : frame_(frame), source_(std::move(source)),
      model_(source_.count, PrintPreviewModel::rememberedSheets(AppSettings())) {
    if (source_.sheetMm.isEmpty())
        source_.sheetMm = defaultSheetMm();
    pages_.resize(size_t(model_.pageCount()));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolbar();
    layout->addWidget(toolbar_);
    sheets_ = new CPreviewSheets(*this);
    layout->addWidget(sheets_, 1);
    const QString title = Langpack::text(ids::kCmdPreview).section(u'\n', 1, 1);
    setAccessibleName(title);
    toolbar_->setWindowTitle(title);
    accessible::name(sheets_, ids::kA11yReportSheets);
    refresh();
}

PrintPreviewView::~PrintPreviewView() = default;

QAbstractScrollArea* PrintPreviewView::sheetArea() const {
    return sheets_;
}

void PrintPreviewView::buildToolbar() {
    toolbar_ = new QToolBar(this);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    toolbar_->setStyleSheet(
        QStringLiteral("QToolBar { background: #B4C8FF; border: none; spacing: 4px; padding: 2px; }"
                       "QToolButton { color: #14285A; padding: 2px 8px; border: 1px solid #7890D2;"
                       " border-radius: 3px; background: #DCE4FF; }"
                       "QToolButton:disabled { color: #6E7DA0; background: #C8D4F5; }"));
    addCommand(ids::kCmdPreviewPrint, {QKeySequence::Print});
    addCommand(ids::kCmdPreviewNext, {Qt::Key_PageDown});
    addCommand(ids::kCmdPreviewPrevious, {Qt::Key_PageUp});
    addCommand(ids::kCmdPreviewSheets, {});
    addCommand(ids::kCmdPreviewZoomIn, {Qt::Key_Plus, Qt::Key_Equal, QKeySequence::ZoomIn});
    addCommand(ids::kCmdPreviewZoomOut, {Qt::Key_Minus, QKeySequence::ZoomOut});
    addCommand(ids::kCmdPreviewClose, {Qt::Key_Escape});
    toolbar_->addSeparator();
    pageLabel_ = new QLabel(toolbar_);
    // Room for "Pages 10-11" from the start, so the buttons never move.
    pageLabel_->setMinimumWidth(pageLabel_->fontMetrics().horizontalAdvance(
        Langpack::format(ids::kPageNumbers, QStringLiteral("88-88"))));
    toolbar_->addWidget(pageLabel_);
}

QAction* PrintPreviewView::addCommand(int command, const QList<QKeySequence>& keys) {
    auto* act = new QAction(Langpack::text(command), this);
    act->setShortcuts(keys);
    if (!keys.isEmpty())
        act->setToolTip(act->text() + QStringLiteral(" (%1)").arg(
                                          keys.first().toString(QKeySequence::NativeText)));
    // The keys work wherever the focus is inside the preview.
    act->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(act, &QAction::triggered, this, [this, command] { OnCommand(command); });
    toolbar_->addAction(act);
    addAction(act);
    actions_.insert(command, act);
    return act;
}

void PrintPreviewView::runCommand(int command) {
    if (QAction* act = actions_.value(command); act && act->isEnabled())
        act->trigger();
}

void PrintPreviewView::OnCommand(int command) {
    if (command == ids::kCmdPreviewClose || command == ids::kCmdPreviewPrint) {
        PageHost& frame = frame_; // this view goes with the preview
        frame.ClosePreview();
        if (command == ids::kCmdPreviewPrint)
            frame.OnCommand(ids::kCmdPrint);
        return;
    }
    if (!model_.run(command))
        return;
    if (command == ids::kCmdPreviewSheets) {
        AppSettings settings;
        PrintPreviewModel::rememberSheets(settings, model_.sheetsChosen());
    }
    refresh();
}

void PrintPreviewView::OnSheetClicked(const QPoint& pos) {
    const QPoint at = pos + scrollOffset();
    for (int k = 0; k < geometry_.sheets.size(); ++k) {
        const QRect& r = geometry_.sheets[k];
        if (!r.contains(at))
            continue;
        const QPointF keep(double(at.x() - r.left()) / r.width(),
                           double(at.y() - r.top()) / r.height());
        model_.clickZoom(k);
        refresh();
        if (model_.zoom() > 0)
            layoutSheets(keep, pos);
        return;
    }
}

void PrintPreviewView::OnWheel(int steps) {
    model_.setCurrent(model_.current() - steps);
    refresh();
}

void PrintPreviewView::OnScrolled() {
    if (model_.zoom() != 0 || sheets_->verticalScrollBar()->value() == model_.current())
        return;
    model_.setCurrent(sheets_->verticalScrollBar()->value());
    refresh();
}

// Enabling, captions and the sheets' places after a change of state.
void PrintPreviewView::refresh() {
    for (auto it = actions_.cbegin(); it != actions_.cend(); ++it)
        it.value()->setEnabled(model_.enabled(it.key()));
    actions_.value(ids::kCmdPreviewSheets)->setText(Langpack::text(model_.sheetsCaption()));
    const auto [text, arg] = model_.pageText();
    pageLabel_->setText(Langpack::format(text, arg));
    if (sheets_) {
        accessible::describe(sheets_, pageLabel_->text());
        layoutSheets();
    }
}

// Scroll bars move through the pages at zoom state 0 and over the magnified
// sheet otherwise; `keep` (a point of the sheet, as fractions of its size)
// is placed at viewport position `at`, else the sheet is centred.
void PrintPreviewView::layoutSheets(QPointF keep, QPoint at) {
    const QSize viewport = sheets_->viewport()->size();
    geometry_ = previewGeometry(model_, viewport, source_.sheetMm, logicalDpiX() / 25.4);
    QScrollBar* h = sheets_->horizontalScrollBar();
    QScrollBar* v = sheets_->verticalScrollBar();
    disconnect(v, nullptr, this, nullptr);
    if (model_.zoom() == 0) {
        h->setRange(0, 0);
        v->setRange(0, model_.lastCurrent());
        v->setSingleStep(1);
        v->setPageStep(1);
        v->setValue(model_.current());
    } else {
        const QRect s = geometry_.sheets.first();
        h->setRange(0, geometry_.content.width() - viewport.width());
        v->setRange(0, geometry_.content.height() - viewport.height());
        h->setPageStep(viewport.width());
        v->setPageStep(viewport.height());
        h->setSingleStep(kScrollStep);
        v->setSingleStep(kScrollStep);
        const QPoint target =
            keep.x() >= 0
                ? s.topLeft() + QPoint(int(keep.x() * s.width()), int(keep.y() * s.height())) - at
                : s.center() - QPoint(viewport.width() / 2, viewport.height() / 2);
        h->setValue(target.x());
        v->setValue(target.y());
    }
    connect(v, &QScrollBar::valueChanged, this, &PrintPreviewView::OnScrolled);
    sheets_->viewport()->update();
}

QPoint PrintPreviewView::scrollOffset() const {
    if (model_.zoom() == 0)
        return {};
    return {sheets_->horizontalScrollBar()->value(), sheets_->verticalScrollBar()->value()};
}

QList<QRect> PrintPreviewView::sheetRects() const {
    QList<QRect> rects;
    for (const QRect& r : geometry_.sheets)
        rects << r.translated(-scrollOffset());
    return rects;
}

void PrintPreviewView::paintSheets(QPainter& painter) {
    const QRect area = sheets_->viewport()->rect();
    painter.fillRect(area, QColor::fromRgb(kDesk));
    const QList<QRect> rects = sheetRects();
    for (int k = 0; k < rects.size(); ++k) {
        const QRect& r = rects[k];
        if (!r.adjusted(0, 0, kShadow, kShadow).intersects(area))
            continue;
        const QColor shadow = palette().color(QPalette::Dark);
        painter.fillRect(QRect(r.right() + 1, r.top() + kShadow, kShadow, r.height()), shadow);
        painter.fillRect(QRect(r.left() + kShadow, r.bottom() + 1, r.width(), kShadow), shadow);
        painter.drawImage(r.topLeft(), sheetImage(model_.current() + k, r.size()));
        painter.setPen(QPen(palette().color(QPalette::WindowText), kFramePen));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r);
    }
}

// A report page rendered once per sheet size onto a white sheet.
const QImage& PrintPreviewView::sheetImage(int page, const QSize& size) {
    if (size != imageSize_) {
        images_.clear();
        imageSize_ = size;
    }
    if (auto it = images_.constFind(page); it != images_.constEnd())
        return *it;
    const qreal ratio = devicePixelRatioF();
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    std::unique_ptr<ReportPage>& report = pages_[size_t(page)];
    if (!report && source_.build)
        report = source_.build(page, reportSheetUnits(source_.sheetMm));
    if (report) {
        QPainter painter(&image);
        PaintReportSheet(painter, QRect(QPoint(), size), source_.sheetMm, *report, true);
    }
    return *images_.insert(page, image);
}

} // namespace vantora
