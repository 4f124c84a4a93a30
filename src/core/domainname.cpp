#include "core/domainname.h"

#include <QStringList>
#include <QUrl>
#include <algorithm>

namespace {
bool isSchemeChar(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('+') ||
           c == QLatin1Char('-') || c == QLatin1Char('.');
}

bool isLdh(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-');
}

bool isAscii(const QString &text) {
    for (const QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

// How a character that no name may hold is named in the refusal.
QString described(QChar c) {
    if (c == QLatin1Char(' '))
        return QStringLiteral("a space");
    if (c.unicode() < 0x20 || c.unicode() == 0x7f)
        return QStringLiteral("a control character");
    return QLatin1Char('"') + QString(c) + QLatin1Char('"');
}

// The first problem of one label in ASCII form, or "".
QString labelProblem(const QString &label) {
    if (label.isEmpty())
        return QStringLiteral("empty label");
    if (label.size() > DomainName::MaxLabelLength)
        return QStringLiteral("label longer than %1 characters").arg(DomainName::MaxLabelLength);
    for (const QChar c : label)
        if (!isLdh(c))
            return described(c) + QStringLiteral(" is not a letter, digit or hyphen");
    if (label.startsWith(QLatin1Char('-')) || label.endsWith(QLatin1Char('-')))
        return QStringLiteral("label starts or ends with a hyphen");
    if (label.startsWith(QLatin1String("xn--"))) {
        // A-labels must be what encoding their own decoding gives, or two spellings would
        // stand for one name (or for none).
        const QString decoded = QUrl::fromAce(label.toLatin1(), QUrl::IgnoreIDNWhitelist);
        if (decoded == label || isAscii(decoded) || QUrl::toAce(decoded) != label.toLatin1())
            return QStringLiteral("invalid xn-- label \"%1\"").arg(label);
    } else if (label.mid(2, 2) == QLatin1String("--")) {
        return QStringLiteral("hyphens in the third and fourth place of \"%1\"").arg(label);
    }
    return {};
}
} // namespace

QString DomainName::hostOf(const QString &text) {
    QString host = text.trimmed();
    bool url = false;
    const qsizetype scheme = host.indexOf(QLatin1String("://"));
    if (scheme > 0 && std::all_of(host.cbegin(), host.cbegin() + scheme, isSchemeChar)) {
        host = host.mid(scheme + 3);
        url = true;
    } else if (host.startsWith(QLatin1String("//"))) {
        host = host.mid(2);
        url = true;
    }
    qsizetype end = -1;
    for (const QChar c : {QLatin1Char('/'), QLatin1Char('?'), QLatin1Char('#')}) {
        const qsizetype at = host.indexOf(c);
        if (at >= 0 && (end < 0 || at < end))
            end = at;
    }
    if (end >= 0 && (url || host.left(end).contains(QLatin1Char('.'))))
        host.truncate(end);
    if (url) {
        const qsizetype at = host.lastIndexOf(QLatin1Char('@'));
        if (at >= 0)
            host = host.mid(at + 1);
    }
    const qsizetype colon = host.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0 && (url || host.left(colon).contains(QLatin1Char('.')))) {
        const QString port = host.mid(colon + 1);
        if (std::all_of(port.cbegin(), port.cend(), [](QChar c) { return c.isDigit(); }))
            host.truncate(colon);
    }
    return host;
}

QString DomainName::normalised(const QString &text) {
    QString name = hostOf(text).toLower();
    if (name.size() > 1 && name.endsWith(QLatin1Char('.')))
        name.chop(1);
    return name;
}

DomainName DomainName::refused(const QString &problem) {
    DomainName name;
    name.m_problem = problem;
    return name;
}

DomainName DomainName::parse(const QString &text, const Delegated &delegated) {
    if (text.size() > MaxInputLength)
        return refused(QStringLiteral("longer than any domain name"));
    const QString name = normalised(text);
    if (name.isEmpty())
        return refused(QStringLiteral("empty name"));
    for (const QChar c : name)
        if (c.unicode() < 0x80 && !isLdh(c) && c != QLatin1Char('.'))
            return refused(described(c) + QStringLiteral(" is not a letter, digit or hyphen"));
    // Labels as written first, so that the reason names what the user wrote.
    const QStringList written = name.split(QLatin1Char('.'));
    for (const QString &label : written)
        if (isAscii(label))
            if (const QString problem = labelProblem(label); !problem.isEmpty())
                return refused(problem);
    if (written.size() < 2)
        return refused(QStringLiteral("no extension"));

    QString ascii = name;
    if (!isAscii(name)) {
        // Qt maps by UTS #46; without AceTransitionalProcessing "ß" and "ς" stay themselves.
        ascii = QString::fromLatin1(QUrl::toAce(name));
        if (ascii.isEmpty())
            return refused(QStringLiteral("no valid international form"));
    }
    const QStringList labels = ascii.split(QLatin1Char('.'));
    for (const QString &label : labels)
        if (const QString problem = labelProblem(label); !problem.isEmpty())
            return refused(problem);
    if (ascii.size() > MaxNameLength)
        return refused(QStringLiteral("longer than %1 characters").arg(MaxNameLength));
    if (delegated && !delegated(labels.last()))
        return refused(QLatin1Char('.') + labels.last() +
                       QStringLiteral(" is not a delegated extension"));
    DomainName result;
    result.m_ascii = ascii;
    result.m_unicode = QUrl::fromAce(ascii.toLatin1(), QUrl::IgnoreIDNWhitelist);
    return result;
}

bool DomainName::sameName(const QString &a, const QString &b) {
    const auto canonical = [](const QString &text) {
        const QString name = normalised(text);
        if (isAscii(name))
            return name;
        const QString ascii = QString::fromLatin1(QUrl::toAce(name));
        return ascii.isEmpty() ? name : ascii;
    };
    const QString left = canonical(a);
    return !left.isEmpty() && left == canonical(b);
}

QString DomainName::refusal() const {
    return QStringLiteral("not a domain name: ") + m_problem;
}

QString DomainName::extension() const {
    return m_ascii.section(QLatin1Char('.'), -1);
}
