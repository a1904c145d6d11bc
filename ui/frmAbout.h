#pragma once

#include <QDialog>

// The about box, created for each showing.
class TfmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit TfmAbout(QWidget *parent = nullptr);
};
