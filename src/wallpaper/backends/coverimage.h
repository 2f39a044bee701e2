#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>

namespace vlm {

// picture scaled to fill target completely, keeping its aspect; the overflow is cut off evenly
// on both sides. Transparent parts are laid over white. The result is Format_RGB32.
QImage coverImage(const QImage& picture, QSize target);

// A root-window image of size rootSize with the picture covering each monitor (an empty list
// means one monitor spanning the root); areas outside every monitor are black.
QImage rootImage(const QImage& picture, QSize rootSize, const QList<QRect>& monitors);

// How an X server lays out the pixels of a ZPixmap image for one depth.
struct PixelLayout {
    int bitsPerPixel = 32; // 8, 16, 24 or 32
    int scanlinePad = 32;  // bits
    quint32 redMask = 0xff0000;
    quint32 greenMask = 0x00ff00;
    quint32 blueMask = 0x0000ff;
    bool mostSignificantFirst = false; // the server's image byte order

    int bytesPerLine(int width) const;
};

// The bytes of rows [firstRow, firstRow + rowCount) of an RGB32 image in layout. Empty when the
// layout is not a true-colour one this code can write. When the layout is the image's own, the
// bytes are its rows, not a copy: use them while the image lives.
QByteArray packPixels(const QImage& rgb32, const PixelLayout& layout, int firstRow, int rowCount);

} // namespace vlm
