#include "wallpaper/wallpapercomposer.h"

#include "platform/picturesave.h"

#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>
#include <utility>

namespace vlm {

QString monitorBitmapPath(const QString& wallpaperBitmap, qsizetype monitor) {
    if (monitor == 0)
        return wallpaperBitmap;
    const QFileInfo first(wallpaperBitmap);
    return first.dir().filePath(QStringLiteral("vlmimage%1.bmp").arg(monitor + 1));
}

QString layoutBitmapPath(const QString& wallpaperBitmap) {
    return QFileInfo(wallpaperBitmap).dir().filePath(QStringLiteral("vlmimage-layout.bmp"));
}

namespace {

struct Laid {
    ComposedWallpaper wallpaper;
    bool written = true;
};

// What the backend takes, written where it needs files. Runs on a worker thread.
Laid layOutAndWrite(const QList<QImage>& pictures, const CompositionRequest& request,
                    ComposedForm form, const QString& bitmapPath) {
    Laid laid;
    laid.wallpaper.monitors = request.monitors;
    const QList<QRect> areas = monitorAreas(request.monitors);
    const Placement placement =
        request.placement == Placement::Desktop ? Placement::Fill : request.placement;
    const QList<QImage> shown = composeMonitors(pictures, placement, areas, request.background);
    const auto write = [&laid](const QImage& image, const QString& path) {
        laid.written = saveWindowsBitmap(image, path) && laid.written;
        return path;
    };
    // The first monitor's picture is always the wallpaper bitmap, which the window describes.
    laid.wallpaper.bitmaps.append(write(shown.first(), bitmapPath));
    if (form == ComposedForm::MonitorFiles) {
        for (qsizetype i = 1; i < shown.size(); ++i)
            laid.wallpaper.bitmaps.append(write(shown[i], monitorBitmapPath(bitmapPath, i)));
    } else if (form == ComposedForm::LayoutFile) {
        const bool oneMonitor = areas.size() == 1;
        laid.wallpaper.layoutBitmap =
            oneMonitor ? bitmapPath
                       : write(composeLayout(areas, shown), layoutBitmapPath(bitmapPath));
    } else if (form == ComposedForm::LayoutInMemory) {
        laid.wallpaper.layout = composeLayout(areas, shown);
    }
    return laid;
}

} // namespace

WallpaperComposer::WallpaperComposer(PictureSource& pictures, WallpaperBackend& backend,
                                     QString bitmapPath, QObject* parent)
    : QObject(parent), pictures_(pictures), backend_(backend), bitmapPath_(std::move(bitmapPath)) {}

void WallpaperComposer::cancel() {
    ++generation_;
    jobs_.clear();
    decoded_.clear();
    waiting_ = 0;
}

void WallpaperComposer::compose(const CompositionRequest& request) {
    cancel();
    request_ = request;
    const QList<QRect> areas = monitorAreas(request.monitors);
    // Span lays one picture over them all; one picture for all is decoded once, to serve each.
    if (request_.placement == Placement::Span || request_.paths.size() < areas.size())
        request_.paths = request_.paths.mid(0, 1);
    else
        request_.paths = request_.paths.mid(0, areas.size());
    decoded_ = QList<QImage>(request_.paths.size());
    waiting_ = int(request_.paths.size());
    for (int i = 0; i < request_.paths.size(); ++i) {
        const QList<QRect> servedAreas = request_.paths.size() == 1 ? areas : QList{areas[i]};
        const Placement placement =
            request.placement == Placement::Desktop ? Placement::Fill : request.placement;
        const DecodeBox box = decodeBoxFor(placement, servedAreas);
        PictureRequest picture{request_.paths[i], box.size, box.cover, largestArea(areas)};
        jobs_.push_back(pictures_.decode(picture));
        connect(jobs_.back().get(), &PictureJob::finished, this,
                [this, i](const DecodedPicture& decoded) { arrived(i, decoded); });
    }
}

void WallpaperComposer::arrived(int index, const DecodedPicture& picture) {
    if (picture.image.isNull()) {
        const QString path = request_.paths.value(index);
        cancel();
        Q_EMIT failed(path, picture);
        return;
    }
    decoded_[index] = picture.image;
    if (--waiting_ == 0)
        layOut();
}

void WallpaperComposer::layOut() {
    jobs_.clear();
    const ComposedForm form = backend_.composedForm();
    auto* writing = new QFutureWatcher<Laid>(this);
    connect(writing, &QFutureWatcher<Laid>::finished, this,
            [this, writing, generation = generation_] {
                writing->deleteLater();
                if (generation != generation_)
                    return;
                Laid laid = writing->result();
                if (!laid.written)
                    laid.wallpaper.layout = QImage(); // the desktop and the files agree
                backend_.applyComposed(laid.wallpaper);
                Q_EMIT shown();
            });
    writing->setFuture(QtConcurrent::run(layOutAndWrite, std::exchange(decoded_, {}), request_,
                                         form, bitmapPath_));
}

} // namespace vlm
