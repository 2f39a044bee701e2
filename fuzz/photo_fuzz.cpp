// The picture helper's photo decoders (WebP, TIFF, HEIC/HEIF/AVIF) and its Exif reading on any
// bytes. (The program's reader of the helper's answer is fuzzed with the picture bytes.)
#include "fuzzsupport.h"
#include "metafile/render.h"

static void fuzzOne(const QByteArray& input, FuzzedDataProvider&) {
    const QSize box(320, 200);
    for (const auto decode : {metafile::decodeWebp, metafile::decodeTiff, metafile::decodeHeif}) {
        const QImage image = decode(input, box);
        fuzz::check(image.isNull() || QRect(QPoint(), box).contains(image.rect()),
                    "a photo larger than its box");
    }
    const int orientation = metafile::exifOrientation(input);
    fuzz::check(orientation >= 1 && orientation <= 8, "an orientation outside 1 to 8");
}
