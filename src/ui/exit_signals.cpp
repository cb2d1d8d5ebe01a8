#include "ui/exit_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace tessel {

namespace {

// One program, one set of handlers: the socket the handlers write to, and what exit calls.
int g_sockets[2] = {-1, -1};
std::function<void()>* g_saveAtExit = nullptr;

void onSignal(int number) {
    const char byte = static_cast<char>(number);
    // Nothing else is safe here; a full socket means a signal is already on its way.
    [[maybe_unused]] const ssize_t sent = ::write(g_sockets[0], &byte, 1);
}

void onExit() {
    if (g_saveAtExit != nullptr) {
        std::function<void()>* save = std::exchange(g_saveAtExit, nullptr);
        (*save)();
    }
}

} // namespace

ExitSignals::ExitSignals(std::function<void()> save, QObject* parent)
    : QObject(parent), m_save(std::move(save)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_sockets) == 0) {
        m_notifier = new QSocketNotifier(g_sockets[1], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &ExitSignals::received);
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGHUP, &action, nullptr);
    }
    static bool registered = false;
    if (!registered) {
        registered = true;
        std::atexit(onExit);
    }
    g_saveAtExit = &m_save;
}

ExitSignals::~ExitSignals() {
    disarm();
    if (m_notifier != nullptr) {
        struct sigaction action = {};
        action.sa_handler = SIG_DFL;
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGHUP, &action, nullptr);
        ::close(g_sockets[0]);
        ::close(g_sockets[1]);
        g_sockets[0] = g_sockets[1] = -1;
    }
}

void ExitSignals::disarm() {
    if (g_saveAtExit == &m_save) {
        g_saveAtExit = nullptr;
    }
}

void ExitSignals::received() {
    char number = 0;
    if (::read(g_sockets[1], &number, 1) != 1) {
        return;
    }
    disarm();
    m_save();
    QCoreApplication::exit(128 + number);
}

} // namespace tessel
