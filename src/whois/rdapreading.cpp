#include "whois/rdapreading.h"

#include "core/domainname.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>

namespace {
constexpr int StatusOk = 200;
constexpr int StatusNotFound = 404;
constexpr int StatusTooManyRequests = 429;
constexpr int StatusUnavailable = 503;

QDateTime httpDate(const QByteArray &value) {
    const QString text = QString::fromLatin1(value).simplified();
    // IMF-fixdate ("Sun, 06 Nov 1994 08:49:37 GMT"), then asctime ("Sun Nov 6 08:49:37 1994").
    for (const QString &format : {QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"),
                                  QStringLiteral("ddd MMM d HH:mm:ss yyyy")}) {
        const QDateTime local = QLocale::c().toDateTime(text, format);
        if (local.isValid())
            return QDateTime(local.date(), local.time(), Qt::UTC);
    }
    return QDateTime::fromString(text, Qt::RFC2822Date);
}
} // namespace

namespace RdapReading {

const QString NotShownReason = QStringLiteral("not shown to be an RDAP server");
const QString AnotherNameReason = QStringLiteral("reply for another name");

Verdict read(const Reply &reply, const QString &asciiName, bool trustedBase, QString *reason) {
    QString why;
    Verdict verdict = Verdict::Unknown;
    if (!reply.error.isEmpty()) {
        why = QStringLiteral("RDAP error: ") + reply.error;
    } else if (reply.status == StatusNotFound) {
        if (trustedBase)
            verdict = Verdict::Free;
        else
            why = NotShownReason;
    } else if (reply.status == StatusOk) {
        why = AnotherNameReason;
        for (const QString &name : namesIn(reply.body))
            if (DomainName::sameName(name, asciiName)) {
                verdict = Verdict::Taken;
                why.clear();
            }
    } else if (reply.status == StatusTooManyRequests ||
               (reply.status == StatusUnavailable && reply.retryAfterSeconds > 0)) {
        why = QStringLiteral("rate-limited");
    } else {
        why = QStringLiteral("RDAP error: HTTP %1").arg(reply.status);
    }
    if (reason)
        *reason = why;
    return verdict;
}

bool showsRdap(const QByteArray &contentType, const QByteArray &body) {
    if (contentType.trimmed().toLower().startsWith("application/rdap+json"))
        return true;
    const QJsonObject object = QJsonDocument::fromJson(body).object();
    return object.value(QLatin1String("errorCode")).isDouble() ||
           object.value(QLatin1String("rdapConformance")).isArray();
}

QStringList namesIn(const QByteArray &body) {
    QStringList names;
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(body, &error);
    if (error.error == QJsonParseError::NoError) {
        for (const char *key : {"ldhName", "unicodeName"}) {
            const QJsonValue value = json.object().value(QLatin1String(key));
            if (value.isString())
                names << value.toString();
        }
        return names;
    }
    // A body past the cap is cut short; its top-level names come first in practice.
    static const QRegularExpression named(
        QStringLiteral(R"re("(?:ldhName|unicodeName)"\s*:\s*"([^"\\]{1,300})")re"));
    const QRegularExpressionMatch match = named.match(QString::fromUtf8(body.left(64 * 1024)));
    if (match.hasMatch())
        names << match.captured(1);
    return names;
}

int retryAfterSeconds(const QByteArray &value, const QDateTime &now) {
    const QByteArray text = value.trimmed();
    if (text.isEmpty())
        return 0;
    if (std::all_of(text.cbegin(), text.cend(), [](char c) { return c >= '0' && c <= '9'; })) {
        // Too many digits to hold is still a number of seconds: a very long one.
        bool ok = false;
        const qlonglong seconds = text.toLongLong(&ok);
        return ok ? int(qMin(seconds, qlonglong(MaxRetryAfterSeconds))) : MaxRetryAfterSeconds;
    }
    const QDateTime when = httpDate(text);
    if (!when.isValid())
        return 0;
    return int(qBound(qint64(0), now.secsTo(when), qint64(MaxRetryAfterSeconds)));
}

} // namespace RdapReading
