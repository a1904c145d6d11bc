#include "platform/linux/SessionEnd.h"

#include "platform/ErrorReport.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {
namespace {

int signalPipe[2] = {-1, -1};
std::function<void()> handler;

void OnSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}

void RunHandler()
{
    if (!handler)
        return;
    try {
        handler();
    } catch (...) {
        std::fprintf(stderr, "%s\n", qPrintable(CurrentExceptionMessage()));
    }
}

void InstallSignalHandlers()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    // The handler must never block, whatever is pending.
    ::fcntl(signalPipe[1], F_SETFL, ::fcntl(signalPipe[1], F_GETFL) | O_NONBLOCK);
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qGuiApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qGuiApp, [notifier] {
        char c;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &c, 1);
        notifier->setEnabled(false);
        EndSession();
    });
    struct sigaction sa = {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}

} // namespace

void WatchSessionEnd(std::function<void()> onEnd)
{
    const bool first = !handler;
    handler = std::move(onEnd);
    if (!first)
        return;
    QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, qGuiApp,
                     [](QSessionManager &) { RunHandler(); });
    InstallSignalHandlers();
}

void EndSession()
{
    RunHandler();
    QCoreApplication::exit(0);
}

} // namespace platform
