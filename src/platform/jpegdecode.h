#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QSize>
#include <optional>

namespace vlm {

// Decodes a colour JPEG (three components, YCbCr or RGB) straight into the rows of an RGB32
// image, with libjpeg's fast integer transform. A wallpaper change decodes a whole photograph
// every time, and this takes less than Qt's reader, which decodes into a row buffer and
// converts every row.
//
// nullopt: this decoder does not take the data (grayscale, CMYK, no JPEG at all); Qt's reader
// handles it. A null image: the data is broken or ends early, or the picture's size fails
// acceptable (checked before anything is allocated for the pixels).
std::optional<QImage> decodeColourJpeg(QByteArrayView data, bool (*acceptable)(QSize));

} // namespace vlm
