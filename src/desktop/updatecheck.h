#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace vlm {

// The update server's status document; the environment variable VLM_UPDATE_URL replaces it
// (for tests and mirrors).
QUrl updateStatusUrl();

// The product's web page.
QUrl productWebPageUrl();

// Turns the server's bytes into text safe to show in a plain-text message: decoded with the
// charset the server named (charset), else as UTF-8, else Windows-1250; line breaks (CR LF, CR, LF,
// U+2028/9) become one CR each, the program's line separator for messages; a tab becomes a blank;
// other control characters, format characters (bidirectional overrides and isolates, zero-width
// characters, soft hyphens, tags) and unpaired surrogates are removed; surrounding white space is
// trimmed. At most 30 lines and 2000 characters are kept; a cut text ends in "…". Empty when
// nothing visible is left.
QString cleanUpdateText(const QByteArray& bytes, const QByteArray& charset = {});

// The charset parameter of a Content-Type header value, lower case; empty when none is named.
QByteArray contentTypeCharset(const QByteArray& contentType);

struct UpdateFetchLimits {
    int transferTimeoutMs = 10000; // no byte moved for this long: give up
    int deadlineMs = 10000;        // the whole fetch, redirects included
    qint64 maxBytes = 64 * 1024;   // larger replies are refused, not cut
    int maxRedirects = 3;          // same origin, or from http to https on the same host
};

// Fetches the status document without blocking the event loop. The reply's body is the
// news, also for an HTTP error status (an error page is shown as the server sent it); an
// empty body, a transport failure, a timeout, a body over the cap or a redirect elsewhere or
// beyond the limit is a failure.
class UpdateFetcher : public QObject {
    Q_OBJECT
public:
    explicit UpdateFetcher(QObject* parent = nullptr);
    ~UpdateFetcher() override;

    void setLimits(const UpdateFetchLimits& limits) { m_limits = limits; }

    // Starts one fetch; false (and nothing happens) while a fetch is running. finished is
    // always emitted later from the event loop, never from within start.
    bool start(const QUrl& url = updateStatusUrl());
    bool isRunning() const { return m_running; }

Q_SIGNALS:
    // answered: the server sent a body; text is its cleaned form (cleanUpdateText), which is
    // empty when the body held only blanks or invisible characters. Not answered: the fetch
    // failed and text is empty.
    void finished(bool answered, const QString& text);

private:
    void request(const QUrl& url);
    void followRedirect(const QUrl& target);
    void onMetaData();
    void onReadyRead();
    void onReplyFinished();
    void fail();
    void complete(bool answered, const QString& text);

    UpdateFetchLimits m_limits;
    QNetworkAccessManager* m_network;
    QPointer<QNetworkReply> m_reply;
    QTimer m_deadline;
    QByteArray m_body;
    int m_redirects = 0;
    bool m_running = false;
};

} // namespace vlm
