// A WHOIS server on 127.0.0.1 for the lookup benchmark, run as a process of its own so that its
// work is not counted as the client's. It prints "PORT <n>" once it listens, answers each query
// line after an optional fixed delay (or, with --tail, a delay fixed per name: 50 ms, 300 ms or
// 1.5 s) and closes the connection, and quits by itself after --max-seconds.

#include "benchrule.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <cstdio>

namespace {
void answer(QTcpSocket *socket, const QByteArray &name) {
    socket->write(BenchRule::isFree(name) ? BenchRule::freeReply(name)
                                          : BenchRule::takenReply(name));
    socket->disconnectFromHost();
}
} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"delay-ms", "Wait this long before answering.", "ms", "0"});
    parser.addOption({"tail", "Latency tail: 80% / 15% / 5% of names after 50 / 300 / 1500 ms."});
    parser.addOption({"max-seconds", "Quit after this many seconds.", "s", "900"});
    parser.process(app);
    const int fixedDelayMs = parser.value("delay-ms").toInt();
    const bool tail = parser.isSet("tail");

    QTcpServer server;
    server.setMaxPendingConnections(1000);
    if (!server.listen(QHostAddress::LocalHost)) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1\n");
        return 1;
    }
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server, fixedDelayMs, tail] {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, fixedDelayMs, tail] {
                if (!socket->canReadLine())
                    return;
                const QByteArray name = socket->readLine().trimmed().toLower();
                const int delayMs = tail ? BenchRule::tailDelayMs(name) : fixedDelayMs;
                if (delayMs <= 0) {
                    answer(socket, name);
                    return;
                }
                QPointer<QTcpSocket> guard(socket);
                QTimer::singleShot(delayMs, Qt::PreciseTimer, socket, [guard, name] {
                    if (guard)
                        answer(guard, name);
                });
            });
        }
    });
    QTimer::singleShot(parser.value("max-seconds").toInt() * 1000, &app, &QCoreApplication::quit);

    std::printf("PORT %u\n", unsigned(server.serverPort()));
    std::fflush(stdout);
    return app.exec();
}
