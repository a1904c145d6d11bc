// An alarm fires while the sound server has stalled: the program does not freeze.
#include "Desktop.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QSet>
#include <gtest/gtest.h>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using e2e::Desktop;
using e2e::Program;

namespace {

// Where the sound server would be: takes connections and never says a word.
class SilentSoundServer
{
public:
    SilentSoundServer()
    {
        const QByteArray path = QFile::encodeName(m_dir.filePath(QStringLiteral("native")));
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
        if (m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
            ::listen(m_fd, 16) == 0)
            m_address = QStringLiteral("unix:") + QString::fromUtf8(path);
    }
    ~SilentSoundServer()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    QString address() const { return m_address; }

private:
    QTemporaryDir m_dir;
    int m_fd = -1;
    QString m_address;
};

QImage Shot(const Desktop &desktop, const QString &window)
{
    QProcess import;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), desktop.display());
    import.setProcessEnvironment(env);
    import.start(QStringLiteral("import"), {QStringLiteral("-window"), window, QStringLiteral("png:-")});
    if (!import.waitForFinished(15000))
        return {};
    return QImage::fromData(import.readAllStandardOutput(), "PNG");
}

} // namespace

TEST(SoundEndToEnd, AnAlarmOnAStalledSoundServerLeavesTheClockTicking)
{
    Desktop desktop;
    if (!desktop.ok())
        GTEST_SKIP() << "no X server";
    SilentSoundServer server;
    ASSERT_FALSE(server.address().isEmpty());
    const bool hadServer = qEnvironmentVariableIsSet("PULSE_SERVER");
    const QByteArray previous = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", server.address().toUtf8());
    Program program(desktop);
    e2e::WriteFile(program.iniPath(), "[Alarm_000]\r\nEnabled=1\r\nDate=10/12/2026\r\nTime=07:30:00\r\n"
                                      "DisplayName=Réveil\r\nShutdown=0\r\n");
    const bool started = program.start({}, QStringLiteral("@2026-12-10 07:29:52"));
    if (hadServer)
        qputenv("PULSE_SERVER", previous);
    else
        qunsetenv("PULSE_SERVER");
    ASSERT_TRUE(started);
    const QString main = desktop.waitForWindow(QStringLiteral("TPV - Tempovir"));
    ASSERT_FALSE(main.isEmpty()) << qPrintable(program.output());
    ASSERT_FALSE(desktop.waitForWindow(QStringLiteral("Tempovir - Alarme"), 30000).isEmpty())
        << "the alert never appeared";

    // The melody waits for the stalled server once, briefly; then the seconds go on.
    QSet<QByteArray> faces;
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired() && faces.size() < 3) {
        const QImage shot = Shot(desktop, main);
        if (!shot.isNull())
            faces.insert(QByteArray(reinterpret_cast<const char *>(shot.constBits()), shot.sizeInBytes()));
    }
    EXPECT_GE(faces.size(), 3) << "the clock stood still";
    EXPECT_TRUE(program.running());
}
