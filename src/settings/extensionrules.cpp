#include "settings/extensionrules.h"

#include <QUrl>

namespace ExtensionRules {

QString normalizeDefaultExtension(const QString &text) {
    if (text.isEmpty())
        return QStringLiteral(".com");
    if (!text.contains(QLatin1Char('.')))
        return QLatin1Char('.') + text;
    return text;
}

bool isValidPort(const QString &text) {
    if (text.isEmpty() || text.size() > 5)
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    const int port = text.toInt();
    return port >= 1 && port <= 65535;
}

bool isValidServer(const QString &text) {
    const bool web = text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
                     text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
    if (!web)
        return !text.isEmpty();
    // An RDAP base URL: it must name a host, and lookups append "domain/<name>" to it.
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && !url.host().isEmpty() && url.query().isEmpty() &&
           url.fragment().isEmpty();
}

} // namespace ExtensionRules
