#pragma once

#include <QString>
#include <QTemporaryDir>

namespace testing_support {

// A socket where a sound server would be, that takes connections and never says a word:
// a stalled server, for as long as the object lives.
class SilentSoundServer
{
public:
    SilentSoundServer();
    // Closing it lets go of whoever still waits on it.
    ~SilentSoundServer();
    SilentSoundServer(const SilentSoundServer &) = delete;
    SilentSoundServer &operator=(const SilentSoundServer &) = delete;

    // The server address to put in PULSE_SERVER; empty when the socket could not be set up.
    QString address() const { return m_address; }

private:
    QTemporaryDir m_dir;
    int m_fd = -1;
    QString m_address;
};

} // namespace testing_support
