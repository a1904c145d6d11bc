#include "ui/frmAbout.h"

#include <QLabel>
#include <QPushButton>

TfmAbout::TfmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmAbout"));
    setWindowTitle(QStringLiteral("A propos..."));
    setFixedSize(305, 193);
    auto *title = new QLabel(QStringLiteral("<b>Tem<span style=\"color:#ff0000\">po</span>vir</b>"), this);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(18);
    title->setFont(font);
    title->setGeometry(120, 8, 177, 33);
    title->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *version = new QLabel(QStringLiteral("Version : ") + QStringLiteral(TEMPOVIR_VERSION), this);
    version->move(32, 72);
    auto *btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(216, 160, 81, 25);
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
}
