#include "platform/pictureloader.h"

#include "common/decodewire.h"
#include "platform/jpegdecode.h"
#include "platform/decodeprocess.h"
#include "platform/picturecomplete.h"
#include "platform/picturekind.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QScopeGuard>
#include <cmath>
#include <utility>

namespace vlm {

namespace {

// The largest picture at 8 bytes a pixel (a 16-bit PNG with alpha, as Qt decodes it).
constexpr int kAllocationLimitMb = int(kMaxPicturePixels * 8 / (1024 * 1024)) + 1;
// An icon file holds a handful of sizes; the directory is not trusted beyond this many.
constexpr int kMaxIconEntries = 64;
const QSize kDefaultMetafileBox(1920, 1080);

bool acceptableSize(QSize size) {
    return size.width() > 0 && size.height() > 0 && size.width() <= kMaxPictureSide &&
           size.height() <= kMaxPictureSide &&
           qint64{size.width()} * size.height() <= kMaxPicturePixels;
}

QString tooLarge(QSize size) {
    return QStringLiteral("the picture is %1 x %2 pixels, more than the program shows "
                          "(%3 megapixels, %4 pixels a side)")
        .arg(size.width())
        .arg(size.height())
        .arg(kMaxPicturePixels / 1'000'000)
        .arg(kMaxPictureSide);
}

// An icon keeps several sizes; the wallpaper wants the largest one.
void jumpToLargestIcon(QImageReader& reader) {
    const int count = qMin(reader.imageCount(), kMaxIconEntries);
    int best = 0;
    qint64 bestArea = -1;
    for (int i = 0; i < count && reader.jumpToImage(i); ++i) {
        const QSize size = reader.size();
        const qint64 area = qint64{size.width()} * size.height();
        if (acceptableSize(size) && area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    reader.jumpToImage(best);
}

// Deep colour (16-bit PNG) as 8 bits a channel: what the preview, the bitmap and the screen use.
QImage eightBitChannels(QImage image) {
    if (image.depth() <= 32)
        return image;
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                         : QImage::Format_RGB32);
}

QImage shrunkToFit(QImage image, QSize within) {
    if (within.isEmpty() || (image.width() <= within.width() && image.height() <= within.height()))
        return image;
    return image.scaled(within, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QImage readInProgram(QFile& file, const PictureKindRow& row, QSize within, QString& whyNot) {
    if (!hasAllItsData(file, row.kind)) {
        whyNot = QStringLiteral("the file ends before its picture does");
        return {};
    }
    QImageReader reader(&file, row.format);
    reader.setAutoDetectImageFormat(false); // no plugin's guess decodes anything
    reader.setAutoTransform(true);
    if (row.kind == PictureKind::Ico)
        jumpToLargestIcon(reader);
    // The header's claim is checked before anything is allocated for the pixels. (canRead()
    // is no help: the icon handler says no to icons it reads well.)
    const QSize claimed = reader.size();
    if (!claimed.isValid()) {
        whyNot = QStringLiteral("the picture's header cannot be read");
        return {};
    }
    if (!acceptableSize(claimed)) {
        whyNot = tooLarge(claimed);
        return {};
    }
    if (row.decoder == PictureDecoder::LibJpeg) {
        const JpegRequest request{reader.transformation(), within};
        file.seek(0);
        if (std::optional<QImage> image = decodeColourJpeg(file, acceptableSize, request)) {
            if (image->isNull())
                whyNot = QStringLiteral("the photograph is broken or ends early");
            return shrunkToFit(*std::move(image), within);
        }
        file.seek(0);
        reader.setDevice(&file); // grayscale and CMYK: Qt's reader from the start
    }
    // The GIF handler reports the first frame's size but paints on the larger logical screen.
    QImage image = reader.read();
    if (image.isNull()) {
        whyNot = QStringLiteral("the picture is broken: ") + reader.errorString();
        return {};
    }
    if (!acceptableSize(image.size())) {
        whyNot = tooLarge(image.size());
        return {};
    }
    return shrunkToFit(eightBitChannels(std::move(image)), within);
}

// The requested size within what the helper may return, keeping its aspect.
QSize helperBox(QSize box) {
    namespace wire = decodewire;
    box = box.boundedTo(QSize(wire::kMaxSide, wire::kMaxSide));
    const double pixels = double(box.width()) * box.height();
    if (pixels > double(wire::kMaxPixels)) {
        const double scale = std::sqrt(double(wire::kMaxPixels) / pixels);
        box = QSize(qMax(1, int(box.width() * scale)), qMax(1, int(box.height() * scale)));
    }
    return box;
}

} // namespace

PictureLoader::PictureLoader(QString decodeHelper, QSize targetSize)
    : decodeHelper_(std::move(decodeHelper)), targetSize_(targetSize) {}

QImage PictureLoader::load(const QString& path, QSize within, QString* whyNot) const {
    ++loadsRunning_;
    const auto done = qScopeGuard([this] { --loadsRunning_; });
    QString reason;
    QImage image = loadFile(path, within, reason);
    if (whyNot)
        *whyNot = image.isNull() ? reason : QString();
    return image;
}

QImage PictureLoader::loadFile(const QString& path, QSize within, QString& whyNot) const {
    if (path.isEmpty()) {
        whyNot = QStringLiteral("no file is named");
        return {};
    }
    if (!QFileInfo(path).isFile()) {
        whyNot = QFileInfo::exists(path) ? QStringLiteral("it is not a file")
                                         : QStringLiteral("the file does not exist");
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        whyNot = QStringLiteral("the file cannot be opened: ") + file.errorString();
        return {};
    }
    const PictureKindRow* row = pictureKindRow(sniffPictureKind(file.peek(kPictureSniffBytes)));
    if (!row) {
        whyNot = QStringLiteral("the file is not a picture of a kind the program shows");
        return {};
    }
    if (row->decoder == PictureDecoder::QtReader || row->decoder == PictureDecoder::LibJpeg)
        return readInProgram(file, *row, within, whyNot);

    if (decodeHelper_.isEmpty()) {
        whyNot = QStringLiteral("the helper vlm-decode, which decodes this kind, is missing");
        return {};
    }
    const decodewire::Format& format = *decodewire::formatFor(row->format);
    if (file.size() > format.maxInputBytes) {
        whyNot = QStringLiteral("the file is larger than the helper takes (%1 MiB)")
                     .arg(format.maxInputBytes / (1024 * 1024));
        return {};
    }
    DecodeJob job;
    job.helper = decodeHelper_;
    job.kind = row->format;
    job.data = file.read(format.maxInputBytes + 1);
    if (!within.isEmpty())
        job.box = helperBox(within);
    else if (row->decoder == PictureDecoder::HelperDrawing)
        job.box = helperBox(targetSize_.isEmpty() ? kDefaultMetafileBox : targetSize_);
    else // a photograph at its own size: the helper checks its pixels against its own cap
        job.box = QSize(kMaxPictureSide, kMaxPictureSide)
                      .boundedTo(QSize(int(format.maxSide), int(format.maxSide)));
    QImage image = decodeInHelper(job);
    if (image.isNull()) {
        whyNot = QStringLiteral("the helper could not decode the picture");
    } else if (!acceptableSize(image.size())) {
        whyNot = tooLarge(image.size());
        return {};
    }
    return image;
}

void PictureLoader::limitDecoderMemory() {
    QImageReader::setAllocationLimit(kAllocationLimitMb);
}

QString PictureLoader::findDecodeHelper(const QString& executableFolder) {
    const QString name = QStringLiteral("vlm-decode");
    const auto executable = [](const QString& path) {
        const QFileInfo info(path);
        return info.isFile() && info.isExecutable();
    };
    if (!executableFolder.isEmpty()) {
        const QString beside = QDir(executableFolder).filePath(name);
        if (executable(beside))
            return beside;
    }
    if (!executableFolder.isEmpty()) {
        // An installed tree under any prefix: bin/../libexec/vlm.
        const QString relative = QDir::cleanPath(
            QDir(executableFolder)
                .filePath(QString::fromUtf8(VLM_LIBEXECDIR_FROM_BINDIR) + u'/' + name));
        if (executable(relative))
            return relative;
    }
    const QString installed = QDir(QStringLiteral(VLM_INSTALL_LIBEXECDIR)).filePath(name);
    if (executable(installed))
        return installed;
    const QString fromEnvironment = qEnvironmentVariable("VLM_DECODE_HELPER");
    return executable(fromEnvironment) ? fromEnvironment : QString();
}

} // namespace vlm
