#pragma once

// Probes the print preview's sheets against the report drawn directly.
#include "ui/pages/PrintPreviewView.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPainter>

namespace vantora::test {

// Whether shown sheet `k` of `view`, inside its frame and as far as it is
// scrolled into view, is `page` exactly as drawn in the preview colours
// (`previewColours`) or the printer's.
inline bool sheetShows(const PrintPreviewView& view, int k, const ReportPage& page,
                       bool previewColours) {
    const QImage shown =
        view.sheetArea()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect r = view.sheetRects().at(k);
    QImage drawn(r.size(), QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::white);
    QPainter painter(&drawn);
    PaintReportSheet(painter, drawn.rect(), view.sheetMm(), page, previewColours);
    painter.end();
    const QRect seen =
        QRect(QPoint(3, 3), r.size() - QSize(6, 6)).translated(r.topLeft()) & shown.rect();
    return !seen.isEmpty() &&
           shown.copy(seen) ==
               drawn.convertToFormat(QImage::Format_RGB32).copy(seen.translated(-r.topLeft()));
}

} // namespace vantora::test
