#include "harvest/browserharvest.h"

#include "core/filehelpers.h"
#include "harvest/harvestlog.h"
#include "harvest/pagenames.h"

#include <QFile>

BrowserHarvest::BrowserHarvest(const ProgramFolder &folder, const RegistrarTable &table,
                               const VendorHosts &hosts, QObject *parent)
    : QObject(parent)
    , m_folder(folder)
    , m_table(table)
    , m_harvester(table, hosts)
    , m_queue(m_harvester) {
    m_harvester.onFrame = [this](const QString &address, const QUrl &url) {
        if (url.isEmpty())
            return;
        emit pageStatus(QStringLiteral("Following Frame: ") + address);
        emit followFrame(url);
    };
    m_harvester.onAccepted = [this](const QString &) {
        emit pageStatus(QStringLiteral("Domains Found, Checking Status"));
    };
    connect(&m_queue, &PageQueue::pageDone, this, &BrowserHarvest::finishPage);
}

QString BrowserHarvest::queuePath() const {
    return m_folder.browserSearchList();
}

void BrowserHarvest::deleteQueueFile() const {
    QFile file(queuePath());
    // A queue that stays behind would have the checker look up an earlier run's names again.
    if (file.exists() && !file.remove())
        qCWarning(lcHarvest).noquote()
            << Error{QStringLiteral("delete"), file.fileName(), file.errorString()}.text();
}

void BrowserHarvest::pageCompleted(const QString &bodyHtml, const QString &shownText) {
    m_shownNames.enqueue(PageNames::inText(shownText, m_table));
    m_queue.submit(bodyHtml);
}

void BrowserHarvest::downloadBegun() {
    m_harvester.resetFoundOnPage();
    emit pageStatus(QStringLiteral("Waiting for page to load"));
}

void BrowserHarvest::finishPage() {
    if (!m_shownNames.isEmpty())
        m_harvester.acceptShown(m_shownNames.dequeue());
    const Result<> queued =
        TextFile::append(queuePath(), m_harvester.takePageList() + QStringLiteral("\r\n"));
    // The page's names are lost to the checker when the queue cannot take them: say so.
    if (queued.failed())
        emit pageStatus(queued.error().text());
    else
        emit pageStatus(m_harvester.foundOnPage() == 0
                            ? QStringLiteral("No Domains Found")
                            : QStringLiteral("Domains Found, Checking Status"));
    emit pageHarvested();
}
