#pragma once

#include <QLockFile>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;

namespace platform {

// One running copy per settings file. The first copy started beside a file holds a lock and
// listens on a local socket, both in the user's runtime folder and named after the file's
// full path; a later copy finds the lock, asks the first to show itself and leaves. The lock
// of a copy that died blocks nobody.
class SingleInstance
{
public:
    explicit SingleInstance(const QString &settingsPath);
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // True when this copy may run: no other runs for the file, or no lock can be made at all
    // (better two copies than none). False when another copy runs; with showRunningCopy it has
    // been asked to show its window by then, without it (a start by the session) it is left
    // alone.
    bool claim(bool showRunningCopy = true);

    // What to do when a later copy asks this one to show itself; runs on the user-interface
    // thread, guarded.
    void setOnShowRequest(std::function<void()> handler);

    QString lockPath() const { return m_lockPath; }
    QString serverPath() const { return m_serverPath; }

private:
    void listen();
    // Whether the first copy answers; with askToShow it is asked to show its window.
    bool reachFirstCopy(int retryMs, bool askToShow) const;

    QString m_lockPath;
    QString m_serverPath;
    QLockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
    std::function<void()> m_onShowRequest;
};

// The user's runtime folder: XDG_RUNTIME_DIR, else Qt's runtime location, else the temporary
// folder.
QString RuntimeFolder();

} // namespace platform
