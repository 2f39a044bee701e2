// Picture bytes: a collection's files (sniffed; photo_fuzz decodes them), the
// wallpaper bitmap's header, and the picture helper's untrusted output.
#include "common/decodewire.h"
#include "fuzzsupport.h"
#include "platform/decodedpicturereader.h"
#include "platform/picturekind.h"
#include "wallpaper/bitmapheader.h"

#include <QGuiApplication>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

static void fuzzOne(const QByteArray& input, FuzzedDataProvider& data) {
    const PictureKind kind = sniffPictureKind(input);
    fuzz::check(kind == sniffPictureKind(input.left(kPictureSniffBytes)),
                "the kind depends on bytes past the sniffing window");
    const QString path = fuzz::writeScratchFile(QStringLiteral("picture.bmp"), input);
    readBitmapHeader(path);

    // The helper's answer is taken the same however the pipe splits it.
    DecodedPictureReader atOnce(decodewire::kDrawing), pieces(decodewire::kDrawing);
    atOnce.append(input);
    for (qsizetype offset = 0; offset < input.size();) {
        const auto size = data.ConsumeIntegralInRange<qsizetype>(1, input.size() - offset);
        pieces.append(QByteArrayView(input).sliced(offset, size));
        offset += size;
    }
    fuzz::check(atOnce.finish() == pieces.finish(), "the answer depends on how the pipe splits it");
}
