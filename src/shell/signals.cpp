#include "shell/signals.h"

#include "platform/guard.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace {

constexpr std::array kSignals = {SIGTERM, SIGINT, SIGHUP};

int writeFd = -1;
std::array<struct sigaction, kSignals.size()> previous{};

extern "C" void onExitSignal(int signo) {
    const int saved = errno;
    const char byte = static_cast<char>(signo);
    // A full pipe already holds a pending wake-up, so a lost byte loses nothing.
    if (::write(writeFd, &byte, 1) < 0) {
    }
    errno = saved;
}

} // namespace

ExitSignals::ExitSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
    if (writeFd >= 0)
        throw std::logic_error("exit signals are already being handled");
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("cannot create the signal pipe");
    readFd_ = fds[0];
    writeFd = fds[1];

    notifier_ = new QSocketNotifier(readFd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { drain(); });

    struct sigaction action {};
    action.sa_handler = onExitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &action, &previous[i]);
}

ExitSignals::~ExitSignals() {
    for (size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &previous[i], nullptr);
    delete notifier_;
    ::close(readFd_);
    ::close(std::exchange(writeFd, -1));
}

void ExitSignals::drain() {
    char buffer[64];
    while (::read(readFd_, buffer, sizeof buffer) > 0) {
    }
    guarded([this] { onSignal_(); });
}
