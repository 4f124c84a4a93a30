#include "harvest/harvesttext.h"

#include "core/namecleaning.h"
#include "whois/pagetext.h"
#include "harvest/seennames.h"

#include <array>

namespace {
const QString kHttp = QStringLiteral("http://");
const QString kHttps = QStringLiteral("https://");

void removeFirst(QString &text, const QString &what) {
    const qsizetype at = text.indexOf(what);
    if (at >= 0)
        text.remove(at, what.size());
}

// Leading and trailing spaces only; tabs and other white space stay, as they would in a name.
QString trimSpaces(const QString &text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

// A stop mark of the backward scan that begins at index `at` and lies before index `end`.
bool stopMarkAt(const QString &line, qsizetype at, qsizetype end) {
    const QChar c = line.at(at);
    if (c == QLatin1Char('\'') || c == QLatin1Char('=') || c == QLatin1Char('<') ||
        c == QLatin1Char('"') || c == QLatin1Char('>') || c == QLatin1Char(' '))
        return true;
    const QStringView rest = QStringView(line).mid(at, end - at);
    return rest.startsWith(kHttp, Qt::CaseInsensitive) ||
           rest.startsWith(kHttps, Qt::CaseInsensitive);
}
} // namespace

namespace HarvestText {

QString preparePage(const QString &html, const RegistrarTable &table, bool removeWbr) {
    QString text = html;
    text.replace(QStringLiteral("=www."), QStringLiteral("http://www."), Qt::CaseInsensitive);
    text.replace(QStringLiteral(">www."), QStringLiteral("http://www."), Qt::CaseInsensitive);
    text.replace(kHttp, QStringLiteral("\r\n") + kHttp, Qt::CaseInsensitive);
    text.replace(kHttps, QStringLiteral("\r\n") + kHttps, Qt::CaseInsensitive);
    text.replace(QStringLiteral("<Frame"), QStringLiteral("\r\n<Frame"), Qt::CaseInsensitive);
    if (removeWbr)
        text.remove(QStringLiteral("<wbr>"), Qt::CaseInsensitive);
    return breakAtExtensions(text, table);
}

QString LineReader::next() {
    const qsizetype n = m_text.size();
    const QChar *d = m_text.constData();
    qsizetype i = m_pos;
    while (i < n && d[i] != QLatin1Char('\r') && d[i] != QLatin1Char('\n'))
        ++i;
    QString line = m_text.mid(m_pos, i - m_pos);
    if (i < n)
        i += (d[i] == QLatin1Char('\r') && i + 1 < n && d[i + 1] == QLatin1Char('\n')) ? 2 : 1;
    m_pos = i;
    return line;
}

QString decodeLine(const QString &line) {
    return line.contains(QLatin1Char('%')) ? urlDecode(line) : line;
}

bool hasExtension(const QString &text, const RegistrarTable &table) {
    return text.contains(QLatin1Char('.')) && hasEnabledExtension(text, table);
}

bool startsWithLink(const QString &line) {
    return line.startsWith(kHttp) || line.startsWith(kHttps);
}

bool passesLinkTest(const QString &line, const VendorHosts &hosts, const RegistrarTable &table) {
    if (!startsWithLink(line))
        return false;
    const std::array<QString, 4> rejects = {hosts.EngineSiteDomain, QStringLiteral("@"),
                                            QStringLiteral("yimg"), hosts.MarketplaceDomain};
    for (const QString &reject : rejects) {
        if (!reject.isEmpty() && line.contains(reject, Qt::CaseInsensitive))
            return false;
    }
    return hasExtension(line, table);
}

QString cutHost(QString text) {
    const qsizetype space = text.indexOf(QLatin1Char(' '));
    if (space >= 0)
        text.truncate(space + 1);
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    if (slash >= 0)
        text.truncate(slash);
    // Drops "www." and the like. The first label must be followed by another dot: with one dot
    // it is the name itself ("example.info", "example.com:" and "example.com\"" would lose it).
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    if (dot >= 0 && dot + 1 < text.size() - 3 && text.indexOf(QLatin1Char('.'), dot + 1) > dot)
        text.remove(0, dot + 1);
    return text;
}

QString cutLink(const QString &line, bool removeBold) {
    QString text = line;
    removeFirst(text, line.startsWith(kHttps) ? kHttps : kHttp);
    if (removeBold) {
        removeFirst(text, QStringLiteral("<b>"));
        removeFirst(text, QStringLiteral("<B>"));
    }
    return cutHost(text);
}

QString cutPlain(const QString &piece) {
    // The scan keeps a scheme's tail ("ttp://") when it drops the first character.
    static const std::array<QString, 9> remnants = {kHttps,
                                                    QStringLiteral("ttps://"),
                                                    QStringLiteral("tps://"),
                                                    QStringLiteral("ps://"),
                                                    kHttp,
                                                    QStringLiteral("ttp://"),
                                                    QStringLiteral("tp://"),
                                                    QStringLiteral("p://"),
                                                    QStringLiteral("://")};
    QString text = piece;
    for (const QString &remnant : remnants)
        removeFirst(text, remnant);
    return cutHost(text);
}

void noteExtension(const QString &candidate, QString &currentExtension) {
    const qsizetype dot = candidate.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        currentExtension = candidate.mid(dot + 1);
    const qsizetype equals = candidate.indexOf(QLatin1Char('='));
    if (equals >= 0)
        currentExtension = candidate.mid(equals + 1);
}

bool extensionEnabled(const QString &currentExtension, const RegistrarTable &table) {
    return hasEnabledExtension(QLatin1Char('.') + currentExtension, table);
}

QString backwardScan(const QString &line, const RegistrarTable &table) {
    const qsizetype end = endOfExtension(line, table) - 1; // index just past the extension
    if (end <= 0)
        return {};
    qsizetype start = qMax<qsizetype>(0, end - 5);
    bool stopped = false;
    for (qsizetype i = start; i < end && !stopped; ++i)
        stopped = stopMarkAt(line, i, end);
    // Only the character added on the left can begin a new stop mark.
    while (start > 0 && !stopped) {
        --start;
        stopped = stopMarkAt(line, start, end);
    }
    QString piece = line.mid(start, end - start);
    if (start > 0 || stopped)
        piece.remove(0, 1);
    return piece;
}

QString finishCandidate(const QString &candidate) {
    QString name = correctName(registrableDomain(candidate));
    name.remove(QLatin1Char('\''));
    name.remove(QLatin1Char('"'));
    return name;
}

bool acceptable(const QString &candidate, const SeenNames &seen, bool linkCase) {
    if (seen.contains(trimSpaces(candidate)))
        return false;
    if (candidate.contains(QLatin1Char('<')) || candidate.contains(QLatin1Char('>')))
        return false;
    if (candidate == QLatin1String("ttp:.com") || candidate == QLatin1String(" ttp:.com"))
        return false;
    if (candidate.contains(QLatin1String("mailto:"), Qt::CaseInsensitive))
        return false;
    return !(linkCase && candidate.contains(QLatin1String("targetblank"), Qt::CaseInsensitive));
}

} // namespace HarvestText
