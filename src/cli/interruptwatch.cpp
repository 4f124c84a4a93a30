#include "cli/interruptwatch.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// The write end a signal handler may use: write() is async-signal-safe, a Qt call is not.
int g_signalPipe[2] = {-1, -1};

extern "C" void onPosixSignal(int number) {
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}
} // namespace

InterruptWatch::InterruptWatch(QObject *parent)
    : QObject(parent) {
    if (g_signalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    m_notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &InterruptWatch::onSignalled);
    struct sigaction action = {};
    action.sa_handler = onPosixSignal;
    sigemptyset(&action.sa_mask);
    // The next signal of the kind takes its default course: a user pressing Ctrl-C twice means it.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A closing terminal: the rows decided so far still go where standard output points.
    sigaction(SIGHUP, &action, nullptr);
}

InterruptWatch::~InterruptWatch() {
    if (!m_notifier)
        return;
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    signal(SIGHUP, SIG_DFL);
    delete m_notifier;
    ::close(g_signalPipe[0]);
    ::close(g_signalPipe[1]);
    g_signalPipe[0] = g_signalPipe[1] = -1;
}

void InterruptWatch::onSignalled() {
    unsigned char byte = 0;
    if (::read(g_signalPipe[0], &byte, 1) != 1)
        return;
    if (m_received == 0) {
        m_received = byte;
        emit interrupted();
    }
}
