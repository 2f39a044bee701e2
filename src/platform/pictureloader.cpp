#include "platform/pictureloader.h"

#include "common/metafilewire.h"
#include "platform/jpegdecode.h"
#include "platform/metafileprocess.h"
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

// An 8K picture decodes to about 130 MB; twice that still refuses a decompression bomb.
constexpr int kAllocationLimitMb = 256;
constexpr qint64 kMaxDecodedBytes = qint64{kAllocationLimitMb} * 1024 * 1024;
constexpr int kMaxSide = 32768;
// An icon file holds a handful of sizes; the directory is not trusted beyond this many.
constexpr int kMaxIconEntries = 64;
const QSize kDefaultMetafileBox(1920, 1080);

const char* qtFormat(PictureKind kind) {
    switch (kind) {
    case PictureKind::Bmp:
        return "bmp";
    case PictureKind::Jpeg:
        return "jpeg";
    case PictureKind::Gif:
        return "gif";
    case PictureKind::Ico:
        return "ico";
    default:
        return nullptr;
    }
}

bool acceptableSize(QSize size) {
    return size.width() > 0 && size.height() > 0 && size.width() <= kMaxSide &&
           size.height() <= kMaxSide &&
           qint64{size.width()} * size.height() * 4 <= kMaxDecodedBytes;
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

QImage readQtPicture(QFile& file, PictureKind kind) {
    if (!hasAllItsData(file, kind))
        return {};
    if (kind == PictureKind::Jpeg && file.size() <= kMaxDecodedBytes) {
        if (std::optional<QImage> image = decodeColourJpeg(file.readAll(), acceptableSize))
            return *std::move(image);
        file.seek(0);
    }
    QImageReader reader(&file, qtFormat(kind));
    reader.setAutoDetectImageFormat(false);
    if (kind == PictureKind::Ico)
        jumpToLargestIcon(reader);
    // The header's claim is checked before anything is allocated for the pixels. (canRead()
    // is no help: the icon handler says no to icons it reads well.)
    if (!acceptableSize(reader.size()))
        return {};
    // The GIF handler reports the first frame's size but paints on the larger logical screen.
    QImage image = reader.read();
    return acceptableSize(image.size()) ? image : QImage();
}

// The requested size within what the helper may return, keeping its aspect.
QSize metafileBox(QSize target) {
    namespace wire = metafilewire;
    QSize box = target.isEmpty() ? kDefaultMetafileBox : target;
    box = box.boundedTo(QSize(wire::kMaxSide, wire::kMaxSide));
    const double pixels = double(box.width()) * box.height();
    if (pixels > double(wire::kMaxPixels)) {
        const double scale = std::sqrt(double(wire::kMaxPixels) / pixels);
        box = QSize(qMax(1, int(box.width() * scale)), qMax(1, int(box.height() * scale)));
    }
    return box;
}

} // namespace

PictureLoader::PictureLoader(QString metafileHelper, QSize targetSize)
    : metafileHelper_(std::move(metafileHelper)), targetSize_(targetSize) {}

QImage PictureLoader::load(const QString& path) const {
    ++loadsRunning_;
    const auto done = qScopeGuard([this] { --loadsRunning_; });
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const PictureKind kind = sniffPictureKind(file.peek(kPictureSniffBytes));
    switch (kind) {
    case PictureKind::Unknown:
        return {};
    case PictureKind::Wmf:
    case PictureKind::Emf: {
        if (metafileHelper_.isEmpty() || file.size() > metafilewire::kMaxInputBytes)
            return {};
        MetafileJob job;
        job.helper = metafileHelper_;
        job.kind = kind == PictureKind::Wmf ? "wmf" : "emf";
        job.data = file.read(metafilewire::kMaxInputBytes + 1);
        job.box = metafileBox(targetSize_);
        return renderMetafileInHelper(job);
    }
    default:
        return readQtPicture(file, kind);
    }
}

void PictureLoader::limitDecoderMemory() {
    QImageReader::setAllocationLimit(kAllocationLimitMb);
}

QString PictureLoader::findMetafileHelper(const QString& executableFolder) {
    const QString name = QStringLiteral("vlm-metafile");
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
    const QString fromEnvironment = qEnvironmentVariable("VLM_METAFILE_HELPER");
    return executable(fromEnvironment) ? fromEnvironment : QString();
}

} // namespace vlm
