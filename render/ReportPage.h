#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class QPainter;

namespace vantora {

// A rectangle of a report in layout units (1/24 mm, y downwards), given by
// its edges as the layout rules name them.
struct LayoutRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const LayoutRect&, const LayoutRect&) = default;
};

// Layout units per millimetre on every device; the painter maps them to the
// printer's or PDF's resolution.
constexpr int kUnitsPerMm = 24;
// The report frame is 250 mm wide: ten seconds of paper at 25 mm/s.
constexpr int kReportFrameWidth = 6000;

// Text sizes in layout units, truncated as the layout truncates.
int textWidth(const QFont& font, const QString& text);
int textHeight(const QFont& font);
// Height of text word-wrapped into `width` units.
int wrappedTextHeight(const QFont& font, const QString& text, int width);
// `font` at `scale` times its pixel size: texts shrink to fit their box.
QFont scaledFont(const QFont& font, double scale);

// Where a report is drawn: the preview's screen surface takes the lighter
// paper colours.
struct ReportSurface {
    QPainter* painter = nullptr;
    bool preview = false;
};

class ReportElement {
public:
    enum Kind { kTextRow = 0, kFieldBlock = 2, kPaper = 4 };
    ReportElement(const QFont* font, int kind, LayoutRect rect)
        : font(font), kind(kind), rect(rect) {}
    virtual ~ReportElement() = default;
    virtual void Draw(const ReportSurface& surface) const = 0;

    const QFont* font; // one of the page's fonts
    int kind;
    LayoutRect rect;
};

// Pieces drawn on one line from the top-left corner, piece 1 bold; with the
// wrap flag, pieces after 0 word-wrap from piece 0's right end.
class TextRow : public ReportElement {
public:
    TextRow(const QFont* font, LayoutRect rect, QStringList pieces, const QFont* bold = nullptr,
            bool wrap = false)
        : ReportElement(font, kTextRow, rect), pieces(std::move(pieces)), bold(bold), wrap(wrap) {}
    void Draw(const ReportSurface& surface) const override;

    // Shrinks the wrapped pieces until they end above the row's bottom, to
    // no less than `least` of their size; beyond that they run on below.
    void fitWrappedHeight(double least);
    int wrappedBottom() const;

    QStringList pieces;
    const QFont* bold;
    bool wrap;
    double wrapScale = 1.0; // of the wrapped pieces' font

private:
    QFont pieceFont(int k) const;
};

// Fields flowing in quarter columns; the block's bottom follows its last row.
class FieldBlock : public ReportElement {
public:
    FieldBlock(const QFont* font, LayoutRect rect);
    // Adds a field (label, value, unit pieces) by the flow rule.
    void addField(const QStringList& pieces);
    // Adds the wrapped row (label piece, wrapped text) under the flow.
    void addWrappedRow(const QString& label, const QString& text);
    void Draw(const ReportSurface& surface) const override;

    const QFont& boldFont() const { return bold_; }
    const std::vector<TextRow>& rows() const { return rows_; }

private:
    QFont bold_;
    std::vector<TextRow> rows_;
    int x_ = 0;
    int y_ = 0;
    int lineBottom_ = 0; // the previous field's bottom
};

class TitledBox : public ReportElement {
public:
    TitledBox(const QFont* font, LayoutRect rect, QString title)
        : ReportElement(font, kTextRow, rect), title(std::move(title)) {}
    void Draw(const ReportSurface& surface) const override;

    QString title;
    std::vector<std::unique_ptr<ReportElement>> children;
};

// Labels, ":" and values (bold) with optional units, in columns that
// restart at the top, half the width further right, when they reach the bottom.
// A row without a label has no ":" either: its value goes on from the row above.
class ValueTable : public ReportElement {
public:
    struct Row {
        QString label, value, unit;
    };
    struct Cell {
        int x = 0; // left edge; for right-aligned values, the right edge
        int y = 0;
        bool rightAligned = false;
        QString text;
    };
    struct Cells {
        std::vector<Cell> labels, colons, values, units;
    };

    ValueTable(const QFont* font, LayoutRect rect, std::vector<Row> rows, const QFont* bold)
        : ReportElement(font, kTextRow, rect), rows(std::move(rows)), bold(bold) {}
    Cells layout() const;
    void Draw(const ReportSurface& surface) const override;
    // Whether no two cells overlap and every cell lies within left..right.
    bool fits() const;
    // Shrinks the texts until the table fits, to no less than `least` of
    // their size: a long time or a narrow box keeps every text inside.
    void fitWidth(double least);

    std::vector<Row> rows;
    const QFont* bold;
    double scale = 1.0; // of both fonts

private:
    QFont labelFont() const { return scaledFont(*font, scale); }
    QFont valueFont() const { return scaledFont(*bold, scale); }
    LayoutRect cellRect(const Cell& cell, const QFont& f) const;
};

// One report sheet: the frame, the fonts and the positioned elements.
class ReportPage {
public:
    enum Kind { kNone = -1, kSnapRecord = 0, kContinuousRecord = 1, kAnalysis = 2 };

    // The frame of a surface `width` x `height` units: a margin of
    // (width - 6000) / 2 on every side.
    ReportPage(int width, int height, std::span<const int32_t> samples);

    void Render(const ReportSurface& surface) const;

    int left, top, right, bottom;
    std::span<const int32_t> samples;
    int kind = kNone;
    QFont titleFont, bodyFont, sideFont;
    QFont boldFont; // values and the diagnosis: the body font, bold
    std::vector<std::unique_ptr<ReportElement>> elements;
};

// Draws `text` at (x, y) running downwards, as a rotated label.
void drawSideText(QPainter& painter, const QFont& font, int x, int y, const QString& text);

} // namespace vantora
