#include "settings/extensionrules.h"

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

} // namespace ExtensionRules
