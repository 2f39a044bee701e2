// vlm-decode and vlm-decode-common, the picture helpers: decode one picture read from standard
// input and writes it to standard output in the bounded pixel format of common/decodewire.h, at the
// size the program asks for (inside a preview, or just covering the screen). Photographs come
// upright. Every picture a user names decodes here, never in the program: the decoders are C
// libraries with a record of memory faults on crafted files, and a picture may be made to exhaust
// whatever decodes it. The program starts this process under resource limits, hands it the
// opened file as standard input, and reads the reason for a failure from its exit status.
// vlm-decode decodes every kind; vlm-decode-common only the common ones (kinds.h), and links
// only what they need, so that a change to a photo does not pay for loading every decoder.
//
// Usage: vlm-decode KIND within|cover WIDTH HEIGHT < picture > pixels
//        vlm-decode KIND size < picture > header   (the upright size only, no pixels)
//        vlm-decode serve <> socket                 (the common kinds, a process each: serve.h)

#include "common/decodewire.h"
#include "decoder/confine.h"
#include "decoder/decoders.h"
#include "decoder/kinds.h"
#include "decoder/serve.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QtEndian>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace wire = vlm::decodewire;
namespace decoders = vlm::decoder;

using decoders::Kind;

bool parseSide(const char* text, const wire::Format& format, int& side) {
    bool ok = false;
    const uint value = QByteArray(text).toUInt(&ok);
    if (!ok || value == 0 || value > format.maxSide)
        return false;
    side = static_cast<int>(value);
    return true;
}

// Reads all of standard input: the picture's file, or a pipe. An input larger than the decoders
// are given is refused as too large, an unreadable one as broken.
wire::HelperExit readInput(QByteArray& input, qint64 maxBytes) {
    struct stat status {};
    if (fstat(STDIN_FILENO, &status) == 0 && S_ISREG(status.st_mode) && status.st_size < maxBytes)
        input.reserve(qsizetype(status.st_size) + 1); // the file read without growing the buffer
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        const size_t n = std::fread(chunk.data(), 1, chunk.size(), stdin);
        if (n > 0) {
            if (input.size() + static_cast<qint64>(n) > maxBytes)
                return wire::kTooLarge;
            input.append(chunk.data(), static_cast<qsizetype>(n));
        }
        if (n < chunk.size())
            return std::ferror(stdin) || input.isEmpty() ? wire::kBroken : wire::kDecoded;
    }
}

wire::HelperExit failureExit() {
    switch (decoders::refusal()) {
    case decoders::Refusal::TooLarge:
        return wire::kTooLarge;
    case decoders::Refusal::Limit:
        return wire::kRefused;
    case decoders::Refusal::None:
        break;
    }
    return wire::kBroken;
}

bool writeFailed = false;

// Straight to the pipe, without stdio's buffer: a photo's rows go in a few large writes.
bool writeAll(const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0 && !writeFailed) {
        const ssize_t written = ::write(STDOUT_FILENO, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        writeFailed = written <= 0;
        if (written > 0) {
            bytes += written;
            size -= std::size_t(written);
        }
    }
    return !writeFailed;
}

// One row as the format wants it: 0xAARRGGBB little-endian words, laid on white for an opaque
// format. Rows are converted one at a time, so a large picture is never copied whole.
void packRow(const QImage& image, int y, const wire::Format& format, std::vector<uchar>& out) {
    const bool layOnWhite = format.opaque && image.hasAlphaChannel();
    const QImage line =
        QImage(image.constScanLine(y), image.width(), 1, image.bytesPerLine(), image.format())
            .convertToFormat(!format.opaque ? QImage::Format_ARGB32
                             : layOnWhite   ? QImage::Format_ARGB32_Premultiplied
                                            : QImage::Format_RGB32);
    const auto* pixels = reinterpret_cast<const QRgb*>(line.constScanLine(0));
    uchar* at = out.data();
    for (int x = 0; x < image.width(); ++x, at += 4) {
        QRgb p = pixels[x];
        if (layOnWhite) {
            const int white = 255 - qAlpha(p); // premultiplied colour over white
            p = qRgb(qRed(p) + white, qGreen(p) + white, qBlue(p) + white);
        }
        qToLittleEndian<quint32>(p, at);
    }
}

bool writeHeader(QSize size, const wire::Format& format) {
    const auto width = static_cast<quint32>(size.width());
    const auto height = static_cast<quint32>(size.height());
    if (size.isEmpty() || width > format.maxSide || height > format.maxSide ||
        quint64{width} * height > format.maxPixels)
        return false;
    unsigned char header[wire::kHeaderSize];
    std::memcpy(header, format.magic, sizeof format.magic);
    qToLittleEndian(width, header + 8);
    qToLittleEndian(height, header + 12);
    return writeAll(header, sizeof header);
}

bool writePixels(const QImage& image, const wire::Format& format) {
    if (!writeHeader(image.size(), format))
        return false;
    const auto width = static_cast<quint32>(image.width());
    const std::size_t rowBytes = std::size_t{width} * format.bytesPerPixel;
    if (format.opaque && image.format() == QImage::Format_RGB32 &&
        Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
        // The usual photo (a JPEG is decoded straight to RGB32): its rows are the format's
        // words, written as they are.
        for (int y = 0; y < image.height(); ++y)
            if (!writeAll(image.constScanLine(y), rowBytes))
                return false;
        return true;
    }
    std::vector<uchar> row(rowBytes);
    for (int y = 0; y < image.height(); ++y) {
        packRow(image, y, format, row);
        if (!writeAll(row.data(), row.size()))
            return false;
    }
    return true;
}

// A photo's rows written as they decode: the words of the opaque format, on a little-endian
// machine.
class StandardOutputRows final : public decoders::RowWriter {
public:
    explicit StandardOutputRows(const wire::Format& format) : format_(format) {}
    bool start(QSize size) override { return writeHeader(size, format_); }
    bool rows(const uchar* pixels, qsizetype bytes) override {
        return writeAll(pixels, std::size_t(bytes));
    }

private:
    const wire::Format& format_;
};

// The picture streamed where its kind can, else decoded whole and written.
wire::HelperExit decodeAndWrite(const Kind& kind, const QByteArray& input, const decoders::Box& box,
                                const wire::Format& format) {
    if (kind.stream && format.opaque && Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
        StandardOutputRows out(format);
        switch (kind.stream(input, box, out)) {
        case decoders::Streamed::Written:
            return wire::kDecoded;
        case decoders::Streamed::Failed:
            return writeFailed ? wire::kWriteFailed : failureExit();
        case decoders::Streamed::NotTaken:
            break;
        }
    }
    const QImage image = kind.decode(input, box);
    if (image.isNull()) {
        std::fputs("vlm-decode: the picture could not be decoded\n", stderr);
        return failureExit();
    }
    return writePixels(image, format) ? wire::kDecoded : wire::kWriteFailed;
}

// The upright size, from the header where the kind has a reader for it; else the picture is
// decoded small, which gives its aspect.
QSize measure(const Kind& kind, const QByteArray& input) {
    constexpr int kMeasureSide = 1024;
    const QSize size = kind.measure
                           ? kind.measure(input)
                           : kind.decode(input, {QSize(kMeasureSide, kMeasureSide)}).size();
    return size.isValid() && decoders::rasterSizeAllowed(size.width(), size.height()) ? size
                                                                                      : QSize();
}

// What every common kind loads late: a server decodes any of them after it is confined.
decoders::LateLibraries commonKindsLateLibraries() {
    decoders::LateLibraries late{{}, false, false};
    for (const Kind& kind : decoders::kCommonKinds) {
        const decoders::LateLibraries own = kind.late();
        late.qtPlugins += own.qtPlugins;
        late.pixbufLoaders = late.pixbufLoaders || own.pixbufLoaders;
        late.textConverters = late.textConverters || own.textConverters;
    }
    late.qtPlugins.removeDuplicates();
    return late;
}

int decodeCommand(int argc, char** argv, bool confine) {
    int width = 0;
    int height = 0;
    const Kind* kind = argc == 5 || argc == 3 ? decoders::findKind(argv[1]) : nullptr;
    const wire::Format* format = kind ? wire::formatFor(kind->name) : nullptr;
    const std::string_view fit = kind ? argv[2] : "";
    const bool sizeOnly = argc == 3 && fit == "size";
    // A server loaded only what the common kinds load.
    const bool decodable = format && (confine || wire::isCommonKind(kind->name));
    if (!decodable ||
        (!sizeOnly && ((fit != "within" && fit != "cover") || !parseSide(argv[3], *format, width) ||
                       !parseSide(argv[4], *format, height)))) {
        std::fputs("usage: vlm-decode KIND within|cover WIDTH HEIGHT < picture > pixels\n"
                   "       vlm-decode KIND size < picture > header\n"
                   "       vlm-decode serve <> socket\n",
                   stderr);
        return wire::kBadArguments;
    }
    // The decoders see only input that arrives after this, in a process that can no longer
    // reach the user's files, the network or other programs.
    if (confine && decoders::confineDecoding({}, kind->late()) == decoders::Confinement::Failed) {
        std::fputs("vlm-decode: the system-call filter could not be installed\n", stderr);
        return wire::kNotConfined;
    }
    QByteArray input;
    if (const wire::HelperExit read = readInput(input, format->maxInputBytes); read != 0) {
        std::fputs("vlm-decode: the input is empty, unreadable or too large\n", stderr);
        return read;
    }
    // Qt's readers refuse, by default, pictures past 128 MB; the size checks above them allow a
    // 200-megapixel photograph at 8 bytes a pixel (a 16-bit PNG with alpha, as Qt decodes it).
    QImageReader::setAllocationLimit(int(format->maxPixels * 8 / (1024 * 1024)) + 1);
    std::optional<QGuiApplication> app;
    if (kind->needsFonts) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app.emplace(argc, argv);
    }
    if (sizeOnly) {
        const QSize size = measure(*kind, input);
        if (size.isEmpty())
            return failureExit();
        return writeHeader(size, *format) ? wire::kDecoded : wire::kWriteFailed;
    }
    return decodeAndWrite(*kind, input, {QSize(width, height), fit == "cover"}, *format);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "serve")
        return decoders::serveDecoding(decodeCommand, commonKindsLateLibraries());
    return decodeCommand(argc, argv, true);
}
