// The picture helper's photo decoders (WebP, TIFF, HEIC/HEIF/AVIF, JPEG XL), its SVG renderer,
// its Exif reading, its streaming JPEG path and its header size readers on any bytes. (The
// program's reader of the helper's answer is fuzzed with the picture bytes.)
#include "decoder/confine.h"
#include "decoder/decoders.h"
#include "fuzzsupport.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

// The decoders run as confined as in the helper. Besides, libFuzzer reads its corpus folders
// and inputs (the arguments without a leading '-'), writes new inputs into the first folder
// and crash artifacts beside -artifact_prefix (else into the working folder).
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    decoder::FuzzerRoom room;
    QString artifacts = QDir::currentPath();
    for (int i = 1; i < *argc; ++i) {
        const QString arg = QFile::decodeName((*argv)[i]);
        const QFileInfo path(arg.section(u'=', 1));
        if (arg.startsWith(u"-artifact_prefix="_s))
            artifacts = arg.endsWith(u'/') ? path.absoluteFilePath() : path.absolutePath();
        else if (arg.startsWith(u"-exact_artifact_path="_s))
            artifacts = path.absolutePath();
        else if (!arg.startsWith(u'-'))
            room.readable << QFileInfo(arg).absoluteFilePath();
    }
    room.writable << artifacts;
    if (!room.readable.isEmpty() && QFileInfo(room.readable.first()).isDir())
        room.writable << room.readable.first();
    if (decoder::confineDecoding(room) != decoder::Confinement::Full) {
        std::fputs("photo_fuzz: the decoders cannot be confined here (Landlock and seccomp)\n",
                   stderr);
        std::exit(1);
    }
    return 0;
}

// Counts what the streaming JPEG path hands on, as the helper's output would carry it.
struct CountedRows final : decoder::RowWriter {
    QSize size;
    qsizetype bytes = 0;
    bool start(QSize started) override {
        size = started;
        return true;
    }
    bool rows(const uchar*, qsizetype count) override {
        bytes += count;
        return true;
    }
};

static void fuzzOne(const QByteArray& input, FuzzedDataProvider&) {
    const decoder::Box box{QSize(320, 200)};
    const auto png = [](const QByteArray& data, const decoder::Box& box) {
        return decoder::decodeWithQt(data, box, "png");
    };
    const auto gif = [](const QByteArray& data, const decoder::Box& box) {
        return decoder::decodeWithQt(data, box, "gif");
    };
    const auto bmp = [](const QByteArray& data, const decoder::Box& box) {
        return decoder::decodeWithQt(data, box, "bmp");
    };
    const auto ico = [](const QByteArray& data, const decoder::Box& box) {
        return decoder::decodeWithQt(data, box, "ico");
    };
    using Decode = QImage (*)(const QByteArray&, const decoder::Box&);
    for (const Decode decode :
         {Decode(decoder::decodeWebp), Decode(decoder::decodeTiff), Decode(decoder::decodeHeif),
          Decode(decoder::decodeJpeg), Decode(png), Decode(gif), Decode(bmp), Decode(ico),
          Decode(decoder::decodeJxl), Decode(decoder::decodeSvg)}) {
        const QImage image = decode(input, box);
        fuzz::check(image.isNull() || QRect(QPoint(), box.size).contains(image.rect()),
                    "a picture larger than its box");
    }
    CountedRows rows;
    if (decoder::streamJpeg(input, box, rows) == decoder::Streamed::Written)
        fuzz::check(QRect(QPoint(), box.size).contains(QRect(QPoint(), rows.size)) &&
                        rows.bytes == qsizetype(rows.size.width()) * rows.size.height() * 4,
                    "streamed rows that are not the picture announced");
    // The size readers parse the same untrusted headers without decoding; what they may get
    // wrong on them, the sanitizers catch.
    using Measure = QSize (*)(const QByteArray&);
    for (const Measure measure : {decoder::measureJpeg, decoder::measurePng, decoder::measureGif,
                                  decoder::measureBmp, decoder::measureHeif})
        static_cast<void>(measure(input));
    const int orientation = decoder::exifOrientation(input);
    fuzz::check(orientation >= 1 && orientation <= 8, "an orientation outside 1 to 8");
}
