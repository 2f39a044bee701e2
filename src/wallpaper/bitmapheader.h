#pragma once

#include <QString>
#include <QtGlobal>

namespace vlm {

// The fields of a Windows bitmap's BITMAPINFOHEADER that the info line shows.
struct BitmapInfo {
    qint32 width = 0;
    qint32 height = 0;
    qint16 bitsPerPixel = 0;
};

// Reads the 14-byte file header and the 40-byte information header after it. The fields
// stay 0 when the file cannot be opened or is shorter than the two headers.
BitmapInfo readBitmapHeader(const QString& path);

// "aktuální tapeta na pozadí: W x H x Bbpp"
QString bitmapInfoLine(const BitmapInfo& info);

} // namespace vlm
