#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class TBevel;
class TGradientPanel;
class TRichTextLabel;
class TScrollText;
class TVersionInfo;

// The about box: the program's title and icon, three fields of its version information and a
// scrolling thanks line over a gradient. Created for each showing and destroyed afterwards.
class TfmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit TfmAbout(QWidget *parent = nullptr);

    // Shows the box modally, centred on the screen.
    int exec() override;
    void done(int result) override;

    // Runs as exec() starts, before the box shows: tests close the box or make showing fail.
    static std::function<void(TfmAbout &)> OnShowing;

    TGradientPanel *GradientPanel1 = nullptr;
    QLabel *lblThanks = nullptr;
    QLabel *ProgramIcon = nullptr;
    TBevel *Bevel2 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Image2 = nullptr;
    QLabel *Image3 = nullptr;
    QLabel *Version = nullptr;
    QLabel *Copyright = nullptr;
    QLabel *Comments = nullptr;
    TBevel *Bevel1 = nullptr;
    QLabel *Label2 = nullptr;
    TRichTextLabel *RichTextLabel1 = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblCopyright = nullptr;
    QLabel *lblComments = nullptr;
    QPushButton *btnOK = nullptr;
    TScrollText *ScrollText1 = nullptr;
    TVersionInfo *VersionInfo1 = nullptr;

private:
    void FormCreate();
    void FormClose();
};
