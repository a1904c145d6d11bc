#include "ui/frmMain.h"

#include "alarms/AlarmTable.h"
#include "alarms/uAlarms.h"
#include "platform/ErrorReport.h"
#include "platform/WindowPlacement.h"
#include "res/Images.h"
#include "res/uRes.h"
#include "ui/Action.h"
#include "ui/AlertPopup.h"
#include "ui/Clock.h"
#include "ui/TrackBar.h"
#include "ui/frmAbout.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

namespace {
const QString FitSample = QStringLiteral("888:88:888");
}

TfmMain::TfmMain(TAlarmTable &Table, TMainWindowHost &Host, QWidget *parent)
    : QMainWindow(parent), m_table(Table), m_host(Host), m_autostart(QCoreApplication::applicationFilePath())
{
    setObjectName(QStringLiteral("fmMain"));
    setWindowTitle(QStringLiteral("TPV - Tempovir"));

    auto *client = new QWidget(this);
    auto *layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Clock1 = new TClock(client);
    Clock1->setObjectName(QStringLiteral("Clock1"));
    Clock1->setColor(Qt::black);
    Clock1->setFontColor(QColor(0, 255, 255));
    Clock1->setHoursHandColor(QColor(0, 255, 255));
    Clock1->setMinutesHandColor(QColor(0, 255, 255));
    Clock1->setSecondsHandColor(QColor(128, 0, 128));
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(48); // 64 pixels high at 96 pixels per inch
    Clock1->setFont(font);
    Clock1->OnGetTime = [this](QObject *Sender, QTime &ATime) { Clock1GetTime(Sender, ATime); };
    layout->addWidget(Clock1, 1);

    lblAlarms = new QLabel(QStringLiteral("Alarmes activées"), Clock1);
    lblAlarms->setObjectName(QStringLiteral("lblAlarms"));
    QFont labelFont(QStringLiteral("Arial"));
    labelFont.setPixelSize(11);
    lblAlarms->setFont(labelFont);
    QPalette labelPalette = lblAlarms->palette();
    labelPalette.setColor(QPalette::WindowText, QColor(255, 0, 0));
    lblAlarms->setPalette(labelPalette);
    lblAlarms->setAutoFillBackground(false);
    lblAlarms->installEventFilter(this);
    lblAlarms->hide();

    Label1 = new QLabel(Clock1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(Clock1->font());
    Label1->hide();

    tbFontSize = new TTrackBar(client);
    tbFontSize->setObjectName(QStringLiteral("tbFontSize"));
    tbFontSize->setRange(12, 300);
    tbFontSize->setValue(48);
    tbFontSize->setFixedHeight(30);
    tbFontSize->setTickPosition(QSlider::NoTicks);
    connect(tbFontSize, &QSlider::valueChanged, this,
            [this] { platform::Guarded([this] { tbFontSizeChange(tbFontSize); }); });
    layout->addWidget(tbFontSize);

    setCentralWidget(client);
    AlertPopup1 = new TAlertPopup(this);
    createActions();
    createMenus();

    // The clock is set up: its first reading, while StartingUp keeps the alarm check away
    // from a table that is not loaded yet.
    Clock1->loaded();

    // IniFileName is where the settings file lives (beside the executable, or in the user's
    // configuration folder when that one cannot be written): the storage takes it as it is.
    AppIniFileStorage1.SetLocation(TAppIniFileStorage::flCustom);

    // Centred on the screen when first shown, unless a stored placement moves it.
    platform::SetDesignedOuterSize(this, QSize(370, 197));
    FormCreate();
}

void TfmMain::createActions()
{
    const QList<QIcon> &images = ImageList1();
    auto make = [this](const QString &name, const QString &caption, const QString &hint, const QIcon &image,
                       bool checkable, bool checked) {
        auto *action = new TAction(caption, hint, image, checkable, this);
        action->setObjectName(name);
        action->SetChecked(checked);
        return action;
    };
    ActTypeAnalog =
        make(QStringLiteral("ActTypeAnalog"),
             QStringLiteral("Représentation \"analogique\" (avec aiguilles)"), {}, {}, true, false);
    ActTypeDigital = make(QStringLiteral("ActTypeDigital"), QStringLiteral("Représentation numérique"), {},
                          {}, true, true);
    ActClockFontAutoSize = make(QStringLiteral("ActClockFontAutoSize"),
                                QStringLiteral("Taille caractère automatique"), {}, {}, true, true);
    ActAppShowMenu =
        make(QStringLiteral("ActAppShowMenu"), QStringLiteral("Montrer les menus"), {}, {}, true, false);
    ActAppStayOnTop = make(QStringLiteral("ActAppStayOnTop"), QStringLiteral("Toujours en premier plan"),
                           QStringLiteral("Toujours en premier plan"), {}, true, false);
    ActAlarmsEdit = make(QStringLiteral("ActAlarmsEdit"), QStringLiteral("Liste des alarmes..."),
                         QStringLiteral("Liste des alarmes..."), images[17], false, false);
    ActAlarmsActivate = make(QStringLiteral("ActAlarmsActivate"), QStringLiteral("Activer alarmes"),
                             QStringLiteral("Activer alarmes"), images[15], true, false);
    ActAlarmsSound = make(QStringLiteral("ActAlarmsSound"), QStringLiteral("Alarme sonore"),
                          QStringLiteral("Alarme sonore"), {}, true, true);
    ActAppAbout = make(QStringLiteral("ActAppAbout"), QStringLiteral("A propos..."), {}, {}, false, false);
    ActAppHelpIndex = make(QStringLiteral("ActAppHelpIndex"), QStringLiteral("Index de l'aide"), {},
                           images[18], false, false);
    ActAppClose =
        make(QStringLiteral("ActAppClose"), QStringLiteral("Quitter"), {}, images[11], false, false);
    ActAppAutostart =
        make(QStringLiteral("ActAppAutostart"), QStringLiteral("Lancer à l'ouverture de session"),
             QStringLiteral("Lancer à l'ouverture de session"), {}, true, false);
    readAutostartState();

    ActTypeAnalog->setOnExecute([this](QObject *s) { ActTypeAnalogExecute(s); });
    ActTypeDigital->setOnExecute([this](QObject *s) { ActTypeDigitalExecute(s); });
    ActClockFontAutoSize->setOnExecute([this](QObject *s) { ActClockFontAutoSizeExecute(s); });
    ActAppShowMenu->setOnExecute([this](QObject *s) { ActAppShowMenuExecute(s); });
    ActAppStayOnTop->setOnExecute([this](QObject *s) { ActAppStayOnTopExecute(s); });
    ActAlarmsEdit->setOnExecute([this](QObject *s) { ActAlarmsEditExecute(s); });
    ActAlarmsActivate->setOnExecute([this](QObject *s) { ActAlarmsActivateExecute(s, m_table, m_host); });
    ActAlarmsSound->setOnExecute([this](QObject *s) { ActAlarmsSoundExecute(s, m_host); });
    ActAppAbout->setOnExecute([this](QObject *s) { ActAppAboutExecute(s); });
    ActAppClose->setOnExecute([this](QObject *s) { ActAppCloseExecute(s); });
    ActAppAutostart->setOnExecute([this](QObject *s) { ActAppAutostartExecute(s); });
    // "Index de l'aide" has no handler, so it stays greyed out.
}

void TfmMain::createMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    QMenu *file = bar->addMenu(QStringLiteral("Fichier"));
    file->addAction(ActAppClose);
    QMenu *alarms = bar->addMenu(QStringLiteral("Alarmes"));
    alarms->addActions({ActAlarmsEdit, ActAlarmsActivate, ActAlarmsSound});
    alarms->addSeparator();
    alarms->addAction(ActAppAutostart);
    // The entry may have been removed or edited by hand since the menu was last open.
    connect(alarms, &QMenu::aboutToShow, this,
            [this] { platform::Guarded([this] { readAutostartState(); }); });
    QMenu *display = bar->addMenu(QStringLiteral("Affichage"));
    display->addActions({ActTypeAnalog, ActTypeDigital});
    display->addSeparator();
    display->addAction(ActClockFontAutoSize);
    display->addSeparator();
    display->addActions({ActAppShowMenu, ActAppStayOnTop});
    QMenu *help = bar->addMenu(QStringLiteral("Aide"));
    help->addAction(ActAppHelpIndex);
    help->addSeparator();
    help->addAction(ActAppAbout);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addActions({ActTypeAnalog, ActTypeDigital});
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(ActClockFontAutoSize);
    PopupMenu1->addSeparator();
    PopupMenu1->addActions({ActAlarmsEdit, ActAlarmsActivate, ActAlarmsSound});
    PopupMenu1->addSeparator();
    PopupMenu1->addActions({ActAppShowMenu, ActAppStayOnTop});
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(ActAppClose);
    Clock1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Clock1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { PopupMenu1->popup(Clock1->mapToGlobal(pos)); });
}

void TfmMain::FormCreate()
{
    UpdateFontSizeBar();
}

TUserPrefs TfmMain::userPrefs() const
{
    return {ActAppStayOnTop->Checked(), ActAppShowMenu->Checked(), ActAlarmsSound->Checked()};
}

void TfmMain::ApplyUserPrefs(const TUserPrefs &prefs)
{
    ActAppStayOnTop->SetChecked(prefs.AppStayOnTop);
    ActAppShowMenu->SetChecked(prefs.AppShowMenu);
    ActAlarmsSound->SetChecked(prefs.ActAlarmsSound);
    ActAppStayOnTop->Execute(nullptr);
    ActAppShowMenu->Execute(nullptr);
    ActAlarmsSound->Execute(nullptr);
}

void TfmMain::showAlarmsIndicator(bool on)
{
    ActAlarmsActivate->SetChecked(on); // the menu item mnuAlarmsActivate shows it
    lblAlarms->setVisible(on);
}

void TfmMain::announceAlarm(const QString &alertText)
{
    AlertPopup1->addMessage(alertText);
    AlertPopup1->selectNewest();
    AlertPopup1->show();
}

void TfmMain::Clock1GetTime(QObject *, QTime &)
{
    if (!m_host.StartingUp() && !m_host.Closing())
        CheckAlarms(m_table, m_host);
}

void TfmMain::ActTypeAnalogExecute(QObject *)
{
    ActTypeDigital->SetChecked(false);
    ActTypeAnalog->SetChecked(true);
    Clock1->setShowMode(scAnalog);
    UpdateFontSizeBar();
}

void TfmMain::ActTypeDigitalExecute(QObject *)
{
    ActTypeAnalog->SetChecked(false);
    ActTypeDigital->SetChecked(true);
    Clock1->setShowMode(scDigital);
    UpdateFontSizeBar();
}

void TfmMain::ActClockFontAutoSizeExecute(QObject *)
{
    ActClockFontAutoSize->SetChecked(!ActClockFontAutoSize->Checked());
    if (ActClockFontAutoSize->Checked())
        FormResize(nullptr);
    UpdateFontSizeBar();
}

void TfmMain::tbFontSizeChange(QObject *)
{
    QFont font = Clock1->font();
    font.setPointSize(tbFontSize->value());
    Clock1->setFont(font);
    Label1->setFont(font);
}

void TfmMain::setFontSizePosition(int position)
{
    if (position == tbFontSize->value())
        return;
    {
        const QSignalBlocker block(tbFontSize);
        tbFontSize->setValue(position); // the slider clamps to its range
    }
    tbFontSizeChange(tbFontSize);
}

void TfmMain::applyWindowStyle()
{
    const bool wasVisible = isVisible();
    const bool showMenu = ActAppShowMenu->Checked();
    Qt::WindowFlags flags = showMenu ? Qt::Window : Qt::Tool;
    if (ActAppStayOnTop->Checked())
        flags |= Qt::WindowStaysOnTopHint;
    if (windowFlags() != flags) {
        const QRect client = geometry();
        setWindowFlags(flags);
        platform::PlaceHiddenWindow(this, client);
    }
    menuBar()->setVisible(showMenu);
    if (showMenu) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        // A tool-window border that the user cannot resize.
        setFixedSize(size());
    }
    if (wasVisible && !isVisible())
        show();
}

void TfmMain::ActAppShowMenuExecute(QObject *Sender)
{
    if (Sender)
        ActAppShowMenu->SetChecked(!ActAppShowMenu->Checked());
    applyWindowStyle();
    if (ActAppShowMenu->Checked())
        update();
}

void TfmMain::ActAppStayOnTopExecute(QObject *Sender)
{
    if (Sender)
        ActAppStayOnTop->SetChecked(!ActAppStayOnTop->Checked());
    applyWindowStyle();
}

void TfmMain::ActAlarmsEditExecute(QObject *)
{
    m_host.showAlarmsEdit();
}

void TfmMain::lblAlarmsDblClick(QObject *)
{
    ActAlarmsEditExecute(nullptr);
}

void TfmMain::ActAppAboutExecute(QObject *)
{
    // Destroyed when it closes, on every path.
    auto about = std::make_unique<TfmAbout>(this);
    // Modal for the main window only: a power-off countdown that starts meanwhile must keep
    // its cancel button within reach.
    about->setWindowModality(Qt::WindowModal);
    about->exec();
}

void TfmMain::ActAppCloseExecute(QObject *)
{
    close();
}

void TfmMain::readAutostartState()
{
    ActAppAutostart->SetChecked(m_autostart.isEnabled());
}

void TfmMain::ActAppAutostartExecute(QObject *Sender)
{
    if (Sender)
        ActAppAutostart->SetChecked(!ActAppAutostart->Checked());
    // The check mark shows what is on disk, also when the change failed.
    const auto showDisk = qScopeGuard([this] { readAutostartState(); });
    m_autostart.setEnabled(ActAppAutostart->Checked());
}

void TfmMain::UpdateFontSizeBar()
{
    tbFontSize->setVisible(ActTypeDigital->Checked() && !ActClockFontAutoSize->Checked());
}

bool TfmMain::TextDoesNotFit() const
{
    const QFontMetrics metrics(Label1->font());
    return Clock1->width() < metrics.horizontalAdvance(FitSample) || Clock1->height() < metrics.height();
}

void TfmMain::FormResize(QObject *)
{
    if (ActClockFontAutoSize->Checked()) {
        bool unfinished = false;
        if (TextDoesNotFit()) {
            for (int i = 0; i < 101 && TextDoesNotFit(); ++i)
                setFontSizePosition(tbFontSize->value() - 1);
            unfinished = TextDoesNotFit() && tbFontSize->value() > tbFontSize->minimum();
        } else {
            for (int i = 0; i < 101 && !TextDoesNotFit(); ++i)
                setFontSizePosition(tbFontSize->value() + 1);
            unfinished = !TextDoesNotFit() && tbFontSize->value() < tbFontSize->maximum();
        }
        // One pass moves the font by at most 101 points; a large change of size (a maximise,
        // a big shrink) takes further passes, each from the event loop.
        if (unfinished && !m_refitQueued) {
            m_refitQueued = true;
            QTimer::singleShot(0, this, [this] {
                platform::Guarded([this] {
                    m_refitQueued = false;
                    FormResize(nullptr);
                });
            });
        }
    }
    const QFontMetrics metrics(lblAlarms->font());
    const int width = metrics.horizontalAdvance(lblAlarms->text());
    lblAlarms->setGeometry(Clock1->width() - width - 4, 2, width, metrics.height());
}

void TfmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    // The clock area must have its new size before the font is fitted to it; Qt would lay
    // the children out only after this event.
    layout()->setGeometry(rect());
    centralWidget()->layout()->setGeometry(centralWidget()->rect());
    platform::Guarded([this] { FormResize(this); });
}

bool TfmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lblAlarms && event->type() == QEvent::MouseButtonDblClick) {
        platform::Guarded([this] { lblAlarmsDblClick(lblAlarms); });
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfmMain::closeEvent(QCloseEvent *event)
{
    try {
        m_host.FormClose();
    } catch (...) {
        event->ignore();
        platform::ReportCurrentException();
        return;
    }
    event->accept();
    // Closing the main window ends the program, whatever else is still shown.
    QCoreApplication::exit(0);
}
