#include "support/testfiles.h"
#include "unit/backendtesting.h"
#include "wallpaper/backends/plasmabackend.h"
#include "wallpaper/backends/portalbackend.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QUrl>
#include <gtest/gtest.h>

using namespace vlm;

namespace {

// A stand-in for plasmashell or the portal on a private bus: records each call and answers as
// told.
class RecordingService final : public QDBusVirtualObject {
public:
    enum class Answer { Reply, Error, Silence };
    Answer answer = Answer::Reply;
    QString errorMessage;
    uint portalResponse = 0;
    QList<QDBusMessage> calls;

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        calls.append(message);
        if (answer == Answer::Silence)
            return true;
        if (answer == Answer::Error) {
            connection.send(message.createErrorReply(QDBusError::Failed, errorMessage));
            return true;
        }
        if (message.member() == u"evaluateScript") {
            connection.send(message.createReply(QString()));
            return true;
        }
        // The portal: the request's path, then its Response signal.
        const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().value(2));
        QString sender = message.service().mid(1).replace(u'.', u'_');
        const QString path =
            QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                .arg(sender, options.value(QStringLiteral("handle_token")).toString());
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(path))));
        QDBusMessage signal = QDBusMessage::createSignal(
            path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        signal << portalResponse << QVariantMap();
        connection.send(signal);
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
};

class DBusBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed";
        bus_ = std::make_unique<vlmtest::PrivateBus>();
        ASSERT_FALSE(bus_->address().isEmpty());
        const QString suffix = QString::number(quintptr(this));
        service_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(bus_->address(), QStringLiteral("service") + suffix));
        client_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(bus_->address(), QStringLiteral("client") + suffix));
        ASSERT_TRUE(service_->isConnected() && client_->isConnected());
        bitmap_ = dir_.filePath(QStringLiteral("vlmimage.bmp"));
        vlmtest::writeBytes(bitmap_, "BM");
        links_ = dir_.filePath(QStringLiteral("links"));
    }
    void TearDown() override {
        if (service_)
            QDBusConnection::disconnectFromBus(service_->name());
        if (client_)
            QDBusConnection::disconnectFromBus(client_->name());
    }

    void serve(const QString& name, const QString& path) {
        ASSERT_TRUE(service_->registerService(name));
        ASSERT_TRUE(service_->registerVirtualObject(path, &recorder_));
    }

    FailureReporter::Sink sink() {
        return [this](const QString& line) { reported_.append(line); };
    }

    QTemporaryDir dir_;
    std::unique_ptr<vlmtest::PrivateBus> bus_;
    std::unique_ptr<QDBusConnection> service_;
    std::unique_ptr<QDBusConnection> client_;
    RecordingService recorder_;
    QString bitmap_;
    QString links_;
    QStringList reported_;
};

TEST_F(DBusBackendTest, PlasmaRunsAScriptNamingAFreshPictureEachTime) {
    serve(QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"));
    PlasmaBackend backend(*client_, links_, std::chrono::seconds(5), sink());
    backend.apply(bitmap_, QImage());
    ASSERT_EQ(vlmtest::waitFinished(backend), true) << reported_.join(u'\n').toStdString();
    backend.apply(bitmap_, QImage());
    ASSERT_EQ(vlmtest::waitFinished(backend), true);
    ASSERT_EQ(recorder_.calls.size(), 2);
    const QDBusMessage& call = recorder_.calls[0];
    EXPECT_EQ(call.interface(), u"org.kde.PlasmaShell");
    EXPECT_EQ(call.member(), u"evaluateScript");
    const QString script = call.arguments().value(0).toString();
    EXPECT_TRUE(script.contains(QStringLiteral("\"org.kde.image\"")));
    EXPECT_TRUE(script.contains(
        javaScriptStringLiteral(QUrl::fromLocalFile(links_).toString() + u'/').chopped(1)))
        << script.toStdString();
    EXPECT_NE(recorder_.calls[1].arguments().value(0).toString(), script);
    EXPECT_EQ(QDir(links_).entryList(QDir::Files).size(), 1);
}

TEST_F(DBusBackendTest, PlasmaWithLockedWidgetsIsReportedOnce) {
    serve(QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"));
    recorder_.answer = RecordingService::Answer::Error;
    recorder_.errorMessage = QStringLiteral("Widgets are locked");
    PlasmaBackend backend(*client_, links_, std::chrono::seconds(5), sink());
    for (int i = 0; i < 2; ++i) {
        backend.apply(bitmap_, QImage());
        EXPECT_EQ(vlmtest::waitFinished(backend), false);
    }
    ASSERT_EQ(reported_.size(), 1);
    EXPECT_TRUE(reported_[0].contains(QStringLiteral("widgets are locked")));
}

TEST_F(DBusBackendTest, ASilentServiceTimesOutWithoutBlocking) {
    serve(QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"));
    recorder_.answer = RecordingService::Answer::Silence;
    PlasmaBackend backend(*client_, links_, std::chrono::milliseconds(300), sink());
    QElapsedTimer clock;
    clock.start();
    backend.apply(bitmap_, QImage());
    EXPECT_LT(clock.elapsed(), 100);
    EXPECT_EQ(vlmtest::waitFinished(backend, 5000), false);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(reported_.size(), 1);
}

TEST_F(DBusBackendTest, PortalGetsAUriAndFinishesOnItsResponse) {
    serve(QStringLiteral("org.freedesktop.portal.Desktop"),
          QStringLiteral("/org/freedesktop/portal/desktop"));
    PortalBackend backend(*client_, links_, std::chrono::seconds(5), sink());
    backend.apply(bitmap_, QImage());
    ASSERT_EQ(vlmtest::waitFinished(backend), true) << reported_.join(u'\n').toStdString();
    ASSERT_EQ(recorder_.calls.size(), 1);
    const QDBusMessage& call = recorder_.calls[0];
    EXPECT_EQ(call.interface(), u"org.freedesktop.portal.Wallpaper");
    EXPECT_EQ(call.member(), u"SetWallpaperURI");
    const QString uri = call.arguments().value(1).toString();
    EXPECT_TRUE(uri.startsWith(QStringLiteral("file://") + links_)) << uri.toStdString();
    EXPECT_TRUE(QFile::exists(QUrl(uri).toLocalFile()));
    const QVariantMap options = qdbus_cast<QVariantMap>(call.arguments().value(2));
    EXPECT_EQ(options.value(QStringLiteral("show-preview")), QVariant(false));
    EXPECT_EQ(options.value(QStringLiteral("set-on")), QVariant(QStringLiteral("background")));

    recorder_.portalResponse = 1; // the user dismissed it
    backend.apply(bitmap_, QImage());
    EXPECT_EQ(vlmtest::waitFinished(backend), false);
    ASSERT_EQ(reported_.size(), 1);
    EXPECT_TRUE(reported_[0].contains(QStringLiteral("cancelled")));
}

TEST_F(DBusBackendTest, MissingServiceIsReported) {
    PortalBackend backend(*client_, links_, std::chrono::seconds(5), sink());
    backend.apply(bitmap_, QImage());
    EXPECT_EQ(vlmtest::waitFinished(backend), false);
    ASSERT_EQ(reported_.size(), 1);
    EXPECT_TRUE(reported_[0].contains(QStringLiteral("ServiceUnknown")))
        << reported_[0].toStdString();
}

TEST(JavaScriptStringLiteral, NoPathCanEndTheStringOrTheScript) {
    EXPECT_EQ(javaScriptStringLiteral(QStringLiteral("a\"b\\c\nd") + QChar(0x2028) + u'é'),
              QStringLiteral(R"("a\"b\\c\u000ad\u2028\u00e9")"));
}

} // namespace
