#include "platform/ShutdownSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

int signalPipe[2] = {-1, -1};

std::function<void(int)>& callback() {
    static std::function<void(int)> onSignal;
    return onSignal;
}

// Only async-signal-safe calls here. The pipe does not block: when it is full, wake-ups are
// already waiting in it.
extern "C" void writeSignalByte(int signal) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    const ssize_t written = write(signalPipe[1], &byte, 1);
    (void)written;
    errno = saved;
}

void readSignalBytes() {
    unsigned char bytes[16];
    ssize_t n = 0;
    while ((n = read(signalPipe[0], bytes, sizeof bytes)) > 0)
        for (ssize_t i = 0; i < n; ++i)
            if (callback()) callback()(bytes[i]);
}

}  // namespace

bool RouteShutdownSignals(std::function<void(int signal)> onSignal) {
    callback() = std::move(onSignal);
    if (signalPipe[0] >= 0) return true;
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, &readSignalBytes);
    struct sigaction action {};
    action.sa_handler = &writeSignalByte;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    bool ok = true;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) ok = sigaction(signal, &action, nullptr) == 0 && ok;
    return ok;
}

}  // namespace platform
