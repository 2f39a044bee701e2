// Picture files from a collection: sniffing any bytes, then loading them with Qt's decoders
// behind the size checks (metafiles are left to the helper's own target: no helper here).
#include "fuzzsupport.h"
#include "platform/picturekind.h"
#include "platform/pictureloader.h"

#include <QGuiApplication>

using namespace vlm;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    vlm::PictureLoader::limitDecoderMemory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
    const PictureKind kind = sniffPictureKind(input);
    fuzz::check(kind == sniffPictureKind(QByteArrayView(input).first(
                            qMin<qsizetype>(input.size(), kPictureSniffBytes))),
                "the kind depends on bytes past the sniffing window");

    static const PictureLoader loader(QString(), QSize(320, 200));
    const QImage image = loader.load(fuzz::writeScratchFile(QStringLiteral("picture.jpg"), input));
    if (kind == PictureKind::Unknown || kind == PictureKind::Wmf || kind == PictureKind::Emf)
        fuzz::check(image.isNull(), "an unknown or metafile kind gave a picture");
    if (!image.isNull())
        fuzz::check(image.width() <= 32768 && image.height() <= 32768, "picture too large");
    return 0;
}
