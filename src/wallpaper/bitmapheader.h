#pragma once

#include <QString>
#include <QtGlobal>

namespace vlm {

struct BitmapInfo {
    qint32 width = 0;
    qint32 height = 0;
    qint16 bitsPerPixel = 0;
};

// Reads the size and colour depth from a Windows bitmap's headers; zeros when unreadable.
BitmapInfo readBitmapHeader(const QString& path);

// "aktuální tapeta na pozadí: W x H x Bbpp"
QString bitmapInfoLine(const BitmapInfo& info);

} // namespace vlm
