// Report pages onto paper: the painter's window is set to layout units of
// 1/24 mm over the whole sheet, so a report measures the same on a printer
// of any resolution and in a PDF. Tested by ReportPdfTest.
#include "render/ReportOutput.h"

#include "core/StringIds.h"
#include "records/SafeFileWriter.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>

namespace vantora {

namespace {
constexpr int kPdfResolution = 600; // dots per inch of the PDF's page space
}

QSize reportSheetUnits(const QSizeF& landscapeMm) {
    return QSize(qRound(landscapeMm.width() * kUnitsPerMm),
                 qRound(landscapeMm.height() * kUnitsPerMm));
}

QSize reportSheetUnits(QPageSize::PageSizeId paper) {
    return reportSheetUnits(QPageSize(paper).size(QPageSize::Millimeter).transposed());
}

void PaintReportSheet(QPainter& painter, const QRect& deviceRect, const QSizeF& sheetMm,
                      const ReportPage& page, bool preview) {
    painter.save();
    painter.setViewport(deviceRect);
    const QSize units = reportSheetUnits(sheetMm);
    painter.setWindow(0, 0, units.width(), units.height());
    painter.setRenderHint(QPainter::Antialiasing);
    page.Render(ReportSurface{&painter, preview});
    painter.restore();
}

namespace {

// The document in memory; true only when the painter finished it and it
// ends with the trailer a PDF reader looks for first.
bool renderPdf(QIODevice& out, QPageSize::PageSizeId paper, int count,
               const ReportPageBuilder& build) {
    QPdfWriter pdf(&out);
    pdf.setResolution(kPdfResolution);
    pdf.setPageSize(QPageSize(paper));
    pdf.setPageOrientation(QPageLayout::Landscape);
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setCreator(QStringLiteral("VantoraECG"));
    QPainter painter;
    if (!painter.begin(&pdf))
        return false;
    const QSizeF sheetMm = pdf.pageLayout().fullRect(QPageLayout::Millimeter).size();
    const QSize units = reportSheetUnits(sheetMm);
    for (int k = 0; k < count; ++k) {
        if (k > 0 && !pdf.newPage())
            return false;
        const std::unique_ptr<ReportPage> page = build(k, units);
        PaintReportSheet(painter, QRect(0, 0, pdf.width(), pdf.height()), sheetMm, *page, false);
    }
    return painter.end();
}

} // namespace

Result<QByteArray> ReportPdfBytes(QPageSize::PageSizeId paper, int count,
                                  const ReportPageBuilder& build, const QString& name) {
    QBuffer document;
    document.open(QIODevice::WriteOnly);
    if (!renderPdf(document, paper, count, build) || !document.data().trimmed().endsWith("%%EOF"))
        return Message{ids::kPdfNotWritten, name};
    document.close();
    return document.data();
}

Result<> WriteReportPdf(const QString& path, QPageSize::PageSizeId paper, int count,
                        const ReportPageBuilder& build) {
    const auto document = ReportPdfBytes(paper, count, build, QFileInfo(path).fileName());
    if (!document)
        return document.message();
    return writeWholeFile(path, document.value());
}

} // namespace vantora
