#include "whois/rdapquery.h"

#include "whois/replyclassifier.h"

#include <QDateTime>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {
constexpr int StatusNotFound = 404;
constexpr int StatusOk = 200;
constexpr int StatusTooManyRequests = 429;
} // namespace

RdapQuery::RdapQuery(QNetworkAccessManager &network, QObject *parent)
    : QObject(parent)
    , m_network(network) {}

RdapQuery::~RdapQuery() {
    abort();
}

QUrl RdapQuery::lookupUrl(const QString &baseUrl, const QString &asciiName) {
    QString base = baseUrl;
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return QUrl(base + QStringLiteral("domain/") + asciiName);
}

void RdapQuery::start(const QString &baseUrl, const QString &asciiName) {
    abort();
    m_redirects = 0;
    get(lookupUrl(baseUrl, asciiName));
}

void RdapQuery::abort() {
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

void RdapQuery::get(const QUrl &url) {
    m_url = url;
    m_status = 0;
    m_body.clear();
    m_capped = false;
    QNetworkRequest request(url);
    request.setRawHeader("Accept", "application/rdap+json");
    // Redirects are checked here (count, host, scheme), not followed by Qt.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &RdapQuery::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &RdapQuery::onFinished);
}

void RdapQuery::onReadyRead() {
    if (!m_reply)
        return;
    m_status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray data = m_reply->readAll();
    const qsizetype room = ReplyClassifier::MaxReplyBytes - m_body.size();
    m_body.append(data.constData(), qMin(room, data.size()));
    if (data.size() > room) {
        // The status already says what the lookup needs; the rest of a runaway body is not read.
        m_capped = true;
        m_reply->abort();
    }
}

void RdapQuery::onFinished() {
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    if (!m_capped)
        onReadyRead();
    m_reply = nullptr;
    reply->deleteLater();
    Result result;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (result.status == 0)
        result.status = m_status;
    result.body = m_body;
    if (reply->hasRawHeader("Retry-After"))
        result.retryAfterSeconds = retryAfterSeconds(reply->rawHeader("Retry-After"));
    if (result.status == 0 || (reply->error() != QNetworkReply::NoError && !m_capped &&
                               reply->error() >= QNetworkReply::ConnectionRefusedError &&
                               reply->error() <= QNetworkReply::UnknownNetworkError)) {
        result.error = reply->errorString();
        if (reply->error() == QNetworkReply::SslHandshakeFailedError)
            result.error = QStringLiteral("TLS failure: ") + reply->errorString();
        finish(result);
        return;
    }
    if (result.status >= 300 && result.status < 400) {
        const QByteArray location = reply->rawHeader("Location").trimmed();
        const QUrl target = m_url.resolved(QUrl::fromEncoded(location));
        QString refused;
        if (location.isEmpty() || !target.isValid())
            refused = QStringLiteral("redirect without a valid address");
        else if (++m_redirects > MaxRedirects)
            refused = QStringLiteral("more than %1 redirects").arg(MaxRedirects);
        else if (target.host() != m_url.host() && target.scheme() != QLatin1String("https"))
            refused = QStringLiteral("redirect to another host without https");
        else if (target.scheme() != QLatin1String("https") &&
                 target.scheme() != QLatin1String("http"))
            refused = QStringLiteral("redirect to a non-web address");
        if (refused.isEmpty()) {
            get(target);
            return;
        }
        result.error = refused;
    }
    finish(result);
}

void RdapQuery::finish(const Result &result) {
    emit finished(result);
}

Verdict RdapQuery::verdictOf(const Result &result, QString *reason) {
    QString why;
    Verdict verdict = Verdict::Unknown;
    if (!result.error.isEmpty())
        why = QStringLiteral("RDAP error: ") + result.error;
    else if (result.status == StatusNotFound)
        verdict = Verdict::Free;
    else if (result.status == StatusOk)
        verdict = Verdict::Taken;
    else if (result.status == StatusTooManyRequests)
        why = QStringLiteral("rate-limited");
    else
        why = QStringLiteral("RDAP error: HTTP %1").arg(result.status);
    if (reason)
        *reason = why;
    return verdict;
}

int RdapQuery::retryAfterSeconds(const QByteArray &value) {
    bool ok = false;
    const int seconds = value.trimmed().toInt(&ok);
    if (ok)
        return qMax(0, seconds);
    const QDateTime when =
        QDateTime::fromString(QString::fromLatin1(value.trimmed()), Qt::RFC2822Date);
    if (!when.isValid())
        return 0;
    return int(qBound(qint64(0), QDateTime::currentDateTimeUtc().secsTo(when), qint64(24 * 3600)));
}
