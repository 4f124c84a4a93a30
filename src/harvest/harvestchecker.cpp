#include "harvest/harvestchecker.h"

#include "core/filehelpers.h"
#include "core/namecleaning.h"
#include "core/resultlists.h"
#include "core/timing.h"
#include "harvest/pageharvester.h"
#include "whois/pagetext.h"
#include "whois/registrartable.h"
#include "whois/replyclassifier.h"
#include "whois/replyrules.h"
#include "core/resultlists.h"
#include "core/timing.h"

#include <QTcpSocket>

HarvestChecker::HarvestChecker(const ProgramFolder &folder, const RegistrarTable &table,
                               const WhoisOptions &whois, ResultLists &lists, const Timing &timing,
                               const PageHarvester &harvester, QObject *parent)
    : QObject(parent)
    , m_queuePath(folder.browserSearchList())
    , m_table(table)
    , m_whois(whois)
    , m_lists(lists)
    , m_timing(timing)
    , m_harvester(harvester) {
    m_stepTimer.setInterval(timing.checkerTickMs);
    m_timeout.setInterval(timing.checkerTickMs);
    connect(&m_stepTimer, &QTimer::timeout, this, &HarvestChecker::checkNextName);
    connect(&m_timeout, &QTimer::timeout, this, &HarvestChecker::onTimeoutTick);
}

HarvestChecker::~HarvestChecker() {
    dropSocket();
}

void HarvestChecker::start() {
    m_stepTimer.start();
}

void HarvestChecker::checkNextName() {
    // Restarting a lookup that waits for its reply would keep a slow server's name from ever
    // being answered; only the timeout gives up on it.
    if (lookupRunning() || m_checkPosition > m_harvester.foundTotal())
        return;
    m_stepTimer.stop();
    const QString entry = readQueueEntry(m_checkPosition);
    if (entry != EndMarker) {
        startQueueLookup(entry);
    } else {
        const int checked = m_lists.counter(ResultLists::Registered) +
                            m_lists.counter(ResultLists::High) + m_lists.counter(ResultLists::Mid) +
                            m_lists.counter(ResultLists::Low);
        emit progressText(QStringLiteral("Checked %1 unique domains.").arg(checked));
        if (m_harvester.foundOnPage() > 0)
            emit pageStatus(QStringLiteral("Finished domains on current page"));
    }
    m_stepTimer.start();
}

QString HarvestChecker::readQueueEntry(int n) const {
    if (n < 0)
        return EndMarker;
    // An unreadable queue (logged) ends the checking as an exhausted one does.
    const Result<QStringList> lines = TextFile::readLines(m_queuePath);
    if (lines.failed())
        return EndMarker;
    int counted = 0;
    for (const QString &line : lines.value()) {
        if (line.isEmpty() || line == QLatin1String(" "))
            continue;
        if (counted++ == n)
            return line;
    }
    return EndMarker;
}

void HarvestChecker::startQueueLookup(const QString &entry) {
    // Cleaned as the lookup pool cleans: a tab or line break never reaches the server or a list.
    m_lookupName = cleanLookupName(entry);
    const int row = hasEnabledExtension(m_lookupName, m_table)
                        ? m_table.findRegistrar(m_lookupName, m_whois.ProxySwitch)
                        : -1;
    if (row < 0) {
        advance();
        return;
    }
    const RegistrarEntry &registrar = m_table.rows().at(row);
    m_reply.clear();
    m_timeoutTicks = 0;
    m_timeout.start();
    emit progressText(QStringLiteral("Checking status of: ") + m_lookupName);

    dropSocket();
    m_socket = new QTcpSocket(this);
    connect(m_socket, &QTcpSocket::connected, this, &HarvestChecker::onConnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &HarvestChecker::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &HarvestChecker::onServerClosed);
    m_socket->connectToHost(registrar.server, registrar.port);
}

void HarvestChecker::onConnected() {
    const QByteArray request = ReplyClassifier::request(m_lookupName);
    if (!request.isEmpty() && m_socket->write(request) >= 0)
        return;
    // Nothing was asked, so nothing is filed: the timeout moves on.
    m_socket->disconnect(this);
    m_socket->abort();
}

void HarvestChecker::onReadyRead() {
    const QByteArray data = m_socket->readAll();
    const qsizetype room = ReplyClassifier::MaxReplyBytes - m_reply.size();
    if (room > 0)
        m_reply += data.left(room);
}

void HarvestChecker::onServerClosed() {
    onReadyRead();
    m_timeout.stop();
    file(m_reply);
    advance();
}

Verdict HarvestChecker::read(const QByteArray &reply, QString *reason) const {
    if (!m_rules) {
        // The written rule of this checker, kept for a checker run without reply rules.
        return ReplyClassifier::isFreeForHarvester(ReplyClassifier::replyText(reply))
                   ? Verdict::Free
                   : Verdict::Taken;
    }
    const ReplyReading reading = m_rules->read(ReplyClassifier::asciiName(m_lookupName), reply);
    *reason = reading.reason;
    return reading.verdict;
}

void HarvestChecker::file(const QByteArray &reply) {
    const QString &name = m_lookupName;
    const bool bare = name == QLatin1String(".net") || name == QLatin1String(".com") ||
                      name.contains(QLatin1String("\".net"), Qt::CaseInsensitive) ||
                      name.contains(QLatin1String("\".com"), Qt::CaseInsensitive);
    if (bare)
        return;
    QString reason;
    const Verdict verdict = read(reply, &reason);
    if (verdict == Verdict::Unknown) {
        // Throttled, empty or unreadable: neither list may claim the name.
        emit progressText(QStringLiteral("Unknown: ") + name + QStringLiteral(" (") + reason +
                          QLatin1Char(')'));
        return;
    }
    if (verdict == Verdict::Free) {
        if (name.contains(QLatin1String("endoffile"), Qt::CaseInsensitive))
            return;
        m_lists.fileFreeName(name);
        const int free = m_lists.counter(ResultLists::High) + m_lists.counter(ResultLists::Mid) +
                         m_lists.counter(ResultLists::Low);
        emit freeName(name, QStringLiteral("Unregistered: (%1)").arg(free));
        emit progressText(QStringLiteral("Unregistered: ") + name);
    } else {
        m_lists.fileTakenName(name);
        emit takenName(
            name, QStringLiteral("Registered: (%1)").arg(m_lists.counter(ResultLists::Registered)));
    }
}

void HarvestChecker::onTimeoutTick() {
    if (++m_timeoutTicks < m_timing.checkerTimeoutTicks)
        return;
    m_timeout.stop();
    m_timeoutTicks = 0;
    advance();
}

void HarvestChecker::advance() {
    ++m_checkPosition;
    dropSocket();
    // Through the event loop: a long run of skipped entries never deepens the stack.
    QMetaObject::invokeMethod(this, &HarvestChecker::checkNextName, Qt::QueuedConnection);
}

void HarvestChecker::dropSocket() {
    if (!m_socket)
        return;
    QTcpSocket *socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}
