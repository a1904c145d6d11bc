#include "app/Program.h"

#include "alarms/uAlarms.h"
#include "alarms/uShutdown.h"
#include "platform/ErrorReport.h"
#include "platform/WindowPlacement.h"
#include "platform/linux/TimeChange.h"
#include "res/uRes.h"
#include "settings/IniFile.h"
#include "settings/uUserPrefs.h"
#include "ui/Action.h"
#include "ui/AlertPopup.h"
#include "ui/BlockProgressBar.h"
#include "ui/Clock.h"
#include "ui/FormStorage.h"
#include "ui/GridAlarms.h"
#include "ui/frmAlarmsEdit.h"
#include "ui/frmShutDown.h"

TProgram::TProgram(QString iniFileName) : m_iniFileName(std::move(iniFileName)) {}

TProgram::~TProgram()
{
    // The reverse of their creation: the main window's handlers may still name the others.
    m_shutdown.reset();
    m_alarmsEdit.reset();
    m_main.reset();
}

void TProgram::start()
{
    m_startingUp = true;
    m_main = std::make_unique<TfmMain>(m_table, *this);
    m_alarmsEdit =
        std::make_unique<TfmAlarmsEdit>(m_table, m_main->ActAlarmsActivate, m_main->ActAlarmsSound);
    m_shutdown = std::make_unique<TfmShutdown>(*this);
    // On a small screen the designed place may put the cancel button off the screen, or under
    // the alert that a power-off alarm shows first.
    platform::KeepOnScreenWhenShown(m_shutdown.get(), [this] {
        const TAlertPopup *alert = m_main->AlertPopup1;
        return alert->isVisible() ? alert->window()->frameGeometry() : QRect();
    });
    InitApplication();
    m_startingUp = false;
    m_timeChanges = std::make_unique<platform::TTimeChangeNotifier>();
    QObject::connect(m_timeChanges.get(), &platform::TTimeChangeNotifier::changed, m_main->Clock1,
                     [this] { platform::Guarded([this] { m_main->Clock1->timeChanged(); }); });
}

void TProgram::InitApplication()
{
    // Whatever the file holds would be lost to a write.
    m_iniUnreadable = TIniFile(m_iniFileName).isUnreadable();
    if (m_iniUnreadable)
        platform::ShowException(uRes::IniNotRead(m_iniFileName));
    InitAlarmGrid(m_table, *this, m_iniFileName);
    m_main->ApplyUserPrefs(LoadUserPrefs(m_main->AppIniFileStorage1, formStorages(), m_iniFileName));
}

QList<TFormStorage> TProgram::formStorages() const
{
    return {{m_main.get(), &m_main->AppIniFileStorage1, uRes::StoragePathMain, 0, true},
            {m_alarmsEdit.get(), &m_main->AppIniFileStorage1, uRes::StoragePathAlarmsEdit, 0, false}};
}

void TProgram::close(bool sessionEnding)
{
    // Nobody is left to cancel a countdown once the session ends.
    if (sessionEnding && m_shutdownPending)
        m_shutdown->btnCancelClick(nullptr);
    // An edit still open in the alarm list belongs to the alarms being saved.
    m_alarmsEdit->GridAlarms->finishEditing();
    if (!m_iniUnreadable)
        SaveAlarmsIfModified(m_table, m_iniFileName);
    m_closing = true;
    if (sessionEnding || m_iniUnreadable)
        return;
    // The alarms are safe by now. Preferences that cannot be written are reported and the
    // program still ends: with a read-only file every close would fail the same way.
    try {
        SaveUserPrefs(m_main->AppIniFileStorage1, formStorages(), m_iniFileName, m_main->userPrefs());
    } catch (...) {
        platform::ReportCurrentException();
    }
}

void TProgram::FormClose()
{
    close(false);
}

void TProgram::showMainWindow()
{
    platform::RecoverDestroyedWindow(m_main.get());
    m_main->setWindowState(m_main->windowState() & ~Qt::WindowMinimized);
    m_main->show();
    m_main->raise();
    m_main->activateWindow();
}

void TProgram::showAlarmsEdit()
{
    platform::RecoverDestroyedWindow(m_alarmsEdit.get());
    m_alarmsEdit->show();
    if (m_alarmsEdit->isMinimized())
        m_alarmsEdit->showNormal();
    m_alarmsEdit->raise();
    m_alarmsEdit->activateWindow();
}

bool TProgram::alarmsActivated() const
{
    return m_main->ActAlarmsActivate->Checked();
}

void TProgram::setAlarmsActivated(bool on)
{
    m_main->ActAlarmsActivate->SetChecked(on);
}

bool TProgram::alarmsSound() const
{
    return m_main->ActAlarmsSound->Checked();
}

void TProgram::setAlarmsSound(bool on)
{
    m_main->ActAlarmsSound->SetChecked(on);
}

void TProgram::showAlarmsIndicator(bool on)
{
    m_main->showAlarmsIndicator(on);
}

void TProgram::announceAlarm(const QString &alertText)
{
    m_main->announceAlarm(alertText);
}

void TProgram::RunShutdownCountdown()
{
    ::RunShutdownCountdown(*this);
}

void TProgram::showShutdownWindow()
{
    platform::RecoverDestroyedWindow(m_shutdown.get());
    m_shutdown->show();
    m_shutdown->raise();
    m_shutdown->activateWindow();
}

void TProgram::hideShutdownWindow()
{
    m_shutdown->hide();
}

void TProgram::setShutdownPosition(int position)
{
    m_shutdown->ProgressBar1->setPosition(position);
}
