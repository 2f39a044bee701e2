#pragma once

#include "decoder/decoders.h"

#include <QIODevice>
#include <QImage>
#include <QImageIOHandler>
#include <QSize>
#include <optional>

namespace vlm::decoder {

struct JpegRequest {
    // Turns the picture upright while its rows arrive, with no second copy of it.
    QImageIOHandler::Transformations transformation = QImageIOHandler::TransformationNone;
    // libjpeg decodes at the smallest of its scales 1/8 to 8/8 that still covers the upright
    // picture at the size wanted for this box; an empty box: the whole picture.
    Box box;
};

// Decodes a colour JPEG (three components, YCbCr or RGB) from device straight into the rows
// of an RGB32 image, with libjpeg's fast integer transform. A wallpaper change decodes a whole
// photograph every time, and this takes less than Qt's reader, which decodes into a row buffer
// and converts every row; it reads the file in small blocks instead of holding it whole.
//
// nullopt: this decoder does not take the data (grayscale, CMYK, no JPEG at all); Qt's reader
// handles it. A null image: the data is broken or ends early, or the picture's natural size
// fails acceptable (checked before anything is allocated for the pixels).
std::optional<QImage> decodeColourJpeg(QIODevice& device, bool (*acceptable)(QSize),
                                       const JpegRequest& request = {});

// decodeColourJpeg's picture handed to out a strip of rows at a time, when it is upright and
// libjpeg's scale gives exactly the size wanted for the request's box; NotTaken otherwise, also
// for data decodeColourJpeg does not take or fails on, before anything is written.
Streamed streamColourJpeg(QIODevice& device, bool (*acceptable)(QSize), const JpegRequest& request,
                          RowWriter& out);

// The size a picture of size takes after transformation.
QSize transformedSize(QSize size, QImageIOHandler::Transformations transformation);

} // namespace vlm::decoder
