#include "harvest/pagenames.h"

#include <QHash>
#include <QSet>
#include <QUrl>

namespace {
constexpr int kMaxNameLength = 253;

// Labels under which country registries sell names one level down ("example.co.uk").
const QSet<QString> &secondLevelLabels() {
    static const QSet<QString> labels = {
        QStringLiteral("ac"),  QStringLiteral("co"),  QStringLiteral("com"),
        QStringLiteral("edu"), QStringLiteral("gov"), QStringLiteral("ltd"),
        QStringLiteral("net"), QStringLiteral("org"), QStringLiteral("plc")};
    return labels;
}

// A name with an e-mail user in front of it is at most this long; a longer run of name
// characters holds no name.
constexpr qsizetype kMaxRun = 64 + 1 + kMaxNameLength;

bool isRunCharacter(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('.') || c == QLatin1Char('-') ||
           c == QLatin1Char('_') || c == QLatin1Char('@');
}

// Letters and digits with inner hyphens, at most 63 characters.
bool isLabel(QStringView label) {
    if (label.isEmpty() || label.size() > 63 || label.front() == QLatin1Char('-') ||
        label.back() == QLatin1Char('-'))
        return false;
    for (QChar c : label) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('-'))
            return false;
    }
    return true;
}

// The host a run of name characters holds: the part after an e-mail user, without the dots
// and hyphens of the sentence around it; "" when that is no dotted host name.
QString hostOfRun(QStringView run) {
    const qsizetype at = run.lastIndexOf(QLatin1Char('@'));
    if (at >= 0)
        run = run.mid(at + 1);
    while (!run.isEmpty() && (run.front() == QLatin1Char('.') || run.front() == QLatin1Char('-')))
        run = run.mid(1);
    while (!run.isEmpty() && (run.back() == QLatin1Char('.') || run.back() == QLatin1Char('-')))
        run.chop(1);
    if (run.size() > kMaxNameLength || !run.contains(QLatin1Char('.')))
        return {};
    for (QStringView label : run.split(QLatin1Char('.'))) {
        if (!isLabel(label))
            return {};
    }
    return run.toString().toLower();
}

// Each extension of the table (the proxy row aside) and whether its first row is enabled.
using Extensions = QHash<QString, bool>;

Extensions extensionsOf(const RegistrarTable &table) {
    Extensions extensions;
    for (const RegistrarEntry &row : table.rows()) {
        if (!row.extension.isEmpty() && row.extension != QLatin1String("proxy") &&
            !extensions.contains(row.extension))
            extensions.insert(row.extension, row.enabled);
    }
    return extensions;
}

QString registrable(const QString &host, const Extensions &extensions) {
    const QStringList labels = host.split(QLatin1Char('.'));
    // The longest extension the host ends with, leaving at least one label in front of it.
    qsizetype first = 1;
    for (; first < labels.size(); ++first) {
        const auto it = extensions.constFind(labels.mid(first).join(QLatin1Char('.')));
        if (it == extensions.cend())
            continue;
        if (!*it)
            return {};
        break;
    }
    if (first >= labels.size())
        return {};
    const QString &extension = labels.at(first);
    if (first == labels.size() - 1 && extension.size() == 2 &&
        secondLevelLabels().contains(labels.at(first - 1)))
        --first;
    if (first == 0)
        return {};
    return labels.mid(first - 1).join(QLatin1Char('.'));
}
} // namespace

namespace PageNames {

QString registrableName(const QString &host, const RegistrarTable &table) {
    return registrable(host, extensionsOf(table));
}

QStringList inText(const QString &text, const RegistrarTable &table) {
    const QString decoded =
        text.contains(QLatin1Char('%')) ? QUrl::fromPercentEncoding(text.toUtf8()) : text;
    const Extensions extensions = extensionsOf(table);
    QStringList names;
    QSet<QString> seen;
    // One pass over runs of name characters: linear however hostile the text.
    qsizetype i = 0;
    while (i < decoded.size()) {
        if (!isRunCharacter(decoded.at(i))) {
            ++i;
            continue;
        }
        const qsizetype begin = i;
        while (i < decoded.size() && isRunCharacter(decoded.at(i)))
            ++i;
        if (i - begin > kMaxRun)
            continue;
        const QString host = hostOfRun(QStringView(decoded).mid(begin, i - begin));
        const QString name = host.isEmpty() ? QString() : registrable(host, extensions);
        if (name.isEmpty() || seen.contains(name))
            continue;
        seen.insert(name);
        names.append(name);
    }
    return names;
}

} // namespace PageNames
