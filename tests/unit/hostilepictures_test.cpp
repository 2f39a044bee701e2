// A corpus of hostile picture files, made here: each must end as a null image (or, for a
// metafile that merely claims a huge size, a picture no larger than asked for), quickly and
// without the program's memory running away.
#include "platform/pictureloader.h"
#include "support/testfiles.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>
#include <climits>
#include <cstdlib>
#include <gtest/gtest.h>
#include <uemf.h>
#include <uwmf.h>

using namespace Qt::Literals::StringLiterals;
using vlm::PictureLoader;
using vlmtest::encoded;
using vlmtest::writeBytes;

namespace {

template <typename T> void put(QByteArray& bytes, qsizetype offset, T value) {
    qToLittleEndian(value, bytes.data() + offset);
}

// Peak resident memory of this process in KiB.
qint64 peakKib() {
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

QImage sample(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(10, 120, 200));
    return image;
}

// A minimal GIF: one frame of one colour, LZW codes of 3 bits (clear, index 0..., end).
QByteArray gif(quint16 screenWidth, quint16 screenHeight, quint16 frameWidth, quint16 frameHeight) {
    QByteArray bytes("GIF89a");
    bytes += QByteArray(7, '\0');
    put<quint16>(bytes, 6, screenWidth);
    put<quint16>(bytes, 8, screenHeight);
    bytes[10] = char(0x80 | 1); // four colours
    bytes += QByteArray::fromHex("000000ffffff0000ff00ff00");
    QByteArray descriptor(10, '\0');
    descriptor[0] = ',';
    put<quint16>(descriptor, 5, frameWidth);
    put<quint16>(descriptor, 7, frameHeight);
    bytes += descriptor;
    bytes += QByteArray::fromHex("0202444c00"); // 2-bit codes: clear, 0, end
    bytes += QByteArray::fromHex("3b");
    return bytes;
}

// An icon directory with one entry pointing at data.
QByteArray icon(quint8 width, quint8 height, const QByteArray& data, quint32 claimedSize,
                quint32 offset = 22, quint16 count = 1) {
    QByteArray bytes(22, '\0');
    put<quint16>(bytes, 2, 1);
    put<quint16>(bytes, 4, count);
    bytes[6] = char(width);
    bytes[7] = char(height);
    put<quint16>(bytes, 10, 1);
    put<quint16>(bytes, 12, 32);
    put<quint32>(bytes, 14, claimedSize);
    put<quint32>(bytes, 18, offset);
    return bytes + data;
}

QByteArray bmpHeader(qint32 width, qint32 height, quint16 bits, quint32 compression) {
    QByteArray bytes(54, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    put<quint32>(bytes, 2, 54);
    put<quint32>(bytes, 10, 54);
    put<quint32>(bytes, 14, 40);
    put<qint32>(bytes, 18, width);
    put<qint32>(bytes, 22, height);
    put<quint16>(bytes, 26, 1);
    put<quint16>(bytes, 28, bits);
    put<quint32>(bytes, 30, compression);
    return bytes;
}

QByteArray emfBytes(const QString& path, qint32 right, qint32 bottom) {
    EMFTRACK* track = nullptr;
    EMFHANDLES* handles = nullptr;
    if (emf_start(path.toLocal8Bit().constData(), 100000, 25000, &track) != 0 ||
        emf_htable_create(128, 128, &handles) != 0)
        return {};
    const U_RECTL bounds = rectl_set(pointl_set(0, 0), pointl_set(right, bottom));
    emf_append(reinterpret_cast<U_ENHMETARECORD*>(U_EMRHEADER_set(bounds, bounds, nullptr, 0,
                                                                  nullptr, sizel_set(4000, 4000),
                                                                  sizel_set(1000, 1000), 0)),
               track, U_REC_FREE);
    emf_append(reinterpret_cast<U_ENHMETARECORD*>(U_EMRRECTANGLE_set(bounds)), track, U_REC_FREE);
    emf_append(reinterpret_cast<U_ENHMETARECORD*>(U_EMREOF_set(0, nullptr, track)), track,
               U_REC_FREE);
    emf_finish(track, handles);
    emf_free(&track);
    emf_htable_free(&handles);
    return vlmtest::readBytes(path);
}

QByteArray wmfBytes(const QString& path, qint16 extent) {
    WMFTRACK* track = nullptr;
    WMFHANDLES* handles = nullptr;
    if (wmf_start(path.toLocal8Bit().constData(), 100000, 25000, &track) != 0 ||
        wmf_htable_create(128, 128, &handles) != 0)
        return {};
    U_PAIRF* size = U_PAIRF_set(4.0f, 1.0f);
    wmf_header_append(reinterpret_cast<U_METARECORD*>(U_WMRHEADER_set(size, 100)), track,
                      U_REC_FREE);
    std::free(size);
    wmf_append(reinterpret_cast<U_METARECORD*>(U_WMRSETWINDOWEXT_set(point16_set(extent, extent))),
               track, U_REC_FREE);
    wmf_append(reinterpret_cast<U_METARECORD*>(U_WMRRECTANGLE_set(
                   U_RECT16_set(point16_set(0, 0), point16_set(extent, extent)))),
               track, U_REC_FREE);
    wmf_append(reinterpret_cast<U_METARECORD*>(U_WMREOF_set()), track, U_REC_FREE);
    wmf_finish(track);
    wmf_free(&track);
    wmf_htable_free(&handles);
    return vlmtest::readBytes(path);
}

class HostilePictures : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }

    // Loads every file; each gives a null image (or, with mayFit, one within the box) within
    // the hang guard. Returns how long the slowest took.
    qint64 expectRefused(const QMap<QString, QByteArray>& files, const PictureLoader& loader,
                         qint64 guardMs, bool mayFit = false) {
        qint64 slowest = 0;
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            writeBytes(path(it.key()), it.value());
            QElapsedTimer timer;
            timer.start();
            const QImage image = loader.load(path(it.key()));
            const qint64 elapsed = timer.elapsed();
            slowest = qMax(slowest, elapsed);
            if (mayFit && !image.isNull())
                EXPECT_TRUE(image.width() <= kBox.width() && image.height() <= kBox.height())
                    << it.key().toStdString();
            else
                EXPECT_TRUE(image.isNull()) << it.key().toStdString();
            EXPECT_LT(elapsed, guardMs) << it.key().toStdString() << " hung";
        }
        return slowest;
    }

    const QSize kBox{640, 480};
    QTemporaryDir dir;
};

// Generous: sanitizers roughly double what a release build needs.
constexpr qint64 kMaxGrowthKib = 768 * 1024;

TEST_F(HostilePictures, QtFormatsEndNullQuicklyWithBoundedMemory) {
    const QByteArray bmp = encoded(sample(64, 48), "bmp");
    const QByteArray jpeg = encoded(sample(64, 48), "jpeg");
    const QByteArray png = encoded(sample(32, 32), "png");
    const QByteArray smallGif = gif(4, 4, 4, 4);
    QByteArray jpegBomb = jpeg;
    const qsizetype sof = jpegBomb.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    qToBigEndian<quint16>(60000, jpegBomb.data() + sof + 5);
    qToBigEndian<quint16>(60000, jpegBomb.data() + sof + 7);
    QByteArray pngBomb = png; // IHDR width and height at 16 and 20, big-endian
    qToBigEndian<quint32>(30000, pngBomb.data() + 16);
    qToBigEndian<quint32>(30000, pngBomb.data() + 20);

    QMap<QString, QByteArray> files;
    for (const QString& extension : {u"bmp"_s, u"dib"_s, u"jpg"_s, u"gif"_s, u"ico"_s})
        files[u"zero."_s + extension] = {};
    files[u"bmp-magic.bmp"_s] = bmp.left(2);
    files[u"bmp-headers-only.bmp"_s] = bmp.left(54);
    files[u"bmp-half.bmp"_s] = bmp.left(bmp.size() / 2);
    files[u"bmp-int-min-height.bmp"_s] = bmpHeader(16, INT_MIN, 24, 0) + QByteArray(64, '\x7f');
    files[u"bmp-huge-width.bmp"_s] = bmpHeader(0x7fffffff, 1, 24, 0) + QByteArray(64, '\x7f');
    // RLE8: a few bytes that would paint 30000 x 30000 pixels.
    files[u"bmp-rle-bomb.bmp"_s] = bmpHeader(30000, 30000, 8, 1) + QByteArray(1024, '\0') +
                                   QByteArray::fromHex("ff01ff01ff010001");
    files[u"jpeg-soi-only.jpg"_s] = jpeg.left(3);
    files[u"jpeg-half.jpg"_s] = jpeg.left(jpeg.size() / 2);
    files[u"jpeg-bomb.jpg"_s] = jpegBomb;
    files[u"gif-header-only.gif"_s] = smallGif.left(13);
    files[u"gif-no-frame.gif"_s] = smallGif.left(13 + 12);
    files[u"gif-bomb-screen.gif"_s] = gif(65535, 65535, 4, 4);
    files[u"ico-directory-only.ico"_s] = icon(0, 0, {}, 4096);
    files[u"ico-offset-past-end.ico"_s] = icon(16, 16, QByteArray(40, '\0'), 4096, 0x7ffffff0);
    files[u"ico-65535-entries.ico"_s] = icon(16, 16, QByteArray(64, '\0'), 40, 22, 65535);
    files[u"ico-png-bomb.ico"_s] = icon(0, 0, pngBomb, quint32(pngBomb.size()));
    files[u"ico-bmp-bomb.ico"_s] =
        icon(0, 0, bmpHeader(30000, 60000, 32, 0).mid(14) + QByteArray(256, '\1'), 296);
    // Wrong extensions: the kind comes from the bytes, so bombs stay bombs.
    files[u"gif-bomb-named.bmp"_s] = gif(65535, 65535, 4, 4);
    files[u"jpeg-bomb-named.ico"_s] = jpegBomb;
    files[u"png-named.jpg"_s] = png;

    // A frame far larger than its screen is painted clipped to the screen: a small picture.
    QMap<QString, QByteArray> clipped;
    clipped[u"gif-bomb-frame.gif"_s] = gif(4, 4, 65535, 65535);
    clipped[u"gif-bomb-frame-named.ico"_s] = gif(4, 4, 65535, 65535);

    const PictureLoader loader(QString(), kBox);
    const qint64 before = peakKib();
    const qint64 slowest =
        qMax(expectRefused(files, loader, 5000), expectRefused(clipped, loader, 5000, true));
    const qint64 growth = peakKib() - before;
    EXPECT_LT(growth, kMaxGrowthKib) << "peak memory grew by " << growth << " KiB";
    RecordProperty("slowest_ms", int(slowest));
    RecordProperty("peak_growth_kib", int(growth));
}

TEST_F(HostilePictures, MetafilesThatLoopOrClaimHugeSizesEndQuickly) {
    const QString helper = qEnvironmentVariable("VLM_METAFILE_HELPER");
    if (helper.isEmpty())
        GTEST_SKIP() << "VLM_METAFILE_HELPER is not set (ctest sets it)";
    const QByteArray emf = emfBytes(path(u"base.emf"_s), 399, 99);
    const QByteArray wmf = wmfBytes(path(u"base.wmf"_s), 400);
    ASSERT_GT(emf.size(), 100);
    ASSERT_GT(wmf.size(), 40);
    const auto emfHeaderSize = qFromLittleEndian<quint32>(emf.constData() + 4);

    QMap<QString, QByteArray> refused;
    refused[u"zero.emf"_s] = {};
    refused[u"zero.wmf"_s] = {};
    refused[u"emf-header-cut.emf"_s] = emf.left(60);
    refused[u"wmf-header-cut.wmf"_s] = wmf.left(30);
    refused[u"emf-half.emf"_s] = emf.left(emf.size() / 2);
    QByteArray emfLoop = emf; // a record of size 0 never moves the reader on
    put<quint32>(emfLoop, emfHeaderSize + 4, 0);
    refused[u"emf-zero-size-record.emf"_s] = emfLoop;
    QByteArray emfHuge = emf;
    put<quint32>(emfHuge, emfHeaderSize + 4, 0xfffffff0U);
    refused[u"emf-huge-record.emf"_s] = emfHuge;
    QByteArray emfTotals = emf; // nBytes, nRecords and nHandles claim far more than there is
    put<quint32>(emfTotals, 48, 0xfffffff0U);
    put<quint32>(emfTotals, 52, 0xfffffff0U);
    put<quint16>(emfTotals, 56, 0xffff);
    QMap<QString, QByteArray> huge;
    huge[u"emf-huge-totals.emf"_s] = emfTotals;
    QByteArray wmfLoop = wmf; // the first record after the 22 + 18 header bytes
    put<quint32>(wmfLoop, 40, 0);
    refused[u"wmf-zero-size-record.wmf"_s] = wmfLoop;
    QByteArray wmfHuge = wmf;
    put<quint32>(wmfHuge, 40, 0x7fffffffU);
    refused[u"wmf-huge-record.wmf"_s] = wmfHuge;
    // A metafile that is really a bitmap header, and the other way round.
    refused[u"bmp-named.emf"_s] = bmpHeader(16, 16, 24, 0);

    // Huge declared sizes: rendered to fit the box, or refused; never larger, never slow.
    huge[u"emf-huge-bounds.emf"_s] = emfBytes(path(u"huge.emf"_s), 0x7ffffff0, 0x7ffffff0);
    huge[u"wmf-huge-extent.wmf"_s] = wmfBytes(path(u"huge.wmf"_s), 32767);
    QByteArray wmfTotals = wmf; // mtSize, mtNoObjects and mtMaxRecord at 22 + 6, 10 and 12
    put<quint32>(wmfTotals, 28, 0x7fffffffU);
    put<quint16>(wmfTotals, 32, 0xffff);
    put<quint32>(wmfTotals, 34, 0x7fffffffU);
    huge[u"wmf-huge-totals.wmf"_s] = wmfTotals;

    const PictureLoader loader(helper, kBox);
    const qint64 before = peakKib();
    // The helper's own deadline is a few seconds; the guard only catches a hang beyond it.
    const qint64 slowest =
        qMax(expectRefused(refused, loader, 8000), expectRefused(huge, loader, 8000, true));
    const qint64 growth = peakKib() - before;
    EXPECT_LT(growth, kMaxGrowthKib) << "peak memory grew by " << growth << " KiB";
    RecordProperty("slowest_ms", int(slowest));
}

} // namespace
