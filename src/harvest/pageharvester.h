#pragma once

#include "harvest/harvesttext.h"
#include "harvest/pagework.h"
#include "harvest/seennames.h"

#include <QString>
#include <QUrl>
#include <functional>

struct VendorHosts;
class RegistrarTable;

// The browser harvester's reading of one page: names in links and in plain text (e-mail
// addresses included), and the addresses of frames, which are loaded separately. Names are
// collected per page and remembered across pages, so a page visited twice adds nothing.
class PageHarvester : public PageWork {
public:
    PageHarvester(const RegistrarTable &table, const VendorHosts &hosts);

    void beginPage(const QString &pageText) override;
    bool processLine() override;
    void endPage() override {}

    // Called for every frame met on the page, as soon as it is met, with the address as the
    // status bar shows it and the address to load: empty unless it is an http or https one.
    std::function<void(const QString &address, const QUrl &url)> onFrame;
    // Called for every name accepted.
    std::function<void(const QString &)> onAccepted;

    // Names the rendered page shows (already cut to registrable domains), each taken unless
    // this very name was seen before (letter case ignored) or is the engine's or the
    // marketplace's own: the line rule's substring test would drop "owl.com" after
    // "snowl.com".
    void acceptShown(const QStringList &names);

    // The names accepted since the page list was last taken, each followed by CR LF.
    QString takePageList();
    const QString &pageList() const { return m_pageList; }
    const SeenNames &seen() const { return m_seen; }
    // Forget every name seen and the page list, so known names can be queued again.
    void clearSeen();

    int foundTotal() const { return m_foundTotal; }
    int foundOnPage() const { return m_foundOnPage; }
    void resetFoundOnPage() { m_foundOnPage = 0; }

    // Frame-address helpers, public for testing.
    static QString cutFrameLine(const QString &line);
    static QString cleanFrameAddress(QString address);
    // What a frame's joined address lines may load. Page text decides them, so only http and
    // https are followed (an absolute path would become a local file, "data:" and
    // "javascript:" run page-made content); a frame keeps its scheme, and one given without a
    // scheme is http.
    static QUrl frameUrl(const QString &joinedLines);

private:
    void handleLink(const QString &line);
    void handlePlain(const QString &line);
    void accept(const QString &candidate, bool linkCase);
    void take(const QString &candidate);

    const RegistrarTable &m_table;
    const VendorHosts &m_hosts;
    HarvestText::LineReader m_reader{QString()};
    SeenNames m_seen;
    QString m_pageList;
    QString m_currentExtension;
    bool m_frameFollowPending = false;
    int m_foundTotal = 0;
    int m_foundOnPage = 0;
};
