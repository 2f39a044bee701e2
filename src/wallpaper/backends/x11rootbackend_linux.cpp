#include "common/picturecomplete.h"
#include "wallpaper/backends/coverimage.h"
#include "wallpaper/backends/x11rootbackend.h"

#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QScreen>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <xcb/xcb.h>
#include <xcb/xproto.h>

namespace vlm {
namespace {

// Largest PutImage we send; big requests allow more, but strips keep the server responsive.
constexpr qint64 stripBytesLimit = 4 << 20;
// How long quitting waits for a picture still on its way to the X server.
constexpr std::chrono::seconds workerGrace{2};

struct ConnectionCloser {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using Connection = std::unique_ptr<xcb_connection_t, ConnectionCloser>;

template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply> ReplyPtr<Reply> owned(Reply* reply) {
    return ReplyPtr<Reply>(reply, &std::free);
}

xcb_screen_t* screenOf(xcb_connection_t* connection, int number) {
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (; it.rem; --number, xcb_screen_next(&it)) {
        if (number == 0)
            return it.data;
    }
    return nullptr;
}

std::optional<PixelLayout> layoutOf(xcb_connection_t* connection, const xcb_screen_t* screen) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    PixelLayout layout;
    bool haveFormat = false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it)) {
        if (it.data->depth == screen->root_depth) {
            layout.bitsPerPixel = it.data->bits_per_pixel;
            layout.scanlinePad = it.data->scanline_pad;
            haveFormat = true;
        }
    }
    layout.mostSignificantFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
    for (auto depth = xcb_screen_allowed_depths_iterator(screen); depth.rem;
         xcb_depth_next(&depth)) {
        for (auto visual = xcb_depth_visuals_iterator(depth.data); visual.rem;
             xcb_visualtype_next(&visual)) {
            if (visual.data->visual_id != screen->root_visual)
                continue;
            if (visual.data->_class != XCB_VISUAL_CLASS_TRUE_COLOR &&
                visual.data->_class != XCB_VISUAL_CLASS_DIRECT_COLOR)
                return std::nullopt;
            layout.redMask = visual.data->red_mask;
            layout.greenMask = visual.data->green_mask;
            layout.blueMask = visual.data->blue_mask;
            return haveFormat ? std::optional(layout) : std::nullopt;
        }
    }
    return std::nullopt;
}

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    auto reply = owned(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The pixmap id stored in a root property, or XCB_NONE.
xcb_pixmap_t pixmapProperty(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t atom) {
    auto reply = owned(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, atom, XCB_ATOM_PIXMAP, 0, 1), nullptr));
    if (!reply || reply->type != XCB_ATOM_PIXMAP || reply->format != 32 ||
        xcb_get_property_value_length(reply.get()) < 4)
        return XCB_NONE;
    return *static_cast<const xcb_pixmap_t*>(xcb_get_property_value(reply.get()));
}

bool isWindow(xcb_connection_t* connection, xcb_drawable_t id) {
    xcb_generic_error_t* error = nullptr;
    auto reply = owned(xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, id), &error));
    std::free(error);
    return reply != nullptr;
}

bool exists(xcb_connection_t* connection, xcb_drawable_t id) {
    xcb_generic_error_t* error = nullptr;
    auto reply =
        owned(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), &error));
    std::free(error);
    return reply != nullptr;
}

} // namespace

// What the worker thread uses. It is shared so that a worker stuck on a server that stopped
// answering can outlive the backend without touching freed memory.
struct X11RootBackend::Worker {
    QString display;
    QList<IdRange> windowIds; // ids of the program's window connection
    std::mutex mutex;
    std::condition_variable idle;
    std::optional<Job> pending;
    bool working = false;
    X11RootBackend* owner = nullptr; // null once the backend is gone

    static void run(const std::shared_ptr<Worker>& self);
};

void X11RootBackend::Worker::run(const std::shared_ptr<Worker>& self) {
    for (;;) {
        Job job;
        {
            std::lock_guard lock(self->mutex);
            if (!self->pending || !self->owner) {
                self->working = false;
                self->idle.notify_all();
                return;
            }
            job = std::move(*self->pending);
            self->pending.reset();
        }
        const Result result = render(*self, job);
        std::lock_guard lock(self->mutex);
        if (X11RootBackend* owner = self->owner) {
            // Posted while the backend is known to live; its context drops the call if the
            // backend goes before the event loop delivers it.
            QMetaObject::invokeMethod(
                &owner->context_,
                [owner, sequence = job.sequence, result] { owner->finishJob(sequence, result); },
                Qt::QueuedConnection);
        }
    }
}

X11RootBackend::X11RootBackend(QString display, FailureReporter::Sink sink,
                               xcb_connection_t* windowConnection)
    : reporter_(QStringLiteral("x11"), std::move(sink)), worker_(std::make_shared<Worker>()) {
    worker_->display = std::move(display);
    worker_->owner = this;
    if (windowConnection && !xcb_connection_has_error(windowConnection)) {
        const xcb_setup_t* setup = xcb_get_setup(windowConnection);
        worker_->windowIds.append({setup->resource_id_base, setup->resource_id_mask});
    }
}

X11RootBackend::~X11RootBackend() {
    std::unique_lock lock(worker_->mutex);
    worker_->pending.reset();
    worker_->owner = nullptr;
    // A server that stopped answering must not keep the program from ending.
    worker_->idle.wait_for(lock, workerGrace, [this] { return !worker_->working; });
}

xcb_connection_t* X11RootBackend::qtConnection() {
    const auto* application = qGuiApp;
    auto* x11 =
        application ? application->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

void X11RootBackend::setMonitors(QList<QRect> monitors) {
    monitors_ = std::move(monitors);
}

void X11RootBackend::applyComposed(const ComposedWallpaper& wallpaper) {
    start({++sequence_,
           wallpaper.bitmaps.value(0),
           wallpaper.layout,
           {},
           layoutBox(monitorAreas(wallpaper.monitors)).topLeft()});
}

void X11RootBackend::apply(const QString& bitmapPath, const QImage& picture) {
    Job job{++sequence_, bitmapPath, picture, {}, std::nullopt};
    if (monitors_) {
        job.monitors = *monitors_;
    } else if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        for (const QScreen* screen : QGuiApplication::screens()) {
            const qreal ratio = screen->devicePixelRatio();
            const QRect area = screen->geometry();
            job.monitors.append(QRect(qRound(area.x() * ratio), qRound(area.y() * ratio),
                                      qRound(area.width() * ratio), qRound(area.height() * ratio)));
        }
    }
    start(std::move(job));
}

void X11RootBackend::start(Job job) {
    std::lock_guard lock(worker_->mutex);
    // Only the newest picture matters when changes come faster than the X server takes them.
    worker_->pending = std::move(job);
    if (worker_->working)
        return;
    try {
        std::thread(&Worker::run, worker_).detach();
        worker_->working = true;
    } catch (const std::system_error& error) {
        worker_->pending.reset();
        QMetaObject::invokeMethod(
            &context_,
            [this, sequence = sequence_, message = QString::fromLocal8Bit(error.what())] {
                finishJob(sequence, {false, QStringLiteral("thread"),
                                     QStringLiteral("cannot start a thread: ") + message});
            },
            Qt::QueuedConnection);
    }
}

void X11RootBackend::finishJob(quint64 sequence, const Result& result) {
    if (!result.ok)
        reporter_.report(result.kind, result.message);
    if (sequence == sequence_)
        reportFinished(result.ok);
}

X11RootBackend::Result X11RootBackend::render(const Worker& worker, const Job& job) {
    // Without a picture in memory the program's own bitmap is read from disk, as a BMP only,
    // whole (a cut one changes nothing), within Qt's allocation limit, on this worker thread.
    QImage picture = job.picture;
    if (QFile file(job.path);
        picture.isNull() && file.open(QIODevice::ReadOnly) && hasAllItsData(file, "bmp")) {
        QImageReader reader(&file, "bmp");
        reader.setAutoDetectImageFormat(false);
        picture = reader.read();
    }
    if (picture.isNull())
        return {false, QStringLiteral("picture"),
                QStringLiteral("cannot read the picture %1").arg(job.path)};
    if (worker.display.isEmpty())
        return {false, QStringLiteral("display"), QStringLiteral("DISPLAY is not set")};

    int screenNumber = 0;
    Connection connection(xcb_connect(worker.display.toLocal8Bit().constData(), &screenNumber));
    if (xcb_connection_has_error(connection.get()))
        return {false, QStringLiteral("connect"),
                QStringLiteral("cannot connect to the X display %1").arg(worker.display)};
    xcb_connection_t* c = connection.get();
    const xcb_screen_t* screen = screenOf(c, screenNumber);
    if (!screen)
        return {false, QStringLiteral("screen"), QStringLiteral("the X screen does not exist")};
    const std::optional<PixelLayout> layout = layoutOf(c, screen);
    if (!layout)
        return {false, QStringLiteral("visual"),
                QStringLiteral("the root window's visual is not true colour (depth %1)")
                    .arg(screen->root_depth)};

    const QSize rootSize(screen->width_in_pixels, screen->height_in_pixels);
    QImage image;
    if (!job.composedAt) {
        image = rootImage(picture, rootSize, job.monitors);
    } else if (*job.composedAt == QPoint(0, 0) && picture.size() == rootSize) {
        image = picture.convertToFormat(QImage::Format_RGB32);
    } else {
        image = QImage(rootSize, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter(&image).drawImage(*job.composedAt, picture);
    }
    const int stride = layout->bytesPerLine(image.width());
    const qint64 requestBytes =
        std::min<qint64>(qint64(xcb_get_maximum_request_length(c)) * 4, stripBytesLimit);
    const qint64 headerBytes = 24; // PutImage request without its data
    const int rowsPerStrip =
        int(std::min<qint64>((requestBytes - headerBytes) / stride, image.height()));
    if (rowsPerStrip < 1)
        return {false, QStringLiteral("request"),
                QStringLiteral("the X server's request size is too small")};

    const xcb_window_t root = screen->root;
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    if (auto error = owned(xcb_request_check(
            c, xcb_create_pixmap_checked(c, screen->root_depth, pixmap, root,
                                         uint16_t(image.width()), uint16_t(image.height())))))
        return {false, QStringLiteral("pixmap"),
                QStringLiteral("the X server cannot create a %1x%2 pixmap (error %3)")
                    .arg(image.width())
                    .arg(image.height())
                    .arg(error->error_code)};
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, pixmap, 0, nullptr);
    for (int row = 0; row < image.height(); row += rowsPerStrip) {
        const int rows = std::min(rowsPerStrip, image.height() - row);
        const QByteArray bytes = packPixels(image, *layout, row, rows);
        if (bytes.isEmpty())
            return {false, QStringLiteral("format"),
                    QStringLiteral("cannot write pixels of %1 bits").arg(layout->bitsPerPixel)};
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, uint16_t(image.width()),
                      uint16_t(rows), 0, int16_t(row), 0, screen->root_depth,
                      uint32_t(bytes.size()), reinterpret_cast<const uint8_t*>(bytes.constData()));
    }
    xcb_free_gc(c, gc);
    // Nothing on the root changes unless the picture arrived whole.
    if (auto error = firstError(c))
        return *error;

    // The previous setter left its pixmap behind on purpose; free it as Esetroot does, but only
    // when both properties agree, which marks a pixmap retained for exactly this. The ids may
    // be stale: once their pixmap is gone the server gives them to the next client that takes
    // the same slot, which can be this connection or the window's. Killing the owner of such an
    // id would end that client instead of freeing a wallpaper.
    QList<IdRange> ownIds = worker.windowIds;
    ownIds.append({xcb_get_setup(c)->resource_id_base, xcb_get_setup(c)->resource_id_mask});
    const auto retainedElsewhere = [&](xcb_pixmap_t id) {
        return std::none_of(ownIds.begin(), ownIds.end(),
                            [id](const IdRange& own) { return own.contains(id); }) &&
               exists(c, id) && !isWindow(c, id);
    };
    const xcb_atom_t rootAtom = internAtom(c, "_XROOTPMAP_ID");
    const xcb_atom_t esetrootAtom = internAtom(c, "ESETROOT_PMAP_ID");
    if (rootAtom == XCB_ATOM_NONE || esetrootAtom == XCB_ATOM_NONE)
        return {false, QStringLiteral("atoms"), QStringLiteral("cannot intern the root atoms")};
    const xcb_pixmap_t oldRoot = pixmapProperty(c, root, rootAtom);
    const xcb_pixmap_t oldEsetroot = pixmapProperty(c, root, esetrootAtom);
    if (oldRoot != XCB_NONE && oldRoot == oldEsetroot && retainedElsewhere(oldRoot))
        xcb_kill_client(c, oldRoot);

    xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, rootAtom, XCB_ATOM_PIXMAP, 32, 1, &pixmap);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, esetrootAtom, XCB_ATOM_PIXMAP, 32, 1,
                        &pixmap);
    const uint32_t background = pixmap;
    xcb_change_window_attributes(c, root, XCB_CW_BACK_PIXMAP, &background);
    xcb_clear_area(c, 0, root, 0, 0, 0, 0);
    xcb_set_close_down_mode(c, XCB_CLOSE_DOWN_RETAIN_PERMANENT);

    if (auto error = firstError(c))
        return *error;
    return {true, {}, {}};
}

std::optional<X11RootBackend::Result> X11RootBackend::firstError(xcb_connection_t* c) {
    // A round trip so every request sent so far was processed; then look for errors other than
    // the expected one from killing a setter that is already gone.
    auto sync = owned(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    if (!sync)
        return Result{false, QStringLiteral("io"), QStringLiteral("the X connection broke")};
    while (auto event = owned(xcb_poll_for_event(c))) {
        if (event->response_type != 0)
            continue;
        const auto* error = reinterpret_cast<const xcb_generic_error_t*>(event.get());
        if (error->major_code == XCB_KILL_CLIENT)
            continue;
        return Result{false, QStringLiteral("x-error-%1").arg(error->major_code),
                      QStringLiteral("X error %1 in request %2")
                          .arg(error->error_code)
                          .arg(error->major_code)};
    }
    return std::nullopt;
}

} // namespace vlm
