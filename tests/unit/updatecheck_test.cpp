#include "desktop/shellopen.h"
#include "desktop/updatecheck.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <random>

namespace {

using vlm::UpdateFetchLimits;

// A tiny HTTP server on 127.0.0.1: once a request's head has arrived, respond(socket, head)
// decides what happens.
class TestServer {
public:
    using Responder = std::function<void(QTcpSocket*, const QByteArray&)>;

    explicit TestServer(Responder respond) : m_respond(std::move(respond)) {
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] { accept(); });
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost));
    }
    QUrl url(const QString& path = QStringLiteral("/server_status/srv_status.msg")) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
    }
    QList<QByteArray> requests;

private:
    void accept() {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            auto head = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, head] {
                *head += socket->readAll();
                if (!head->contains("\r\n\r\n"))
                    return;
                requests.append(*head);
                const QByteArray request = *head;
                head->clear();
                m_respond(socket, request);
            });
        }
    }
    QTcpServer m_server;
    Responder m_respond;
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

struct FetchResult {
    QString text;
    bool answered = false;
    bool finished = false;
    int ticks = 0;
    qint64 elapsedMs = 0;
};

// Runs one fetch in the event loop while a 10 ms timer ticks beside it.
FetchResult fetch(const QUrl& url, const UpdateFetchLimits& limits = {}) {
    FetchResult result;
    vlm::UpdateFetcher fetcher;
    fetcher.setLimits(limits);
    QEventLoop loop;
    QObject::connect(&fetcher, &vlm::UpdateFetcher::finished, &loop,
                     [&](bool answered, const QString& text) {
                         result.answered = answered;
                         result.text = text;
                         result.finished = true;
                         loop.quit();
                     });
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++result.ticks; });
    ticker.start(10);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit); // the test's own safety net
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(fetcher.start(url));
    EXPECT_FALSE(fetcher.start(url)); // one fetch at a time
    EXPECT_FALSE(result.finished);    // never reported from within start
    loop.exec();
    result.elapsedMs = clock.elapsed();
    EXPECT_TRUE(result.finished) << "no answer within 30 s";
    EXPECT_FALSE(fetcher.isRunning());
    return result;
}

TEST(UpdateFetch, ShowsWhatTheServerSends) {
    TestServer oneLine(reply("200 OK", "Velmora 2.1 je venku\r\n"));
    EXPECT_EQ(fetch(oneLine.url()).text, QStringLiteral("Velmora 2.1 je venku"));
    ASSERT_EQ(oneLine.requests.size(), 1);
    EXPECT_TRUE(oneLine.requests[0].startsWith("GET /server_status/srv_status.msg HTTP/1.1\r\n"));
    EXPECT_TRUE(oneLine.requests[0].toLower().contains("accept-encoding: identity\r\n"));

    TestServer lines(reply("200 OK", "řádek 1\r\nřádek 2\nřádek 3\r\n"));
    EXPECT_EQ(fetch(lines.url()).text, QStringLiteral("řádek 1\rřádek 2\rřádek 3"));

    TestServer notFound(reply("404 Not Found", "<html><b>Not Found</b></html>"));
    EXPECT_EQ(fetch(notFound.url()).text, QStringLiteral("<html><b>Not Found</b></html>"));

    TestServer emptyError(reply("500 Internal Server Error", ""));
    EXPECT_EQ(fetch(emptyError.url()).text, QString());
}

TEST(UpdateFetch, BlanksAreAnAnswerAndTheNamedCharsetIsHonoured) {
    TestServer blanks(reply("200 OK", "   \r\n"));
    FetchResult result = fetch(blanks.url());
    EXPECT_TRUE(result.answered) << "something came, so the connection did not fail";
    EXPECT_EQ(result.text, QString());
    TestServer nothing(reply("200 OK", ""));
    EXPECT_FALSE(fetch(nothing.url()).answered);

    // Valid UTF-8 bytes, but the server says they are Windows-1250.
    TestServer cp1250(reply("200 OK", "\xC3\xA1", "text/plain; charset=Windows-1250"));
    EXPECT_EQ(fetch(cp1250.url()).text, QStringLiteral("\u0102\u02C7"));
    TestServer latin1(reply("200 OK", "\xB9", "text/plain;charset=\"ISO-8859-1\""));
    EXPECT_EQ(fetch(latin1.url()).text, QStringLiteral("\u00B9"));
    TestServer unknown(reply("200 OK", "\xB9", "text/plain; charset=x-unknown"));
    EXPECT_EQ(fetch(unknown.url()).text, QStringLiteral("\u0105")) << "the usual guess";
}

TEST(UpdateFetch, SizeCapIsExactAndChecksTheAnnouncedLength) {
    UpdateFetchLimits limits;
    limits.maxBytes = 100;
    TestServer atCap(reply("200 OK", QByteArray(100, 'a')));
    EXPECT_EQ(fetch(atCap.url(), limits).text, QString(100, u'a'));
    TestServer overCap(reply("200 OK", QByteArray(101, 'a')));
    EXPECT_EQ(fetch(overCap.url(), limits).text, QString());

    // An announced length over the cap is refused before any body arrives.
    TestServer announced([](QTcpSocket* socket, const QByteArray&) {
        socket->write("HTTP/1.1 200 OK\r\nContent-Length: 52428800\r\n\r\nab");
    });
    const FetchResult result = fetch(announced.url());
    EXPECT_EQ(result.text, QString());
    EXPECT_LT(result.elapsedMs, 5000);
}

TEST(UpdateFetch, FloodIsCutOffAtTheCap) {
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
    const FetchResult result = fetch(flood.url());
    EXPECT_EQ(result.text, QString());
    EXPECT_GT(sent, 64 * 1024); // more than the cap was offered
    EXPECT_LT(sent, 25 * 1024 * 1024);
    EXPECT_LT(result.elapsedMs, 5000);
}

TEST(UpdateFetch, SilentOrSlowServersTimeOutWhileTheClockTicks) {
    TestServer silent([](QTcpSocket*, const QByteArray&) {});
    UpdateFetchLimits deadline;
    deadline.deadlineMs = 400;
    FetchResult result = fetch(silent.url(), deadline);
    EXPECT_EQ(result.text, QString());
    EXPECT_GE(result.elapsedMs, 350);
    EXPECT_LT(result.elapsedMs, 3000);
    EXPECT_GE(result.ticks, 10); // the event loop went on meanwhile

    UpdateFetchLimits stall;
    stall.transferTimeoutMs = 300;
    result = fetch(silent.url(), stall);
    EXPECT_EQ(result.text, QString());
    EXPECT_LT(result.elapsedMs, 3000);

    // One byte every 30 ms keeps the transfer alive; only the overall deadline stops it.
    TestServer drip([](QTcpSocket* socket, const QByteArray&) {
        socket->write("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
        auto* timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket, [socket] { socket->write("x"); });
        timer->start(30);
    });
    UpdateFetchLimits dripLimits;
    dripLimits.transferTimeoutMs = 200;
    dripLimits.deadlineMs = 600;
    result = fetch(drip.url(), dripLimits);
    EXPECT_EQ(result.text, QString());
    EXPECT_GE(result.elapsedMs, 550);
    EXPECT_LT(result.elapsedMs, 3000);
    EXPECT_GE(result.ticks, 20);
}

TEST(UpdateFetch, UnreachableServersAndBadAddressesFail) {
    QUrl refused;
    {
        TestServer closed([](QTcpSocket*, const QByteArray&) {});
        refused = closed.url();
    }
    FetchResult result = fetch(refused);
    EXPECT_EQ(result.text, QString());
    EXPECT_LT(result.elapsedMs, 5000);

    for (const QString& bad : {QStringLiteral("not a url"), QStringLiteral("ftp://127.0.0.1/x"),
                               QStringLiteral("file:///etc/passwd"), QString()})
        EXPECT_EQ(fetch(QUrl(bad)).text, QString()) << bad.toStdString();
}

TEST(UpdateFetch, FollowsFewSameOriginRedirectsOnly) {
    TestServer loop([](QTcpSocket* socket, const QByteArray&) {
        socket->write("HTTP/1.1 302 Found\r\nLocation: /server_status/srv_status.msg\r\n"
                      "Content-Length: 0\r\n\r\n");
    });
    EXPECT_EQ(fetch(loop.url()).text, QString());
    EXPECT_LE(loop.requests.size(), 4);

    // "/rN" redirects N times before the news; three redirects are allowed, a fourth is not.
    TestServer chain([](QTcpSocket* socket, const QByteArray& head) {
        const int left = head.mid(6, head.indexOf(' ', 6) - 6).toInt();
        if (left > 0)
            socket->write("HTTP/1.1 301 Moved\r\nLocation: /r" + QByteArray::number(left - 1) +
                          "\r\nContent-Length: 5\r\n\r\nmoved");
        else
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nnews");
    });
    EXPECT_EQ(fetch(chain.url(QStringLiteral("/r3"))).text, QStringLiteral("news"));
    EXPECT_EQ(chain.requests.size(), 4);
    chain.requests.clear();
    EXPECT_EQ(fetch(chain.url(QStringLiteral("/r4"))).text, QString());
    EXPECT_EQ(chain.requests.size(), 4);

    // A move to https on the same host is followed: the https port gets a TLS handshake.
    if (QSslSocket::supportsSsl()) {
        QTcpServer tls;
        ASSERT_TRUE(tls.listen(QHostAddress::LocalHost));
        QByteArray hello;
        QObject::connect(&tls, &QTcpServer::newConnection, [&] {
            QTcpSocket* socket = tls.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [&hello, socket] {
                hello += socket->readAll();
                socket->disconnectFromHost();
            });
        });
        const QByteArray secure = "https://127.0.0.1:" + QByteArray::number(tls.serverPort()) +
                                  "/server_status/srv_status.msg";
        TestServer moved([secure](QTcpSocket* socket, const QByteArray&) {
            socket->write("HTTP/1.1 301 Moved\r\nLocation: " + secure +
                          "\r\nContent-Length: 0\r\n\r\n");
        });
        fetch(moved.url());
        EXPECT_TRUE(hello.startsWith('\x16')) << "no TLS handshake reached the https port";
    }

    TestServer elsewhere(reply("200 OK", "hijacked"));
    const QByteArray target = elsewhere.url().toEncoded();
    TestServer crossing([target](QTcpSocket* socket, const QByteArray&) {
        socket->write("HTTP/1.1 302 Found\r\nLocation: " + target +
                      "\r\nContent-Length: 0\r\n\r\n");
    });
    EXPECT_EQ(fetch(crossing.url()).text, QString());
    EXPECT_TRUE(elsewhere.requests.isEmpty());
}

TEST(UpdateFetch, BinaryJunkArrivesCleaned) {
    std::mt19937 random(20240601);
    QByteArray junk(8192, '\0');
    for (char& byte : junk)
        byte = static_cast<char>(random() & 0xFF);
    TestServer server(reply("200 OK", junk));
    const QString text = fetch(server.url()).text;
    ASSERT_FALSE(text.isEmpty());
    EXPECT_LE(text.size(), 2000);
    EXPECT_LE(text.count(u'\r'), 29);
    for (const QChar c : text)
        EXPECT_TRUE(c == u'\r' ||
                    (c.category() != QChar::Other_Control && c.category() != QChar::Other_Format))
            << int(c.unicode());
}

TEST(UpdateAddresses, EnvironmentOverridesTheServer) {
    const QByteArray old = qgetenv("VLM_UPDATE_URL");
    qunsetenv("VLM_UPDATE_URL");
    EXPECT_EQ(vlm::updateStatusUrl().scheme(), QStringLiteral("http"));
    EXPECT_EQ(vlm::updateStatusUrl().path(), QStringLiteral("/server_status/srv_status.msg"));
    qputenv("VLM_UPDATE_URL", "http://127.0.0.1:9/x.msg");
    EXPECT_EQ(vlm::updateStatusUrl(), QUrl(QStringLiteral("http://127.0.0.1:9/x.msg")));
    qputenv("VLM_UPDATE_URL", old);
    if (old.isNull())
        qunsetenv("VLM_UPDATE_URL");

    const QUrl page = vlm::productWebPageUrl();
    EXPECT_EQ(page.scheme(), QStringLiteral("http"));
    EXPECT_EQ(page.path(), QStringLiteral("/aplikace.htm"));
    EXPECT_EQ(page.fragment(), QStringLiteral("vlm"));
}

} // namespace

// Whatever the server does, the event loop keeps running: a 10 ms timer must tick through
// most of the wait.
void expectTickedThroughout(const FetchResult& result, const char* what) {
    EXPECT_GE(result.ticks, result.elapsedMs / 10 / 3) << what << ": the clock stalled";
}

TEST(UpdateFetch, HtmlIsShownAsItsCleanedSourceNotRendered) {
    const QByteArray page = "<html><head><script>alert('x');\x1b[2J</script></head>\r\n"
                            "<body><img src=\"http://127.0.0.1/a.png\" onerror=\"x()\">"
                            "Nov\xc3\xa1 verze\xe2\x80\xae gnp.exe\x07</body></html>";
    TestServer server(reply("200 OK", page));
    const FetchResult result = fetch(server.url());
    EXPECT_EQ(result.text, QStringLiteral("<html><head><script>alert('x');[2J</script></head>\r"
                                          "<body><img src=\"http://127.0.0.1/a.png\" "
                                          "onerror=\"x()\">Nová verze gnp.exe</body></html>"));
    ASSERT_EQ(server.requests.size(), 1); // the picture in the page is never fetched
    expectTickedThroughout(result, "html");
}

TEST(UpdateFetch, HostileRepliesLeaveTheClockTicking) {
    // Junk in small pieces with pauses, then the end.
    TestServer junk([](QTcpSocket* socket, const QByteArray&) {
        socket->write("HTTP/1.1 200 OK\r\nContent-Length: 2048\r\n\r\n");
        auto* timer = new QTimer(socket);
        auto sent = std::make_shared<int>(0);
        QObject::connect(timer, &QTimer::timeout, socket, [socket, sent] {
            QByteArray piece(256, '\0');
            for (int i = 0; i < piece.size(); ++i)
                piece[i] = char((*sent + i) * 151 % 256);
            *sent += int(socket->write(piece));
        });
        timer->start(40);
    });
    FetchResult result = fetch(junk.url());
    EXPECT_FALSE(result.text.isEmpty());
    expectTickedThroughout(result, "junk");

    // One byte a second: the transfer never stalls long enough, the overall deadline ends it.
    TestServer drip([](QTcpSocket* socket, const QByteArray&) {
        socket->write("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n");
        auto* timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket, [socket] { socket->write("x"); });
        timer->start(1000);
    });
    UpdateFetchLimits limits;
    limits.transferTimeoutMs = 1500;
    limits.deadlineMs = 2500;
    result = fetch(drip.url(), limits);
    EXPECT_EQ(result.text, QString());
    EXPECT_GE(result.elapsedMs, 2200); // timers are coarse
    EXPECT_LT(result.elapsedMs, 6000);
    expectTickedThroughout(result, "drip");

    // A reply that never ends its head.
    TestServer endlessHead([](QTcpSocket* socket, const QByteArray&) {
        socket->write("HTTP/1.1 200 OK\r\n");
        auto* timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket,
                         [socket] { socket->write("X-Junk: " + QByteArray(1000, 'j') + "\r\n"); });
        timer->start(5);
    });
    limits.deadlineMs = 1500;
    result = fetch(endlessHead.url(), limits);
    EXPECT_EQ(result.text, QString());
    EXPECT_LT(result.elapsedMs, 6000);
    expectTickedThroughout(result, "endless head");
}
