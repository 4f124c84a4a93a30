#include "whois/dnsprobe.h"

#include "whois/dnssettings.h"
#include "whois/whoislog.h"

#include <QHostAddress>
#include <QPointer>
#include <QSocketNotifier>
#include <ares.h>
#include <mutex>

namespace {
constexpr int ClassIn = 1;
constexpr int TypeNs = 2;
constexpr int HeaderBytes = 12;

ares_channel channelOf(void *channel) {
    return static_cast<ares_channel>(channel);
}

quint16 read16(const unsigned char *p) {
    return quint16((p[0] << 8) | p[1]);
}

// Whether the answer section holds an NS record owned by `name` itself: NS records of a parent
// zone (a referral) or of another owner are no delegation of this name.
bool hasOwnNsRecord(const unsigned char *reply, int length, const QByteArray &name) {
    if (length < HeaderBytes)
        return false;
    const int questions = read16(reply + 4);
    const int answers = read16(reply + 6);
    const unsigned char *p = reply + HeaderBytes;
    const unsigned char *end = reply + length;
    for (int i = 0; i < questions; ++i) {
        char *owner = nullptr;
        long used = 0;
        if (ares_expand_name(p, reply, length, &owner, &used) != ARES_SUCCESS)
            return false;
        ares_free_string(owner);
        p += used + 4;
        if (p > end)
            return false;
    }
    for (int i = 0; i < answers; ++i) {
        char *owner = nullptr;
        long used = 0;
        if (ares_expand_name(p, reply, length, &owner, &used) != ARES_SUCCESS)
            return false;
        const QByteArray ownerName(owner);
        ares_free_string(owner);
        p += used;
        if (end - p < 10)
            return false;
        const int type = read16(p);
        const int rrClass = read16(p + 2);
        const int dataLength = read16(p + 8);
        p += 10 + dataLength;
        if (p > end)
            return false;
        if (type == TypeNs && rrClass == ClassIn &&
            ownerName.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}
} // namespace

// One query's way back from c-ares: the probe and the query's number.
struct DnsProbe::Query {
    DnsProbe *probe;
    quint64 id;
    QByteArray name; // as c-ares writes owners: no final dot
};

DnsProbe::DnsProbe(QObject *parent)
    : QObject(parent) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { ares_library_init(ARES_LIB_INIT_ALL); });
    qRegisterMetaType<DnsAnswer>();
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this,
            [this] { process(ARES_SOCKET_BAD, ARES_SOCKET_BAD); });
}

DnsProbe::~DnsProbe() {
    close();
}

void DnsProbe::close() {
    if (!m_channel)
        return;
    // c-ares ends every open query through its callback: nobody is told any more.
    m_closing = true;
    ares_destroy(channelOf(m_channel));
    m_channel = nullptr;
    m_closing = false;
    m_live.clear();
    m_done.clear();
    m_timer.stop();
    for (const Notifiers &n : std::as_const(m_notifiers)) {
        delete n.read;
        delete n.write;
    }
    m_notifiers.clear();
}

std::optional<QString> DnsProbe::serverAddress(const QString &text) {
    const QString trimmed = text.trimmed();
    QString host = trimmed;
    QString port;
    if (trimmed.startsWith(QLatin1Char('['))) {
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        if (close < 0)
            return std::nullopt;
        host = trimmed.mid(1, close - 1);
        const QString rest = trimmed.mid(close + 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(QLatin1Char(':')))
                return std::nullopt;
            port = rest.mid(1);
            if (port.isEmpty())
                return std::nullopt;
        }
    } else if (trimmed.count(QLatin1Char(':')) == 1) {
        host = trimmed.section(QLatin1Char(':'), 0, 0);
        port = trimmed.section(QLatin1Char(':'), 1);
        if (port.isEmpty())
            return std::nullopt;
    }
    QHostAddress address;
    if (host.isEmpty() || !address.setAddress(host) || !address.scopeId().isEmpty())
        return std::nullopt;
    int number = 53;
    if (!port.isEmpty()) {
        bool ok = false;
        for (const QChar c : port)
            if (!c.isDigit())
                return std::nullopt;
        number = port.toInt(&ok);
        if (!ok || number < 1 || number > 65535)
            return std::nullopt;
    }
    if (address.protocol() == QAbstractSocket::IPv6Protocol)
        return QLatin1Char('[') + address.toString() + QStringLiteral("]:") +
               QString::number(number);
    return address.toString() + QLatin1Char(':') + QString::number(number);
}

std::unique_ptr<DnsProbe> DnsProbe::forSettings(const DnsSettings &settings, QString *error) {
    if (!settings.enabled)
        return nullptr;
    auto probe = std::make_unique<DnsProbe>();
    Options options;
    options.server = settings.server;
    if (const QString problem = probe->open(options); !problem.isEmpty()) {
        qCWarning(lcWhois) << "Not asking DNS first:" << problem;
        if (error)
            *error = problem;
        return nullptr;
    }
    return probe;
}

QString DnsProbe::open(const Options &options) {
    close();
    std::optional<QString> server;
    if (!options.server.trimmed().isEmpty()) {
        server = serverAddress(options.server);
        if (!server)
            return QStringLiteral("\"") + options.server +
                   QStringLiteral("\" is not an IP address with an optional port (ADDRESS[:PORT])");
    }
    ares_options o{};
    o.sock_state_cb = &DnsProbe::onSocketState;
    o.sock_state_cb_data = this;
    o.timeout = qMax(1, options.timeoutMs);
    o.tries = qMax(1, options.tries);
    const int mask = ARES_OPT_SOCK_STATE_CB | ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES;
    ares_channel channel = nullptr;
    if (const int status = ares_init_options(&channel, &o, mask); status != ARES_SUCCESS)
        return QStringLiteral("the resolver cannot be set up: ") +
               QString::fromUtf8(ares_strerror(status));
    if (server) {
        const QByteArray csv = server->toLatin1();
        if (const int status = ares_set_servers_ports_csv(channel, csv.constData());
            status != ARES_SUCCESS) {
            ares_destroy(channel);
            return QStringLiteral("the DNS server ") + *server +
                   QStringLiteral(" cannot be used: ") + QString::fromUtf8(ares_strerror(status));
        }
    }
    m_channel = channel;
    qCDebug(lcWhois) << "Asking DNS at"
                     << (server ? *server : QStringLiteral("the system's resolver"));
    return {};
}

quint64 DnsProbe::ask(const QString &asciiName) {
    const quint64 id = m_nextId++;
    m_live.insert(id);
    QByteArray name = asciiName.toLatin1();
    while (name.endsWith('.'))
        name.chop(1);
    if (!m_channel || name.isEmpty()) {
        m_done.push_back({id, {DnsAnswer::Kind::Failed, QStringLiteral("no resolver")}});
        scheduleDelivery();
        return id;
    }
    // Absolute: the resolver appends no search domain to a name that ends in a dot.
    const QByteArray absolute = name + '.';
    auto *query = new Query{this, id, name};
    ares_query(channelOf(m_channel), absolute.constData(), ClassIn, TypeNs, &DnsProbe::onQueryDone,
               query);
    armTimer();
    return id;
}

void DnsProbe::cancelAll() {
    m_live.clear();
    m_done.clear();
    if (m_channel)
        ares_cancel(channelOf(m_channel)); // its callbacks find no live query
    armTimer();
}

void DnsProbe::onQueryDone(void *arg, int status, int timeouts, unsigned char *reply, int length) {
    Q_UNUSED(timeouts);
    std::unique_ptr<Query> query(static_cast<Query *>(arg));
    DnsProbe *probe = query->probe;
    if (probe->m_closing || !probe->m_live.contains(query->id))
        return;
    DnsAnswer answer;
    switch (status) {
    case ARES_SUCCESS:
        if (hasOwnNsRecord(reply, length, query->name)) {
            answer.kind = DnsAnswer::Kind::Delegated;
        } else {
            answer.kind = DnsAnswer::Kind::NotDelegated;
            answer.detail = QStringLiteral("no NS records");
        }
        break;
    case ARES_ENOTFOUND:
        answer.kind = DnsAnswer::Kind::NotDelegated;
        answer.detail = QStringLiteral("NXDOMAIN");
        break;
    case ARES_ENODATA:
        answer.kind = DnsAnswer::Kind::NotDelegated;
        answer.detail = QStringLiteral("no NS records");
        break;
    case ARES_ETIMEOUT:
        answer.detail = QStringLiteral("timeout");
        break;
    default:
        answer.detail = QString::fromUtf8(ares_strerror(status));
        break;
    }
    probe->m_done.push_back({query->id, answer});
    probe->scheduleDelivery();
}

void DnsProbe::onSocketState(void *data, int fd, int readable, int writable) {
    static_cast<DnsProbe *>(data)->watch(fd, readable != 0, writable != 0);
}

void DnsProbe::watch(int fd, bool readable, bool writable) {
    Notifiers &n = m_notifiers[fd];
    // c-ares may close a socket from inside a notifier's own signal: a notifier is switched off
    // at once and deleted from the event loop.
    const auto set = [this, fd](QSocketNotifier *&notifier, QSocketNotifier::Type type, bool on) {
        if (on && !notifier) {
            notifier = new QSocketNotifier(qintptr(fd), type, this);
            const bool read = type == QSocketNotifier::Read;
            connect(notifier, &QSocketNotifier::activated, this, [this, fd, read] {
                process(read ? fd : ARES_SOCKET_BAD, read ? ARES_SOCKET_BAD : fd);
            });
        } else if (!on && notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
            notifier = nullptr;
        }
    };
    set(n.read, QSocketNotifier::Read, readable);
    set(n.write, QSocketNotifier::Write, writable);
    if (!n.read && !n.write)
        m_notifiers.remove(fd);
}

void DnsProbe::process(int readFd, int writeFd) {
    if (!m_channel)
        return;
    ares_process_fd(channelOf(m_channel), readFd, writeFd);
    armTimer();
}

void DnsProbe::armTimer() {
    if (!m_channel)
        return;
    timeval wait{};
    if (!ares_timeout(channelOf(m_channel), nullptr, &wait)) {
        m_timer.stop();
        return;
    }
    const qint64 ms = qint64(wait.tv_sec) * 1000 + (wait.tv_usec + 999) / 1000;
    m_timer.start(int(qBound(qint64(0), ms, qint64(60 * 60 * 1000))));
}

// Answers are told from the event loop, outside c-ares: a slot may then ask or cancel freely.
void DnsProbe::scheduleDelivery() {
    if (m_deliveryQueued)
        return;
    m_deliveryQueued = true;
    QMetaObject::invokeMethod(this, &DnsProbe::deliver, Qt::QueuedConnection);
}

void DnsProbe::deliver() {
    m_deliveryQueued = false;
    const std::vector<Done> done = std::exchange(m_done, {});
    const QPointer<DnsProbe> self(this);
    for (const Done &d : done) {
        if (!self)
            return;
        if (m_live.remove(d.id))
            emit answered(d.id, d.answer);
    }
}
