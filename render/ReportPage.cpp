// Report sheets: text rows, flowing field blocks, titled boxes and value
// tables positioned in layout units of 1/24 mm. Layout happens when the
// elements are built; drawing only draws. Tested by ReportLayoutTest.
#include "render/ReportPage.h"

#include "core/Langpack.h"
#include "core/StringIds.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace vantora {

namespace {

// Point sizes in layout units: 1 pt = 25.4 / 72 mm.
int pointsToUnits(double points) {
    return int(points * 25.4 / 72.0 * kUnitsPerMm + 0.5);
}
constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip;
constexpr int kWrapFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextDontClip;

void drawTextAt(QPainter& painter, const QFont& font, int x, int y, const QString& text) {
    painter.setFont(font);
    painter.drawText(QRectF(x, y, 0, 0), kTextFlags, text);
}

} // namespace

int textWidth(const QFont& font, const QString& text) {
    return int(QFontMetricsF(font).horizontalAdvance(text));
}

int textHeight(const QFont& font) {
    return int(QFontMetricsF(font).height());
}

int wrappedTextHeight(const QFont& font, const QString& text, int width) {
    const QRectF box(0, 0, std::max(width, 1), 1e6);
    return int(QFontMetricsF(font).boundingRect(box, kWrapFlags, text).height());
}

void drawSideText(QPainter& painter, const QFont& font, int x, int y, const QString& text) {
    painter.save();
    painter.translate(x, y);
    painter.rotate(90); // running downwards, its top to the right
    drawTextAt(painter, font, 0, 0, text);
    painter.restore();
}

void TextRow::Draw(const ReportSurface& surface) const {
    QPainter& p = *surface.painter;
    p.setPen(Qt::black);
    int x = rect.left;
    for (int k = 0; k < pieces.size(); ++k) {
        if (wrap && k > 0) {
            p.setFont(pieceFont(k));
            const QRectF box(x, rect.top, std::max(rect.right - x, 1), std::max(rect.height(), 1));
            p.drawText(box, kWrapFlags, pieces[k]);
            continue;
        }
        drawTextAt(p, pieceFont(k), x, rect.top, pieces[k]);
        x += textWidth(pieceFont(k), pieces[k]);
    }
}

FieldBlock::FieldBlock(const QFont* font, LayoutRect rect)
    : ReportElement(font, kFieldBlock, rect), bold_(*font), x_(rect.left), y_(rect.top),
      lineBottom_(rect.top + 50) {
    bold_.setWeight(QFont::ExtraBold); // 800
}

void FieldBlock::addField(const QStringList& pieces) {
    const int width = textWidth(*font, pieces.join(QString()));
    if (x_ + width > rect.right + 100) {
        x_ = rect.left;
        y_ = lineBottom_;
    }
    const LayoutRect row{x_, y_, x_ + width, y_ + textHeight(*font) + 50};
    rows_.emplace_back(font, row, pieces, &bold_);
    lineBottom_ = row.bottom;
    rect.bottom = row.bottom;
    // Fields snap to quarter columns counted from their own start.
    const int q = rect.width() / 4;
    if (q > 0)
        x_ += q * (width / q + 1);
}

void FieldBlock::addWrappedRow(const QString& label, const QString& text) {
    const int y = rect.bottom;
    const int labelRight = rect.left + textWidth(*font, label);
    const int height =
        std::max(textHeight(*font), wrappedTextHeight(bold_, text, rect.right - labelRight));
    rows_.emplace_back(font, LayoutRect{rect.left, y, rect.right, y + height},
                       QStringList{label, text}, &bold_, true);
    rect.bottom = std::max(rect.bottom, y + height);
}

void FieldBlock::Draw(const ReportSurface& surface) const {
    for (const TextRow& row : rows_)
        row.Draw(surface);
}

void TitledBox::Draw(const ReportSurface& surface) const {
    QPainter& p = *surface.painter;
    p.setPen(QPen(Qt::black, 3));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(rect.left, rect.top, rect.width(), rect.height()));
    drawTextAt(p, *font, rect.left + 30, rect.top + 20, title);
    const int ruleY = rect.top + 20 + textHeight(*font);
    p.setPen(QPen(Qt::black, 3));
    p.drawLine(rect.left + 30, ruleY, rect.left + 30 + textWidth(*font, title) + 100, ruleY);
    for (const auto& child : children)
        child->Draw(surface);
}

ValueTable::Cells ValueTable::layout() const {
    Cells cells;
    int widest = 0;
    for (const Row& row : rows)
        widest = std::max(widest, textWidth(*font, row.label));
    int x = rect.left, y = rect.top, pitch = 0;
    for (const Row& row : rows) {
        const int h = textHeight(*font);
        if (y != rect.top && y + h > rect.bottom) {
            x += rect.width() / 2;
            y = rect.top;
        }
        cells.labels.push_back({x, y, false, row.label});
        pitch = h + 30;
        y += pitch;
    }
    const bool hasUnits =
        std::any_of(rows.begin(), rows.end(), [](const Row& r) { return !r.unit.isEmpty(); });
    const int valueWidth = textWidth(*bold, QStringLiteral("66666"));
    x = rect.left;
    y = rect.top;
    for (const Row& row : rows) {
        if (y != rect.top && y + pitch - 30 > rect.bottom) {
            x += rect.width() / 2;
            y = rect.top;
        }
        cells.colons.push_back({x + widest + 50, y, false, QStringLiteral(":")});
        if (hasUnits) {
            cells.values.push_back({x + widest + 100 + valueWidth, y, true, row.value});
            cells.units.push_back({x + widest + 150 + valueWidth, y, false, row.unit});
        } else {
            cells.values.push_back({x + widest + 100, y, false, row.value});
        }
        y += pitch;
    }
    return cells;
}

void ValueTable::Draw(const ReportSurface& surface) const {
    QPainter& p = *surface.painter;
    p.setPen(Qt::black);
    const Cells cells = layout();
    for (const auto* column : {&cells.labels, &cells.colons, &cells.units})
        for (const Cell& c : *column)
            drawTextAt(p, *font, c.x, c.y, c.text);
    for (const Cell& c : cells.values) {
        const int x = c.rightAligned ? c.x - textWidth(*bold, c.text) : c.x;
        drawTextAt(p, *bold, x, c.y, c.text);
    }
}

ReportPage::ReportPage(int width, int height, std::span<const int32_t> samples) : samples(samples) {
    const int m = (width - kReportFrameWidth) / 2;
    left = top = m;
    right = width - m;
    bottom = height - m;
    const QString face = Langpack::text(ids::kRateFace);
    bodyFont = QFont(face);
    bodyFont.setPixelSize(pointsToUnits(10));
    titleFont = bodyFont;
    titleFont.setPixelSize(pointsToUnits(16));
    titleFont.setWeight(QFont::Bold);
    sideFont = bodyFont;
    boldFont = bodyFont;
    boldFont.setWeight(QFont::Bold);
}

void ReportPage::Render(const ReportSurface& surface) const {
    if (kind != kAnalysis) {
        surface.painter->setPen(QPen(Qt::black, 0)); // the surface's one-dot pen
        surface.painter->drawLine(left, top, right, top);
    }
    for (const auto& element : elements)
        element->Draw(surface);
}

} // namespace vantora
