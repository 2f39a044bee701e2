#include "unit/backendtesting.h"
#include "wallpaper/backends/plasmabackend.h"
#include "wallpaper/backends/portalbackend.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QUrl>

using namespace vlm;
using namespace vlmtest;

namespace {

// A stand-in for plasmashell or the portal on a private bus: records each call, answers as told.
class RecordingService final : public QDBusVirtualObject {
public:
    enum class Answer { Reply, Error, Silence };
    Answer answer = Answer::Reply;
    uint portalResponse = 0;
    QList<QDBusMessage> calls;

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        calls.append(message);
        const bool plasma = message.member() == u"evaluateScript";
        if (answer == Answer::Error)
            connection.send(message.createErrorReply(QDBusError::Failed, u"Widgets are locked"_s));
        else if (answer == Answer::Reply && plasma)
            connection.send(message.createReply(QString()));
        if (answer != Answer::Reply || plasma)
            return true;
        // The portal: the request's path, then its Response signal.
        const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().value(2));
        const QString path = u"/org/freedesktop/portal/desktop/request/%1/%2"_s.arg(
            message.service().mid(1).replace(u'.', u'_'),
            options.value(u"handle_token"_s).toString());
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(path))));
        QDBusMessage signal =
            QDBusMessage::createSignal(path, u"org.freedesktop.portal.Request"_s, u"Response"_s);
        signal << portalResponse << QVariantMap();
        connection.send(signal);
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
};

class DBusBackendTest : public BackendTest {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(u"dbus-daemon"_s).isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed";
        BackendTest::SetUp();
        ASSERT_TRUE(service_.isConnected() && client_.isConnected());
    }
    void TearDown() override {
        QDBusConnection::disconnectFromBus(service_.name());
        QDBusConnection::disconnectFromBus(client_.name());
    }
    void serve(const QString& name, const QString& path) {
        ASSERT_TRUE(service_.registerService(name));
        ASSERT_TRUE(service_.registerVirtualObject(path, &recorder_));
    }
    QDBusConnection connect(const QString& role) {
        return QDBusConnection::connectToBus(bus_.address(),
                                             role + QString::number(quintptr(this)));
    }

    PrivateBus bus_;
    QDBusConnection service_ = connect(u"service"_s);
    QDBusConnection client_ = connect(u"client"_s);
    RecordingService recorder_;
};

TEST_F(DBusBackendTest, PlasmaRunsAScriptNamingAFreshPictureEachTime) {
    serve(u"org.kde.plasmashell"_s, u"/PlasmaShell"_s);
    PlasmaBackend backend(client_, links_, std::chrono::seconds(5), recorder());
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(applied(backend, bitmap_), true) << reported();
    ASSERT_EQ(recorder_.calls.size(), 2);
    const QDBusMessage& call = recorder_.calls[0];
    EXPECT_EQ(call.interface() + u'.' + call.member(), u"org.kde.PlasmaShell.evaluateScript");
    const QString script = call.arguments().value(0).toString();
    EXPECT_TRUE(script.contains(
        javaScriptStringLiteral(QUrl::fromLocalFile(links_).toString() + u'/').chopped(1)))
        << script.toStdString();
    EXPECT_NE(recorder_.calls[1].arguments().value(0).toString(), script);
    EXPECT_EQ(QDir(links_).entryList(QDir::Files).size(), 1);

    // Composed: each screen the picture of the monitor at its place, stretched (fill mode 0);
    // the next plain change gives Plasma back its own mode (2).
    const QString second = dir_.filePath(u"vlmimage2.bmp"_s);
    writeBytes(second, "BM");
    backend.applyComposed(
        {{{{}, QRect(0, 0, 8, 6), {}}, {{}, QRect(8, -2, 6, 8), {}}}, {bitmap_, second}, {}, {}});
    ASSERT_EQ(waitFinished(backend), true);
    const QString composed = recorder_.calls.last().arguments().value(0).toString();
    const QString folder = QUrl::fromLocalFile(links_).toString();
    EXPECT_TRUE(composed.contains(u"[0, 0, \""_s + folder + u"/vlmimage-"_s) &&
                composed.contains(u"[8, -2, \""_s + folder + u"/vlmimage2-"_s) &&
                composed.contains(u"var fillMode = 0;"_s))
        << composed.toStdString();
    ASSERT_EQ(applied(backend, bitmap_), true);
    EXPECT_TRUE(
        recorder_.calls.last().arguments().value(0).toString().contains(u"var fillMode = 2;"_s));
    ASSERT_EQ(applied(backend, bitmap_), true);
    EXPECT_TRUE(
        recorder_.calls.last().arguments().value(0).toString().contains(u"var fillMode = -1;"_s));
}

TEST_F(DBusBackendTest, FailuresNeverBlockAndAreReportedOncePerKind) {
    serve(u"org.kde.plasmashell"_s, u"/PlasmaShell"_s);
    using Answer = RecordingService::Answer;
    PlasmaBackend plasma(client_, links_, std::chrono::seconds(5), recorder());
    PlasmaBackend hurried(client_, links_, std::chrono::milliseconds(300), recorder());
    PortalBackend portal(client_, links_, std::chrono::seconds(5), recorder()); // not on the bus
    const std::tuple<WallpaperBackend*, Answer, QString> cases[] = {
        {&plasma, Answer::Error, u"widgets are locked"_s},
        {&hurried, Answer::Silence, u"NoReply"_s},
        {&portal, Answer::Reply, u"ServiceUnknown"_s}};
    for (const auto& [backend, answer, expected] : cases) {
        recorder_.answer = answer;
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(applied(*backend, bitmap_), false);
        expectReportedOnce(expected);
    }
}

TEST_F(DBusBackendTest, PortalGetsAUriAndFinishesOnItsResponse) {
    serve(u"org.freedesktop.portal.Desktop"_s, u"/org/freedesktop/portal/desktop"_s);
    PortalBackend backend(client_, links_, std::chrono::seconds(5), recorder());
    ASSERT_EQ(applied(backend, bitmap_), true) << reported();
    ASSERT_EQ(recorder_.calls.size(), 1);
    const QDBusMessage& call = recorder_.calls[0];
    EXPECT_EQ(call.interface() + u'.' + call.member(),
              u"org.freedesktop.portal.Wallpaper.SetWallpaperURI");
    const QString uri = call.arguments().value(1).toString();
    EXPECT_TRUE(uri.startsWith(u"file://"_s + links_)) << uri.toStdString();
    EXPECT_TRUE(QFile::exists(QUrl(uri).toLocalFile()));
    const QVariantMap options = qdbus_cast<QVariantMap>(call.arguments().value(2));
    EXPECT_EQ(options.value(u"show-preview"_s), QVariant(false));

    recorder_.portalResponse = 1; // the user dismissed it
    EXPECT_EQ(applied(backend, bitmap_), false);
    expectReportedOnce(u"cancelled"_s);
}

TEST(JavaScriptStringLiteral, NoPathCanEndTheStringOrTheScript) {
    EXPECT_EQ(javaScriptStringLiteral(u"a\"b\\c\nd~"_s + QChar(0x7f) + QChar(0x2028) + u'é'),
              uR"("a\"b\\c\u000ad~\u007f\u2028\u00e9")"_s);
}

} // namespace
