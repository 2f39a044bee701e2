// vlm-metafile: renders one WMF or EMF drawing, read from standard input, and writes it to
// standard output in the bounded pixel format of common/metafilewire.h. The decoders are old C
// code, so the program runs them here, in a process the caller starts under resource limits.
//
// Usage: vlm-metafile wmf|emf WIDTH HEIGHT   (the drawing is fitted inside WIDTH x HEIGHT)

#include "common/metafilewire.h"
#include "metafile/confine.h"
#include "metafile/render.h"

#include <QGuiApplication>
#include <QtEndian>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

namespace wire = vlm::metafilewire;

enum ExitCode {
    kOk = 0,
    kRenderFailed = 1,
    kBadArguments = 2,
    kBadInput = 3,
    kWriteFailed = 4,
    kNotConfined = 5,
};

bool parseSide(const char* text, int& side) {
    bool ok = false;
    const uint value = QByteArray(text).toUInt(&ok);
    if (!ok || value == 0 || value > wire::kMaxSide)
        return false;
    side = static_cast<int>(value);
    return true;
}

// Reads all of standard input; fails when it holds more than the decoders are given.
bool readInput(QByteArray& input) {
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        const size_t n = std::fread(chunk.data(), 1, chunk.size(), stdin);
        if (n > 0) {
            if (input.size() + static_cast<qint64>(n) > wire::kMaxInputBytes)
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

bool writePixels(QImage image) {
    image.convertTo(QImage::Format_ARGB32);
    const auto width = static_cast<quint32>(image.width());
    const auto height = static_cast<quint32>(image.height());
    if (image.isNull() || width > wire::kMaxSide || height > wire::kMaxSide ||
        quint64{width} * height > wire::kMaxPixels)
        return false;

    unsigned char header[wire::kHeaderSize];
    std::memcpy(header, wire::kMagic, sizeof wire::kMagic);
    qToLittleEndian(width, header + 8);
    qToLittleEndian(height, header + 12);
    if (!writeAll(header, sizeof header))
        return false;
    std::vector<quint32> row(width);
    for (int y = 0; y < image.height(); ++y) {
        qToLittleEndian<quint32>(image.constScanLine(y), width, row.data());
        if (!writeAll(row.data(), row.size() * sizeof(quint32)))
            return false;
    }
    return std::fflush(stdout) == 0;
}

} // namespace

int main(int argc, char** argv) {
    int width = 0;
    int height = 0;
    if (argc != 4 || !parseSide(argv[2], width) || !parseSide(argv[3], height) ||
        quint64(width) * quint64(height) > wire::kMaxPixels) {
        std::fputs("usage: vlm-metafile wmf|emf WIDTH HEIGHT < drawing > pixels\n", stderr);
        return kBadArguments;
    }
    const QByteArray kind(argv[1]);
    if (kind != "wmf" && kind != "emf") {
        std::fputs("vlm-metafile: the kind must be wmf or emf\n", stderr);
        return kBadArguments;
    }
    // The decoders see only input that arrives after this, in a process that can no longer
    // reach the user's files, the network or other programs.
    if (vlm::metafile::confineDecoding() == vlm::metafile::Confinement::Failed) {
        std::fputs("vlm-metafile: the system-call filter could not be installed\n", stderr);
        return kNotConfined;
    }
    QByteArray input;
    if (!readInput(input) || input.isEmpty()) {
        std::fputs("vlm-metafile: the input is empty, unreadable or too large\n", stderr);
        return kBadInput;
    }

    const QSize box(width, height);
    QImage image;
    if (kind == "wmf") {
        image = vlm::metafile::renderWmf(input, box);
    } else {
        // Text in an EMF drawing needs the font database, which needs a GUI application.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        image = vlm::metafile::renderEmf(input, box);
    }
    if (image.isNull()) {
        std::fputs("vlm-metafile: the drawing could not be rendered\n", stderr);
        return kRenderFailed;
    }
    return writePixels(std::move(image)) ? kOk : kWriteFailed;
}
