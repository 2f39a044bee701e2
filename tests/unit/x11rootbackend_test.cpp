#include "unit/backendtesting.h"
#include "wallpaper/backends/x11rootbackend.h"

#include <QColor>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPainter>
#include <atomic>
#include <cstring>
#include <memory>
#include <semaphore>
#include <sys/socket.h>
#include <thread>
#include <xcb/xcb.h>

using namespace vlm;
using namespace vlmtest;

namespace {

// One colour, with the part (if any) in another.
QImage solid(QSize size, QColor colour, QRect part = {}, QColor partColour = {}) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QPainter(&image).fillRect(part, partColour);
    return image;
}

template <typename T> std::unique_ptr<T, decltype(&std::free)> owned(T* p) {
    return {p, &std::free};
}

xcb_connection_t* connectTo(const QString& display) {
    return xcb_connect(display.toLocal8Bit().constData(), nullptr);
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    auto reply = owned(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// Waits until the server has handled every request sent so far; false if c is broken.
bool roundTrip(xcb_connection_t* c) {
    auto reply = owned(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    return reply && !xcb_connection_has_error(c);
}

// The X server's view of the desktop: root window pixels and the root properties.
class RootReader {
public:
    explicit RootReader(const QString& display) : c_(connectTo(display)) {}
    ~RootReader() { xcb_disconnect(c_); }

    // The colour at (x, y) as 0xRRGGBB.
    quint32 pixel(int x, int y) const {
        const auto cookie = xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, screen_->root, int16_t(x),
                                          int16_t(y), 1, 1, ~0u);
        auto reply = owned(xcb_get_image_reply(c_, cookie, nullptr));
        quint32 value = 0xdeadbeef;
        if (reply)
            std::memcpy(&value, xcb_get_image_data(reply.get()),
                        size_t(std::min(xcb_get_image_data_length(reply.get()), 4)));
        return value & 0xffffff;
    }
    xcb_pixmap_t property(const char* name) const {
        auto reply = owned(xcb_get_property_reply(
            c_, xcb_get_property(c_, 0, screen_->root, atom(c_, name), XCB_ATOM_PIXMAP, 0, 1),
            nullptr));
        if (!reply || xcb_get_property_value_length(reply.get()) != 4)
            return XCB_NONE;
        return *static_cast<xcb_pixmap_t*>(xcb_get_property_value(reply.get()));
    }
    bool pixmapExists(xcb_pixmap_t pixmap) const {
        xcb_generic_error_t* error = nullptr;
        auto reply = owned(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, pixmap), &error));
        std::free(error);
        return reply != nullptr;
    }

private:
    xcb_connection_t* c_;
    xcb_screen_t* screen_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
};

// A backend's desktop: a private 320x200 X server.
class X11RootBackendTest : public BackendTest {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(u"Xvfb"_s).isEmpty())
            GTEST_SKIP() << "Xvfb is not installed";
        BackendTest::SetUp();
        server_ = std::make_unique<PrivateXServer>(320, 200, 24);
        ASSERT_FALSE(display().isEmpty()) << "Xvfb did not start";
        reader_ = std::make_unique<RootReader>(display());
    }
    QString display() const { return server_->display(); }
    void writeBitmap(QColor colour, QSize size = {64, 48}) {
        ASSERT_TRUE(solid(size, colour).save(bitmap_, "BMP"));
    }

    std::unique_ptr<PrivateXServer> server_;
    std::unique_ptr<RootReader> reader_;
};

TEST_F(X11RootBackendTest, ReapplyingTheSamePathShowsTheNewPictureAndFreesTheOldPixmap) {
    X11RootBackend backend(display(), recorder());
    writeBitmap(QColor(255, 0, 0));
    ASSERT_EQ(applied(backend, bitmap_), true) << reported();
    EXPECT_EQ(reader_->pixel(0, 0), 0xff0000u);
    EXPECT_EQ(reader_->pixel(319, 199), 0xff0000u);
    const xcb_pixmap_t first = reader_->property("_XROOTPMAP_ID");
    EXPECT_EQ(reader_->property("ESETROOT_PMAP_ID"), first);
    EXPECT_TRUE(reader_->pixmapExists(first)) << "not retained after the setter disconnected";

    writeBitmap(QColor(0, 0, 255));
    ASSERT_EQ(applied(backend, bitmap_), true);
    EXPECT_EQ(reader_->pixel(160, 100), 0x0000ffu);
    const xcb_pixmap_t second = reader_->property("_XROOTPMAP_ID");
    EXPECT_NE(second, first);
    EXPECT_FALSE(reader_->pixmapExists(first)) << "the previous pixmap was left behind";

    // A bitmap read from disk passes the picture checks: one cut short changes nothing.
    writeBitmap(QColor(255, 0, 0), {640, 480});
    QFile bitmap(bitmap_);
    ASSERT_TRUE(bitmap.resize(bitmap.size() / 2));
    EXPECT_EQ(applied(backend, bitmap_), false);
    EXPECT_EQ(reader_->property("_XROOTPMAP_ID"), second) << "the root changed";
    expectReportedOnce(u"cannot read the picture"_s);
}

// A setter that left both root properties naming its pixmap, then vanished without retaining
// it: the server hands its slot, and so the same ids, to the next client that connects.
xcb_pixmap_t leaveStaleRootIds(const QString& display, xcb_connection_t* killer) {
    xcb_connection_t* setter = connectTo(display);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(setter)).data;
    const xcb_pixmap_t pixmap = xcb_generate_id(setter);
    xcb_create_pixmap(setter, screen->root_depth, pixmap, screen->root, 8, 8);
    for (const char* name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"})
        xcb_change_property(setter, XCB_PROP_MODE_REPLACE, screen->root, atom(setter, name),
                            XCB_ATOM_PIXMAP, 32, 1, &pixmap);
    roundTrip(setter);
    // Killed rather than disconnected, so its slot is free once the killer's round trip ends.
    xcb_kill_client(killer, pixmap);
    roundTrip(killer);
    xcb_disconnect(setter);
    return pixmap;
}

TEST_F(X11RootBackendTest, StaleRootIdsNeverKillTheProgramsOwnConnections) {
    xcb_connection_t* killer = connectTo(display());
    writeBitmap(QColor(255, 0, 0));

    // The worker's own connection takes the slot and creates its pixmap under the stale id.
    leaveStaleRootIds(display(), killer);
    EXPECT_EQ(applied(*std::make_unique<X11RootBackend>(display(), recorder()), bitmap_), true)
        << reported();

    // The window's connection takes the slot first and owns a resource under the stale id.
    const xcb_pixmap_t stale = leaveStaleRootIds(display(), killer);
    xcb_connection_t* window = connectTo(display());
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(window)).data;
    const xcb_pixmap_t windowPixmap = xcb_generate_id(window);
    xcb_create_pixmap(window, screen->root_depth, windowPixmap, screen->root, 4, 4);
    ASSERT_EQ(windowPixmap, stale) << "the server did not reuse the slot";
    ASSERT_TRUE(roundTrip(window)); // the pixmap exists once the round trip is over
    EXPECT_EQ(applied(*std::make_unique<X11RootBackend>(display(), recorder(), window), bitmap_),
              true);
    EXPECT_TRUE(roundTrip(window)) << "the change killed the window's connection";
    xcb_disconnect(window);
    xcb_disconnect(killer);
}

TEST_F(X11RootBackendTest, PictureInMemoryWinsAndCoversEachMonitorWithoutDistortion) {
    X11RootBackend backend(display());
    writeBitmap(QColor(0, 0, 255));
    // Left half red, right half green: a tall monitor shows the middle 160 columns (the seam at
    // 80), a wide one the whole picture squeezed only in size; outside every monitor stays black.
    backend.setMonitors({QRect(0, 0, 160, 200), QRect(160, 0, 160, 100)});
    ASSERT_EQ(applied(backend, bitmap_, solid({200, 200}, Qt::red, {100, 0, 100, 200}, Qt::green)),
              true);
    const std::pair<QPoint, quint32> expected[] = {{{0, 0}, 0xff0000},    {{79, 100}, 0xff0000},
                                                   {{80, 100}, 0x00ff00}, {{165, 50}, 0xff0000},
                                                   {{315, 50}, 0x00ff00}, {{200, 150}, 0x000000}};
    for (const auto& [point, colour] : expected)
        EXPECT_EQ(reader_->pixel(point.x(), point.y()), colour) << point.x() << ',' << point.y();

    // A composed layout goes onto the root unscaled at its place; the rest of the root is black.
    backend.applyComposed({{{QRect(20, 10, 50, 50), {}, {}}, {QRect(70, 10, 50, 50), {}, {}}},
                           {bitmap_},
                           {},
                           solid({100, 50}, Qt::red, {50, 0, 50, 50}, Qt::green)});
    ASSERT_EQ(waitFinished(backend), true);
    const std::pair<QPoint, quint32> composed[] = {{{19, 30}, 0},         {{20, 10}, 0xff0000},
                                                   {{69, 59}, 0xff0000},  {{70, 10}, 0x00ff00},
                                                   {{119, 59}, 0x00ff00}, {{120, 30}, 0}};
    for (const auto& [point, colour] : composed)
        EXPECT_EQ(reader_->pixel(point.x(), point.y()), colour) << point.x() << ',' << point.y();
}

using X11RootBackendFailures = BackendTest;

TEST_F(X11RootBackendFailures, ADisplayThatCannotBeReachedIsReported) {
    X11RootBackend backend(u":999"_s, recorder());
    EXPECT_EQ(applied(backend, bitmap_, solid({4, 4}, Qt::red)), false);
    expectReportedOnce(u":999"_s);
}

TEST(X11RootBackend, QuittingDoesNotWaitForAServerThatStoppedAnswering) {
    // A display that takes connections and never answers. X clients try its abstract socket first.
    QLocalServer server;
    server.setSocketOptions(QLocalServer::AbstractNamespaceOption);
    QString display;
    for (int number = 600; number < 700 && display.isEmpty(); ++number)
        if (server.listen(u"/tmp/.X11-unix/X"_s + QString::number(number)))
            display = u':' + QString::number(number);
    ASSERT_FALSE(display.isEmpty());
    std::binary_semaphore destroyed(0);
    std::atomic<bool> rescued = false;
    std::thread watchdog;
    {
        X11RootBackend backend(display);
        backend.apply(u"/nonexistent.bmp"_s, solid({8, 8}, Qt::red));
        ASSERT_TRUE(server.waitForNewConnection(10000)) << "the worker did not connect";
        const int client = int(server.nextPendingConnection()->socketDescriptor());
        // Should the backend wait for the worker for ever, hanging up frees it: the test ends.
        watchdog = std::thread([&destroyed, &rescued, client] {
            if (!destroyed.try_acquire_for(std::chrono::seconds(30))) {
                rescued = true;
                ::shutdown(client, SHUT_RDWR);
            }
        });
    }
    destroyed.release();
    watchdog.join();
    EXPECT_FALSE(rescued) << "the backend waited for a server that does not answer";
}

} // namespace
