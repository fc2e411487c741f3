// The self-pipe between the end signals' handler and the event loop.
#include "shell/endsignals.h"

#include <QObject>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace vlm::shell {
namespace {
int gPipe[2] = {-1, -1};
volatile sig_atomic_t gPending = 0;   // set by the first end signal; a later one ends at once
constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Async-signal-safe only: write, sigaction, raise.
void onEndSignal(int sig) {
    const int savedErrno = errno;
    if (gPending > 0) {
        // The orderly end is already under way and did not finish: end now.
        struct sigaction dfl {};
        dfl.sa_handler = SIG_DFL;
        sigemptyset(&dfl.sa_mask);
        sigaction(sig, &dfl, nullptr);
        raise(sig);
        errno = savedErrno;
        return;
    }
    gPending = gPending + 1;
    const unsigned char b = static_cast<unsigned char>(sig);
    if (gPipe[1] >= 0) (void)!::write(gPipe[1], &b, 1);
    errno = savedErrno;
}
}  // namespace

bool installEndSignals() {
    if (gPipe[0] < 0) {
        if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
            gPipe[0] = gPipe[1] = -1;
            return false;
        }
    }
    struct sigaction sa {};
    sa.sa_handler = onEndSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    bool ok = true;
    for (int sig : kEndSignals) ok = ::sigaction(sig, &sa, nullptr) == 0 && ok;
    return ok;
}

void watchEndSignals(QObject* parent, std::function<void(int)> onSignal) {
    if (gPipe[0] < 0) return;
    auto* notifier = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, parent, [parent, onSignal = std::move(onSignal)] {
        unsigned char b = 0;
        while (::read(gPipe[0], &b, 1) == 1) {
            const int sig = b;
            QMetaObject::invokeMethod(parent, [onSignal, sig] { onSignal(sig); }, Qt::QueuedConnection);
        }
    });
}

}  // namespace vlm::shell
