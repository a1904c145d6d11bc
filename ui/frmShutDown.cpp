#include "ui/frmShutDown.h"

#include "alarms/ShutdownHost.h"
#include "platform/ErrorReport.h"
#include "ui/BlockProgressBar.h"
#include "ui/MarkupLabel.h"

#include <QPushButton>

namespace {

const char *const Notice =
    "<FONT face=\"Arial\">La fonction d'arrêt automatique du PC a été activée dans le logiciel Tempovir. "
    "<br>Vous pouvez empêcher cet arrêt automatique dans les 30 secondes qui suivent son activation. "
    "<br><br>Pour annuler maintenant l'arrêt automatique du PC, cliquez sur le bouton Annuler Arrêt "
    "auto.</FONT>";

} // namespace

TfmShutdown::TfmShutdown(TShutdownHost &Host, QWidget *parent)
    // A plain window rather than a dialog: Escape must not hide it as if it were cancelled.
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_host(Host)
{
    setObjectName(QStringLiteral("fmShutdown"));
    setWindowTitle(QStringLiteral("Tempovir - Extinction automatique du PC"));
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11); // 8 points at 96 dots per inch
    setFont(f);
    move(441, 263);
    setFixedSize(505, 194);

    btnCancel = new QPushButton(QStringLiteral("Annuler Arrêt auto"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(184, 136, 129, 33);
    connect(btnCancel, &QPushButton::clicked, this,
            [this] { platform::Guarded([this] { btnCancelClick(btnCancel); }); });

    MarkupLabel1 = new TMarkupLabel(this);
    MarkupLabel1->setObjectName(QStringLiteral("MarkupLabel1"));
    MarkupLabel1->setGeometry(16, 16, 473, 65);
    MarkupLabel1->setVAlignment(tvaTop);
    MarkupLabel1->setAutoSizing(false);
    MarkupLabel1->setEllipsis(false);
    MarkupLabel1->setLinkColor(QColor(0, 0, 255));
    MarkupLabel1->setShadowColor(QColor(128, 128, 128));
    MarkupLabel1->setShadowOffset(2);
    MarkupLabel1->setMarkupText(QString::fromUtf8(Notice));

    ProgressBar1 = new TBlockProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(16, 88, 473, 25);
    ProgressBar1->setPosition(0);

    // The button is the only control that takes the focus: first in the tab order.
    btnCancel->setFocus();
}

void TfmShutdown::btnCancelClick(QObject *)
{
    m_host.setShutdownPending(false);
    close();
}
