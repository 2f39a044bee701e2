#include "platform/decodedpicturereader.h"

#include "platform/largeimage.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace vlm {

std::span<char> DecodedPictureReader::space() {
    if (failed_)
        return {};
    if (headerFilled_ < qsizetype(sizeof header_))
        return {header_ + headerFilled_, sizeof header_ - std::size_t(headerFilled_)};
    if (image_.isNull()) // a size-only answer has no pixels
        return {};
    // The rows of a four-byte format follow each other without padding.
    return {reinterpret_cast<char*>(image_.bits()) + filled_, std::size_t(pixelBytes_ - filled_)};
}

bool DecodedPictureReader::received(qsizetype count) {
    if (failed_ || count <= 0)
        return !failed_;
    if (count > qsizetype(space().size())) { // more than there was room for: the caller's fault
        failed_ = true;
        return false;
    }
    if (headerFilled_ < qsizetype(sizeof header_)) {
        headerFilled_ += count;
        if (headerFilled_ == qsizetype(sizeof header_))
            failed_ = !startImage();
        return !failed_;
    }
    filled_ += count;
    fixRows(int(filled_ / image_.bytesPerLine()));
    return true;
}

bool DecodedPictureReader::append(QByteArrayView bytes) {
    while (!failed_ && !bytes.isEmpty()) {
        const std::span<char> room = space();
        if (room.empty()) {
            receivedTooMuch();
            break;
        }
        const qsizetype take = std::min(bytes.size(), qsizetype(room.size()));
        std::memcpy(room.data(), bytes.data(), std::size_t(take));
        bytes = bytes.sliced(take);
        received(take);
    }
    return !failed_;
}

bool DecodedPictureReader::startImage() {
    if (std::memcmp(header_, format_.magic, sizeof format_.magic) != 0)
        return false;
    const auto width = qFromLittleEndian<quint32>(header_ + 8);
    const auto height = qFromLittleEndian<quint32>(header_ + 12);
    if (width == 0 || height == 0 || width > format_.maxSide || height > format_.maxSide ||
        quint64{width} * height > format_.maxPixels)
        return false;
    size_ = QSize(int(width), int(height));
    if (sizeOnly_)
        return true;
    static_assert(sizeof(quint32) == 4);
    if (format_.bytesPerPixel != 4)
        return false;
    image_ = newLargeImage(size_, format_.opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32);
    pixelBytes_ = image_.sizeInBytes();
    return !image_.isNull() && image_.bytesPerLine() == qsizetype(width) * 4;
}

// Whole rows, in place, as they arrive: the words come little-endian (a no-op to turn on most
// machines), and an opaque format's pixels get their 0xFF, which a hostile helper may not send.
void DecodedPictureReader::fixRows(int end) {
    for (; fixedRows_ < end; ++fixedRows_) {
        auto* pixels = reinterpret_cast<quint32*>(image_.scanLine(fixedRows_));
        qFromLittleEndian<quint32>(pixels, image_.width(), pixels);
        if (format_.opaque)
            for (qsizetype x = 0, width = image_.width(); x < width; ++x)
                pixels[x] |= 0xFF000000u;
    }
}

QSize DecodedPictureReader::finishSize() const {
    return sizeOnly_ && !failed_ && size_.isValid() ? size_ : QSize();
}

QImage DecodedPictureReader::finish() {
    if (sizeOnly_ || failed_ || image_.isNull() || filled_ != pixelBytes_)
        return {};
    failed_ = true; // the image is handed out once
    return std::move(image_);
}

} // namespace vlm
