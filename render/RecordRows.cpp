#include "render/RecordRows.h"

#include "core/DataPaths.h"
#include "render/PictureWriters.h"
#include "render/StripPointBuilder.h"
#include "render/StripRowRenderer.h"

#include <QPainter>

namespace vantora {

RecordRowImages renderRecordRows(std::span<const int32_t> samples, RecordingMode mode, int gain,
                                 QSize rowSize, qreal ratio) {
    const StripRow row{0, rowSize.height()};
    const StripRows rows{row, row, row};
    const StripPointList list = mode == RecordingMode::Continuous
                                    ? buildColumnStripPoints(samples, rows, gain, rowSize.width())
                                    : buildStripPoints(samples, rows, gain);
    RecordRowImages images;
    for (int r = 0; r < strip::kRowCount; ++r)
        images[size_t(r)] = renderAnalysisRow(r, rowSize, gain, list, RowCursor{}, RowCursor{},
                                              ratio, palette::kTrace);
    return images;
}

Result<> saveStripPicture(const RecordRowImages& rows, const QString& path) {
    if (rows.front().isNull())
        return {};
    int height = 0;
    for (const QImage& row : rows)
        height += row.height();
    QImage picture(rows.back().width(), height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    int y = 0;
    for (const QImage& row : rows) {
        painter.drawImage(0, y, row);
        y += row.height();
    }
    painter.end();
    return savePicture(picture, path, QStringLiteral("bmp"));
}

} // namespace vantora
