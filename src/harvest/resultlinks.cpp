#include "harvest/resultlinks.h"

#include "whois/pagetext.h"

#include <QUrl>
#include <QUrlQuery>

namespace {
constexpr int kMaxUnwraps = 4; // redirects inside redirects; a loop must end

// Domains of the engines the builder knows. "google.*" style families are matched on their
// first label so that every country domain (google.de, google.co.uk) is covered.
const QStringList kEngineFamilies = {QStringLiteral("google"), QStringLiteral("yahoo"),
                                     QStringLiteral("bing"), QStringLiteral("duckduckgo")};
const QStringList kEngineDomains = {
    // Google: static content, user content, ads, and its redirect and short hosts
    QStringLiteral("gstatic.com"), QStringLiteral("googleusercontent.com"),
    QStringLiteral("googleapis.com"), QStringLiteral("googleadservices.com"),
    QStringLiteral("googlesyndication.com"), QStringLiteral("doubleclick.net"),
    QStringLiteral("ggpht.com"), QStringLiteral("goo.gl"), QStringLiteral("g.co"),
    // Yahoo and its images, ad and account hosts
    QStringLiteral("yimg.com"), QStringLiteral("yahooapis.com"), QStringLiteral("yahoodns.net"),
    QStringLiteral("oath.com"), QStringLiteral("aol.com"),
    // Bing and Microsoft's pages linked from it
    QStringLiteral("bing.net"), QStringLiteral("msn.com"), QStringLiteral("microsoft.com"),
    QStringLiteral("live.com"), QStringLiteral("microsofttranslator.com"),
    // DuckDuckGo
    QStringLiteral("duck.com"), QStringLiteral("ddg.gg")};

bool isHttp(const QString &address) {
    return address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

QString decoded(const QString &value) {
    // "+" stands for a space only in form values; a target address has none worth keeping.
    return QUrl::fromPercentEncoding(value.toUtf8());
}

// The value of a path parameter "/KEY=value/" (Yahoo), raw.
QString pathParameter(const QString &path, const QString &key) {
    const QString marker = QLatin1Char('/') + key + QLatin1Char('=');
    const qsizetype at = path.indexOf(marker);
    if (at < 0)
        return {};
    const qsizetype begin = at + marker.size();
    const qsizetype end = path.indexOf(QLatin1Char('/'), begin);
    return path.mid(begin, end < 0 ? -1 : end - begin);
}

QString base64UrlTarget(const QString &value) {
    // Bing: "a1" then the address in unpadded base64url.
    if (!value.startsWith(QLatin1String("a1")))
        return {};
    const auto result = QByteArray::fromBase64Encoding(value.mid(2).toLatin1(),
                                                       QByteArray::Base64UrlEncoding |
                                                           QByteArray::AbortOnBase64DecodingErrors);
    if (!result)
        return {};
    return QString::fromUtf8(*result);
}

// One level of unwrapping: the target, or "" when `address` is no redirect.
QString unwrapOnce(const QString &address) {
    QString absolute = address;
    if (absolute.startsWith(QLatin1String("//")))
        absolute.prepend(QStringLiteral("https:")); // DuckDuckGo writes scheme-relative links
    const QUrl url(absolute);
    if (!url.isValid())
        return {};
    // Raw (still encoded) parts, so an "&" inside the target does not split it.
    const QString path = url.path(QUrl::FullyEncoded);
    const QUrlQuery query(url.query(QUrl::FullyEncoded));
    auto item = [&query](const QString &key) {
        return query.queryItemValue(key, QUrl::FullyEncoded);
    };
    if (const QString ru = pathParameter(path, QStringLiteral("RU")); !ru.isEmpty())
        return decoded(ru);
    if (path == QLatin1String("/url") || path.endsWith(QLatin1String("/url"))) {
        for (const QString &key : {QStringLiteral("q"), QStringLiteral("url")}) {
            if (const QString v = item(key); isHttp(decoded(v)))
                return decoded(v);
        }
    }
    if (const QString u = item(QStringLiteral("u")); u.startsWith(QLatin1String("a1")))
        return base64UrlTarget(decoded(u));
    if (const QString uddg = item(QStringLiteral("uddg")); !uddg.isEmpty())
        return decoded(uddg);
    return {};
}

// The first label of the domain suffix of `labels` starting at `i` is a family name followed
// only by a public suffix ("google" + "de", "google" + "co.uk").
bool isFamilyDomain(const QStringList &labels, qsizetype i) {
    if (!kEngineFamilies.contains(labels.at(i)))
        return false;
    const qsizetype rest = labels.size() - i - 1;
    if (rest < 1 || rest > 2)
        return false;
    for (qsizetype k = i + 1; k < labels.size(); ++k) {
        if (labels.at(k).size() > 3)
            return false;
    }
    return true;
}
} // namespace

namespace ResultLinks {

QString unwrap(const QString &address) {
    QString current = address;
    for (int i = 0; i < kMaxUnwraps; ++i) {
        const QString target = unwrapOnce(current);
        if (target.isEmpty() || !isHttp(target))
            break;
        current = target;
    }
    return current;
}

QString hostOf(const QString &address) {
    if (!isHttp(address))
        return {};
    return QUrl(address).host().toLower();
}

} // namespace ResultLinks

EngineHosts::EngineHosts(const QString &engineHost, const QStringList &extraDomains)
    : m_domains(kEngineDomains) {
    const QString host = engineHost.toLower();
    if (!host.isEmpty()) {
        const QString registrable = registrableDomain(host);
        m_domains << (registrable.isEmpty() ? host : registrable);
    }
    for (const QString &domain : extraDomains) {
        if (!domain.isEmpty())
            m_domains << domain.toLower();
    }
}

bool EngineHosts::isEngineHost(const QString &host) const {
    const QString h = host.toLower();
    if (h.isEmpty())
        return false;
    for (const QString &domain : m_domains) {
        if (h == domain || h.endsWith(QLatin1Char('.') + domain))
            return true;
    }
    const QStringList labels = h.split(QLatin1Char('.'));
    for (qsizetype i = 0; i < labels.size(); ++i) {
        if (isFamilyDomain(labels, i))
            return true;
    }
    return false;
}
