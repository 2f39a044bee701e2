#pragma once

#include "platform/picturesource.h"
#include "wallpaper/placement.h"
#include "wallpaper/wallpaperbackend.h"

#include <QColor>
#include <QObject>
#include <QStringList>
#include <vector>

namespace vlm {

struct CompositionRequest {
    QStringList paths; // one picture for every monitor, or one a monitor in their order
    Placement placement = Placement::Fill; // Desktop composes as Fill
    QColor background = Qt::black;
    QList<Monitor> monitors; // at least one
};

// The bitmaps a composition writes beside the wallpaper bitmap (vlmimage.bmp, the first
// monitor's): vlmimage2.bmp, vlmimage3.bmp, ... for the other monitors and vlmimage-layout.bmp
// for the whole layout, so the uninstall's vlmimage*.bmp takes them all.
QString monitorBitmapPath(const QString& wallpaperBitmap, qsizetype monitor);
QString layoutBitmapPath(const QString& wallpaperBitmap);

// Shows pictures composed by the program: decodes each at the size its placement needs, lays
// them out on a worker thread, writes the bitmaps the backend takes and hands them to it.
class WallpaperComposer : public QObject {
    Q_OBJECT
public:
    WallpaperComposer(PictureSource& pictures, WallpaperBackend& backend, QString bitmapPath,
                      QObject* parent = nullptr);

    // Starts a composition; one still running is dropped.
    void compose(const CompositionRequest& request);
    void cancel();

Q_SIGNALS:
    // The composition was handed to the desktop (also when a bitmap could not be written: the
    // desktop then keeps the files it has).
    void shown();
    // A picture could not be shown; the wallpaper stays as it is.
    void failed(const QString& path, const DecodedPicture& picture);

private:
    void arrived(int index, const DecodedPicture& picture);
    void layOut();

    PictureSource& pictures_;
    WallpaperBackend& backend_;
    QString bitmapPath_;
    CompositionRequest request_;
    std::vector<PictureJobPtr> jobs_;
    QList<QImage> decoded_;
    int waiting_ = 0;
    int generation_ = 0;
};

} // namespace vlm
