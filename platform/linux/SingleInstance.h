#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QLocalServer;

namespace platform {

// One running copy per settings file. The first copy started on a file holds a lock for it and
// listens on a local socket; a later copy finds the lock held, asks the first to show itself
// and leaves. The file is known by its real identity, so that a copy reaching it through a
// symbolic link or another spelling of its path finds the same lock. The lock is the kernel's:
// it goes with the process that held it, however that process ended.
class SingleInstance
{
public:
    enum class TClaim {
        First,    // no other copy runs for the file: this one holds the lock
        Shown,    // another copy runs and has been asked to show its window
        Running,  // another copy runs and was left as it is
        NoAnswer, // another copy holds the lock but did not take the request
        NoLock,   // no folder could hold the lock at all
    };

    explicit SingleInstance(const QString &settingsPath);
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // Takes the first of the candidate locks that can be made. Where another copy holds it, that
    // copy is asked to show its window, unless showRunningCopy is false (a start by the session).
    TClaim claim(bool showRunningCopy = true);

    // What to do when a later copy asks this one to show itself; runs on the user-interface
    // thread, guarded.
    void setOnShowRequest(std::function<void()> handler);

    // The lock claim() took or found held.
    QString lockPath() const { return m_lockPath; }
    // The local socket's name (in the abstract namespace).
    QString serverName() const;

    // Where the lock may go, in the order tried: beside the settings file (".NAME.lock"), then
    // in the user's runtime folder, then in ~/.cache/tempovir; the last two only in folders of
    // this user's own.
    QStringList candidateLocks() const;
    // The settings file's identity: its canonical path, links resolved, also before it exists.
    static QString SettingsIdentity(const QString &settingsPath);

private:
    void listen();
    bool askFirstCopyToShow(int retryMs) const;

    QString m_settingsPath;
    QString m_key;
    QString m_lockPath;
    int m_lockFd = -1;
    std::unique_ptr<QLocalServer> m_server;
    std::function<void()> m_onShowRequest;
};

} // namespace platform
