#include "desktop/updatecheck.h"

#include "common/linefile.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>

namespace vlm {
namespace {

constexpr qsizetype kMaxLines = 30;
constexpr qsizetype kMaxChars = 2000;
const QChar kEllipsis(0x2026);

// Invisible letters that pass as blanks (Hangul fillers) are dropped like format characters.
bool isInvisibleFiller(char32_t c) {
    return c == 0x115F || c == 0x1160 || c == 0x3164 || c == 0xFFA0;
}

bool isDropped(char32_t c) {
    const QChar::Category category = QChar::category(c);
    return category == QChar::Other_Control || category == QChar::Other_Format ||
           category == QChar::Other_Surrogate || QChar::isNonCharacter(c) || isInvisibleFiller(c);
}

// Removes what must not reach the message and gives every line break as one CR.
QString filterCharacters(const QString& decoded) {
    QString text;
    text.reserve(decoded.size());
    const qsizetype size = decoded.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = decoded[i];
        if (c.isHighSurrogate() && i + 1 < size && decoded[i + 1].isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(c, decoded[i + 1]);
            if (!isDropped(code)) {
                text += c;
                text += decoded[i + 1];
            }
            ++i;
            continue;
        }
        if (c == u'\r' || c == u'\n' || c == QChar(0x2028) || c == QChar(0x2029)) {
            if (c == u'\r' && i + 1 < size && decoded[i + 1] == u'\n')
                ++i;
            text += u'\r';
        } else if (c == u'\t') {
            text += u' ';
        } else if (!isDropped(c.unicode())) {
            text += c;
        }
    }
    return text;
}

QString capLength(const QString& text) {
    if (text.size() <= kMaxChars)
        return text;
    qsizetype keep = kMaxChars - 1;
    if (text[keep - 1].isHighSurrogate())
        --keep; // never split a character in two
    return text.left(keep) + kEllipsis;
}

QString decodeReply(const QByteArray& bytes, const QByteArray& charset) {
    if (charset == "windows-1250" || charset == "cp1250" || charset == "x-cp1250")
        return decodeWindows1250(bytes);
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid())
            return decoder.decode(bytes);
    }
    return decodeText(bytes); // nothing named, or a charset this build does not know
}

} // namespace

QByteArray contentTypeCharset(const QByteArray& contentType) {
    const QList<QByteArray> parts = contentType.split(';');
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QByteArray parameter = parts[i].trimmed();
        const qsizetype equals = parameter.indexOf('=');
        if (equals < 0 || parameter.left(equals).trimmed().toLower() != "charset")
            continue;
        QByteArray value = parameter.mid(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
            value = value.mid(1, value.size() - 2);
        return value.trimmed().toLower();
    }
    return {};
}

QUrl updateStatusUrl() {
    const QString configured = qEnvironmentVariable("VLM_UPDATE_URL");
    if (!configured.isEmpty())
        return QUrl(configured, QUrl::StrictMode);
    return QUrl(QStringLiteral("http://update.velmora.example/server_status/srv_status.msg"));
}

QUrl productWebPageUrl() {
    return QUrl(QStringLiteral("http://www.velmora.example/aplikace.htm#vlm"));
}

QString cleanUpdateText(const QByteArray& bytes, const QByteArray& charset) {
    const QString text = filterCharacters(decodeReply(bytes, charset)).trimmed();
    if (text.isEmpty())
        return text;
    QStringList lines = text.split(u'\r');
    if (lines.size() > kMaxLines) {
        lines.resize(kMaxLines);
        lines.last() += kEllipsis;
    }
    return capLength(lines.join(u'\r'));
}

UpdateFetcher::UpdateFetcher(QObject* parent)
    : QObject(parent), m_network(new QNetworkAccessManager(this)) {
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &UpdateFetcher::fail);
}

UpdateFetcher::~UpdateFetcher() {
    if (QNetworkReply* reply = m_reply.data()) {
        reply->disconnect(this);
        reply->abort();
    }
}

bool UpdateFetcher::start(const QUrl& url) {
    if (m_running)
        return false;
    m_running = true;
    m_redirects = 0;
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QStringLiteral("http") && scheme != QStringLiteral("https"))) {
        QTimer::singleShot(0, this, &UpdateFetcher::fail);
        return true;
    }
    m_deadline.start(m_limits.deadlineMs);
    request(url);
    return true;
}

void UpdateFetcher::request(const QUrl& url) {
    m_body.clear();
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    // Redirects are followed here, not by Qt, so the limit holds exactly.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(m_limits.transferTimeoutMs);
    // Asking for the bytes as they are keeps Qt from inflating a compressed bomb behind the
    // cap's back.
    request.setRawHeader("Accept-Encoding", "identity");
    m_reply = m_network->get(request);
    m_reply->setReadBufferSize(m_limits.maxBytes + 1);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &UpdateFetcher::onMetaData);
    connect(m_reply, &QNetworkReply::readyRead, this, &UpdateFetcher::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &UpdateFetcher::onReplyFinished);
}

void UpdateFetcher::onMetaData() {
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > m_limits.maxBytes)
        fail();
}

void UpdateFetcher::onReadyRead() {
    m_body += m_reply->read(m_limits.maxBytes + 1 - m_body.size());
    if (m_body.size() > m_limits.maxBytes)
        fail();
}

void UpdateFetcher::onReplyFinished() {
    onReadyRead();
    if (!m_running)
        return;
    // Network-level errors (codes below 200: refused, timed out, aborted, redirects refused)
    // leave nothing trustworthy; an HTTP error status still brings a complete page.
    const QNetworkReply::NetworkError error = m_reply->error();
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QUrl target = m_reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (error == QNetworkReply::NoError && status >= 300 && status < 400 && target.isValid()) {
        followRedirect(m_reply->url().resolved(target));
        return;
    }
    const bool delivered = error == QNetworkReply::NoError ||
                           (error >= QNetworkReply::ContentAccessDenied && status >= 400);
    if (!delivered || m_body.isEmpty()) {
        fail();
        return;
    }
    const QByteArray contentType = m_reply->rawHeader("Content-Type");
    complete(true, cleanUpdateText(m_body, contentTypeCharset(contentType)));
}

void UpdateFetcher::followRedirect(const QUrl& target) {
    const QUrl from = m_reply->url();
    const int defaultPort = from.scheme() == QStringLiteral("https") ? 443 : 80;
    const bool sameOrigin = target.scheme() == from.scheme() && target.host() == from.host() &&
                            target.port(defaultPort) == from.port(defaultPort);
    // A server that moved to https keeps its host; going back to plain http never happens.
    const bool upgrade = from.scheme() == QStringLiteral("http") &&
                         target.scheme() == QStringLiteral("https") && target.host() == from.host();
    if (!(sameOrigin || upgrade) || ++m_redirects > m_limits.maxRedirects) {
        fail();
        return;
    }
    QNetworkReply* done = m_reply.data();
    done->disconnect(this);
    done->deleteLater();
    request(target);
}

void UpdateFetcher::fail() {
    complete(false, QString());
}

void UpdateFetcher::complete(bool answered, const QString& text) {
    if (!m_running)
        return;
    m_running = false;
    m_deadline.stop();
    if (QNetworkReply* reply = m_reply.data()) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    m_body.clear();
    Q_EMIT finished(answered, text);
}

} // namespace vlm
