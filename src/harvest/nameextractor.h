#pragma once

#include "harvest/harvesttext.h"
#include "harvest/pagework.h"
#include "harvest/resultlinks.h"
#include "harvest/seennames.h"

#include <QQueue>
#include <QSet>
#include <QString>
#include <QStringList>

struct VendorHosts;
class RegistrarTable;

// The list builder's reading of one search-result page: every link line is cut down to a
// domain name, then the hosts of the page's result links (as the browser lists them) are
// added; names not seen before in this run, and not the engine's own, go on the list.
class NameExtractor : public PageWork {
public:
    NameExtractor(const RegistrarTable &table, const VendorHosts &hosts);

    // The hosts of the engine being read; their names are never taken.
    void setEngineHosts(const EngineHosts &engineHosts) { m_engineHosts = engineHosts; }
    // The link addresses of the next page not yet begun, in the order pages are begun.
    void queueLinks(const QStringList &links) { m_pendingLinks.enqueue(links); }
    void clearQueuedLinks() { m_pendingLinks.clear(); }
    // The unwrapped targets of `links` that lead away from the engine.
    QStringList resultTargets(const QStringList &links) const;

    void beginPage(const QString &pageText) override;
    bool processLine() override;
    void endPage() override {}

    // The names accepted so far, each followed by CR LF.
    const QString &nameList() const { return m_names.text(); }
    int foundTotal() const { return m_foundTotal; }
    int foundOnPage() const { return m_foundOnPage; }
    // Result targets of the page processed last that no earlier page had.
    int newLinksOnPage() const { return m_newLinksOnPage; }
    // Names of the page processed last found by the line rule, and by the result links only.
    int lineRuleNamesOnPage() const { return m_lineRuleOnPage; }
    int linkNamesOnPage() const { return m_linkNamesOnPage; }

    // The finished list: doubled line breaks collapsed and "target=_blank" leftovers removed.
    static QString tidy(QString nameList);

private:
    void handleLine(const QString &line);
    void handleTarget(const QString &target);
    bool accept(const QString &candidate);

    const RegistrarTable &m_table;
    const VendorHosts &m_hosts;
    HarvestText::LineReader m_reader{QString()};
    SeenNames m_names;
    EngineHosts m_engineHosts;
    QQueue<QStringList> m_pendingLinks;
    QStringList m_targets; // result targets of the current page, handled after its lines
    qsizetype m_nextTarget = 0;
    QSet<QString> m_seenTargets;
    QString m_currentExtension;
    int m_foundTotal = 0;
    int m_foundOnPage = 0;
    int m_newLinksOnPage = 0;
    int m_lineRuleOnPage = 0;
    int m_linkNamesOnPage = 0;
};
