#include "harvest/nameextractor.h"

#include "core/namecleaning.h"

NameExtractor::NameExtractor(const RegistrarTable &table, const VendorHosts &hosts)
    : m_table(table)
    , m_hosts(hosts) {}

void NameExtractor::beginPage(const QString &pageText) {
    m_foundOnPage = 0;
    m_currentExtension.clear();
    m_reader = HarvestText::LineReader(HarvestText::preparePage(pageText, m_table, false));
}

bool NameExtractor::processLine() {
    if (m_reader.atEnd())
        return false;
    handleLine(HarvestText::decodeLine(m_reader.next()));
    return true;
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
    if (!acceptable(candidate, m_names, true))
        return;
    m_names.add(candidate);
    ++m_foundTotal;
    ++m_foundOnPage;
}

QString NameExtractor::tidy(QString nameList) {
    const QString crlf = QStringLiteral("\r\n");
    for (int i = 0; i < 7; ++i)
        nameList.replace(crlf + crlf, crlf);
    nameList.remove(QStringLiteral("comtarget=_blank") + crlf);
    nameList.remove(QStringLiteral("orgtarget=_blank") + crlf);
    return nameList;
}
