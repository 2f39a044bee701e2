#include "platform/picturekind.h"

#include "platform/gnomebackground.h"

#include <QXmlStreamReader>
#include <QtEndian>
#include <array>
#include <zlib.h>

namespace vlm {

namespace {

quint16 u16(QByteArrayView head, qsizetype offset) {
    return qFromLittleEndian<quint16>(head.data() + offset);
}

quint32 u32(QByteArrayView head, qsizetype offset) {
    return qFromLittleEndian<quint32>(head.data() + offset);
}

bool isBmp(QByteArrayView head) {
    return head.startsWith("BM");
}

bool isJpeg(QByteArrayView head) {
    return head.startsWith("\xFF\xD8\xFF");
}

bool isPng(QByteArrayView head) {
    return head.startsWith("\x89PNG\r\n\x1A\n");
}

bool isGif(QByteArrayView head) {
    return head.startsWith("GIF87a") || head.startsWith("GIF89a");
}

bool isIco(QByteArrayView head) {
    return head.size() >= 6 && u16(head, 0) == 0 && u16(head, 2) == 1 && u16(head, 4) > 0;
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

bool isWebp(QByteArrayView head) {
    return head.size() >= 12 && head.startsWith("RIFF") && head.sliced(8, 4) == "WEBP";
}

// Classic TIFF (42) and BigTIFF (43), either byte order.
bool isTiff(QByteArrayView head) {
    return head.startsWith(QByteArrayView("II*\0", 4)) ||
           head.startsWith(QByteArrayView("MM\0*", 4)) ||
           head.startsWith(QByteArrayView("II+\0", 4)) ||
           head.startsWith(QByteArrayView("MM\0+", 4));
}

// A bare codestream, or the container's signature box.
bool isJxl(QByteArrayView head) {
    return head.startsWith("\xFF\x0A") ||
           head.startsWith(QByteArrayView("\0\0\0\x0CJXL \r\n\x87\n", 12));
}

bool hasSvgRoot(QByteArrayView text) {
    QXmlStreamReader xml(QByteArray::fromRawData(text.data(), text.size()));
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement)
            return xml.name() == u"svg";
    }
    return false;
}

// The start of what a gzip stream inflates to, as far as head holds it.
QByteArray inflatedStart(QByteArrayView head) {
    QByteArray out(kPictureSniffBytes, Qt::Uninitialized);
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK)
        return {};
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(head.data()));
    stream.avail_in = uInt(head.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    // What came out before any error counts: only the root element is looked at.
    inflate(&stream, Z_SYNC_FLUSH);
    out.truncate(out.size() - qsizetype(stream.avail_out));
    inflateEnd(&stream);
    return out;
}

// An XML document whose root element is <svg>, or such a document compressed with gzip (SVGZ).
bool isSvg(QByteArrayView head) {
    return head.startsWith("\x1F\x8B") ? hasSvgRoot(inflatedStart(head)) : hasSvgRoot(head);
}

// An ISO base media file whose leading `ftyp` box names one of brands, as its major brand or
// among the compatible ones that lie within head.
bool hasBrand(QByteArrayView head, std::initializer_list<QByteArrayView> brands) {
    if (head.size() < 12 || head.sliced(4, 4) != "ftyp")
        return false;
    const qsizetype boxEnd = qMin<qsizetype>(qFromBigEndian<quint32>(head.data()), head.size());
    const auto listed = [&](qsizetype at) {
        for (const QByteArrayView brand : brands)
            if (head.sliced(at, 4) == brand)
                return true;
        return false;
    };
    if (listed(8))
        return true;
    for (qsizetype at = 16; at + 4 <= boxEnd; at += 4) // after the minor version
        if (listed(at))
            return true;
    return false;
}

bool isAvif(QByteArrayView head) {
    return hasBrand(head, {"avif", "avis"});
}

bool isHeif(QByteArrayView head) {
    return hasBrand(head, {"heic", "heix", "hevc", "hevx", "heim", "heis", "mif1", "msf1"});
}

using enum PictureKind;
using enum PictureDecoder;

// AVIF comes before HEIF: an AVIF file also names the HEIF brand mif1. Both decode alike.
constexpr std::array kRows{
    PictureKindRow{Bmp, isBmp, "bmp dib", QtReader, "bmp"},
    PictureKindRow{Jpeg, isJpeg, "jpg jpeg jpe jfif", LibJpeg, "jpeg"},
    PictureKindRow{Png, isPng, "png", QtReader, "png"},
    PictureKindRow{Gif, isGif, "gif", QtReader, "gif"},
    PictureKindRow{Ico, isIco, "ico", QtReader, "ico"},
    PictureKindRow{Emf, isEmf, "emf", HelperDrawing, "emf"},
    PictureKindRow{Wmf, isWmf, "wmf", HelperDrawing, "wmf"},
    PictureKindRow{Webp, isWebp, "webp", HelperRaster, "webp"},
    PictureKindRow{Tiff, isTiff, "tif tiff", HelperRaster, "tiff"},
    PictureKindRow{Avif, isAvif, "avif", HelperRaster, "heif"},
    PictureKindRow{Heif, isHeif, "heic heif", HelperRaster, "heif"},
    PictureKindRow{Jxl, isJxl, "jxl", HelperRaster, "jxl"},
    PictureKindRow{Svg, isSvg, "svg svgz", HelperDrawing, "svg"},
    PictureKindRow{GnomeBackground, isGnomeBackground, "xml", BackgroundFile, ""},
};

} // namespace

std::span<const PictureKindRow> pictureKinds() {
    return kRows;
}

const PictureKindRow* pictureKindRow(PictureKind kind) {
    for (const PictureKindRow& row : kRows)
        if (row.kind == kind)
            return &row;
    return nullptr;
}

PictureKind sniffPictureKind(QByteArrayView head) {
    head = head.first(qMin(head.size(), kPictureSniffBytes));
    for (const PictureKindRow& row : kRows)
        if (row.recognises(head))
            return row.kind;
    return Unknown;
}

namespace {

QStringList namePatterns(bool contentChecked) {
    QStringList patterns;
    for (const PictureKindRow& row : kRows)
        if ((row.decoder == BackgroundFile) == contentChecked)
            for (const QString& extension : QString::fromLatin1(row.extensions).split(u' '))
                patterns.append(QStringLiteral("*.") + extension);
    return patterns;
}

} // namespace

QStringList pictureNamePatterns() {
    return namePatterns(false);
}

QStringList contentCheckedNamePatterns() {
    return namePatterns(true);
}

} // namespace vlm
