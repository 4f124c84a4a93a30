// The least a WHOIS client can do: plain sockets on one epoll loop, keeping N lookups in flight
// (connect, send the name, read until the server closes). It shows what this machine's loopback
// allows, beside which Kestrin's rate is judged.
//
// Usage: epollclient PORT NAMES_FILE [CONNECTIONS]
// Prints one line: "lookups N seconds S free F" (F: replies holding "No match for").

#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <netinet/in.h>
#include <string>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace {
double seconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

struct Lookup {
    std::string name;
    std::string reply;
    bool sent = false;
};
} // namespace

int main(int argc, char *argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "Usage: epollclient PORT NAMES_FILE [CONNECTIONS]\n");
        return 2;
    }
    const int port = std::atoi(argv[1]);
    const int connections = argc > 3 ? std::atoi(argv[3]) : 25;
    std::vector<std::string> names;
    std::ifstream file(argv[2]);
    for (std::string line; std::getline(file, line);)
        if (!line.empty())
            names.push_back(line);

    const int epoll = epoll_create1(0);
    std::unordered_map<int, Lookup> open;
    size_t next = 0;
    int done = 0;
    int free = 0;
    int failed = 0;
    auto start = [&] {
        if (next >= names.size())
            return;
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(uint16_t(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 &&
            errno != EINPROGRESS) {
            std::perror("connect");
            std::exit(1);
        }
        open[fd] = Lookup{names[next++], {}, false};
        epoll_event event{};
        event.events = EPOLLOUT;
        event.data.fd = fd;
        epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &event);
    };

    const double begin = seconds();
    for (int i = 0; i < connections; ++i)
        start();
    epoll_event events[64];
    while (!open.empty()) {
        const int n = epoll_wait(epoll, events, 64, 10000);
        if (n <= 0)
            break;
        for (int i = 0; i < n; ++i) {
            const int fd = events[i].data.fd;
            Lookup &lookup = open[fd];
            if (!lookup.sent) {
                const std::string query = lookup.name + "\r\n";
                if (write(fd, query.data(), query.size()) != ssize_t(query.size()))
                    ++failed;
                lookup.sent = true;
                epoll_event event{};
                event.events = EPOLLIN;
                event.data.fd = fd;
                epoll_ctl(epoll, EPOLL_CTL_MOD, fd, &event);
                continue;
            }
            char buffer[4096];
            ssize_t got;
            while ((got = read(fd, buffer, sizeof buffer)) > 0)
                lookup.reply.append(buffer, size_t(got));
            if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                ++done;
                if (lookup.reply.find("No match for") != std::string::npos)
                    ++free;
                epoll_ctl(epoll, EPOLL_CTL_DEL, fd, nullptr);
                close(fd);
                open.erase(fd);
                start();
            }
        }
    }
    std::printf("lookups %d seconds %.3f free %d\n", done, seconds() - begin, free);
    if (failed > 0)
        std::fprintf(stderr, "%d queries could not be sent\n", failed);
    return 0;
}
