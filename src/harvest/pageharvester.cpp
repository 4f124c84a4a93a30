#include "harvest/pageharvester.h"

#include "core/namecleaning.h"
#include "whois/pagetext.h"

#include <QRegularExpression>

#include <array>

PageHarvester::PageHarvester(const RegistrarTable &table, const VendorHosts &hosts)
    : m_table(table)
    , m_hosts(hosts) {}

void PageHarvester::beginPage(const QString &pageText) {
    m_frameFollowPending = false;
    m_currentExtension.clear();
    m_reader = HarvestText::LineReader(HarvestText::preparePage(pageText, m_table, true));
}

bool PageHarvester::processLine() {
    if (m_reader.atEnd())
        return false;
    const QString line = HarvestText::decodeLine(m_reader.next());
    if (!m_frameFollowPending && line.contains(QLatin1String("<Frame"), Qt::CaseInsensitive) &&
        line.contains(QLatin1String("src="), Qt::CaseInsensitive)) {
        m_frameFollowPending = true;
    } else if (m_frameFollowPending) {
        // The preparation often splits a frame's address over two lines; join them again.
        const QString first = cutFrameLine(line);
        const QString second = m_reader.atEnd() ? QString() : cutFrameLine(m_reader.next());
        m_frameFollowPending = false;
        if (onFrame)
            onFrame(cleanFrameAddress(first + second), frameUrl(first + second));
    } else if (HarvestText::passesLinkTest(line, m_hosts, m_table)) {
        handleLink(line);
    } else if (HarvestText::hasExtension(line, m_table)) {
        handlePlain(line);
    }
    return true;
}

void PageHarvester::handleLink(const QString &line) {
    using namespace HarvestText;
    QString candidate = cutLink(line, false);
    noteExtension(candidate, m_currentExtension);
    if (candidate.contains(QLatin1Char(':')))
        candidate.clear();
    if (!extensionEnabled(m_currentExtension, m_table))
        return;
    accept(finishCandidate(candidate), true);
}

void PageHarvester::handlePlain(const QString &line) {
    using namespace HarvestText;
    QString candidate = cutPlain(backwardScan(line, m_table));
    noteExtension(candidate, m_currentExtension);
    const qsizetype at = candidate.indexOf(QLatin1Char('@'));
    if (at >= 0) // an e-mail address gives its domain
        candidate = candidate.mid(at + 1);
    const qsizetype colon = candidate.indexOf(QLatin1Char(':'));
    if (colon >= 0)
        candidate = candidate.mid(colon + 1);
    if (!extensionEnabled(m_currentExtension, m_table))
        return;
    accept(finishCandidate(candidate), false);
}

void PageHarvester::accept(const QString &candidate, bool linkCase) {
    if (HarvestText::acceptable(candidate, m_seen, linkCase))
        take(candidate);
}

void PageHarvester::acceptShown(const QStringList &names) {
    for (const QString &name : names) {
        if (!m_seen.containsName(name) &&
            name.compare(m_hosts.EngineSiteDomain, Qt::CaseInsensitive) != 0 &&
            name.compare(m_hosts.MarketplaceDomain, Qt::CaseInsensitive) != 0)
            take(name);
    }
}

void PageHarvester::take(const QString &candidate) {
    // Letter case means nothing in a domain name; "Shop.COM" would file apart from "shop.com".
    const QString name = candidate.toLower();
    m_pageList += name + QStringLiteral("\r\n");
    m_seen.add(name);
    ++m_foundTotal;
    ++m_foundOnPage;
    if (onAccepted)
        onAccepted(name);
}

QString PageHarvester::takePageList() {
    QString list;
    list.swap(m_pageList);
    return list;
}

void PageHarvester::clearSeen() {
    m_seen.clear();
    m_pageList.clear();
}

QString PageHarvester::cutFrameLine(const QString &line) {
    const qsizetype gt = line.indexOf(QLatin1Char('>'));
    const qsizetype space = line.indexOf(QLatin1Char(' '));
    if (gt >= 0 && space >= 0 && gt < space)
        return line.left(gt + 1);
    if (space >= 0)
        return line.left(space + 1);
    return line;
}

QString PageHarvester::cleanFrameAddress(QString address) {
    static const std::array<QString, 12> removals = {
        QStringLiteral("\""),       QStringLiteral(">"),       QStringLiteral("<"),
        QStringLiteral("https://"), QStringLiteral("http://"), QStringLiteral("ttps://"),
        QStringLiteral("ttp://"),   QStringLiteral("tps://"),  QStringLiteral("tp://"),
        QStringLiteral("ps://"),    QStringLiteral("p://"),    QStringLiteral("://")};
    for (const QString &removal : removals)
        address.remove(removal);
    return address;
}

QUrl PageHarvester::frameUrl(const QString &joinedLines) {
    QString text = joinedLines;
    text.remove(QLatin1Char('"'));
    text.remove(QLatin1Char('<'));
    text.remove(QLatin1Char('>'));
    text = text.trimmed();
    // A scheme is letters before a ":" that no port number follows ("host:8080/x" has none).
    static const QRegularExpression schemePattern(
        QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):(?![0-9])"));
    QString scheme = QStringLiteral("http");
    const QRegularExpressionMatch match = schemePattern.match(text);
    if (match.hasMatch()) {
        scheme = match.captured(1).toLower();
        if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
            return {};
        text.remove(0, match.capturedLength());
        if (text.startsWith(QLatin1String("//")))
            text.remove(0, 2);
    }
    const QString address = cleanFrameAddress(text).trimmed();
    const QUrl url(scheme + QStringLiteral("://") + address, QUrl::TolerantMode);
    // No host: an absolute path or "//" left over, which would name a local file.
    if (!url.isValid() || url.host().isEmpty() || address.startsWith(QLatin1Char('/')))
        return {};
    return url;
}
