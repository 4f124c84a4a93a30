#include "whois/pagetext.h"

namespace {

const QStringList &registrableSuffixes() {
    static const QStringList suffixes = {QStringLiteral("com"),  QStringLiteral("org"),
                                         QStringLiteral("info"), QStringLiteral("name"),
                                         QStringLiteral("biz"),  QStringLiteral("coop"),
                                         QStringLiteral("edu"),  QStringLiteral("aero")};
    return suffixes;
}

} // namespace

QString breakAtExtensions(const QString &text, const RegistrarTable &table) {
    static const QStringList followers = {QStringLiteral(" "),  QStringLiteral("/"),
                                          QStringLiteral("\""), QStringLiteral("'"),
                                          QStringLiteral(":"),  QStringLiteral("?")};
    static const QString comQuote = QStringLiteral(".com\"");
    const QString crlf = QStringLiteral("\r\n");

    QString result = text;
    for (const QString &ext : table.enabledExtensions()) {
        for (const QString &follower : followers) {
            const QString piece = ext + follower;
            result.replace(piece, piece + crlf);
        }
        // Runs once per enabled row, so a quoted ".com" gains one break per row.
        result.replace(comQuote, comQuote + crlf);
    }
    return result;
}

bool hasEnabledExtension(const QString &text, const RegistrarTable &table) {
    for (const QString &dotted : table.dottedEnabledExtensions()) {
        if (text.contains(dotted, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

int endOfExtension(const QString &text, const RegistrarTable &table) {
    // Table order decides, not the position in the text.
    for (const QString &ext : table.enabledExtensions()) {
        const qsizetype at = text.indexOf(QLatin1Char('.') + ext, 0, Qt::CaseInsensitive);
        if (at >= 0)
            return int(at + 1 + ext.size() + 1); // 1-based: the dot, the extension, one past
    }
    return 0;
}

QString registrableDomain(const QString &host) {
    if (!host.contains(QLatin1Char('.')))
        return host;
    const QStringList labels = host.split(QLatin1Char('.'));
    const qsizetype u = labels.size() - 1;
    if (u < 2)
        return host;
    const QString &last = labels.at(u);
    if (registrableSuffixes().contains(last))
        return labels.mid(u - 1).join(QLatin1Char('.'));
    if (labels.at(u - 1) == QLatin1String("co"))
        return labels.mid(u - 2).join(QLatin1Char('.'));
    if (last == QLatin1String("us"))
        return labels.mid(u - 1).join(QLatin1Char('.'));
    return {};
}
