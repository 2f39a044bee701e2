#include "common/picturecomplete.h"

#include <QtEndian>
#include <cstdlib>

namespace vlm {

namespace {

// Uncompressed BMP: the pixel rows must all be there.
bool bmpComplete(QIODevice& device) {
    const QByteArray head = device.read(54);
    if (head.size() < 54 || qFromLittleEndian<quint32>(head.constData() + 14) < 40)
        return true; // too short for the decoder anyway, or an old header it checks itself
    const auto offset = qFromLittleEndian<quint32>(head.constData() + 10);
    const qint64 width = std::abs(qint64{qFromLittleEndian<qint32>(head.constData() + 18)});
    const qint64 height = std::abs(qint64{qFromLittleEndian<qint32>(head.constData() + 22)});
    const auto bits = qFromLittleEndian<quint16>(head.constData() + 28);
    const auto compression = qFromLittleEndian<quint32>(head.constData() + 30);
    const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
    if (!uncompressed || width > 65536 || height > 65536)
        return true; // run-length data has no fixed length; oversize is refused elsewhere
    const qint64 stride = (width * bits + 31) / 32 * 4;
    return qint64{offset} + stride * height <= device.size();
}

bool skipSubBlocks(QIODevice& device) {
    char length = 0;
    while (device.getChar(&length)) {
        if (length == 0)
            return true;
        if (device.skip(static_cast<uchar>(length)) != static_cast<uchar>(length))
            return false;
    }
    return false;
}

// GIF: walk the blocks to the trailer without decoding anything.
bool gifComplete(QIODevice& device) {
    const QByteArray screen = device.read(13);
    if (screen.size() < 13)
        return false;
    const auto colourTable = [](uchar flags) {
        return (flags & 0x80) ? qint64{3} << ((flags & 7) + 1) : 0;
    };
    if (device.skip(colourTable(uchar(screen[10]))) != colourTable(uchar(screen[10])))
        return false;
    char block = 0;
    while (device.getChar(&block)) {
        if (block == ';')
            return true;
        if (block == '!') { // extension: label, then sub-blocks
            if (device.skip(1) != 1 || !skipSubBlocks(device))
                return false;
        } else if (block == ',') { // image: descriptor, colour table, code size, data
            const QByteArray descriptor = device.read(9);
            if (descriptor.size() < 9)
                return false;
            const qint64 table = colourTable(uchar(descriptor[8]));
            if (device.skip(table + 1) != table + 1 || !skipSubBlocks(device))
                return false;
        } else {
            return false;
        }
    }
    return false;
}

} // namespace

bool hasAllItsData(QIODevice& device, QByteArrayView format) {
    bool complete = true;
    if (format == "bmp")
        complete = bmpComplete(device);
    else if (format == "gif")
        complete = gifComplete(device);
    device.seek(0);
    return complete;
}

} // namespace vlm
