#pragma once

#include "core/Message.h"
#include "core/Result.h"

#include <QImage>
#include <QString>

namespace vantora {

// The image writers pictures are saved with, chosen by MIME type: Qt's for
// BMP, JPEG, TIFF and PNG, our own on giflib for GIF (Qt has no GIF writer).

// The writer's index in the writer table for an exact (case-sensitive) MIME
// type such as "image/png", or -1 when none matches or its Qt plugin is
// missing. "image/jpg" and "image/tif" are no writer's type.
int FindEncoder(const QString& mimeType);

// The MIME type a typed extension (without dot) is saved as: "image/" + the
// lower-case extension, with "jpg" read as "jpeg" and "tif" as "tiff".
QString pictureMimeType(const QString& extension);

// `image` as a GIF file with at most 256 colours; empty on failure.
QByteArray encodeGif(const QImage& image);

// Saves `image` to `path` as the extension says (pictureMimeType). The
// picture is encoded in memory and written through a temporary file beside
// `path`, so a failure leaves an earlier file of that name as it was. An
// extension without a writer gives 62301 and a picture that cannot be encoded
// 62300, both with the path; a failed write 62620 with "FILE: reason".
Result<> savePicture(const QImage& image, const QString& path, const QString& extension);

} // namespace vantora
