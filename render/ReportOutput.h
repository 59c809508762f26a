#pragma once

#include "core/Message.h"
#include "core/Result.h"
#include "render/ReportPage.h"

#include <QByteArray>
#include <QPageSize>
#include <QRect>
#include <QSizeF>

#include <functional>
#include <memory>

class QPainter;

namespace vantora {

// A landscape sheet of `paper` in layout units (A4: 7128 x 5040).
QSize reportSheetUnits(QPageSize::PageSizeId paper);
QSize reportSheetUnits(const QSizeF& landscapeMm);

// Builds report page `index` on a sheet of `sheetUnits`.
using ReportPageBuilder =
    std::function<std::unique_ptr<ReportPage>(int index, const QSize& sheetUnits)>;

// Renders `page` onto `deviceRect` of the painter's device, whose full sheet
// measures `sheetMm`: the painter's window becomes layout units, so 1/24 mm
// is true at any resolution.
void PaintReportSheet(QPainter& painter, const QRect& deviceRect, const QSizeF& sheetMm,
                      const ReportPage& page, bool preview);

// Writes `count` report pages into one PDF, landscape, one page per report.
// The PDF is made whole in memory and then written through a temporary file
// beside `path`, so a failure leaves an earlier file of that name as it was:
// kPdfNotWritten when the document could not be made, 62620 ("FILE: reason")
// when it could not be written.
// The same PDF in memory; kPdfNotWritten naming `name` when it cannot be made.
Result<QByteArray> ReportPdfBytes(QPageSize::PageSizeId paper, int count,
                                  const ReportPageBuilder& build, const QString& name = {});
Result<> WriteReportPdf(const QString& path, QPageSize::PageSizeId paper, int count,
                        const ReportPageBuilder& build);

} // namespace vantora
