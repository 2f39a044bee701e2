#include "platform/decodedpicturereader.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace vlm {

bool DecodedPictureReader::append(QByteArrayView bytes) {
    while (!failed_ && !bytes.isEmpty()) {
        if (sizeOnly_ && size_.isValid()) { // a size-only answer has no pixels
            failed_ = true;
            break;
        }
        if (image_.isNull()) {
            const qsizetype take =
                std::min<qsizetype>(bytes.size(), decodewire::kHeaderSize - header_.size());
            header_.append(bytes.first(take));
            bytes = bytes.sliced(take);
            if (header_.size() == qsizetype(decodewire::kHeaderSize))
                failed_ = !startImage();
            continue;
        }
        if (row_ == image_.height()) { // bytes past the announced pixels
            failed_ = true;
            break;
        }
        const qsizetype take = std::min(bytes.size(), rowBytes_ - filled_);
        std::memcpy(image_.scanLine(row_) + filled_, bytes.data(), std::size_t(take));
        bytes = bytes.sliced(take);
        filled_ += take;
        if (filled_ == rowBytes_)
            endRow();
    }
    return !failed_;
}

bool DecodedPictureReader::startImage() {
    const char* header = header_.constData();
    if (std::memcmp(header, format_.magic, sizeof format_.magic) != 0)
        return false;
    const auto width = qFromLittleEndian<quint32>(header + 8);
    const auto height = qFromLittleEndian<quint32>(header + 12);
    if (width == 0 || height == 0 || width > format_.maxSide || height > format_.maxSide ||
        quint64{width} * height > format_.maxPixels)
        return false;
    size_ = QSize(int(width), int(height));
    if (sizeOnly_)
        return true;
    const auto format = format_.opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32;
    image_ = QImage(int(width), int(height), format);
    rowBytes_ = qsizetype(width) * format_.bytesPerPixel;
    return !image_.isNull();
}

void DecodedPictureReader::endRow() {
    // in place; a no-op on little-endian machines
    quint32* pixels = reinterpret_cast<quint32*>(image_.scanLine(row_));
    qFromLittleEndian<quint32>(pixels, image_.width(), pixels);
    if (format_.opaque) // RGB32 wants 0xFF there; a hostile helper may send anything
        for (qsizetype x = 0, width = image_.width(); x < width; ++x)
            pixels[x] |= 0xFF000000u;
    ++row_;
    filled_ = 0;
}

QSize DecodedPictureReader::finishSize() const {
    return sizeOnly_ && !failed_ ? size_ : QSize();
}

QImage DecodedPictureReader::finish() {
    if (sizeOnly_ || failed_ || image_.isNull() || row_ != image_.height())
        return {};
    failed_ = true; // the image is handed out once
    return std::move(image_);
}

} // namespace vlm
