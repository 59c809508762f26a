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
constexpr int kRuleGap = 12; // 0.5 mm
constexpr int kCellGap = 48; // 2 mm between a table's cells on one line
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

QFont scaledFont(const QFont& font, double scale) {
    QFont scaled = font;
    if (scale != 1.0 && font.pixelSize() > 0)
        scaled.setPixelSize(std::max(1, int(font.pixelSize() * scale)));
    return scaled;
}

void drawSideText(QPainter& painter, const QFont& font, int x, int y, const QString& text) {
    painter.save();
    painter.translate(x, y);
    painter.rotate(90); // running downwards, its top to the right
    drawTextAt(painter, font, 0, 0, text);
    painter.restore();
}

QFont TextRow::pieceFont(int k) const {
    const QFont& f = k == 1 && bold ? *bold : *font;
    return wrap && k > 0 ? scaledFont(f, wrapScale) : f;
}

int TextRow::wrappedBottom() const {
    const int x = rect.left + textWidth(pieceFont(0), pieces.value(0));
    int bottom = rect.top;
    for (int k = 1; k < pieces.size(); ++k)
        bottom =
            std::max(bottom, rect.top + wrappedTextHeight(pieceFont(k), pieces[k], rect.right - x));
    return bottom;
}

void TextRow::fitWrappedHeight(double least) {
    while (wrapScale - 0.02 >= least && wrappedBottom() > rect.bottom)
        wrapScale -= 0.02;
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
    // Measured as drawn: the value in bold is wider than in the body font.
    int width = 0;
    for (int k = 0; k < pieces.size(); ++k)
        width += textWidth(k == 1 ? bold_ : *font, pieces[k]);
    if (x_ + width > rect.right + 100) {
        x_ = rect.left;
        y_ = lineBottom_;
    }
    if (width > rect.width() + 100) { // wider than the sheet: wrapped on its own lines
        addWrappedRow(pieces.value(0), pieces.mid(1).join(QString()));
        rows_.back().rect.bottom += 50;
        rect.bottom = lineBottom_ = y_ = rows_.back().rect.bottom;
        return;
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
    const int y = rows_.empty() ? rect.top : rect.bottom;
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
    // A little under the title, so that descenders stay clear of it.
    const int ruleY = rect.top + 20 + textHeight(*font) + kRuleGap;
    p.setPen(QPen(Qt::black, 3));
    p.drawLine(rect.left + 30, ruleY, rect.left + 30 + textWidth(*font, title) + 100, ruleY);
    for (const auto& child : children)
        child->Draw(surface);
}

ValueTable::Cells ValueTable::layout() const {
    const QFont f = labelFont();
    Cells cells;
    int widest = 0;
    for (const Row& row : rows)
        widest = std::max(widest, textWidth(f, row.label));
    int x = rect.left, y = rect.top, pitch = 0;
    for (const Row& row : rows) {
        const int h = textHeight(f);
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
    const int valueWidth = textWidth(valueFont(), QStringLiteral("66666"));
    x = rect.left;
    y = rect.top;
    for (const Row& row : rows) {
        if (y != rect.top && y + pitch - 30 > rect.bottom) {
            x += rect.width() / 2;
            y = rect.top;
        }
        // A row without a label goes on with the value of the row above.
        cells.colons.push_back(
            {x + widest + 50, y, false, row.label.isEmpty() ? QString() : QStringLiteral(":")});
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

LayoutRect ValueTable::cellRect(const Cell& c, const QFont& f) const {
    const int w = textWidth(f, c.text);
    const int left = c.rightAligned ? c.x - w : c.x;
    return {left, c.y, left + w, c.y + textHeight(f)};
}

bool ValueTable::fits() const {
    const Cells cells = layout();
    // Each row's cells with the left edge of the column its label starts.
    std::vector<std::pair<int, LayoutRect>> all;
    for (size_t i = 0; i < cells.labels.size(); ++i) {
        const int column = cells.labels[i].x;
        all.push_back({column, cellRect(cells.labels[i], labelFont())});
        all.push_back({column, cellRect(cells.colons[i], labelFont())});
        all.push_back({column, cellRect(cells.values[i], valueFont())});
        if (i < cells.units.size())
            all.push_back({column, cellRect(cells.units[i], labelFont())});
    }
    for (const auto& [column, a] : all) {
        if (a.left < rect.left || a.right > rect.right)
            return false;
        for (const auto& [other, b] : all) {
            // A later column keeps a gap to the cells of an earlier one, so
            // that a unit and the next label read apart.
            const int gap = other > column ? kCellGap : 0;
            if (&a != &b && a.width() > 0 && b.width() > 0 && a.left < b.right &&
                b.left < a.right + gap && a.top < b.bottom && b.top < a.bottom)
                return false;
        }
    }
    return true;
}

void ValueTable::fitWidth(double least) {
    while (scale - 0.02 >= least && !fits())
        scale -= 0.02;
}

void ValueTable::Draw(const ReportSurface& surface) const {
    QPainter& p = *surface.painter;
    p.setPen(Qt::black);
    const Cells cells = layout();
    const QFont f = labelFont(), b = valueFont();
    for (const auto* column : {&cells.labels, &cells.colons, &cells.units})
        for (const Cell& c : *column)
            drawTextAt(p, f, c.x, c.y, c.text);
    for (const Cell& c : cells.values)
        drawTextAt(p, b, cellRect(c, b).left, c.y, c.text);
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
