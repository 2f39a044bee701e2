#pragma once

#include "wallpaper/backends/failurereporter.h"
#include "wallpaper/wallpaperbackend.h"

#include <QList>
#include <QObject>
#include <QRect>
#include <QThreadPool>
#include <mutex>
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
    // display: the X display name ($DISPLAY). monitors: areas the picture covers one by one
    // (root coordinates); empty = the whole root window.
    explicit X11RootBackend(QString display, FailureReporter::Sink sink = {});
    ~X11RootBackend() override;

    QString name() const override { return QStringLiteral("x11"); }
    void apply(const QString& bitmapPath, const QImage& picture) override;

    // Monitor areas to use instead of the screens Qt reports (tests, other platforms).
    void setMonitors(QList<QRect> monitors);

private:
    struct Job {
        quint64 sequence = 0;
        QString path;
        QImage picture;
        QList<QRect> monitors;
    };
    struct Result {
        bool ok = false;
        QString kind;
        QString message;
    };

    void work();
    Result render(const Job& job) const;
    void finishJob(quint64 sequence, const Result& result);
    static std::optional<Result> firstError(xcb_connection_t* connection);

    QString display_;
    FailureReporter reporter_;
    std::optional<QList<QRect>> monitors_;
    QObject context_; // receives the worker's results on the caller's thread
    QThreadPool pool_;
    std::mutex mutex_;
    std::optional<Job> pending_;
    bool working_ = false;
    quint64 sequence_ = 0;
};

} // namespace vlm
