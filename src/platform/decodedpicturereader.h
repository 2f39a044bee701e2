#pragma once

#include "common/decodewire.h"

#include <QByteArrayView>
#include <QImage>
#include <span>

namespace vlm {

// Takes what the picture helper writes to its standard output, as it comes, straight into an
// image: the caller reads the helper's pipe into space() and says how much came, so a
// 200-megapixel photo is never held twice nor copied on its way. Anything but a well-formed
// header of the expected format with bounded dimensions followed by exactly the pixels it
// announces gives a null image: the helper runs old decoders on hostile files, so its output is
// not trusted.
class DecodedPictureReader {
public:
    explicit DecodedPictureReader(const decodewire::Format& format, bool sizeOnly = false)
        : format_(format), sizeOnly_(sizeOnly) {}

    // Where the next bytes go: the rest of the header or of the pixels. Empty once no more
    // bytes are expected (all came, or the output can no longer be valid).
    std::span<char> space();
    // count bytes were written at the start of space(). False once the output can no longer be
    // valid; the caller may stop reading then.
    bool received(qsizetype count);
    // Bytes that came when none were expected (past the pixels, or after a size-only header).
    void receivedTooMuch() { failed_ = true; }
    // space() and received() for bytes that are already in memory.
    bool append(QByteArrayView bytes);
    // The image when exactly the announced pixels came, else a null image.
    QImage finish();
    // For a size-only answer: the size when exactly a valid header came, else an invalid size.
    QSize finishSize() const;

private:
    bool startImage();
    void fixRows(int end);

    const decodewire::Format& format_;
    const bool sizeOnly_;
    QSize size_;
    char header_[decodewire::kHeaderSize] = {};
    qsizetype headerFilled_ = 0;
    QImage image_;
    qsizetype pixelBytes_ = 0;
    qsizetype filled_ = 0; // bytes of the pixels
    int fixedRows_ = 0;
    bool failed_ = false;
};

} // namespace vlm
