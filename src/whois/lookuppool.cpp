#include "whois/lookuppool.h"

#include "core/desktop.h"
#include "core/namecleaning.h"
#include "core/resultlists.h"
#include "core/timing.h"
#include "whois/replyclassifier.h"

#include <QTcpSocket>
#include <QTimer>

namespace {
constexpr int ErrorInvalidArgument = 5;
constexpr int ErrorOutOfRange = 9;
} // namespace

const QString LookupPool::NoReplyReason = QStringLiteral("no reply");
const QString LookupPool::NoServerReason = QStringLiteral("no server");

// Every socket event is tied to the lookup it belongs to by `generation`: dropping a connection
// bumps it, so a late event of an old connection never reaches the slot's next lookup.
struct LookupPool::Slot {
    QTcpSocket socket;
    QTimer timer;
    LookupSlot state;
    quint64 generation = 0;
    bool busy = false; // a lookup was started and has not ended
};

LookupPool::LookupPool(const RegistrarTable &table, const WhoisOptions &options, ResultLists &lists,
                       Desktop &desktop, const Timing &timing, QObject *parent)
    : QObject(parent)
    , m_table(table)
    , m_options(options)
    , m_lists(lists)
    , m_desktop(desktop)
    , m_timing(timing) {
    qRegisterMetaType<LookupOutcome>();
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

int LookupPool::openLookups() const {
    int open = 0;
    for (const auto &s : m_slots)
        open += s->busy ? 1 : 0;
    return open;
}

void LookupPool::startLookup(const QString &candidate, int slot) {
    if (m_halted)
        return;
    if (slot < 0 || slot >= SlotCount) {
        reportFailure(ErrorOutOfRange, QStringLiteral("Subscript out of range"));
        return;
    }
    // Cleaned as the harvester's checker cleans: scheme, escapes, punctuation, control characters.
    QString name = cleanLookupName(candidate);
    if (!name.contains(QLatin1Char('.')))
        name += m_options.DefaultExtension;

    Slot &s = *m_slots[slot];
    dropConnection(s);
    s.timer.stop();
    s.state = LookupSlot{name, QString(), QByteArray(), 0, 0};
    s.busy = true;

    const int k = m_table.findRegistrar(name, m_options.ProxySwitch);
    if (k < 0 || k >= m_table.rows().size()) {
        emit statusText(3, QStringLiteral("No WHOIS server: the registrar table is empty (") +
                               name + QStringLiteral(" not checked)."));
        endUnfiled(slot, NoServerReason);
        return;
    }
    const RegistrarEntry &row = m_table.rows().at(k);
    if (row.server.isEmpty() || row.port == 0) {
        reportFailure(ErrorInvalidArgument, QStringLiteral("The registrar row for ") + name +
                                                QStringLiteral(" has no server or no valid port."));
        endUnfiled(slot, NoServerReason);
        return;
    }
    s.state.server = row.server;
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
    s.busy = false;
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
    LookupOutcome outcome{s.state.name, s.state.server, Verdict::Taken, QString(), 0};
    if (ReplyClassifier::isFree(ReplyClassifier::replyText(s.state.reply))) {
        outcome.verdict = Verdict::Free;
        m_lists.fileFreeName(s.state.name);
    } else {
        m_lists.fileTakenName(s.state.name);
    }
    if (m_lists.applyOverflowRule())
        emit overflowed();
    dropConnection(s);
    s.busy = false;
    emit lookupEnded(i, outcome);
}

void LookupPool::onTick(int i) {
    Slot &s = *m_slots[i];
    ++s.state.ticks;
    ++s.state.ageTicks;
    if (m_halted) {
        s.timer.stop();
        return;
    }
    if (s.state.ageTicks >= m_timing.lookupDeadlineTicks) {
        // Its own deadline: this lookup is given up, the other slots are not touched.
        dropConnection(s);
        s.timer.stop();
        endUnfiled(i, NoReplyReason);
        return;
    }
    if (s.state.ticks < m_timing.reconnectTicks)
        return;
    // A silent server: try again on the standard port, keeping what was received so far.
    dropConnection(s);
    s.state.ticks = 0;
    s.timer.start(m_timing.slotTickMs);
    s.socket.connectToHost(s.state.server, m_reconnectPort);
}

void LookupPool::endUnfiled(int i, const QString &reason) {
    // Reported through the event loop: the caller may still be inside startLookup() (the driver
    // filling its slots) or inside this slot's timer handler.
    Slot &s = *m_slots[i];
    const quint64 generation = s.generation;
    const LookupOutcome outcome{s.state.name, s.state.server, Verdict::Unknown, reason, 0};
    QMetaObject::invokeMethod(
        this,
        [this, i, generation, outcome] {
            Slot &s = *m_slots[i];
            if (m_halted || s.generation != generation)
                return;
            s.busy = false;
            emit lookupEnded(i, outcome);
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
