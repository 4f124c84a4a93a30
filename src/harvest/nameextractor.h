#pragma once

#include "harvest/harvesttext.h"
#include "harvest/pagework.h"
#include "harvest/seennames.h"

#include <QString>

struct VendorHosts;
class RegistrarTable;

// The list builder's reading of one search-result page: every link line is cut down to a
// domain name, and names not seen before in this run are added to the list.
class NameExtractor : public PageWork {
public:
    NameExtractor(const RegistrarTable &table, const VendorHosts &hosts);

    void beginPage(const QString &pageText) override;
    bool processLine() override;
    void endPage() override {}

    // The names accepted so far, each followed by CR LF.
    const QString &nameList() const { return m_names.text(); }
    int foundTotal() const { return m_foundTotal; }
    int foundOnPage() const { return m_foundOnPage; }

    // The finished list: doubled line breaks collapsed and "target=_blank" leftovers removed.
    static QString tidy(QString nameList);

private:
    void handleLine(const QString &line);

    const RegistrarTable &m_table;
    const VendorHosts &m_hosts;
    HarvestText::LineReader m_reader{QString()};
    SeenNames m_names;
    QString m_currentExtension;
    int m_foundTotal = 0;
    int m_foundOnPage = 0;
};
