#pragma once

#include "common/decodewire.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

namespace vlm {

// Takes what the picture helper writes to its standard output, as it comes, straight into an
// image: a 200-megapixel photo is never held twice. Anything but a well-formed header of the
// expected format with bounded dimensions followed by exactly the pixels it announces gives a
// null image: the helper runs old decoders on hostile files, so its output is not trusted.
class DecodedPictureReader {
public:
    explicit DecodedPictureReader(const decodewire::Format& format, bool sizeOnly = false)
        : format_(format), sizeOnly_(sizeOnly) {}

    // False once the output can no longer be valid; the caller may stop reading then.
    bool append(QByteArrayView bytes);
    // The image when exactly the announced pixels came, else a null image.
    QImage finish();
    // For a size-only answer: the size when exactly a valid header came, else an invalid size.
    QSize finishSize() const;

private:
    bool startImage();
    void endRow();

    const decodewire::Format& format_;
    const bool sizeOnly_;
    QSize size_;
    QByteArray header_;
    QImage image_;
    int row_ = 0;
    qsizetype rowBytes_ = 0;
    qsizetype filled_ = 0; // bytes of the current row
    bool failed_ = false;
};

} // namespace vlm
