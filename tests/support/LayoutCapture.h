#pragma once

// A paint device that records where things are drawn instead of drawing
// them: every text item with the ink rectangle of the font it was drawn in,
// every line, path, polygon and image with its bounding rectangle, and every
// rectangle outline as a box (its four edges count as drawn elements).
// layoutFaults() then lists texts that overlap another text or element or
// leave the box they start in. The report and picture tests run their real
// drawing code on it.
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <QTransform>

#include <algorithm>
#include <climits>
#include <vector>

namespace vantora::test {

struct DrawnItem {
    enum Kind { kText, kLine, kEdge, kPath, kImage };
    Kind kind;
    QRectF rect; // device coordinates
    QString text;
};

class CaptureEngine : public QPaintEngine {
public:
    CaptureEngine() : QPaintEngine(AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }

    void updateState(const QPaintEngineState& state) override {
        if (state.state() & DirtyTransform)
            transform_ = state.transform();
        if (state.state() & DirtyPen)
            penWidth_ = std::max(1.0, state.pen().widthF());
        if (state.state() & DirtyHints)
            aliased_ = !(state.renderHints() & QPainter::Antialiasing);
    }
    void drawTextItem(const QPointF& at, const QTextItem& item) override {
        const QRectF ink = QFontMetricsF(item.font()).tightBoundingRect(item.text());
        if (!ink.isEmpty()) // blanks draw nothing
            add(DrawnItem::kText, ink.translated(at), item.text());
    }
    void drawLines(const QLineF* lines, int count) override {
        for (int i = 0; i < count; ++i)
            add(DrawnItem::kLine, stroked(QRectF(lines[i].p1(), lines[i].p2()).normalized()));
    }
    void drawRects(const QRectF* rects, int count) override {
        for (int i = 0; i < count; ++i) {
            const QRectF r = rects[i].normalized();
            boxes.push_back(transform_.mapRect(r));
            const QLineF edges[4] = {{r.topLeft(), r.topRight()},
                                     {r.topRight(), r.bottomRight()},
                                     {r.bottomLeft(), r.bottomRight()},
                                     {r.topLeft(), r.bottomLeft()}};
            for (const QLineF& e : edges)
                add(DrawnItem::kEdge, stroked(QRectF(e.p1(), e.p2()).normalized()));
        }
    }
    void drawPath(const QPainterPath& path) override {
        add(DrawnItem::kPath, stroked(path.boundingRect()));
    }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode) override {
        add(DrawnItem::kPath,
            stroked(QPolygonF(QList<QPointF>(points, points + count)).boundingRect()));
    }
    void drawPixmap(const QRectF& r, const QPixmap&, const QRectF&) override {
        add(DrawnItem::kImage, r);
    }
    void drawImage(const QRectF& r, const QImage&, const QRectF&,
                   Qt::ImageConversionFlags) override {
        add(DrawnItem::kImage, r);
    }

    std::vector<DrawnItem> items;
    std::vector<QRectF> boxes;

private:
    // The pen's width around the geometry; without antialiasing a line
    // lands right of and below its mathematical position.
    QRectF stroked(const QRectF& r) const {
        const double half = penWidth_ / 2;
        const double shift = aliased_ ? 0.5 : 0.0;
        return r.adjusted(shift - half, shift - half, shift + half, shift + half);
    }
    void add(DrawnItem::Kind kind, const QRectF& r, const QString& text = {}) {
        items.push_back({kind, transform_.mapRect(r), text});
    }
    QTransform transform_;
    double penWidth_ = 1;
    bool aliased_ = true;
};

class LayoutCapture : public QPaintDevice {
public:
    explicit LayoutCapture(QSize size) : size_(size) {}
    ~LayoutCapture() override = default;
    QPaintEngine* paintEngine() const override { return &engine_; }
    const std::vector<DrawnItem>& items() const { return engine_.items; }
    const std::vector<QRectF>& boxes() const { return engine_.boxes; }
    QRectF sheet() const { return QRectF(QPointF(0, 0), QSizeF(size_)); }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth:
            return size_.width();
        case PdmHeight:
            return size_.height();
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        case PdmWidthMM:
        case PdmHeightMM:
            return (m == PdmWidthMM ? size_.width() : size_.height()) * 254 / 960;
        default:
            return 96; // dots per inch
        }
    }

private:
    QSize size_;
    mutable CaptureEngine engine_;
};

inline QString describe(const DrawnItem& item) {
    static const char* const kinds[] = {"text", "line", "box edge", "path", "image"};
    const QRect r = item.rect.toAlignedRect();
    const QString where =
        QStringLiteral(" [%1,%2 %3x%4]").arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height());
    return item.kind == DrawnItem::kText ? u'"' + item.text + u'"' + where
                                         : QLatin1String(kinds[item.kind]) + where;
}

// The smallest box whose inside holds the text's centre; the sheet when none.
inline QRectF enclosingBox(const LayoutCapture& capture, const QRectF& text) {
    QRectF best = capture.sheet();
    for (const QRectF& box : capture.boxes())
        if (box.contains(text.center()) &&
            box.width() * box.height() < best.width() * best.height())
            best = box;
    return best;
}

// Every text that overlaps another text or a drawn element, or that leaves
// its box: one line per text and what it meets (the first element of each
// kind, with how many of that kind).
inline QStringList layoutFaults(const LayoutCapture& capture) {
    QStringList faults;
    const auto& items = capture.items();
    for (size_t i = 0; i < items.size(); ++i) {
        const DrawnItem& text = items[i];
        if (text.kind != DrawnItem::kText)
            continue;
        int met[5] = {};
        qsizetype first[5] = {};
        for (size_t j = 0; j < items.size(); ++j) {
            const DrawnItem& other = items[j];
            const bool later = other.kind != DrawnItem::kText || j > i; // text pairs once
            if (j == i || !later || !text.rect.intersects(other.rect))
                continue;
            if (met[other.kind]++ == 0 || other.kind == DrawnItem::kText) {
                first[other.kind] = faults.size();
                faults << describe(text) + QStringLiteral(" overlaps ") + describe(other);
            }
        }
        for (int kind = 1; kind < 5; ++kind)
            if (met[kind] > 1)
                faults[first[kind]] += QStringLiteral(" (+%1 more)").arg(met[kind] - 1);
        const QRectF box = enclosingBox(capture, text.rect);
        if (!box.contains(text.rect))
            faults << describe(text) + QStringLiteral(" leaves its box") +
                          describe({DrawnItem::kEdge, box, {}}).mid(8);
    }
    return faults;
}

} // namespace vantora::test
