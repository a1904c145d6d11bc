#include "ui/FormStorage.h"

#include "platform/ErrorReport.h"
#include "platform/Exception.h"
#include "platform/Screen.h"
#include "platform/WindowPlacement.h"
#include "settings/AppIniFileStorage.h"
#include "settings/FormPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace {

// Detaches the storage on every way out that has not detached it yet, which writes the
// memory copy back.
class Attached
{
public:
    Attached(TAppIniFileStorage &storage, const QString &fileName) : m_storage(storage)
    {
        m_storage.SetFileName(fileName);
    }
    ~Attached() { m_storage.SetFileName(QString()); }
    Attached(const Attached &) = delete;
    Attached &operator=(const Attached &) = delete;

private:
    TAppIniFileStorage &m_storage;
};

void Minimize(QWidget *w)
{
    w->setWindowState(w->windowState() | Qt::WindowMinimized);
}

// Minimises a window once the window manager has put it on the screen: a request that comes
// before would be lost.
class MinimizeWhenExposed final : public QObject
{
public:
    MinimizeWhenExposed(QWidget *w, QWindow *handle) : QObject(handle), m_widget(w)
    {
        handle->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed()) {
            deleteLater();
            platform::Guarded([this] {
                if (m_widget && m_widget->isVisible())
                    Minimize(m_widget);
            });
        }
        return false;
    }

private:
    QPointer<QWidget> m_widget;
};

// Minimises every window of the program that is shown, as the event loop runs.
void MinimizeShownWindows()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || w->windowType() == Qt::Popup || w->isMinimized())
            continue;
        QWindow *handle = w->windowHandle();
        if (handle && !handle->isExposed())
            new MinimizeWhenExposed(w, handle);
        else
            Minimize(w);
    }
}

void PostMinimize()
{
    QMetaObject::invokeMethod(
        qApp, [] { platform::Guarded([] { MinimizeShownWindows(); }); }, Qt::QueuedConnection);
}

} // namespace

void RestoreFormPlacement(const TFormStorage &formStorage)
{
    QWidget *form = formStorage.Form;
    const platform::ScreenMetrics screen = platform::Screen();
    platform::TWindowPlacement current = platform::GetWindowPlacement(form);
    if (!form->isVisible())
        current.showCmd = platform::SW_HIDE; // applying must not show it
    TStoredPlacement stored;
    try {
        stored = ReadFormPlacement(*formStorage.AppStorage, formStorage.AppStoragePath, formStorage.Version,
                                   current, screen.logicalDpi, screen.resolution);
    } catch (const EConvertError &) {
        // A hand-edited value that is not a number: the window keeps its designed place rather
        // than the program failing to start.
        return;
    }
    if (stored.versionOk) {
        if (stored.found) {
            platform::TWindowPlacement p = stored.placement;
            if (!platform::IsSizeable(form)) {
                p.right = p.left + (current.right - current.left);
                p.bottom = p.top + (current.bottom - current.top);
            }
            // A stored rectangle replaces the centred start position.
            if (p.right > p.left)
                platform::SetWindowPlacement(form, p);
        }
        if (stored.state == wsMinimized && formStorage.MainForm) {
            form->setWindowState(Qt::WindowNoState);
            PostMinimize();
            return;
        }
        form->setWindowState(stored.state == wsMaximized   ? Qt::WindowMaximized
                             : stored.state == wsMinimized ? Qt::WindowMinimized
                                                           : Qt::WindowNoState);
        if (form->isVisible())
            form->repaint();
    }
    if (form->testAttribute(Qt::WA_WState_Created)) {
        platform::TWindowPlacement p = platform::GetWindowPlacement(form);
        if (!form->isVisible())
            p.showCmd = platform::SW_HIDE;
        p.maxPosition = -platform::FrameThickness(form);
        platform::SetWindowPlacement(form, p);
    }
}

void SaveFormPlacement(const TFormStorage &formStorage)
{
    const QWidget *form = formStorage.Form;
    const platform::ScreenMetrics screen = platform::Screen();
    platform::TWindowPlacement p = platform::GetWindowPlacement(form);
    if (formStorage.MainForm && form->isMinimized())
        p.showCmd = platform::SW_SHOWMINIMIZED;
    WriteFormPlacement(*formStorage.AppStorage, formStorage.AppStoragePath, formStorage.Version, p,
                       screen.logicalDpi, screen.resolution);
}

TUserPrefs LoadUserPrefs(TAppIniFileStorage &storage, const QList<TFormStorage> &forms,
                         const QString &iniFileName)
{
    {
        const Attached attached(storage, iniFileName);
        for (const TFormStorage &form : forms)
            RestoreFormPlacement(form);
    }
    return LoadUserPrefs(iniFileName);
}

void SaveUserPrefs(TAppIniFileStorage &storage, const QList<TFormStorage> &forms, const QString &iniFileName,
                   const TUserPrefs &prefs)
{
    const Attached attached(storage, iniFileName);
    for (const TFormStorage &form : forms)
        SaveFormPlacement(form);
    SaveUserPrefs(storage, prefs);
}
