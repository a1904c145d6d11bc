#include "ui/frmAbout.h"

#include "platform/ErrorReport.h"
#include "platform/Screen.h"
#include "platform/WindowPlacement.h"
#include "res/Images.h"
#include "ui/Bevel.h"
#include "ui/GradientPanel.h"
#include "ui/RichTextLabel.h"
#include "ui/ScrollText.h"
#include "ui/VersionInfo.h"

#include <QLabel>
#include <QPushButton>

std::function<void(TfmAbout &)> TfmAbout::OnShowing;

namespace {

QFont Arial11()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    return font;
}

void SetTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

// A transparent label sized to its text, its text shown as it is (no markup).
QLabel *MakeLabel(QWidget *parent, const char *name, const QString &text, int x, int y)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->adjustSize();
    label->move(x, y);
    return label;
}

QLabel *MakeImage(QWidget *parent, const char *name, const QIcon &icon, const QRect &place)
{
    auto *image = new QLabel(parent);
    image->setObjectName(QLatin1String(name));
    image->setScaledContents(true);
    image->setPixmap(icon.pixmap(place.size()));
    image->setGeometry(place);
    return image;
}

TBevel *MakeBevel(QWidget *parent, const char *name, int x, int y, int width)
{
    auto *bevel = new TBevel(parent);
    bevel->setObjectName(QLatin1String(name));
    bevel->setGeometry(x, y, width, 2);
    return bevel;
}

} // namespace

TfmAbout::TfmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmAbout"));
    setWindowTitle(QStringLiteral("A propos..."));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(305, 193); // pixels, whatever the screen's density
    // The button face behind everything (a background role would turn the text colour of
    // every child to the button's text colour).
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    setFont(Arial11());

    // Created in painting order: later controls lie on top of earlier ones.
    GradientPanel1 = new TGradientPanel(this);
    GradientPanel1->setObjectName(QStringLiteral("GradientPanel1"));
    GradientPanel1->setGeometry(rect());
    GradientPanel1->setStartColor(QColor(0, 255, 255));
    GradientPanel1->setEndColor(QColor(0, 0, 255));

    lblThanks = MakeLabel(this, "lblThanks", QStringLiteral("Remerciements"), 8, 144);
    ProgramIcon = MakeImage(this, "ProgramIcon", QIcon(), QRect(16, 16, 32, 32));
    Bevel2 = MakeBevel(this, "Bevel2", 16, 56, 273);
    Image1 = MakeImage(this, "Image1", BulletPicture(), QRect(16, 72, 12, 12));
    Image2 = MakeImage(this, "Image2", BulletPicture(), QRect(16, 88, 12, 12));
    Image3 = MakeImage(this, "Image3", BulletPicture(), QRect(16, 104, 12, 12));
    Version = MakeLabel(this, "Version", QStringLiteral("Version :"), 32, 72);
    Copyright = MakeLabel(this, "Copyright", QStringLiteral("Copyright :"), 32, 88);
    Comments = MakeLabel(this, "Comments", QStringLiteral("Commentaires :"), 32, 104);
    Bevel1 = MakeBevel(this, "Bevel1", 8, 136, 289);

    Label2 = MakeLabel(this, "Label2", QStringLiteral("Tempovir"), 0, 40);
    Label2->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Label2->move(289 - Label2->width(), 40);

    RichTextLabel1 = new TRichTextLabel(this);
    RichTextLabel1->setObjectName(QStringLiteral("RichTextLabel1"));
    RichTextLabel1->setGeometry(120, 8, 177, 33);
    // The product name in bold 18-point Arial, its middle in red.
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPointSize(18);
    titleFont.setBold(true);
    RichTextLabel1->setFont(titleFont);
    RichTextLabel1->setRuns({{QStringLiteral("Tem"), {}},
                             {QStringLiteral("po"), QColor(255, 0, 0)},
                             {QStringLiteral("vir"), {}}});

    lblVersion = MakeLabel(this, "lblVersion", {}, 112, 72);
    lblCopyright = MakeLabel(this, "lblCopyright", {}, 112, 88);
    lblComments = MakeLabel(this, "lblComments", {}, 112, 104);
    for (QLabel *value : {lblVersion, lblCopyright, lblComments}) {
        value->setFont(Arial11());
        SetTextColor(value, QColor(255, 255, 0));
    }

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(216, 160, 81, 25);
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, [this] { platform::Guarded([this] { accept(); }); });

    ScrollText1 = new TScrollText(this);
    ScrollText1->setObjectName(QStringLiteral("ScrollText1"));
    ScrollText1->setGeometry(8, 160, 200, 25);
    ScrollText1->setItems({QStringLiteral("- à la communauté libre")});
    ScrollText1->setDelay(100);
    ScrollText1->setScrollPixels(1);
    ScrollText1->setBackgroundColor(QColor(0, 0, 128));
    QFont thanksFont(QStringLiteral("MS Sans Serif"));
    thanksFont.setPixelSize(11);
    ScrollText1->setFont(thanksFont);
    SetTextColor(ScrollText1, QColor(0, 255, 255));

    VersionInfo1 = new TVersionInfo(this);

    btnOK->setFocus();
    // Centred on a screen smaller than the box, it would start off its edges.
    platform::KeepOnScreenWhenShown(this);
    FormCreate();
}

void TfmAbout::FormCreate()
{
    ScrollText1->setActive(true);
    ProgramIcon->setPixmap(::ProgramIcon().pixmap(32, 32));
    lblVersion->setText(VersionInfo1->FileVersion());
    lblCopyright->setText(VersionInfo1->LegalCopyright());
    lblComments->setText(VersionInfo1->Comments());
    for (QLabel *value : {lblVersion, lblCopyright, lblComments})
        value->adjustSize();
}

void TfmAbout::FormClose()
{
    ScrollText1->setActive(false);
}

int TfmAbout::exec()
{
    // Centred on the screen, frame included; a window not shown yet has no frame, so the
    // owner's frame stands in for it.
    QMargins frame;
    if (const QWidget *owner = parentWidget(); owner && owner->isVisible()) {
        const QRect outer = owner->frameGeometry();
        const QRect inner = owner->geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    }
    const QSize screen = platform::Screen().resolution;
    const QSize outerSize = size().grownBy(frame);
    move((screen.width() - outerSize.width()) / 2, (screen.height() - outerSize.height()) / 2);
    if (OnShowing)
        OnShowing(*this);
    return QDialog::exec();
}

void TfmAbout::done(int result)
{
    platform::Guarded([this] { FormClose(); });
    QDialog::done(result);
}
