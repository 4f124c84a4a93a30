#include "harvest/browserharvest.h"

#include "core/filehelpers.h"

#include <QFile>

BrowserHarvest::BrowserHarvest(const ProgramFolder &folder, const RegistrarTable &table,
                               const VendorHosts &hosts, QObject *parent)
    : QObject(parent)
    , m_folder(folder)
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
    QFile::remove(queuePath());
}

void BrowserHarvest::pageCompleted(const QString &bodyHtml) {
    m_queue.submit(bodyHtml);
}

void BrowserHarvest::downloadBegun() {
    m_harvester.resetFoundOnPage();
    emit pageStatus(QStringLiteral("Waiting for page to load"));
}

void BrowserHarvest::finishPage() {
    TextFile::append(queuePath(), m_harvester.takePageList() + QStringLiteral("\r\n"));
    emit pageStatus(m_harvester.foundOnPage() == 0
                        ? QStringLiteral("No Domains Found")
                        : QStringLiteral("Domains Found, Checking Status"));
    emit pageHarvested();
}
