#pragma once

// Picture files built byte by byte: formats Qt cannot write and headers with any field set.

#include "support/decodenow.h"
#include "support/testfiles.h"

#include <QDataStream>
#include <QImage>
#include <QtEndian>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <uemf.h>
#include <uwmf.h>

namespace vlmtest {

template <typename T> void put(QByteArray& bytes, qsizetype offset, T value) {
    qToLittleEndian(value, bytes.data() + offset);
}

// The fields one after another, little-endian.
template <typename... Fields> QByteArray littleEndian(Fields... fields) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    (out << ... << fields);
    return bytes;
}

inline QImage pattern(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 11 % 256, (x + y) % 256));
    return image;
}

// The mean and the largest difference of any channel between two pictures of one size.
struct Difference {
    double mean = 0;
    int largest = 0;
};

inline Difference difference(const QImage& a, const QImage& b) {
    const QImage left = a.convertToFormat(QImage::Format_RGB888);
    const QImage right = b.convertToFormat(QImage::Format_RGB888);
    Difference result;
    for (int y = 0; y < left.height(); ++y)
        for (int i = 0; i < left.width() * 3; ++i) {
            const int d = std::abs(left.constScanLine(y)[i] - right.constScanLine(y)[i]);
            result.mean += d / (3.0 * left.width() * left.height());
            result.largest = std::max(result.largest, d);
        }
    return result;
}

// Offset of the image descriptor in gif(): after the 13-byte header and 128 palette entries.
constexpr qsizetype kGifDescriptor = 13 + 128 * 3;

// A one-frame GIF; a 128-colour palette (entry i = i*2, 255-i*2, i) keeps every LZW code at
// 8 bits as long as a clear code comes before the table fills.
inline QByteArray gif(int width, int height, const std::function<uchar(int, int)>& index) {
    const auto w = quint16(width), h = quint16(height);
    QByteArray bytes = "GIF89a" + littleEndian(w, h, quint8(0x80 | 6), quint16(0));
    for (int i = 0; i < 128; ++i)
        for (const int channel : {i * 2, 255 - i * 2, i})
            bytes += char(channel);
    bytes += ',' + littleEndian(quint32(0), w, h, quint8(0), quint8(7));
    QByteArray codes;
    for (int i = 0; i < width * height; ++i)
        codes += (i % 100 == 0 ? QByteArray(1, char(128)) : QByteArray()) +
                 char(index(i % width, i / width) & 0x7f);
    codes += char(129);
    for (qsizetype at = 0; at < codes.size(); at += 255)
        bytes += char(codes.mid(at, 255).size()) + codes.mid(at, 255);
    return bytes + QByteArray("\0;", 2);
}

// A 4 x 4 GIF whose screen and frame claim other sizes.
inline QByteArray gifClaiming(quint16 screenW, quint16 screenH, quint16 frameW, quint16 frameH) {
    QByteArray bytes = gif(4, 4, [](int, int) { return uchar(1); });
    put(bytes, 6, screenW);
    put(bytes, 8, screenH);
    put(bytes, kGifDescriptor + 5, frameW);
    put(bytes, kGifDescriptor + 7, frameH);
    return bytes;
}

inline QByteArray bmpHeader(qint32 width, qint32 height, quint16 bits, quint32 compression = 0) {
    return "BM" +
           littleEndian(quint32(54), quint32(0), quint32(54), quint32(40), width, height,
                        quint16(1), bits, compression) +
           QByteArray(20, '\0');
}

// An icon directory of count entries; the first points at data.
inline QByteArray icon(quint8 width, quint8 height, const QByteArray& data, quint32 claimedSize,
                       quint32 offset = 22, quint16 count = 1) {
    return littleEndian(quint16(0), quint16(1), count, width, height, quint16(0), quint16(1),
                        quint16(32), claimedSize, offset) +
           data;
}

// A real JPEG whose frame header claims width x height.
inline QByteArray jpegClaiming(quint16 width, quint16 height) {
    QByteArray jpeg = encoded(pattern(16, 16), "jpeg");
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    qToBigEndian(height, jpeg.data() + sof + 5);
    qToBigEndian(width, jpeg.data() + sof + 7);
    return jpeg;
}

// The JPEG with an EXIF segment whose only tag is the orientation (1 to 8), as cameras write it.
inline QByteArray withOrientation(const QByteArray& jpeg, quint16 orientation) {
    QByteArray exif("\xFF\xE1\0\0Exif\0\0MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01", 28);
    exif += QByteArray(8, '\0'); // the value, its padding, no next directory
    qToBigEndian<quint16>(orientation, exif.data() + 28);
    qToBigEndian<quint16>(quint16(exif.size() - 2), exif.data() + 2);
    return QByteArray(jpeg).insert(2, exif);
}

// EMF bounds (0,0)-(right,bottom), one red rectangle filling them, written by libUEMF to path.
inline QByteArray emfBytes(const QString& path, qint32 right, qint32 bottom) {
    EMFTRACK* track = nullptr;
    EMFHANDLES* handles = nullptr;
    if (emf_start(path.toLocal8Bit().constData(), 100000, 25000, &track) != 0 ||
        emf_htable_create(128, 128, &handles) != 0)
        return {};
    const U_RECTL bounds = rectl_set(pointl_set(0, 0), pointl_set(right, bottom));
    const auto add = [&](void* record) {
        emf_append(static_cast<U_ENHMETARECORD*>(record), track, U_REC_FREE);
    };
    add(U_EMRHEADER_set(bounds, bounds, nullptr, 0, nullptr, sizel_set(4000, 4000),
                        sizel_set(1000, 1000), 0));
    uint32_t brush = 0;
    add(createbrushindirect_set(&brush, handles,
                                logbrush_set(U_BS_SOLID, U_RGB(255, 0, 0), U_HS_SOLIDCLR)));
    add(selectobject_set(brush, handles));
    add(U_EMRRECTANGLE_set(bounds));
    add(U_EMREOF_set(0, nullptr, track));
    emf_finish(track, handles);
    emf_free(&track);
    emf_htable_free(&handles);
    return readBytes(path);
}

// A placeable WMF, 4 x 1 inches at 100 units per inch, window width x height, red rectangle.
inline QByteArray wmfBytes(const QString& path, qint16 width, qint16 height) {
    WMFTRACK* track = nullptr;
    WMFHANDLES* handles = nullptr;
    if (wmf_start(path.toLocal8Bit().constData(), 100000, 25000, &track) != 0 ||
        wmf_htable_create(128, 128, &handles) != 0)
        return {};
    const auto add = [&](void* record) {
        wmf_append(static_cast<U_METARECORD*>(record), track, U_REC_FREE);
    };
    U_PAIRF* size = U_PAIRF_set(4.0f, 1.0f);
    wmf_header_append(reinterpret_cast<U_METARECORD*>(U_WMRHEADER_set(size, 100)), track,
                      U_REC_FREE);
    std::free(size);
    add(U_WMRSETWINDOWORG_set(point16_set(0, 0)));
    add(U_WMRSETWINDOWEXT_set(point16_set(width, height)));
    uint32_t brush = 0;
    add(wcreatebrushindirect_set(&brush, handles,
                                 U_WLOGBRUSH_set(U_BS_SOLID, U_RGB(255, 0, 0), 0)));
    add(wselectobject_set(brush, handles));
    add(U_WMRRECTANGLE_set(U_RECT16_set(point16_set(0, 0), point16_set(width, height))));
    add(U_WMREOF_set());
    wmf_finish(track);
    wmf_free(&track);
    wmf_htable_free(&handles);
    return readBytes(path);
}

// A file the loader must refuse (with the reason why, if given) or, if mayFit, fit into its box.
struct Hostile {
    QString name;
    QByteArray bytes;
    bool mayFit = false;
    vlm::PictureProblem why = vlm::PictureProblem::None; // None: any reason
};

// Decodes each file from dir for box with the helper: refused with a reason, and the program's
// own memory stays where it was, whatever the helper does.
inline void expectRefused(const QTemporaryDir& dir, const std::vector<Hostile>& files, QSize box) {
    const auto peakKib = [] {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_maxrss;
    };
    const long before = peakKib();
    for (const Hostile& file : files) {
        SCOPED_TRACE(file.name.toStdString());
        writeBytes(dir.filePath(file.name), file.bytes);
        const vlm::DecodedPicture got = decodeNow(decodeHelper(), dir.filePath(file.name), box);
        EXPECT_TRUE(got.image.isNull() ||
                    (file.mayFit && QRect(QPoint(), box).contains(got.image.rect())));
        EXPECT_TRUE(file.why == vlm::PictureProblem::None || got.problem == file.why)
            << got.detail.toStdString();
    }
    EXPECT_LT(peakKib() - before, 64 * 1024);
}

} // namespace vlmtest
