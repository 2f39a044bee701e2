// Fetching the update news from a local HTTP server that behaves well, badly or hostilely.
#include "desktop/updatecheck.h"
#include "unit/scratch.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

using vlm::UpdateFetchLimits;

// An HTTP server on 127.0.0.1: respond(socket, head) acts on each request's head. It keeps the
// head of every request, and the bytes of one not yet whole.
struct TestServer {
    using Responder = std::function<void(QTcpSocket*, const QByteArray&)>;
    explicit TestServer(Responder respond) {
        QObject::connect(&server, &QTcpServer::newConnection, [this, respond] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [=, this] {
                    pending += socket->readAll();
                    if (pending.contains("\r\n\r\n"))
                        respond(socket, requests.emplace_back(std::exchange(pending, {})));
                });
            }
        });
        EXPECT_TRUE(server.listen(QHostAddress::LocalHost));
    }
    QUrl url(const QString& path = u"/server_status/srv_status.msg"_s) const {
        return QUrl(u"http://127.0.0.1:%1%2"_s.arg(server.serverPort()).arg(path));
    }
    QTcpServer server;
    QByteArray pending;
    QList<QByteArray> requests;
};

TestServer::Responder reply(const QByteArray& status, const QByteArray& body,
                            const QByteArray& contentType = "text/plain") {
    return [status, body, contentType](QTcpSocket* socket, const QByteArray&) {
        socket->write("HTTP/1.1 " + status + "\r\nContent-Type: " + contentType +
                      "\r\nContent-Length: " + QByteArray::number(body.size()) +
                      "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    };
}

// Sends the head, then `piece` every periodMs.
TestServer::Responder drip(const QByteArray& head, QByteArray piece, int periodMs) {
    return [head, piece, periodMs](QTcpSocket* socket, const QByteArray&) {
        socket->write(head);
        auto* timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket,
                         [socket, piece] { socket->write(piece); });
        timer->start(periodMs);
    };
}

// The news one fetch brings, nullopt for none. It must end (30 s only catch a hang) and leave the
// event loop running: a 10 ms timer beside it must tick at all (how often depends on the load).
std::optional<QString> fetch(const QUrl& url, const UpdateFetchLimits& limits = {}) {
    std::optional<std::optional<QString>> result;
    vlm::UpdateFetcher fetcher;
    fetcher.setLimits(limits);
    QEventLoop loop;
    QObject::connect(&fetcher, &vlm::UpdateFetcher::finished, &loop,
                     [&](bool answered, const QString& text) {
                         result = answered ? std::optional(text) : std::nullopt;
                         loop.quit();
                     });
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(10);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(fetcher.start(url));
    EXPECT_FALSE(fetcher.start(url)); // one fetch at a time
    EXPECT_FALSE(result);             // never reported from within start
    loop.exec();
    EXPECT_TRUE(result) << "not finished within 30 s";
    EXPECT_TRUE(ticks > 0 || clock.elapsed() < 50) << "the event loop was blocked";
    return result.value_or(std::nullopt);
}

TEST(UpdateFetch, TheBodyIsTheNewsInTheNamedCharsetWhateverTheStatus) {
    const struct {
        QByteArray status, body, contentType;
        std::optional<QString> text;
    } cases[] = {
        {"200 OK", "řádek 1\r\nřádek 2\nřádek 3\r\n", "text/plain", u"řádek 1\rřádek 2\rřádek 3"_s},
        {"404 Not Found", "<html>Not Found</html>", "text/html", u"<html>Not Found</html>"_s},
        {"500 Internal Server Error", "", "text/plain", std::nullopt},
        {"200 OK", "   \r\n", "text/plain", QString()}, // blanks are an answer
        // Valid UTF-8 bytes, but the server says they are Windows-1250.
        {"200 OK", "\xC3\xA1", "text/plain; charset=Windows-1250", u"\u0102\u02C7"_s},
        {"200 OK", "\xB9", "text/plain;charset=\"ISO-8859-1\"", u"\u00B9"_s},
        {"200 OK", "\xB9", "text/plain; charset=x-unknown", u"\u0105"_s}, // the usual guess
    };
    for (const auto& c : cases) {
        TestServer server(reply(c.status, c.body, c.contentType));
        // The environment names the server in place of the real one.
        const vlmtest::ScopedEnv address("VLM_UPDATE_URL", server.url().toEncoded());
        EXPECT_EQ(fetch(vlm::updateStatusUrl()), c.text) << c.body.toStdString();
        ASSERT_EQ(server.requests.size(), 1);
        EXPECT_TRUE(server.requests[0].startsWith("GET /server_status/srv_status.msg HTTP/1.1"));
        EXPECT_TRUE(server.requests[0].toLower().contains("accept-encoding: identity\r\n"));
    }
}

TEST(UpdateFetch, RepliesOverTheSizeCapAreRefusedNotCut) {
    const UpdateFetchLimits limits{.maxBytes = 100};
    TestServer atCap(reply("200 OK", QByteArray(100, 'a')));
    EXPECT_EQ(fetch(atCap.url(), limits), QString(100, u'a'));
    TestServer overCap(reply("200 OK", QByteArray(101, 'a')));
    EXPECT_FALSE(fetch(overCap.url(), limits));

    // 50 MB with no announced length, sent as fast as the client takes it.
    qint64 sent = 0;
    TestServer flood([&sent](QTcpSocket* socket, const QByteArray&) {
        socket->write("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
        auto pump = [socket, &sent] {
            const QByteArray chunk(64 * 1024, 'x');
            while (socket->bytesToWrite() < 2 * chunk.size() && sent < 50 * 1024 * 1024 &&
                   socket->state() == QAbstractSocket::ConnectedState)
                sent += socket->write(chunk);
        };
        QObject::connect(socket, &QTcpSocket::bytesWritten, socket, pump);
        pump();
    });
    EXPECT_FALSE(fetch(flood.url()));
    EXPECT_LT(sent, 25 * 1024 * 1024) << "the flood was read on past the cap";
}

TEST(UpdateFetch, SilentStalledDrippingAndUnreachableServersAndBadAddressesFail) {
    // Limits beyond the safety net can only be ended by the other one.
    TestServer silent([](QTcpSocket*, const QByteArray&) {});
    EXPECT_FALSE(fetch(silent.url(), {.transferTimeoutMs = 60000, .deadlineMs = 400}));
    EXPECT_FALSE(fetch(silent.url(), {.transferTimeoutMs = 300, .deadlineMs = 60000}));

    // One byte every 30 ms keeps the transfer alive: it completes...
    UpdateFetchLimits limits{.transferTimeoutMs = 200};
    TestServer slow(drip("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n", "x", 30));
    EXPECT_EQ(fetch(slow.url(), limits), u"xxxxxxxxxx"_s);
    // ...unless it never ends: then only the overall deadline stops it.
    limits.deadlineMs = 600;
    TestServer endless(drip("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n", "x", 30));
    EXPECT_FALSE(fetch(endless.url(), limits));

    const QUrl refused = TestServer([](QTcpSocket*, const QByteArray&) {}).url(); // closed again
    for (const QUrl& bad : {refused, QUrl(u"not a url"_s), QUrl(u"file:///etc/passwd"_s)})
        EXPECT_FALSE(fetch(bad)) << bad.toString().toStdString();
}

TEST(UpdateFetch, FollowsFewSameOriginRedirectsOnly) {
    // "/rN" redirects N times before the news; three redirects are allowed, a fourth is not.
    TestServer chain([](QTcpSocket* socket, const QByteArray& head) {
        const int left = head.mid(6, head.indexOf(' ', 6) - 6).toInt();
        if (left > 0)
            socket->write("HTTP/1.1 301 Moved\r\nLocation: /r" + QByteArray::number(left - 1) +
                          "\r\nContent-Length: 5\r\n\r\nmoved");
        else
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nnews");
    });
    EXPECT_EQ(fetch(chain.url(u"/r3"_s)), u"news"_s);
    EXPECT_FALSE(fetch(chain.url(u"/r4"_s)));

    // A move to https on the same host is followed: the https port gets a TLS handshake.
    if (QSslSocket::supportsSsl()) {
        TestServer tls([](QTcpSocket*, const QByteArray&) {}); // it never answers the hello
        QUrl secure = tls.url();
        secure.setScheme(u"https"_s);
        TestServer moved(reply("301 Moved\r\nLocation: " + secure.toEncoded(), ""));
        EXPECT_FALSE(fetch(moved.url(), {.deadlineMs = 2000}));
        EXPECT_TRUE(tls.pending.startsWith('\x16')) << "no TLS handshake reached the https port";
    }

    TestServer elsewhere(reply("200 OK", "hijacked"));
    TestServer crossing(reply("302 Found\r\nLocation: " + elsewhere.url().toEncoded(), ""));
    EXPECT_FALSE(fetch(crossing.url()));
    EXPECT_TRUE(elsewhere.requests.isEmpty());
}

} // namespace
