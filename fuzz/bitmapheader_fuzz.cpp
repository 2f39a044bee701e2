// Bitmap headers: any file gives the header's fields or zeros, never more.
#include "fuzzsupport.h"
#include "wallpaper/bitmapheader.h"

#include <QtEndian>

using namespace vlm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
    const QString path = fuzz::writeScratchFile(QStringLiteral("vlmimage.bmp"), input);
    const BitmapInfo info = readBitmapHeader(path);
    if (size < 54) {
        fuzz::check(info.width == 0 && info.height == 0 && info.bitsPerPixel == 0,
                    "a short file gave fields");
    } else {
        fuzz::check(info.width == qFromLittleEndian<qint32>(bytes + 18), "width");
        fuzz::check(info.height == qFromLittleEndian<qint32>(bytes + 22), "height");
        fuzz::check(info.bitsPerPixel == qFromLittleEndian<qint16>(bytes + 28), "bits");
    }
    fuzz::check(bitmapInfoLine(info).endsWith(QStringLiteral("bpp")), "info line");
    return 0;
}
