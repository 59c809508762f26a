// The trend report page: the same plots the trend page shows, drawn by
// TrendPlot in layout units, under the patient and the summary line.
#include "render/TrendReport.h"

#include "core/Langpack.h"
#include "core/StringIds.h"
#include "records/RecordingTime.h"
#include "render/TrendPlot.h"

#include <QPainter>

namespace vantora {

namespace {

// The plots as one element of the sheet.
class TrendPlotElement : public ReportElement {
public:
    TrendPlotElement(const QFont* font, LayoutRect rect, const TrendPageModel& model)
        : ReportElement(font, kPaper, rect), model_(model) {}
    void Draw(const ReportSurface& surface) const override {
        const QRectF area(rect.left, rect.top, rect.width(), rect.height());
        const TrendPlotLayout layout = layoutTrendPlots(area, textHeight(*font));
        drawTrendPlots(*surface.painter, layout, model_, {*font, true, false});
    }

private:
    const TrendPageModel& model_;
};

} // namespace

std::unique_ptr<ReportPage> MakeTrendReportPage(const TrendPageModel& model,
                                                const QString& patientId,
                                                const QString& patientName,
                                                const QSize& sheetUnits) {
    auto page = std::make_unique<ReportPage>(sheetUnits.width(), sheetUnits.height(),
                                             std::span<const int32_t>());
    const QString title = Langpack::text(ids::kTrendEcgTrend);
    const int w = textWidth(page->titleFont, title);
    const int x = page->left + (page->right - page->left - w) / 2;
    const int titleBottom = page->top - 24; // 1 mm above the header rule
    page->elements.push_back(std::make_unique<TextRow>(
        &page->titleFont,
        LayoutRect{x, titleBottom - textHeight(page->titleFont), x + w, titleBottom},
        QStringList{title}));

    auto block = std::make_unique<FieldBlock>(
        &page->bodyFont, LayoutRect{page->left, page->top + 40, page->right, page->bottom});
    block->addField({Langpack::text(ids::kName) + QStringLiteral(":  "), patientName + "  "});
    block->addField({Langpack::text(ids::kPatientId) + QStringLiteral(":  "), patientId + "  "});
    const TrendPeriod view = model.view();
    block->addField({Langpack::text(ids::kDateAndTime) + QStringLiteral(":  "),
                     stationDateTimeText(QDateTime::fromMSecsSinceEpoch(view.start)) +
                         QStringLiteral(" – ") +
                         stationDateTimeText(QDateTime::fromMSecsSinceEpoch(view.end))});
    block->addWrappedRow(Langpack::text(ids::kTrendSummary) + QStringLiteral(":  "),
                         trendSummaryText(model));
    const int plotsTop = block->rect.bottom + 80;
    page->elements.push_back(std::move(block));
    page->elements.push_back(std::make_unique<TrendPlotElement>(
        &page->sideFont, LayoutRect{page->left, plotsTop, page->right, page->bottom}, model));
    return page;
}

} // namespace vantora
