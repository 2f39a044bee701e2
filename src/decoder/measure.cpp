#include "decoder/decoders.h"

#include <QBuffer>
#include <QImageReader>
#include <QScopeGuard>
#include <QtEndian>

namespace vlm::decoder {

namespace {

// The kinds whose header Qt's readers tell the size and orientation of without decoding.
QSize measureWithQt(const QByteArray& data, const char* format) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (!stored.isValid())
        return {};
    return reader.transformation().testFlag(QImageIOHandler::TransformationRotate90)
               ? stored.transposed()
               : stored;
}

} // namespace

// A GIF comes at its logical screen's size, whatever its first frame's.
QSize measureGif(const QByteArray& data) {
    if (data.size() < 10 || !data.startsWith("GIF8"))
        return {};
    const auto* header = reinterpret_cast<const uchar*>(data.constData());
    return {qFromLittleEndian<quint16>(header + 6), qFromLittleEndian<quint16>(header + 8)};
}

QSize measureJpeg(const QByteArray& data) {
    return measureWithQt(data, "jpeg");
}
QSize measurePng(const QByteArray& data) {
    return measureWithQt(data, "png");
}
QSize measureBmp(const QByteArray& data) {
    return measureWithQt(data, "bmp");
}

} // namespace vlm::decoder
