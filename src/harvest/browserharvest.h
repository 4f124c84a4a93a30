#pragma once

#include "harvest/pageharvester.h"
#include "harvest/pagequeue.h"
#include "core/programfolder.h"

#include <QObject>
#include <QUrl>

// The browser harvester's pages, from the completed-page report to the queue file: each page
// is harvested through the event loop, its names are appended to "\BrowserSearch.txt" as one
// batch followed by an empty line, and the checker is then told to look for new entries.
class BrowserHarvest : public QObject {
    Q_OBJECT
public:

    BrowserHarvest(const ProgramFolder &folder, const RegistrarTable &table,
                   const VendorHosts &hosts, QObject *parent = nullptr);

    QString queuePath() const;
    void deleteQueueFile() const;

    // A page (or frame) finished loading; `bodyHtml` is its body's inner HTML.
    void pageCompleted(const QString &bodyHtml);
    // The user's browser began loading a new page.
    void downloadBegun();
    // Names seen so far may be queued again.
    void clearSeen() { m_harvester.clearSeen(); }

    const PageHarvester &harvester() const { return m_harvester; }
    bool busy() const { return m_queue.busy() || m_queue.pendingCount() > 0; }

signals:
    void followFrame(const QUrl &url);    // only http and https frames are followed
    void pageStatus(const QString &text); // the page panel of the status bar
    void pageHarvested();                 // the queue file holds the page's names

private:
    void finishPage();

    ProgramFolder m_folder;
    PageHarvester m_harvester;
    PageQueue m_queue;
};
