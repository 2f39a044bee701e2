#include "platform/picturesave.h"

#include "common/safewrite.h"

#include <QBuffer>

namespace vlm {

bool saveWindowsBitmap(const QImage& picture, const QString& path, QString* error) {
    if (picture.isNull())
        return false;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP"))
        return false;
    return writeFileAtomically(path, bytes, error);
}

} // namespace vlm
