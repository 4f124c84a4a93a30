#pragma once

#include "core/programfolder.h"
#include "harvest/pageharvester.h"
#include "harvest/pagequeue.h"

#include <QObject>
#include <QQueue>
#include <QStringList>
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

    // A page (or frame) finished loading; `bodyHtml` is its body's inner HTML, `shownText` the
    // text it shows and the addresses of its links, one per line. The names of the shown text
    // are queued after those the line rule finds in the HTML.
    void pageCompleted(const QString &bodyHtml, const QString &shownText = QString());
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
    const RegistrarTable &m_table;
    PageHarvester m_harvester;
    QQueue<QStringList> m_shownNames; // of each submitted page, in the queue's order
    PageQueue m_queue;
};
