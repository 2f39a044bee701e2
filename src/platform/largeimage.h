#pragma once

#include <QImage>
#include <QSize>

namespace vlm {

// A new image of four bytes a pixel (RGB32 or ARGB32; contents undefined) whose memory the
// kernel may back with huge pages when it is large: a 4K picture is 33 MB, and faulting that in
// 4 KB pages at every wallpaper change costs a fifth of decoding it. Small images are plain
// QImages. Null when the memory cannot be had.
QImage newLargeImage(QSize size, QImage::Format format = QImage::Format_RGB32);

} // namespace vlm
