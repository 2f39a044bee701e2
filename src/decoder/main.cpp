// vlm-decode, the picture helper: decodes one picture read from standard input and writes it
// to standard output in the bounded pixel format of common/decodewire.h. Drawings (WMF, EMF)
// are fitted inside the box; photos (WebP, TIFF, HEIC/HEIF/AVIF) come upright, at their own
// size or scaled down to fit the box. The decoders are C libraries with a record of memory
// faults on crafted files, so the program runs them here, in a process it starts under
// resource limits.
//
// Usage: vlm-decode KIND within|cover WIDTH HEIGHT < picture > pixels

#include "common/decodewire.h"
#include "decoder/confine.h"
#include "decoder/decoders.h"

#include <QGuiApplication>
#include <QtEndian>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace {

namespace wire = vlm::decodewire;
namespace decoders = vlm::decoder;

enum ExitCode {
    kOk = 0,
    kRenderFailed = 1,
    kBadArguments = 2,
    kBadInput = 3,
    kWriteFailed = 4,
    kNotConfined = 5,
};

struct Kind {
    std::string_view name;
    QImage (*decode)(const QByteArray& data, const decoders::Box& box);
    bool needsFonts; // text in the drawing uses the font database, which needs a GUI application
};

constexpr Kind kKinds[] = {
    {"wmf", decoders::renderWmf, false},   {"emf", decoders::renderEmf, true},
    {"webp", decoders::decodeWebp, false}, {"tiff", decoders::decodeTiff, false},
    {"heif", decoders::decodeHeif, false}, {"svg", decoders::decodeSvg, false},
    {"jxl", decoders::decodeJxl, false},
};

const Kind* findKind(std::string_view name) {
    for (const Kind& kind : kKinds)
        if (kind.name == name)
            return &kind;
    return nullptr;
}

bool parseSide(const char* text, const wire::Format& format, int& side) {
    bool ok = false;
    const uint value = QByteArray(text).toUInt(&ok);
    if (!ok || value == 0 || value > format.maxSide)
        return false;
    side = static_cast<int>(value);
    return true;
}

// Reads all of standard input; fails when it holds more than the decoders are given.
bool readInput(QByteArray& input, qint64 maxBytes) {
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        const size_t n = std::fread(chunk.data(), 1, chunk.size(), stdin);
        if (n > 0) {
            if (input.size() + static_cast<qint64>(n) > maxBytes)
                return false;
            input.append(chunk.data(), static_cast<qsizetype>(n));
        }
        if (n < chunk.size())
            return !std::ferror(stdin);
    }
}

bool writeAll(const void* data, size_t size) {
    return std::fwrite(data, 1, size, stdout) == size;
}

// One row as the format wants it: 0xAARRGGBB little-endian words, or R, G, B bytes laid on
// white. Rows are converted one at a time, so a large photo is never copied whole.
void packRow(const QImage& image, int y, const wire::Format& format, std::vector<uchar>& out) {
    const QImage line =
        QImage(image.constScanLine(y), image.width(), 1, image.bytesPerLine(), image.format())
            .convertToFormat(format.bytesPerPixel == 4 ? QImage::Format_ARGB32
                                                       : QImage::Format_ARGB32_Premultiplied);
    const auto* pixels = reinterpret_cast<const QRgb*>(line.constScanLine(0));
    uchar* at = out.data();
    for (int x = 0; x < image.width(); ++x) {
        const QRgb p = pixels[x];
        if (format.bytesPerPixel == 4) {
            qToLittleEndian<quint32>(p, at);
            at += 4;
        } else {
            const int white = 255 - qAlpha(p); // premultiplied colour over white
            *at++ = uchar(qRed(p) + white);
            *at++ = uchar(qGreen(p) + white);
            *at++ = uchar(qBlue(p) + white);
        }
    }
}

bool writePixels(const QImage& image, const wire::Format& format) {
    const auto width = static_cast<quint32>(image.width());
    const auto height = static_cast<quint32>(image.height());
    if (image.isNull() || width > format.maxSide || height > format.maxSide ||
        quint64{width} * height > format.maxPixels)
        return false;

    unsigned char header[wire::kHeaderSize];
    std::memcpy(header, format.magic, sizeof format.magic);
    qToLittleEndian(width, header + 8);
    qToLittleEndian(height, header + 12);
    if (!writeAll(header, sizeof header))
        return false;
    std::vector<uchar> row(std::size_t{width} * format.bytesPerPixel);
    for (int y = 0; y < image.height(); ++y) {
        packRow(image, y, format, row);
        if (!writeAll(row.data(), row.size()))
            return false;
    }
    return std::fflush(stdout) == 0;
}

} // namespace

int main(int argc, char** argv) {
    int width = 0;
    int height = 0;
    const Kind* kind = argc == 5 ? findKind(argv[1]) : nullptr;
    const wire::Format* format = kind ? wire::formatFor(kind->name) : nullptr;
    const std::string_view fit = argc == 5 ? argv[2] : "";
    if (!format || (fit != "within" && fit != "cover") || !parseSide(argv[3], *format, width) ||
        !parseSide(argv[4], *format, height)) {
        std::fputs("usage: vlm-decode KIND within|cover WIDTH HEIGHT < picture > pixels\n", stderr);
        return kBadArguments;
    }
    // The decoders see only input that arrives after this, in a process that can no longer
    // reach the user's files, the network or other programs.
    if (vlm::decoder::confineDecoding() == vlm::decoder::Confinement::Failed) {
        std::fputs("vlm-decode: the system-call filter could not be installed\n", stderr);
        return kNotConfined;
    }
    QByteArray input;
    if (!readInput(input, format->maxInputBytes) || input.isEmpty()) {
        std::fputs("vlm-decode: the input is empty, unreadable or too large\n", stderr);
        return kBadInput;
    }
    std::optional<QGuiApplication> app;
    if (kind->needsFonts) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app.emplace(argc, argv);
    }
    const QImage image = kind->decode(input, {QSize(width, height), fit == "cover"});
    if (image.isNull()) {
        std::fputs("vlm-decode: the picture could not be decoded\n", stderr);
        return kRenderFailed;
    }
    return writePixels(image, *format) ? kOk : kWriteFailed;
}
