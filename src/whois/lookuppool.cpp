#include "whois/lookuppool.h"

#include "core/timing.h"
#include "whois/lookuprequest.h"
#include "whois/replyclassifier.h"
#include "whois/replyrules.h"
#include "whois/whoislog.h"

#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <chrono>

namespace {
// A reset, refused or empty connection is tried once more before the name is unknown.
constexpr int MaxConnectionFailures = 2;

qint64 monotonicMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

const ReplyRules &classicRules() {
    static const ReplyRules none;
    return none;
}
} // namespace

const QString LookupPool::NoReplyReason = QStringLiteral("no reply");
const QString LookupPool::NoServerReason = QStringLiteral("extension not served");
const QString LookupPool::RateLimitedReason = QStringLiteral("rate-limited");

// Every socket event is tied to the lookup it belongs to by `generation`: dropping a connection
// bumps it, so a late event of an old connection never reaches the slot's next lookup.
struct LookupPool::Slot {
    QTcpSocket socket;
    QTimer timer;
    LookupSlot state;
    quint64 generation = 0;
    bool busy = false;               // a lookup was started and has not ended
    std::unique_ptr<RdapQuery> rdap; // RDAP rows only
    bool rdapRow = false;
    QString failure; // why the last connection failed
};

LookupPool::LookupPool(const Timing &timing, QObject *parent, int slotCount)
    : QObject(parent)
    , m_timing(timing) {
    qRegisterMetaType<LookupOutcome>();
    m_slots.resize(size_t(std::clamp(slotCount, 1, MaxSlots)));
    for (int i = 0; i < this->slotCount(); ++i) {
        m_slots[i] = std::make_unique<Slot>();
        Slot &s = *m_slots[i];
        s.timer.setInterval(m_timing.slotTickMs);
        connect(&s.socket, &QTcpSocket::connected, this, [this, i] { onConnected(i); });
        connect(&s.socket, &QTcpSocket::readyRead, this, [this, i] { onReadyRead(i); });
        connect(&s.socket, &QTcpSocket::disconnected, this, [this, i] { onDisconnected(i); });
        connect(&s.socket, &QTcpSocket::errorOccurred, this, [this, i] { onSocketError(i); });
        connect(&s.timer, &QTimer::timeout, this, [this, i] { onTick(i); });
    }
}

LookupPool::~LookupPool() {
    m_halted = true;
    closeAll();
}

const LookupSlot &LookupPool::slot(int i) const {
    static const LookupSlot none;
    return i >= 0 && i < slotCount() ? m_slots[i]->state : none;
}

int LookupPool::openLookups() const {
    int open = 0;
    for (const auto &s : m_slots)
        open += s->busy ? 1 : 0;
    return open;
}

void LookupPool::startLookup(const LookupRequest &request, int slot) {
    if (!request.askable()) {
        skipLookup(request, slot, request.reason());
        return;
    }
    LookupPool::Slot *s = takeSlot(request, slot);
    if (!s)
        return;
    qCDebug(lcWhois) << "Looking up" << request.name << "at" << request.server << "port"
                     << request.port;
    s->timer.start(m_timing.slotTickMs);
    if (s->rdapRow) {
        startRdap(slot);
        return;
    }
    s->socket.connectToHost(request.server, request.port);
}

void LookupPool::skipLookup(const LookupRequest &request, int slot, const QString &reason) {
    if (takeSlot(request, slot))
        endUnasked(slot, reason);
}

// Readies `slot` for `request`, dropping whatever it did before; null when there is no such
// slot or the pool is halted.
LookupPool::Slot *LookupPool::takeSlot(const LookupRequest &request, int slot) {
    if (m_halted || slot < 0 || slot >= slotCount()) {
        qCWarning(lcWhois) << "No lookup of" << request.name << "in slot" << slot
                           << (m_halted ? "- the pool is halted" : "- no such slot");
        return nullptr;
    }
    Slot &s = *m_slots[slot];
    dropConnection(s);
    s.timer.stop();
    s.state = LookupSlot{};
    s.state.name = request.name;
    s.state.ascii = request.ascii;
    // The server of a name without a usable row stays empty: nobody could be asked again.
    s.state.server = request.askable() ? request.server : QString();
    s.state.port = request.port;
    s.state.startedMs = monotonicMs();
    s.busy = true;
    s.failure.clear();
    s.rdapRow = request.askable() && request.rdap;
    return &s;
}

void LookupPool::closeSlot(int slot) {
    if (slot < 0 || slot >= slotCount())
        return;
    Slot &s = *m_slots[slot];
    dropConnection(s);
    s.timer.stop();
    s.state.ticks = 0;
    s.busy = false;
}

void LookupPool::closeAll() {
    for (int i = 0; i < slotCount(); ++i)
        closeSlot(i);
}

void LookupPool::dropConnection(Slot &s) {
    ++s.generation;
    // abort() may emit disconnected(); that is our own close, not the server's.
    const bool blocked = s.socket.blockSignals(true);
    s.socket.abort();
    s.socket.blockSignals(blocked);
    if (s.rdap)
        s.rdap->abort();
}

void LookupPool::onConnected(int i) {
    Slot &s = *m_slots[i];
    if (m_halted) {
        dropConnection(s);
        return;
    }
    emit asking(i, s.state.name);
    s.state.ticks = 0;
    if (s.state.sentMs < 0)
        s.state.sentMs = monotonicMs();
    s.timer.start(m_timing.slotTickMs);
    if (s.socket.write(ReplyClassifier::request(s.state.ascii)) < 0) {
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

void LookupPool::onSocketError(int i) {
    Slot &s = *m_slots[i];
    const QAbstractSocket::SocketError error = s.socket.error();
    // The server's own close arrives as disconnected() and is read there.
    if (error == QAbstractSocket::RemoteHostClosedError)
        return;
    const QString reason = error == QAbstractSocket::ConnectionRefusedError
                               ? QStringLiteral("connection refused")
                               : QStringLiteral("connection failed: ") + s.socket.errorString();
    const quint64 generation = s.generation;
    QMetaObject::invokeMethod(
        this,
        [this, i, generation, reason] {
            if (m_slots[i]->generation == generation)
                onConnectionFailed(i, reason);
        },
        Qt::QueuedConnection);
}

void LookupPool::onConnectionFailed(int i, const QString &reason) {
    Slot &s = *m_slots[i];
    if (m_halted) {
        dropConnection(s);
        return;
    }
    dropConnection(s);
    s.failure = reason;
    // A second failure, or one that could not be tried again before the lookup's deadline,
    // ends it now with what went wrong rather than later as a mere "no reply".
    const int nextTry = s.state.ageTicks + (m_timing.reconnectTicks - s.state.ticks);
    if (++s.state.failures >= MaxConnectionFailures || nextTry >= m_timing.lookupDeadlineTicks) {
        endLookup(i, Verdict::Unknown, reason);
        return;
    }
    // Tried again like a silent server: on the standard port at the slot's reconnect tick.
    if (!s.timer.isActive())
        s.timer.start(m_timing.slotTickMs);
}

void LookupPool::onClosedByServer(int i) {
    Slot &s = *m_slots[i];
    if (m_halted) {
        dropConnection(s);
        return;
    }
    s.timer.stop();
    onReadyRead(i); // whatever arrived together with the close
    if (s.state.reply.trimmed().isEmpty()) {
        // Closed (or reset) before a word of reply: nothing to read, so not an answer.
        onConnectionFailed(i, QStringLiteral("empty reply"));
        return;
    }
    const ReplyRules &rules = m_rules ? *m_rules : classicRules();
    const ReplyReading reading = rules.read(s.state.ascii, s.state.reply);
    endLookup(i, reading.verdict, reading.reason, reading.retryAfterSeconds);
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
        endUnasked(i, NoReplyReason);
        return;
    }
    if (s.state.ticks < m_timing.reconnectTicks)
        return;
    // An RDAP request is not repeated: it waits for its answer until the lookup's deadline.
    if (s.rdapRow)
        return;
    reconnect(i);
}

void LookupPool::reconnect(int i) {
    // A silent server: try again on the standard port, keeping what was received so far.
    Slot &s = *m_slots[i];
    qCDebug(lcWhois) << "No answer for" << s.state.name << "from" << s.state.server
                     << "- reconnecting on port" << m_reconnectPort;
    dropConnection(s);
    s.state.ticks = 0;
    s.timer.start(m_timing.slotTickMs);
    s.socket.connectToHost(s.state.server, m_reconnectPort);
}

void LookupPool::startRdap(int i) {
    Slot &s = *m_slots[i];
    if (!s.rdap) {
        // A query per slot with its own connections, so every slot's request goes out at once.
        s.rdap = std::make_unique<RdapQuery>();
        s.rdap->setServers(&m_rdapServers);
        // The lookup's deadline counts from when its request went out.
        connect(s.rdap.get(), &RdapQuery::sent, this,
                [this, i] { m_slots[i]->state.ageTicks = 0; });
        connect(s.rdap.get(), &RdapQuery::finished, this, [this, i](const RdapQuery::Result &r) {
            const quint64 generation = m_slots[i]->generation;
            QMetaObject::invokeMethod(
                this,
                [this, i, generation, r] {
                    if (m_slots[i]->generation == generation)
                        onRdapFinished(i, r);
                },
                Qt::QueuedConnection);
        });
    }
    emit asking(i, s.state.name);
    s.state.sentMs = monotonicMs();
    s.rdap->start(s.state.server, s.state.ascii);
}

void LookupPool::onRdapFinished(int i, const RdapQuery::Result &result) {
    Slot &s = *m_slots[i];
    if (m_halted) {
        dropConnection(s);
        return;
    }
    s.timer.stop();
    s.state.reply = result.body;
    QString reason;
    const Verdict verdict = RdapQuery::verdictOf(result, &reason);
    endLookup(i, verdict, reason, result.retryAfterSeconds);
}

LookupOutcome LookupPool::outcomeOf(const LookupSlot &state, Verdict verdict, const QString &reason,
                                    int retryAfterSeconds) const {
    LookupOutcome outcome;
    outcome.name = state.name;
    outcome.server = state.server;
    outcome.verdict = verdict;
    outcome.reason = verdict == Verdict::Unknown ? reason : QString();
    outcome.retryAfterSeconds = retryAfterSeconds;
    outcome.ascii = state.ascii;
    outcome.reply = state.reply;
    outcome.startedMs = state.startedMs;
    outcome.sentMs = state.sentMs;
    outcome.endedMs = monotonicMs();
    return outcome;
}

void LookupPool::endLookup(int i, Verdict verdict, const QString &reason, int retryAfterSeconds) {
    Slot &s = *m_slots[i];
    s.timer.stop();
    qCDebug(lcWhois).noquote() << "Lookup of" << s.state.name << "at" << s.state.server << "ended:"
                               << (verdict == Verdict::Free ? QStringLiteral("free")
                                   : verdict == Verdict::Taken
                                       ? QStringLiteral("taken")
                                       : QStringLiteral("unknown, ") + reason)
                               << "after" << s.state.reply.size() << "bytes";
    dropConnection(s);
    s.busy = false;
    emit lookupEnded(i, outcomeOf(s.state, verdict, reason, retryAfterSeconds));
}

void LookupPool::endUnasked(int i, const QString &reason) {
    // Reported through the event loop: the caller may still be inside startLookup() (the run
    // filling its slots) or inside this slot's timer handler.
    Slot &s = *m_slots[i];
    const quint64 generation = s.generation;
    const LookupOutcome outcome = outcomeOf(s.state, Verdict::Unknown, reason, 0);
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
