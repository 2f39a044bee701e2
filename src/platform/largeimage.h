#pragma once

#include <QImage>
#include <QSize>

namespace vlm {

// A new RGB32 image (contents undefined) whose memory the kernel may back with huge pages
// when it is large: a 4K picture is 33 MB, and faulting that in 4 KB pages at every wallpaper
// change costs a fifth of decoding it. Small images are plain QImages. Null when the memory
// cannot be had.
QImage newLargeImage(QSize size);

} // namespace vlm
