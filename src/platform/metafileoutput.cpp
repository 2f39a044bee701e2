#include "platform/metafileoutput.h"

#include "common/metafilewire.h"

#include <QtEndian>
#include <cstring>

namespace vlm {

QImage parseMetafileOutput(const QByteArray& bytes) {
    namespace wire = metafilewire;
    if (static_cast<std::size_t>(bytes.size()) < wire::kHeaderSize ||
        std::memcmp(bytes.constData(), wire::kMagic, sizeof wire::kMagic) != 0)
        return {};
    const auto width = qFromLittleEndian<quint32>(bytes.constData() + 8);
    const auto height = qFromLittleEndian<quint32>(bytes.constData() + 12);
    if (width == 0 || height == 0 || width > wire::kMaxSide || height > wire::kMaxSide)
        return {};
    const quint64 pixels = quint64{width} * height;
    if (pixels > wire::kMaxPixels ||
        static_cast<quint64>(bytes.size()) != wire::kHeaderSize + pixels * 4)
        return {};

    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    const char* source = bytes.constData() + wire::kHeaderSize;
    for (int y = 0; y < image.height(); ++y) {
        qFromLittleEndian<quint32>(source, width, image.scanLine(y));
        source += std::size_t{width} * 4;
    }
    return image;
}

} // namespace vlm
