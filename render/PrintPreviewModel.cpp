// The print preview's paging, one-or-two-sheet choice, zoom cycle and
// command enabling, and where the sheets go on screen. Tested by
// PrintPreviewModelTest; shown by PrintPreviewView.
#include "render/PrintPreviewModel.h"

#include "core/AppSettings.h"
#include "core/StringIds.h"

#include <algorithm>

namespace vantora {

PrintPreviewModel::PrintPreviewModel(int pageCount, int sheets)
    : pageCount_(std::max(pageCount, 1)), sheets_(sheets == 2 ? 2 : 1) {}

int PrintPreviewModel::sheetsShown() const {
    return zoom_ == 0 ? std::min(sheets_, pageCount_) : 1;
}

bool PrintPreviewModel::enabled(int command) const {
    switch (command) {
    case ids::kCmdPreviewClose:
    case ids::kCmdPreviewPrint:
        return true;
    case ids::kCmdPreviewSheets:
        return zoom_ == 0 && pageCount_ > 1;
    case ids::kCmdPreviewNext:
        return current_ < lastCurrent();
    case ids::kCmdPreviewPrevious:
        return current_ > 0;
    case ids::kCmdPreviewZoomIn:
        return zoom_ < kZoomStates - 1;
    case ids::kCmdPreviewZoomOut:
        return zoom_ > 0;
    default:
        return false;
    }
}

bool PrintPreviewModel::run(int command) {
    if (!enabled(command))
        return false;
    switch (command) {
    case ids::kCmdPreviewSheets:
        sheets_ = 3 - sheets_;
        break;
    case ids::kCmdPreviewNext:
        ++current_;
        break;
    case ids::kCmdPreviewPrevious:
        --current_;
        break;
    case ids::kCmdPreviewZoomIn:
        ++zoom_;
        break;
    case ids::kCmdPreviewZoomOut:
        --zoom_;
        break;
    default:
        return false;
    }
    clamp();
    return true;
}

void PrintPreviewModel::clickZoom(int sheet) {
    if (zoom_ == 0)
        current_ = std::clamp(current_ + sheet, 0, pageCount_ - 1);
    zoom_ = (zoom_ + 1) % kZoomStates;
    clamp();
}

void PrintPreviewModel::setCurrent(int page) {
    current_ = page;
    clamp();
}

// Back at whole sheets, two sheets shown from the last page show the last two.
void PrintPreviewModel::clamp() {
    current_ = std::clamp(current_, 0, lastCurrent());
}

int PrintPreviewModel::sheetsCaption() const {
    return sheetsShown() == 1 ? ids::kTwoPages : ids::kOnePage;
}

std::pair<int, QString> PrintPreviewModel::pageText() const {
    if (sheetsShown() == 1)
        return {ids::kPageNumber, QString::number(current_ + 1)};
    return {ids::kPageNumbers,
            QStringLiteral("%1-%2").arg(current_ + 1).arg(current_ + sheetsShown())};
}

int PrintPreviewModel::rememberedSheets(const AppSettings& settings) {
    return settings.int32(AppSettings::kPreviewSheets).value_or(1) == 2 ? 2 : 1;
}

void PrintPreviewModel::rememberSheets(AppSettings& settings, int sheets) {
    settings.setInt32(AppSettings::kPreviewSheets, sheets);
}

namespace {
constexpr int kMargin = 12;               // pixels around and between the sheets
constexpr double kMagnifiedAtLeast = 1.5; // zoom state 1 over the fitted size
} // namespace

PreviewGeometry previewGeometry(const PrintPreviewModel& model, const QSize& viewport,
                                const QSizeF& sheetMm, double pixelsPerMm) {
    const int n = model.sheetsShown();
    const double fitWidth = double(viewport.width() - (n + 1) * kMargin) / n / sheetMm.width();
    const double fitHeight = double(viewport.height() - 2 * kMargin) / sheetMm.height();
    const double fit = std::max(std::min(fitWidth, fitHeight), 0.01);
    double scale = fit;
    if (model.zoom() > 0)
        scale = std::max(pixelsPerMm, fit * kMagnifiedAtLeast) * model.zoom();
    const QSize sheet(qRound(sheetMm.width() * scale), qRound(sheetMm.height() * scale));

    PreviewGeometry g;
    const QSize used(n * sheet.width() + (n + 1) * kMargin, sheet.height() + 2 * kMargin);
    g.content = model.zoom() == 0 ? viewport : used.expandedTo(viewport);
    const int left = (g.content.width() - used.width()) / 2 + kMargin;
    const int top = (g.content.height() - sheet.height()) / 2;
    for (int k = 0; k < n; ++k)
        g.sheets << QRect(QPoint(left + k * (sheet.width() + kMargin), top), sheet);
    return g;
}

} // namespace vantora
