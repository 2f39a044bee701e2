#pragma once

#include <QImage>
#include <QString>

namespace vlm {

// Writes image as an uncompressed 24-bit Windows bitmap (BITMAPFILEHEADER, 40-byte
// BITMAPINFOHEADER, bottom-up rows padded to 4 bytes), replacing path atomically: on any
// failure the old file stays as it was and false is returned with a reason in error.
// Transparent parts are laid on white, as a drawing on paper.
bool saveWindowsBitmap(const QImage& image, const QString& path, QString* error = nullptr);

// The bitmap file's bytes, empty when the image is null or too large for the format.
QByteArray encodeWindowsBitmap(const QImage& image);

} // namespace vlm
