#pragma once

#include <QMainWindow>

class TfmMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit TfmMain(QWidget *parent = nullptr);

    // Start-up steps run once all three windows exist.
    void InitApplication();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    // The close sequence; throws when the alarms or the preferences cannot be written.
    void FormClose();
};
