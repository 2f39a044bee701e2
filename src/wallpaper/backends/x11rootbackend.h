#pragma once

#include "wallpaper/backends/failurereporter.h"
#include "wallpaper/wallpaperbackend.h"

#include <QList>
#include <QObject>
#include <QRect>
#include <memory>
#include <optional>

struct xcb_connection_t;

namespace vlm {

// Plain X11: draws the picture into a pixmap that becomes the root window's background and is
// published as _XROOTPMAP_ID and ESETROOT_PMAP_ID, so compositors and pseudo-transparent
// terminals see it. The work (scaling, upload) runs on a worker thread over its own connection,
// which is closed with RetainPermanent so the pixmap outlives it; the next change frees the
// previous setter's pixmap the way Esetroot does.
class X11RootBackend final : public WallpaperBackend {
public:
    // display: the X display name ($DISPLAY). windowConnection: the program's own connection to
    // that display (the window's), if any; the resources it owns are never taken for a previous
    // setter's.
    explicit X11RootBackend(QString display, FailureReporter::Sink sink = {},
                            xcb_connection_t* windowConnection = nullptr);
    // Waits a short while for a picture being uploaded, then leaves the worker behind.
    ~X11RootBackend() override;

    QString name() const override { return QStringLiteral("x11"); }
    void apply(const QString& bitmapPath, const QImage& picture) override;
    // The layout's image goes onto the root at the layout's place, unscaled.
    ComposedForm composedForm() const override { return ComposedForm::LayoutInMemory; }
    void applyComposed(const ComposedWallpaper& wallpaper) override;

    // Monitor areas to use instead of the screens Qt reports (tests, other platforms).
    void setMonitors(QList<QRect> monitors);

    // The connection Qt's window system uses, or null on other platforms.
    static xcb_connection_t* qtConnection();

private:
    // The ids a client may create: those with (id & ~mask) == base.
    struct IdRange {
        quint32 base = 0;
        quint32 mask = 0;
        bool contains(quint32 id) const { return (id & ~mask) == base; }
    };
    struct Job {
        quint64 sequence = 0;
        QString path;
        QImage picture;
        QList<QRect> monitors;
        std::optional<QPoint> composedAt; // a composed layout's place on the root: no scaling
    };
    struct Result {
        bool ok = false;
        QString kind;
        QString message;
    };

    struct Worker;

    void start(Job job);
    static Result render(const Worker& worker, const Job& job);
    static std::optional<Result> firstError(xcb_connection_t* connection);
    void finishJob(quint64 sequence, const Result& result);

    FailureReporter reporter_;
    std::optional<QList<QRect>> monitors_;
    QObject context_; // receives the worker's results on the caller's thread
    std::shared_ptr<Worker> worker_;
    quint64 sequence_ = 0;
};

} // namespace vlm
