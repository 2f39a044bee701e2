#include "decoder/jpegdecode.h"
#include "unit/picturebytes.h"

#include <QBuffer>
#include <QImageReader>
#include <gtest/gtest.h>
#include <jpeglib.h>

using namespace Qt::Literals::StringLiterals;
using vlmtest::difference;

namespace {

struct JpegKind {
    const char* name;
    int lumaHorizontal, lumaVertical; // sampling factors; chroma has 1 x 1
    J_COLOR_SPACE colourSpace;        // JCS_YCbCr, JCS_GRAYSCALE or JCS_CMYK
    bool progressive;
};

const JpegKind kKinds[] = {
    {"4:4:4", 1, 1, JCS_YCbCr, false},         {"4:2:0", 2, 2, JCS_YCbCr, false},
    {"4:2:2", 2, 1, JCS_YCbCr, false},         {"4:2:0 progressive", 2, 2, JCS_YCbCr, true},
    {"grayscale", 1, 1, JCS_GRAYSCALE, false}, {"CMYK", 1, 1, JCS_CMYK, false},
};

// Encodes with libjpeg itself: Qt's writer offers neither other samplings nor CMYK.
QByteArray encodeJpeg(const QImage& picture, const JpegKind& kind) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    // CMYK as Adobe's inverted values (the RGB bytes and K = 255), as Qt reads it.
    const QImage rows =
        picture.convertToFormat(kind.colourSpace == JCS_GRAYSCALE ? QImage::Format_Grayscale8
                                : kind.colourSpace == JCS_CMYK    ? QImage::Format_RGBX8888
                                                                  : QImage::Format_RGB888);
    info.image_width = JDIMENSION(rows.width());
    info.image_height = JDIMENSION(rows.height());
    info.input_components = rows.depth() / 8;
    info.in_color_space = kind.colourSpace == JCS_YCbCr ? JCS_RGB : kind.colourSpace;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 92, TRUE);
    info.comp_info[0].h_samp_factor = kind.lumaHorizontal;
    info.comp_info[0].v_samp_factor = kind.lumaVertical;
    if (kind.progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        auto* row = const_cast<uchar*>(rows.constScanLine(int(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const QByteArray bytes(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return bytes;
}

std::optional<QImage> decode(
    const QByteArray& bytes, bool (*acceptable)(QSize) = [](QSize) { return true; }) {
    QBuffer device;
    device.setData(bytes);
    device.open(QIODevice::ReadOnly);
    return vlm::decoder::decodeColourJpeg(device, acceptable);
}

} // namespace

// Every kind in every EXIF orientation loads as Qt's reader decodes and turns it, to the rounding
// of the fast decoder's transform; so does a preview, scaled by libjpeg for the upright size.
// The odd size leaves partial blocks at the right and bottom edges.
TEST(JpegDecode, EveryKindAndOrientationLoadsAsQtsReaderDoes) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"photo.jpg"_s);
    // Gradients that show every turn and mirror, with a fine texture as photographs have.
    QImage source(203, 117, QImage::Format_RGB32);
    for (int y = 0; y < 117; ++y)
        for (int x = 0; x < 203; ++x)
            source.setPixel(x, y, qRgb(x + 40, y * 2 + (x * y) % 9, 240 - x));
    for (const JpegKind& kind : kKinds) {
        const QByteArray plain = encodeJpeg(source, kind);
        for (quint16 orientation = 1; orientation <= 8; ++orientation) {
            SCOPED_TRACE(testing::Message() << kind.name << ", orientation " << orientation);
            vlmtest::writeBytes(path, vlmtest::withOrientation(plain, orientation));
            QImageReader reader(path, "jpeg");
            reader.setAutoTransform(true);
            const QImage reference = reader.read();
            ASSERT_EQ(reference.size(), orientation >= 5 ? QSize(117, 203) : QSize(203, 117));

            const QImage loaded = vlm::decoder::decodeJpeg(vlmtest::readBytes(path), {});
            ASSERT_EQ(loaded.size(), reference.size());
            const vlmtest::Difference fromReference = difference(loaded, reference);
            EXPECT_TRUE(fromReference.mean < 1.5 && fromReference.largest <= 12);

            const QImage preview =
                vlm::decoder::decodeJpeg(vlmtest::readBytes(path), {QSize(60, 60)});
            const QSize fitted = reference.size().scaled(60, 60, Qt::KeepAspectRatio);
            ASSERT_EQ(preview.size(), fitted);
            const QImage smooth =
                reference.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            EXPECT_LT(difference(preview, smooth).mean, 6.0);
        }
        vlmtest::writeBytes(path, plain);
        const QImage loaded = vlm::decoder::decodeJpeg(plain, {});
        EXPECT_TRUE(kind.colourSpace == JCS_GRAYSCALE || difference(loaded, source).mean < 4.0)
            << kind.name;
        const bool colour = kind.colourSpace == JCS_YCbCr;
        const std::optional<QImage> fast = decode(plain);
        EXPECT_EQ(fast.has_value(), colour) << kind.name << ": only colour YCbCr is fast";
        if (colour) {
            ASSERT_EQ(fast->format(), QImage::Format_RGB32);
            EXPECT_EQ(*fast, loaded) << kind.name;
        }
    }
}

TEST(JpegDecode, BrokenDataAndRefusedSizesGiveNoPicture) {
    const QByteArray bytes = encodeJpeg(vlmtest::pattern(64, 48), kKinds[1]);
    // The size check runs on the header's claim, before the pixels are allocated.
    const std::optional<QImage> refused =
        decode(bytes, [](QSize size) { return size.width() < 64; });
    EXPECT_TRUE(refused.has_value() && refused->isNull());
    for (const QByteArray& broken :
         {bytes.left(bytes.size() / 2), bytes.left(20), QByteArray("\xFF\xD8\xFF"),
          QByteArray("not a picture"), QByteArray()}) {
        const std::optional<QImage> decoded = decode(broken);
        EXPECT_TRUE(decoded.has_value() && decoded->isNull()) << broken.size() << " bytes";
    }
}

namespace {

// Takes streamed rows as the helper's output would, or refuses them after `rowsTaken` bytes.
struct CollectedRows final : vlm::decoder::RowWriter {
    QSize size;
    QByteArray bytes;
    qsizetype refuseAfter = -1;
    bool start(QSize started) override {
        size = started;
        return true;
    }
    bool rows(const uchar* pixels, qsizetype count) override {
        if (refuseAfter >= 0 && bytes.size() + count > refuseAfter)
            return false;
        bytes.append(reinterpret_cast<const char*>(pixels), count);
        return true;
    }
    QImage image() const {
        return QImage(reinterpret_cast<const uchar*>(bytes.constData()), size.width(),
                      size.height(), QImage::Format_RGB32)
            .copy();
    }
};

} // namespace

// A photo that libjpeg's own scale brings to the wanted size goes out row by row exactly as the
// whole decode gives it; anything else is left to the whole decode, before a byte is written.
TEST(JpegDecode, StreamsOnlyWhatNeedsNoFurtherWorkAndExactlyAsDecoded) {
    using vlm::decoder::Streamed;
    const QByteArray plain = encodeJpeg(vlmtest::pattern(256, 128), kKinds[1]);
    const vlm::decoder::Box half{QSize(128, 64), true};
    for (const vlm::decoder::Box& box : {half, vlm::decoder::Box{QSize(64, 64), false},
                                         vlm::decoder::Box{QSize(400, 400), true}}) {
        CollectedRows out;
        ASSERT_EQ(vlm::decoder::streamJpeg(plain, box, out), Streamed::Written);
        const QImage whole = vlm::decoder::decodeJpeg(plain, box);
        EXPECT_EQ(out.size, whole.size());
        EXPECT_EQ(out.image(), whole);
    }
    const QByteArray turned = vlmtest::withOrientation(plain, 6);
    const QByteArray grey = encodeJpeg(vlmtest::pattern(256, 128), kKinds[4]);
    for (const auto& [data, box] :
         {std::pair{plain, vlm::decoder::Box{QSize(100, 50), true}}, std::pair{turned, half},
          std::pair{grey, half}, std::pair{QByteArray("not a picture"), half}}) {
        CollectedRows out;
        EXPECT_EQ(vlm::decoder::streamJpeg(data, box, out), Streamed::NotTaken);
        EXPECT_FALSE(out.size.isValid());
        EXPECT_TRUE(out.bytes.isEmpty());
    }
    CollectedRows early; // the data ends after the header
    EXPECT_EQ(vlm::decoder::streamJpeg(plain.left(plain.size() / 2), half, early),
              Streamed::Failed);
    EXPECT_LT(early.bytes.size(), 128 * 64 * 4);
    CollectedRows refusing;
    refusing.refuseAfter = 128 * 4 * 20;
    EXPECT_EQ(vlm::decoder::streamJpeg(plain, half, refusing), Streamed::Failed);
}
