#include "wallpaper/bitmapheader.h"

#include <QFile>
#include <QtEndian>

namespace vlm {

BitmapInfo readBitmapHeader(const QString& path) {
    BitmapInfo info;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return info;
    const QByteArray headers = file.read(54);
    if (headers.size() < 54)
        return info;
    const auto* bytes = reinterpret_cast<const uchar*>(headers.constData());
    info.width = qFromLittleEndian<qint32>(bytes + 18);
    info.height = qFromLittleEndian<qint32>(bytes + 22);
    info.bitsPerPixel = qFromLittleEndian<qint16>(bytes + 28);
    return info;
}

QString bitmapInfoLine(const BitmapInfo& info) {
    return QStringLiteral("aktuální tapeta na pozadí: %1 x %2 x %3bpp")
        .arg(info.width)
        .arg(info.height)
        .arg(info.bitsPerPixel);
}

} // namespace vlm
