// Hostile picture files: each must end as a null image (or, where it merely claims a huge
// size, a picture no larger than asked for), without hanging and without the program's memory
// running away.
#include "platform/pictureloader.h"
#include "unit/picturebytes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <climits>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace vlmtest;
using vlm::PictureLoader;

namespace {

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

// Generous: sanitizers roughly double what a release build needs.
constexpr qint64 kMaxGrowthKib = 768 * 1024;

class HostilePictures : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }

    // Loads every file: each gives a null image (or, named in mayFit, one within the box);
    // the guard only catches a hang. Memory may grow by a bounded amount over all of them.
    void expectRefused(const QMap<QString, QByteArray>& files, const PictureLoader& loader,
                       const QStringList& mayFit = {}) {
        const qint64 before = peakKib();
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            if (!QFileInfo::exists(path(it.key())))
                writeBytes(path(it.key()), it.value());
            QElapsedTimer timer;
            timer.start();
            const QImage image = loader.load(path(it.key()));
            if (mayFit.contains(it.key()) && !image.isNull())
                EXPECT_TRUE(QRect(QPoint(), kBox).contains(image.rect())) << it.key().toStdString();
            else
                EXPECT_TRUE(image.isNull()) << it.key().toStdString();
            EXPECT_LT(timer.elapsed(), 8000) << it.key().toStdString() << " hung";
        }
        EXPECT_LT(peakKib() - before, kMaxGrowthKib);
    }

    const QSize kBox{640, 480};
    QTemporaryDir dir;
};

TEST_F(HostilePictures, TruncatedGarbageAndBombsInQtFormatsGiveNull) {
    const QByteArray bmp = encoded(pattern(64, 48), "bmp");
    const QByteArray jpeg = encoded(pattern(64, 48), "jpeg");
    const QByteArray png = encoded(pattern(32, 32), "png");
    const QByteArray bigGif = gif(64, 64, [](int x, int y) { return uchar(x ^ y); });
    const QByteArray jpegBomb = jpegClaiming(60000);
    QByteArray pngBomb = png; // IHDR width and height at 16 and 20, big-endian
    qToBigEndian<quint32>(30000, pngBomb.data() + 16);
    qToBigEndian<quint32>(30000, pngBomb.data() + 20);
    QByteArray emf(88, '\0'); // a metafile, with no helper to render it
    emf[0] = 1;
    emf.replace(40, 4, " EMF");

    QMap<QString, QByteArray> files = {
        {u"zero.bmp"_s, {}},
        {u"zero.dib"_s, {}},
        {u"zero.jpg"_s, {}},
        {u"zero.gif"_s, {}},
        {u"zero.ico"_s, {}},
        {u"bmp-magic.bmp"_s, "BM"},
        {u"bmp-in-header.bmp"_s, bmp.left(30)},
        {u"bmp-headers-only.bmp"_s, bmp.left(54)},
        {u"bmp-half.bmp"_s, bmp.left(bmp.size() / 2)},
        {u"bmp-int-min-height.bmp"_s, bmpHeader(16, INT_MIN, 24) + QByteArray(64, '\x7f')},
        {u"bmp-huge-width.bmp"_s, bmpHeader(0x7fffffff, 1, 24) + QByteArray(64, '\x7f')},
        {u"bmp-bitfields-half.bmp"_s, bmpHeader(64, 48, 32, 3) + QByteArray(64 * 24 * 4, '\x7f')},
        {u"bmp-bomb.bmp"_s, bmpHeader(100000, 100000, 24) + QByteArray(16, '\0')},
        // RLE8: a few bytes that would paint 30000 x 30000 pixels.
        {u"bmp-rle-bomb.bmp"_s, bmpHeader(30000, 30000, 8, 1) + QByteArray(1024, '\0') +
                                    QByteArray::fromHex("ff01ff01ff010001")},
        {u"jpeg-soi-only.jpg"_s, jpeg.left(3)},
        {u"jpeg-in-header.jpg"_s, jpeg.left(100)},
        {u"jpeg-half.jpg"_s, jpeg.left(jpeg.size() / 2)},
        {u"jpeg-bomb.jpg"_s, jpegBomb},
        {u"gif-in-header.gif"_s, QByteArray("GIF89a\x10\0", 8)},
        {u"gif-header-only.gif"_s, bigGif.left(13)},
        {u"gif-no-frame.gif"_s, bigGif.left(kGifDescriptor)},
        {u"gif-half.gif"_s, bigGif.left(bigGif.size() / 2)},
        {u"gif-bomb-screen.gif"_s, gifClaiming(65535, 65535, 4, 4)},
        {u"gif-bomb-both.gif"_s, gifClaiming(65535, 65535, 65535, 65535)},
        {u"ico-directory-only.ico"_s, icon(0, 0, {}, 4096)},
        {u"ico-offset-past-end.ico"_s, icon(16, 16, QByteArray(40, '\0'), 4096, 0x7ffffff0)},
        {u"ico-65535-entries.ico"_s, icon(16, 16, QByteArray(64, '\0'), 40, 22, 65535)},
        {u"ico-png-bomb.ico"_s, icon(0, 0, pngBomb, quint32(pngBomb.size()))},
        {u"ico-bmp-bomb.ico"_s,
         icon(0, 0, bmpHeader(30000, 60000, 32).mid(14) + QByteArray(256, '\1'), 296)},
        // The kind comes from the bytes, whatever the name says.
        {u"gif-bomb-named.bmp"_s, gifClaiming(65535, 65535, 4, 4)},
        {u"jpeg-bomb-named.ico"_s, jpegBomb},
        {u"png-half.png"_s, png.left(png.size() / 2)},
        {u"png-bomb.png"_s, pngBomb},
        {u"png-bomb-named.jpg"_s, pngBomb},
        // At the size cap the header passes; the data then ends long before the picture.
        {u"jpeg-at-the-cap.jpg"_s, jpegClaiming(14142)},
        {u"text.jpg"_s, "this is not a picture\r\n"},
        {u"metafile-without-helper.emf"_s, emf},
        // A frame far larger than its screen is painted clipped to the screen.
        {u"gif-bomb-frame.gif"_s, gifClaiming(4, 4, 65535, 65535)},
        {u"gif-bomb-frame-named.ico"_s, gifClaiming(4, 4, 65535, 65535)},
    };
    QDir(dir.path()).mkdir(u"folder.jpg"_s);
    files[u"folder.jpg"_s];
    const PictureLoader loader(QString(), kBox);
    expectRefused(files, loader, {u"gif-bomb-frame.gif"_s, u"gif-bomb-frame-named.ico"_s});
    EXPECT_TRUE(loader.load(path(u"missing.jpg"_s)).isNull());
    EXPECT_TRUE(loader.load(QString()).isNull());
}

TEST_F(HostilePictures, UnreadableFileGivesNull) {
    writeBytes(path(u"locked.bmp"_s), encoded(pattern(8, 8), "bmp"));
    QFile::setPermissions(path(u"locked.bmp"_s), QFileDevice::WriteOwner);
    if (QFile(path(u"locked.bmp"_s)).open(QIODevice::ReadOnly))
        GTEST_SKIP() << "this user reads files whatever their permissions";
    EXPECT_TRUE(PictureLoader(QString(), kBox).load(path(u"locked.bmp"_s)).isNull());
}

TEST_F(HostilePictures, MetafilesThatLoopOrClaimHugeSizesEndQuickly) {
    const QString helper = qEnvironmentVariable("VLM_METAFILE_HELPER");
    if (helper.isEmpty())
        GTEST_SKIP() << "VLM_METAFILE_HELPER is not set (ctest sets it)";
    const QByteArray emf = emfBytes(path(u"base.emf"_s), 399, 99);
    const QByteArray wmf = wmfBytes(path(u"base.wmf"_s), 400, 100);
    ASSERT_GT(emf.size(), 100);
    ASSERT_GT(wmf.size(), 40);
    const auto emfHeaderSize = qFromLittleEndian<quint32>(emf.constData() + 4);
    // Each changed copy: (offset, 32-bit value) pairs, then an optional 16-bit one.
    const auto patched = [](QByteArray bytes, std::initializer_list<std::pair<int, quint32>> at,
                            int at16 = -1) {
        for (const auto& [offset, value] : at)
            put(bytes, offset, value);
        if (at16 >= 0)
            put<quint16>(bytes, at16, 0xffff);
        return bytes;
    };
    const int firstEmfRecord = int(emfHeaderSize) + 4;
    QMap<QString, QByteArray> files = {
        {u"zero.emf"_s, {}},
        {u"zero.wmf"_s, {}},
        {u"emf-header-cut.emf"_s, emf.left(60)},
        {u"wmf-header-cut.wmf"_s, wmf.left(30)},
        {u"emf-half.emf"_s, emf.left(emf.size() / 2)},
        // A record of size 0 never moves the reader on.
        {u"emf-zero-size-record.emf"_s, patched(emf, {{firstEmfRecord, 0}})},
        {u"emf-huge-record.emf"_s, patched(emf, {{firstEmfRecord, 0xfffffff0U}})},
        // The first record after the 22 + 18 header bytes.
        {u"wmf-zero-size-record.wmf"_s, patched(wmf, {{40, 0}})},
        {u"wmf-huge-record.wmf"_s, patched(wmf, {{40, 0x7fffffffU}})},
        {u"bmp-named.emf"_s, bmpHeader(16, 16, 24)},
        // Huge declared sizes: rendered to fit the box, or refused.
        {u"emf-huge-totals.emf"_s, patched(emf, {{48, 0xfffffff0U}, {52, 0xfffffff0U}}, 56)},
        {u"wmf-huge-totals.wmf"_s, patched(wmf, {{28, 0x7fffffffU}, {34, 0x7fffffffU}}, 32)},
    };
    emfBytes(path(u"emf-huge-bounds.emf"_s), 0x7ffffff0, 0x7ffffff0);
    wmfBytes(path(u"wmf-huge-extent.wmf"_s), 32767, 32767);
    files[u"emf-huge-bounds.emf"_s];
    files[u"wmf-huge-extent.wmf"_s];
    expectRefused(files, PictureLoader(helper, kBox),
                  {u"emf-huge-totals.emf"_s, u"wmf-huge-totals.wmf"_s, u"emf-huge-bounds.emf"_s,
                   u"wmf-huge-extent.wmf"_s});
}

} // namespace
