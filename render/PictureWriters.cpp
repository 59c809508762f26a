#include "render/PictureWriters.h"

#include "core/StringIds.h"
#include "records/SafeFileWriter.h"

#include <QBuffer>
#include <QImageWriter>

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <functional>
#include <unordered_map>
#include <vector>

namespace vantora {

namespace {

constexpr int kJpegQuality = 90;
constexpr size_t kGifColours = 256;

struct Writer {
    const char* mimeType;
    const char* qtFormat; // nullptr: the GIF writer
};
constexpr std::array<Writer, 5> kWriters{{{"image/bmp", "bmp"},
                                          {"image/jpeg", "jpeg"},
                                          {"image/gif", nullptr},
                                          {"image/tiff", "tiff"},
                                          {"image/png", "png"}}};

bool qtCanWrite(const char* format) {
    return QImageWriter::supportedImageFormats().contains(QByteArray(format));
}

// Colour map of an indexed image, padded to the power of two GIF asks for.
std::vector<GifColorType> gifColours(const QImage& indexed, int& bits) {
    const QList<QRgb> table = indexed.colorTable();
    bits = 1;
    while ((1 << bits) < table.size())
        ++bits;
    std::vector<GifColorType> colours(size_t(1) << bits, GifColorType{0, 0, 0});
    for (qsizetype k = 0; k < table.size(); ++k)
        colours[size_t(k)] =
            GifColorType{GifByteType(qRed(table[k])), GifByteType(qGreen(table[k])),
                         GifByteType(qBlue(table[k]))};
    return colours;
}

// The picture's 256 most frequent colours: the paper, the grid, the page
// colour and the texts stay exact, anti-aliased edges take the nearest.
QList<QRgb> gifPalette(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::unordered_map<QRgb, int> counts;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            ++counts[line[x] | 0xFF000000u];
    }
    std::vector<std::pair<int, QRgb>> byCount;
    byCount.reserve(counts.size());
    for (const auto& [colour, n] : counts)
        byCount.emplace_back(n, colour);
    const size_t kept = std::min<size_t>(byCount.size(), kGifColours);
    std::partial_sort(byCount.begin(), byCount.begin() + qsizetype(kept), byCount.end(),
                      std::greater<>());
    QList<QRgb> palette;
    for (size_t k = 0; k < kept; ++k)
        palette.append(byCount[k].second);
    return palette;
}

// giflib's output function: appends to the QByteArray behind the handle.
int appendGifBytes(GifFileType* gif, const GifByteType* bytes, int len) {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), len);
    return len;
}

QByteArray encodeIndexedGif(const QImage& indexed) {
    int bits = 1;
    std::vector<GifColorType> colours = gifColours(indexed, bits);
    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendGifBytes, &error);
    if (!gif)
        return {};
    ColorMapObject* map = GifMakeMapObject(1 << bits, colours.data());
    bool ok =
        map && EGifPutScreenDesc(gif, indexed.width(), indexed.height(), bits, 0, map) == GIF_OK;
    ok = ok &&
         EGifPutImageDesc(gif, 0, 0, indexed.width(), indexed.height(), false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < indexed.height(); ++y)
        ok = EGifPutLine(gif, const_cast<GifPixelType*>(indexed.constScanLine(y)),
                         indexed.width()) == GIF_OK;
    GifFreeMapObject(map);
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    return ok ? out : QByteArray();
}

// The picture in the writer's format, or nothing when it cannot be encoded.
QByteArray encodePicture(const QImage& image, const char* qtFormat) {
    if (!qtFormat)
        return encodeGif(image);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, qtFormat);
    if (qstrcmp(qtFormat, "jpeg") == 0)
        writer.setQuality(kJpegQuality);
    return writer.write(image) ? buffer.data() : QByteArray();
}

} // namespace

int FindEncoder(const QString& mimeType) {
    for (size_t k = 0; k < kWriters.size(); ++k) {
        if (mimeType != QLatin1String(kWriters[k].mimeType))
            continue;
        const char* format = kWriters[k].qtFormat;
        return !format || qtCanWrite(format) ? int(k) : -1;
    }
    return -1;
}

QString pictureMimeType(const QString& extension) {
    QString ext = extension.toLower();
    if (ext == u"jpg")
        ext = QStringLiteral("jpeg");
    else if (ext == u"tif")
        ext = QStringLiteral("tiff");
    return QStringLiteral("image/") + ext;
}

QByteArray encodeGif(const QImage& image) {
    if (image.isNull())
        return {};
    return encodeIndexedGif(
        image.convertToFormat(QImage::Format_Indexed8, gifPalette(image), Qt::ThresholdDither));
}

Result<> savePicture(const QImage& image, const QString& path, const QString& extension) {
    const int index = FindEncoder(pictureMimeType(extension));
    if (index < 0)
        return Message{ids::kNoPictureWriter, path};
    const QByteArray encoded = encodePicture(image, kWriters[size_t(index)].qtFormat);
    if (encoded.isEmpty())
        return Message{ids::kPictureNotSaved, path};
    return writeWholeFile(path, encoded);
}

} // namespace vantora
