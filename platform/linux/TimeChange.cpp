#include "platform/linux/TimeChange.h"

#include "platform/ErrorReport.h"
#include "platform/Time.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <limits>
#include <sys/inotify.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace platform {

QString ZoneFileFor(bool tzSet, const QString &tz)
{
    if (!tzSet)
        return QStringLiteral("/etc/localtime");
    const QString name = tz.startsWith(u':') ? tz.mid(1) : tz;
    if (name.isEmpty())
        return {}; // UTC
    if (name.startsWith(u'/'))
        return name;
    const QString folder = qEnvironmentVariable("TZDIR", QStringLiteral("/usr/share/zoneinfo"));
    const QString file = folder + u'/' + name;
    return QFileInfo(file).isFile() ? file : QString(); // "CET-1CEST" is a rule, not a file
}

TTimeChangeNotifier::TTimeChangeNotifier(QObject *parent)
    : QObject(parent), m_zoneFile(ZoneFileFor(qEnvironmentVariableIsSet("TZ"), qEnvironmentVariable("TZ")))
{
    m_clockFd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_clockFd >= 0) {
        armClockTimer();
        auto *notifier = new QSocketNotifier(m_clockFd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this,
                [this] { Guarded([this] { clockTimerReady(); }); });
    }

    // The folder is watched, not the file: the file is replaced by a rename or a new link.
    if (m_zoneFile.isEmpty())
        return;
    m_zoneFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    const QByteArray folder = QFile::encodeName(QFileInfo(m_zoneFile).absolutePath());
    constexpr uint32_t Replaced = IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE;
    if (m_zoneFd < 0 || ::inotify_add_watch(m_zoneFd, folder.constData(), Replaced | IN_ONLYDIR) < 0)
        return;
    auto *notifier = new QSocketNotifier(m_zoneFd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] { Guarded([this] { zoneFolderReady(); }); });
}

TTimeChangeNotifier::~TTimeChangeNotifier()
{
    // The notifiers, children of this object, go later; they only watch the numbers.
    if (m_clockFd >= 0)
        ::close(m_clockFd);
    if (m_zoneFd >= 0)
        ::close(m_zoneFd);
}

void TTimeChangeNotifier::armClockTimer()
{
    // Far beyond any date, with room left for a clock that runs shifted (faketime) to add to it.
    itimerspec never{};
    never.it_value.tv_sec = std::numeric_limits<time_t>::max() / 2;
    ::timerfd_settime(m_clockFd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &never, nullptr);
}

void TTimeChangeNotifier::clockTimerReady()
{
    quint64 expirations = 0;
    if (::read(m_clockFd, &expirations, sizeof expirations) >= 0 || errno != ECANCELED)
        return;
    armClockTimer();
    Q_EMIT changed();
}

void TTimeChangeNotifier::zoneFolderReady()
{
    alignas(inotify_event) char buffer[4096];
    const QByteArray name = QFile::encodeName(QFileInfo(m_zoneFile).fileName());
    bool replaced = false;
    for (;;) {
        const ssize_t n = ::read(m_zoneFd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (ssize_t at = 0; at < n;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            if (event->len > 0 && name == event->name)
                replaced = true;
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    if (!replaced)
        return;
    ReloadLocalTimeZone();
    Q_EMIT changed();
}

} // namespace platform
