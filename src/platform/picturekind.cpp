#include "platform/picturekind.h"

#include <QtEndian>

namespace vlm {

namespace {

quint16 u16(QByteArrayView head, qsizetype offset) {
    return qFromLittleEndian<quint16>(head.data() + offset);
}

quint32 u32(QByteArrayView head, qsizetype offset) {
    return qFromLittleEndian<quint32>(head.data() + offset);
}

bool isEmf(QByteArrayView head) {
    // EMR_HEADER record (type 1) whose signature field holds " EMF".
    return head.size() >= 44 && u32(head, 0) == 1 && head.sliced(40, 4) == " EMF";
}

bool isWmf(QByteArrayView head) {
    if (head.size() >= 4 && u32(head, 0) == 0x9AC6CDD7U) // placeable header
        return true;
    // Plain header: memory (1) or disk (2) metafile, 9-word header, version 1.0 or 3.0.
    if (head.size() < 6)
        return false;
    const quint16 type = u16(head, 0);
    const quint16 version = u16(head, 4);
    return (type == 1 || type == 2) && u16(head, 2) == 9 &&
           (version == 0x0100 || version == 0x0300);
}

} // namespace

PictureKind sniffPictureKind(QByteArrayView head) {
    if (head.startsWith("BM"))
        return PictureKind::Bmp;
    if (head.startsWith("\xFF\xD8\xFF"))
        return PictureKind::Jpeg;
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return PictureKind::Gif;
    if (head.size() >= 6 && u16(head, 0) == 0 && u16(head, 2) == 1 && u16(head, 4) > 0)
        return PictureKind::Ico;
    if (isEmf(head))
        return PictureKind::Emf;
    if (isWmf(head))
        return PictureKind::Wmf;
    return PictureKind::Unknown;
}

} // namespace vlm
