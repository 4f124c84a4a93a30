#include "whois/rdapquery.h"

#include "whois/rdapredirectpolicy.h"
#include "whois/rdapservers.h"
#include "whois/replyclassifier.h"

#include <QHostInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {
constexpr int StatusOk = 200;
constexpr int StatusNotFound = 404;

QUrl withSlash(const QString &baseUrl) {
    QString base = baseUrl;
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return QUrl(base);
}
} // namespace

RdapQuery::RdapQuery(QObject *parent)
    : QObject(parent)
    , m_ownNetwork(std::make_unique<QNetworkAccessManager>())
    , m_network(*m_ownNetwork) {}

RdapQuery::RdapQuery(QNetworkAccessManager &network, QObject *parent)
    : QObject(parent)
    , m_network(network) {}

RdapQuery::~RdapQuery() {
    abort();
}

QUrl RdapQuery::lookupUrl(const QString &baseUrl, const QString &asciiName) {
    // One path segment whatever the name holds: "/" is escaped ("." and ".." are refused by
    // start(), as no escape survives the path normalisation on the way out).
    return QUrl::fromEncoded(withSlash(baseUrl).toEncoded() + "domain/" +
                             QUrl::toPercentEncoding(asciiName));
}

void RdapQuery::start(const QString &baseUrl, const QString &asciiName) {
    abort();
    m_redirects = 0;
    m_askingHelp = false;
    m_base = withSlash(baseUrl);
    m_name = asciiName;
    if (asciiName.isEmpty() || asciiName == QLatin1String(".") ||
        asciiName == QLatin1String("..")) {
        Result refused;
        refused.name = asciiName;
        refused.error = QStringLiteral("not a domain name");
        QMetaObject::invokeMethod(
            this, [this, refused] { finish(refused); }, Qt::QueuedConnection);
        return;
    }
    get(lookupUrl(baseUrl, asciiName));
}

void RdapQuery::abort() {
    ++m_generation;
    if (m_hostLookup >= 0) {
        QHostInfo::abortHostLookup(m_hostLookup);
        m_hostLookup = -1;
    }
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

QString RdapQuery::extension() const {
    return m_name.section(QLatin1Char('.'), -1).toLower();
}

void RdapQuery::get(const QUrl &url) {
    m_url = url;
    m_status = 0;
    m_body.clear();
    m_capped = false;
    QNetworkRequest request(url);
    request.setRawHeader("Accept", "application/rdap+json");
    // Redirects are checked here, not followed by Qt.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::requestSent, this, &RdapQuery::sent);
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
    result.name = m_name;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (result.status == 0)
        result.status = m_status;
    result.body = m_body;
    result.contentType = reply->rawHeader("Content-Type");
    if (reply->hasRawHeader("Retry-After"))
        result.retryAfterSeconds = retryAfterSeconds(reply->rawHeader("Retry-After"));
    if (result.status == 0 || (reply->error() != QNetworkReply::NoError && !m_capped &&
                               reply->error() >= QNetworkReply::ConnectionRefusedError &&
                               reply->error() <= QNetworkReply::UnknownNetworkError)) {
        result.error = reply->errorString();
        if (reply->error() == QNetworkReply::SslHandshakeFailedError)
            result.error = QStringLiteral("TLS failure: ") + reply->errorString();
    }
    if (m_askingHelp)
        onHelpReply(result);
    else
        onLookupReply(reply, result);
}

void RdapQuery::onLookupReply(QNetworkReply *reply, Result result) {
    if (result.error.isEmpty() && result.status >= 300 && result.status < 400) {
        const QByteArray location = reply->rawHeader("Location").trimmed();
        const QUrl target =
            location.isEmpty() ? QUrl() : m_url.resolved(QUrl::fromEncoded(location));
        result.error = RdapRedirectPolicy::refusal(m_base, m_url, target, ++m_redirects, m_name);
        if (result.error.isEmpty()) {
            followRedirect(target, result);
            return;
        }
    }
    if (!m_servers || !result.error.isEmpty()) {
        finish(result);
        return;
    }
    if (RdapReading::showsRdap(result.contentType, result.body))
        m_servers->shown(m_base.toString());
    if (result.status == StatusNotFound && !m_servers->trusted(extension(), m_base.toString()) &&
        !m_servers->failedToShow(m_base.toString())) {
        // A web server that is not RDAP answers 404 too: the base must first show what it is.
        m_pending = result;
        m_askingHelp = true;
        get(m_base.resolved(QUrl(QStringLiteral("help"))));
        return;
    }
    finish(result);
}

// A redirect from a public base to a host name is followed once the name is known not to lead
// into the local network (a literal address was judged by the policy already).
void RdapQuery::followRedirect(const QUrl &target, const Result &redirect) {
    if (RdapRedirectPolicy::isLocalHost(m_base.host()) || !QHostAddress(target.host()).isNull()) {
        get(target);
        return;
    }
    const quint64 generation = m_generation;
    m_hostLookup = QHostInfo::lookupHost(
        target.host(), this, [this, target, redirect, generation](const QHostInfo &info) {
            m_hostLookup = -1;
            if (generation != m_generation)
                return;
            const QString refusal =
                RdapRedirectPolicy::resolvedRefusal(target.host(), info.addresses());
            if (refusal.isEmpty()) {
                get(target);
                return;
            }
            Result refused = redirect;
            refused.error = refusal;
            finish(refused);
        });
}

void RdapQuery::onHelpReply(const Result &help) {
    m_askingHelp = false;
    if (help.error.isEmpty() && help.status == StatusOk &&
        RdapReading::showsRdap(help.contentType, help.body))
        m_servers->shown(m_base.toString());
    else
        m_servers->notShown(m_base.toString());
    finish(m_pending);
}

void RdapQuery::finish(Result result) {
    result.trustedBase = m_servers && m_servers->trusted(extension(), m_base.toString());
    emit finished(result);
}

Verdict RdapQuery::verdictOf(const Result &result, QString *reason) {
    return RdapReading::read(result, result.name, result.trustedBase, reason);
}

int RdapQuery::retryAfterSeconds(const QByteArray &value) {
    return RdapReading::retryAfterSeconds(value);
}
