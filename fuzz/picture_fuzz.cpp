// Picture bytes: a collection's files (sniffed, then decoded behind the size checks), the
// wallpaper bitmap's header, and the metafile helper's untrusted output.
#include "common/metafilewire.h"
#include "fuzzsupport.h"
#include "platform/metafileoutput.h"
#include "platform/picturekind.h"
#include "platform/pictureloader.h"
#include "wallpaper/bitmapheader.h"

#include <QGuiApplication>
#include <QtEndian>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    PictureLoader::limitDecoderMemory();
    return 0;
}

static void fuzzOne(const QByteArray& input, FuzzedDataProvider& data) {
    const PictureKind kind = sniffPictureKind(input);
    fuzz::check(kind == sniffPictureKind(input.left(kPictureSniffBytes)),
                "the kind depends on bytes past the sniffing window");
    static const PictureLoader loader(QString(), QSize(320, 200));
    const QString path = fuzz::writeScratchFile(QStringLiteral("picture.jpg"), input);
    const QImage image = loader.load(path);
    const PictureKindRow* row = pictureKindRow(kind);
    const bool inProgram = row && (row->decoder == PictureDecoder::QtReader ||
                                   row->decoder == PictureDecoder::LibJpeg);
    if (!inProgram) // without a helper, nothing else decodes them
        fuzz::check(image.isNull(), "an unknown kind or a helper's kind gave a picture");
    fuzz::check(qint64{image.width()} * image.height() <= kMaxPicturePixels, "picture too large");

    // A bitmap header gives its fields, a short file zeros.
    const char* at = input.constData();
    const BitmapInfo info = readBitmapHeader(path);
    const bool whole = input.size() >= 54;
    fuzz::check(info.width == (whole ? qFromLittleEndian<qint32>(at + 18) : 0) &&
                    info.height == (whole ? qFromLittleEndian<qint32>(at + 22) : 0) &&
                    info.bitsPerPixel == (whole ? qFromLittleEndian<qint16>(at + 28) : 0),
                "bitmap header fields");

    // The helper's answer is taken the same however the pipe splits it.
    MetafileOutputReader atOnce(metafilewire::kDrawing), pieces(metafilewire::kDrawing);
    atOnce.append(input);
    for (qsizetype offset = 0; offset < input.size();) {
        const auto size = data.ConsumeIntegralInRange<qsizetype>(1, input.size() - offset);
        pieces.append(QByteArrayView(input).sliced(offset, size));
        offset += size;
    }
    const QImage rendered = atOnce.finish();
    fuzz::check(rendered == pieces.finish(), "the answer depends on how the pipe splits it");
    if (!rendered.isNull()) {
        const auto width = qFromLittleEndian<quint32>(at + 8);
        const auto height = qFromLittleEndian<quint32>(at + 12);
        fuzz::check(quint32(rendered.width()) == width && quint32(rendered.height()) == height &&
                        std::size_t(input.size()) ==
                            metafilewire::kHeaderSize + std::size_t{width} * height * 4 &&
                        rendered.pixel(0, 0) == qFromLittleEndian<quint32>(at + 16),
                    "metafile output size, length or first pixel");
    }
}
