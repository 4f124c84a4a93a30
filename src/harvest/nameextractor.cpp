#include "harvest/nameextractor.h"

#include "core/namecleaning.h"

NameExtractor::NameExtractor(const RegistrarTable &table, const VendorHosts &hosts)
    : m_table(table)
    , m_hosts(hosts) {}

QStringList NameExtractor::resultTargets(const QStringList &links) const {
    QStringList targets;
    for (const QString &link : links) {
        const QString target = ResultLinks::unwrap(link);
        const QString host = ResultLinks::hostOf(target);
        if (!host.isEmpty() && !m_engineHosts.isEngineHost(host))
            targets << target;
    }
    return targets;
}

void NameExtractor::beginPage(const QString &pageText) {
    m_foundOnPage = 0;
    m_lineRuleOnPage = 0;
    m_linkNamesOnPage = 0;
    m_newLinksOnPage = 0;
    m_currentExtension.clear();
    m_reader = HarvestText::LineReader(HarvestText::preparePage(pageText, m_table, false));
    m_targets = resultTargets(m_pendingLinks.isEmpty() ? QStringList() : m_pendingLinks.dequeue());
    m_nextTarget = 0;
    for (const QString &target : std::as_const(m_targets)) {
        if (!m_seenTargets.contains(target)) {
            m_seenTargets.insert(target);
            ++m_newLinksOnPage;
        }
    }
}

bool NameExtractor::processLine() {
    if (!m_reader.atEnd()) {
        handleLine(HarvestText::decodeLine(m_reader.next()));
        return true;
    }
    if (m_nextTarget < m_targets.size()) {
        handleTarget(m_targets.at(m_nextTarget++));
        return true;
    }
    return false;
}

bool NameExtractor::accept(const QString &candidate) {
    // The engine's own pages (help, settings, ads, images) are no results.
    if (!candidate.isEmpty() && m_engineHosts.isEngineHost(candidate.trimmed()))
        return false;
    if (!HarvestText::acceptable(candidate, m_names, true))
        return false;
    m_names.add(candidate);
    ++m_foundTotal;
    ++m_foundOnPage;
    return true;
}

// A result link's host goes through the cuts, extension test and cleaning of a link line.
void NameExtractor::handleTarget(const QString &target) {
    using namespace HarvestText;
    QString candidate = cutHost(ResultLinks::hostOf(target));
    QString extension;
    noteExtension(candidate, extension);
    if (!extensionEnabled(extension, m_table))
        return;
    candidate = finishCandidate(candidate);
    // Unlike a link line, a host never yields an empty entry.
    if (!candidate.isEmpty() && accept(candidate))
        ++m_linkNamesOnPage;
}

void NameExtractor::handleLine(const QString &line) {
    using namespace HarvestText;
    if (!passesLinkTest(line, m_hosts, m_table))
        return;
    QString candidate = cutLink(line, true);
    noteExtension(candidate, m_currentExtension);
    if (candidate.contains(QLatin1Char(':'))) // a port number: no name
        candidate.clear();
    if (!extensionEnabled(m_currentExtension, m_table))
        return;
    candidate = finishCandidate(candidate);
    if (accept(candidate))
        ++m_lineRuleOnPage;
}

QString NameExtractor::tidy(QString nameList) {
    const QString crlf = QStringLiteral("\r\n");
    for (int i = 0; i < 7; ++i)
        nameList.replace(crlf + crlf, crlf);
    nameList.remove(QStringLiteral("comtarget=_blank") + crlf);
    nameList.remove(QStringLiteral("orgtarget=_blank") + crlf);
    return nameList;
}
