#pragma once

#include <QDialog>

// The power-off countdown window. Closing it only hides it.
class TfmShutdown : public QDialog
{
    Q_OBJECT

public:
    explicit TfmShutdown(QWidget *parent = nullptr);
};
