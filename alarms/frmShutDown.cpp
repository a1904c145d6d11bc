#include "alarms/frmShutDown.h"

TfmShutdown::TfmShutdown(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmShutdown"));
    setWindowTitle(QStringLiteral("Tempovir - Extinction automatique du PC"));
    setFixedSize(505, 194);
}
