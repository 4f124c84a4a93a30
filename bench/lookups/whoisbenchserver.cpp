// A WHOIS server on 127.0.0.1 for the lookup benchmark, run as a process of its own so that its
// work is not counted as the client's. It prints "PORT <n>" once it listens, answers each query
// line after an optional fixed delay (or, with --tail, a delay fixed per name: 50 ms, 300 ms or
// 1.5 s) and closes the connection, and quits by itself after --max-seconds.
//
// It runs its own epoll loop with a timerfd for the delays: the figures compare clients against
// 25 / delay, so the server must add as little time of its own as it can, also with hundreds of
// connections open. (An event loop with millisecond timers added several milliseconds a lookup
// at 25 connections, for every client alike.)

#include "benchrule.h"

#include <QByteArray>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <netinet/in.h>
#include <queue>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace {
constexpr int MaxQueryBytes = 4096;

qint64 nowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

struct Connection {
    QByteArray query;
    quint64 generation = 0;
    bool waiting = false; // the query is in, the answer is due at a deadline
};

struct Due {
    qint64 atNs;
    int fd;
    quint64 generation;
    QByteArray name;
    bool operator>(const Due &other) const { return atNs > other.atNs; }
};

class Server {
public:
    Server(int fixedDelayMs, bool tail)
        : m_fixedDelayMs(fixedDelayMs)
        , m_tail(tail) {}

    // Listens on 127.0.0.1 (any port); returns the port, 0 on failure.
    int listen() {
        m_listener = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_listener < 0 || bind(m_listener, (sockaddr *)&address, sizeof address) != 0 ||
            ::listen(m_listener, 4096) != 0 ||
            getsockname(m_listener, (sockaddr *)&address, &length) != 0)
            return 0;
        m_epoll = epoll_create1(EPOLL_CLOEXEC);
        m_timer = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        if (m_epoll < 0 || m_timer < 0)
            return 0;
        watch(m_listener);
        watch(m_timer);
        return ntohs(address.sin_port);
    }

    void run(qint64 untilNs) {
        epoll_event events[256];
        while (nowNs() < untilNs) {
            const int n = epoll_wait(m_epoll, events, 256, 1000);
            for (int i = 0; i < n; ++i) {
                const int fd = events[i].data.fd;
                if (fd == m_listener)
                    acceptAll();
                else if (fd == m_timer)
                    answerDue();
                else
                    readQuery(fd);
            }
        }
    }

private:
    void watch(int fd) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = fd;
        epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event);
    }

    void acceptAll() {
        for (;;) {
            const int fd = accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0)
                return;
            Connection &connection = m_connections[fd];
            connection.query.clear();
            connection.waiting = false;
            ++connection.generation;
            watch(fd);
        }
    }

    void drop(int fd) {
        epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
        close(fd);
        Connection &connection = m_connections[fd];
        ++connection.generation;
        connection.waiting = false;
        connection.query.clear();
    }

    void readQuery(int fd) {
        Connection &connection = m_connections[fd];
        char buffer[1024];
        for (;;) {
            const ssize_t got = read(fd, buffer, sizeof buffer);
            if (got > 0) {
                if (!connection.waiting)
                    connection.query.append(buffer, int(got));
                continue;
            }
            if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                drop(fd); // the client went away
                return;
            }
            break;
        }
        if (connection.waiting)
            return;
        const int end = connection.query.indexOf('\n');
        if (end < 0) {
            if (connection.query.size() > MaxQueryBytes)
                drop(fd);
            return;
        }
        const QByteArray name = connection.query.left(end).trimmed().toLower();
        const int delayMs = m_tail ? BenchRule::tailDelayMs(name) : m_fixedDelayMs;
        if (delayMs <= 0) {
            answer(fd, name);
            return;
        }
        connection.waiting = true;
        m_due.push(Due{nowNs() + qint64(delayMs) * 1000000, fd, connection.generation, name});
        armTimer();
    }

    void answer(int fd, const QByteArray &name) {
        const QByteArray reply =
            BenchRule::isFree(name) ? BenchRule::freeReply(name) : BenchRule::takenReply(name);
        // About a kilobyte: it fits an empty socket buffer whole.
        if (write(fd, reply.constData(), size_t(reply.size())) != reply.size())
            std::fprintf(stderr, "short write to a client\n");
        drop(fd);
    }

    void answerDue() {
        quint64 expirations = 0;
        if (read(m_timer, &expirations, sizeof expirations) < 0 && errno != EAGAIN)
            std::perror("timerfd");
        const qint64 now = nowNs();
        while (!m_due.empty() && m_due.top().atNs <= now) {
            const Due due = m_due.top();
            m_due.pop();
            const auto found = m_connections.find(due.fd);
            if (found != m_connections.end() && found->second.generation == due.generation)
                answer(due.fd, due.name);
        }
        armTimer();
    }

    void armTimer() {
        itimerspec spec{};
        if (!m_due.empty()) {
            const qint64 at = m_due.top().atNs;
            spec.it_value.tv_sec = time_t(at / 1000000000);
            spec.it_value.tv_nsec = long(at % 1000000000);
        }
        timerfd_settime(m_timer, TFD_TIMER_ABSTIME, &spec, nullptr);
    }

    const int m_fixedDelayMs;
    const bool m_tail;
    int m_listener = -1;
    int m_epoll = -1;
    int m_timer = -1;
    std::unordered_map<int, Connection> m_connections;
    std::priority_queue<Due, std::vector<Due>, std::greater<>> m_due;
};

void usage() {
    std::fprintf(stderr, "Usage: whoisbenchserver [--delay-ms N] [--tail] [--max-seconds N]\n");
}
} // namespace

int main(int argc, char *argv[]) {
    int delayMs = 0;
    int maxSeconds = 900;
    bool tail = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--tail") {
            tail = true;
        } else if ((arg == "--delay-ms" || arg == "--max-seconds") && i + 1 < argc) {
            bool ok = false;
            const int value = QByteArray(argv[++i]).toInt(&ok);
            if (!ok || value < 0) {
                usage();
                return 2;
            }
            (arg == "--delay-ms" ? delayMs : maxSeconds) = value;
        } else {
            usage();
            return 2;
        }
    }
    Server server(delayMs, tail);
    const int port = server.listen();
    if (port == 0) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1: %s\n", std::strerror(errno));
        return 1;
    }
    std::printf("PORT %d\n", port);
    std::fflush(stdout);
    server.run(nowNs() + qint64(maxSeconds) * 1000000000);
    return 0;
}
