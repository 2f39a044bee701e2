// What the metafile helper writes is not trusted: anything but a whole, bounded picture is null.
#include "common/metafilewire.h"
#include "fuzzsupport.h"
#include "platform/metafileoutput.h"

#include <QtEndian>

using namespace vlm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
    const QImage image = parseMetafileOutput(input);
    if (image.isNull())
        return 0;
    const auto width = qFromLittleEndian<quint32>(bytes + 8);
    const auto height = qFromLittleEndian<quint32>(bytes + 12);
    fuzz::check(quint32(image.width()) == width && quint32(image.height()) == height, "size");
    fuzz::check(size == metafilewire::kHeaderSize + std::size_t{width} * height * 4, "length");
    fuzz::check(image.pixel(0, 0) == qFromLittleEndian<quint32>(bytes + 16), "first pixel");
    return 0;
}
