#include "whois/lookuppool.h"

#include "core/desktop.h"
#include "whois/whoislog.h"
#include "core/namecleaning.h"
#include "whois/replyclassifier.h"
#include "core/resultlists.h"
#include "core/timing.h"

#include <QTcpSocket>
#include <QTimer>

namespace {
constexpr int ErrorInvalidArgument = 5;
constexpr int ErrorOutOfRange = 9;
} // namespace

// Every socket event is tied to the lookup it belongs to by `generation`: dropping a connection
// bumps it, so a late event of an old connection never reaches the slot's next lookup.
struct LookupPool::Slot {
    QTcpSocket socket;
    QTimer timer;
    LookupSlot state;
    quint64 generation = 0;
};

LookupPool::LookupPool(const RegistrarTable &table, const WhoisOptions &options, ResultLists &lists,
                       Desktop &desktop, const Timing &timing, QObject *parent)
    : QObject(parent)
    , m_table(table)
    , m_options(options)
    , m_lists(lists)
    , m_desktop(desktop)
    , m_timing(timing) {
    for (int i = 0; i < SlotCount; ++i) {
        m_slots[i] = std::make_unique<Slot>();
        Slot &s = *m_slots[i];
        s.timer.setInterval(m_timing.slotTickMs);
        connect(&s.socket, &QTcpSocket::connected, this, [this, i] { onConnected(i); });
        connect(&s.socket, &QTcpSocket::readyRead, this, [this, i] { onReadyRead(i); });
        connect(&s.socket, &QTcpSocket::disconnected, this, [this, i] { onDisconnected(i); });
        connect(&s.timer, &QTimer::timeout, this, [this, i] { onTick(i); });
    }
}

LookupPool::~LookupPool() {
    m_halted = true;
    closeAll();
}

const LookupSlot &LookupPool::slot(int i) const {
    static const LookupSlot none;
    return i >= 0 && i < SlotCount ? m_slots[i]->state : none;
}

void LookupPool::startLookup(const QString &candidate, int slot) {
    if (m_halted)
        return;
    if (slot < 0 || slot >= SlotCount) {
        reportFailure(ErrorOutOfRange, QStringLiteral("Subscript out of range"));
        return;
    }
    // A leading URL scheme goes with its colon; CorrectName removes the slashes left over.
    QString text = candidate;
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon >= 0)
        text.remove(0, colon + 1);
    QString name = correctName(urlDecode(text));
    // Control characters (a decoded "%0D%0A", a tab) never reach the wire, so they must not
    // reach the lists either: what is filed is what was asked.
    name.removeIf([](QChar c) { return c.unicode() < 0x20; });
    if (!name.contains(QLatin1Char('.')))
        name += m_options.DefaultExtension;

    Slot &s = *m_slots[slot];
    dropConnection(s);
    s.timer.stop();
    s.state = LookupSlot{name, QString(), QByteArray(), 0};

    const int k = m_table.findRegistrar(name, m_options.ProxySwitch);
    if (k < 0 || k >= m_table.rows().size()) {
        qCWarning(lcWhois) << "No WHOIS server for" << name << "- the registrar table is empty";
        emit statusText(3, QStringLiteral("No WHOIS server: the registrar table is empty (") +
                               name + QStringLiteral(" not checked)."));
        endUnfiled(slot);
        return;
    }
    const RegistrarEntry &row = m_table.rows().at(k);
    if (row.server.isEmpty() || row.port == 0) {
        qCWarning(lcWhois) << "The registrar row for" << name << "has no server or no valid port";
        reportFailure(ErrorInvalidArgument, QStringLiteral("The registrar row for ") + name +
                                                QStringLiteral(" has no server or no valid port."));
        endUnfiled(slot);
        return;
    }
    s.state.server = row.server;
    qCDebug(lcWhois) << "Looking up" << name << "at" << row.server << "port" << row.port;
    s.timer.start(m_timing.slotTickMs);
    s.socket.connectToHost(row.server, row.port);
}

void LookupPool::closeSlot(int slot) {
    if (slot < 0 || slot >= SlotCount)
        return;
    Slot &s = *m_slots[slot];
    dropConnection(s);
    s.timer.stop();
    s.state.ticks = 0;
}

void LookupPool::closeAll() {
    for (int i = 0; i < SlotCount; ++i)
        closeSlot(i);
}

void LookupPool::dropConnection(Slot &s) {
    ++s.generation;
    // abort() may emit disconnected(); that is our own close, not the server's.
    const bool blocked = s.socket.blockSignals(true);
    s.socket.abort();
    s.socket.blockSignals(blocked);
}

void LookupPool::onConnected(int i) {
    Slot &s = *m_slots[i];
    if (m_halted) {
        dropConnection(s);
        return;
    }
    emit statusText(3, QStringLiteral("connecting(") + QString::number(i) +
                           QStringLiteral("): - Search String: ") + s.state.name);
    s.state.ticks = 0;
    s.timer.start(m_timing.slotTickMs);
    if (s.socket.write(ReplyClassifier::request(s.state.name)) < 0) {
        qCWarning(lcWhois) << "Could not send the query for" << s.state.name << "to"
                           << s.state.server << "-" << s.socket.errorString() << "- reconnecting";
        dropConnection(s);
        s.socket.connectToHost(s.state.server, m_reconnectPort);
    }
}

void LookupPool::onReadyRead(int i) {
    Slot &s = *m_slots[i];
    if (m_halted) {
        dropConnection(s);
        return;
    }
    const QByteArray data = s.socket.readAll();
    const qsizetype room = ReplyClassifier::MaxReplyBytes - s.state.reply.size();
    if (room > 0)
        s.state.reply.append(data.constData(), qMin(room, data.size()));
}

void LookupPool::onDisconnected(int i) {
    // Filing, closing and telling the driver happen outside the socket's own signal, so the
    // driver may close and reuse every socket (this one too) when the batch ends.
    Slot &s = *m_slots[i];
    s.timer.stop();
    const quint64 generation = s.generation;
    QMetaObject::invokeMethod(
        this,
        [this, i, generation] {
            if (m_slots[i]->generation == generation)
                onClosedByServer(i);
        },
        Qt::QueuedConnection);
}

void LookupPool::onClosedByServer(int i) {
    Slot &s = *m_slots[i];
    if (m_halted) {
        dropConnection(s);
        return;
    }
    s.timer.stop();
    onReadyRead(i); // whatever arrived together with the close
    const bool free = ReplyClassifier::isFree(ReplyClassifier::replyText(s.state.reply));
    qCDebug(lcWhois) << "Lookup of" << s.state.name << "at" << s.state.server
                     << "ended:" << (free ? "free" : "taken") << "after" << s.state.reply.size()
                     << "bytes";
    if (free)
        m_lists.fileFreeName(s.state.name);
    else
        m_lists.fileTakenName(s.state.name);
    if (m_lists.applyOverflowRule())
        emit overflowed();
    dropConnection(s);
    emit lookupEnded();
}

void LookupPool::onTick(int i) {
    Slot &s = *m_slots[i];
    ++s.state.ticks;
    if (m_halted) {
        s.timer.stop();
        return;
    }
    if (s.state.ticks < m_timing.reconnectTicks)
        return;
    // A silent server: try again on the standard port, keeping what was received so far.
    qCDebug(lcWhois) << "No answer for" << s.state.name << "from" << s.state.server
                     << "- reconnecting on port" << m_reconnectPort;
    dropConnection(s);
    s.state.ticks = 0;
    s.timer.start(m_timing.slotTickMs);
    s.socket.connectToHost(s.state.server, m_reconnectPort);
}

void LookupPool::endUnfiled(int i) {
    // Reported through the event loop: the driver is still starting its batch.
    const quint64 generation = m_slots[i]->generation;
    QMetaObject::invokeMethod(
        this,
        [this, i, generation] {
            if (!m_halted && m_slots[i]->generation == generation)
                emit lookupEnded();
        },
        Qt::QueuedConnection);
}

void LookupPool::reportFailure(int number, const QString &description) {
    emit statusText(3, description);
    // One message box at a time: with a broken table every lookup fails the same way, and a
    // box per lookup would bury the user. Shown from the event loop, never inside a batch start.
    if (m_failureQueued)
        return;
    m_failureQueued = true;
    const QString text = QStringLiteral("An error has occurred.\r\nError #: ") +
                         QString::number(number) + QStringLiteral("\r\nDescription: ") +
                         description;
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            m_desktop.message(QStringLiteral("Error"), text, Desktop::Icon::Warning);
            m_failureQueued = false;
        },
        Qt::QueuedConnection);
}
