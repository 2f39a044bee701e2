#include "wallpaper/bitmapheader.h"

#include <QFile>
#include <QtEndian>

namespace vlm {

BitmapInfo readBitmapHeader(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray fileHeader = file.read(14);
    const QByteArray infoHeader = file.read(40);
    if (fileHeader.size() != 14 || infoHeader.size() != 40)
        return {};
    // File offsets 18, 22 and 28 lie 4, 8 and 14 bytes into the information header.
    BitmapInfo info;
    info.width = qFromLittleEndian<qint32>(infoHeader.constData() + 4);
    info.height = qFromLittleEndian<qint32>(infoHeader.constData() + 8);
    info.bitsPerPixel = qFromLittleEndian<qint16>(infoHeader.constData() + 14);
    return info;
}

QString bitmapInfoLine(const BitmapInfo& info) {
    return QStringLiteral("aktuální tapeta na pozadí: %1 x %2 x %3bpp")
        .arg(info.width)
        .arg(info.height)
        .arg(info.bitsPerPixel);
}

} // namespace vlm
