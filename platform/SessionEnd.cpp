#include "platform/SessionEnd.h"

#include "platform/ErrorReport.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {
namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}

} // namespace

void WatchSessionEnd(std::function<void()> onEnd)
{
    auto handler = std::make_shared<std::function<void()>>(std::move(onEnd));
    QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, qGuiApp,
                     [handler](QSessionManager &) { Guarded(*handler); });

    if (signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qGuiApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qGuiApp, [handler, notifier] {
        char c;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &c, 1);
        notifier->setEnabled(false);
        Guarded(*handler);
        QCoreApplication::exit(0);
    });
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}

} // namespace platform
