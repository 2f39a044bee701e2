// The picture helper's photo decoders (WebP, TIFF, HEIC/HEIF/AVIF) and its Exif reading on any
// bytes, and the program's reader of the helper's answer, however the pipe splits it.
#include "common/metafilewire.h"
#include "fuzzsupport.h"
#include "metafile/render.h"
#include "platform/metafileoutput.h"

static void fuzzOne(const QByteArray& input, FuzzedDataProvider& data) {
    const QSize box(320, 200);
    for (const auto decode : {metafile::decodeWebp, metafile::decodeTiff, metafile::decodeHeif}) {
        const QImage image = decode(input, box);
        fuzz::check(image.isNull() || QRect(QPoint(), box).contains(image.rect()),
                    "a photo larger than its box");
    }
    const int orientation = metafile::exifOrientation(input);
    fuzz::check(orientation >= 1 && orientation <= 8, "an orientation outside 1 to 8");

    MetafileOutputReader whole(metafilewire::kRaster), pieces(metafilewire::kRaster);
    whole.append(input);
    for (qsizetype at = 0; at < input.size();) {
        const auto size = data.ConsumeIntegralInRange<qsizetype>(1, input.size() - at);
        pieces.append(QByteArrayView(input).sliced(at, size));
        at += size;
    }
    const QImage a = whole.finish(), b = pieces.finish();
    fuzz::check(a == b, "the answer depends on how the pipe splits it");
    fuzz::check(a.isNull() ||
                    std::size_t(input.size()) ==
                        metafilewire::kHeaderSize + std::size_t(a.width()) * a.height() * 3,
                "an answer of the wrong length was taken");
}
