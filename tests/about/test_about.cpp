#include "AboutTestSupport.h"
#include "alarms/AlarmTable.h"
#include "platform/Screen.h"
#include "res/Images.h"
#include "support/Fakes.h"
#include "support/StartProgram.h"
#include "ui/Action.h"
#include "ui/Bevel.h"
#include "ui/GradientPanel.h"
#include "ui/RichTextLabel.h"
#include "ui/ScrollText.h"
#include "ui/VersionInfo.h"
#include "ui/frmAbout.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

bool IsSolidRed(QRgb p)
{
    return qRed(p) >= 200 && qGreen(p) < 80 && qBlue(p) < 80;
}

bool IsYellow(QRgb p)
{
    return qRed(p) >= 200 && qGreen(p) >= 200 && qBlue(p) < 80;
}

int CountPixels(const QImage &image, const QRect &area, bool (*test)(QRgb))
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += test(image.pixel(x, y)) ? 1 : 0;
    return n;
}

QImage Grab(QWidget &widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(AboutBox, HasItsCaptionFontAndControlsInPaintingOrder)
{
    TfmAbout about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("A propos..."));
    EXPECT_EQ(about.minimumSize(), QSize(305, 193));
    EXPECT_EQ(about.maximumSize(), QSize(305, 193));
    EXPECT_EQ(about.font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(about.font().pixelSize(), 11);

    struct Place
    {
        QWidget *control;
        QRect rect; // an empty size: a label sized to its text, only its top left given
    };
    const Place places[] = {
        {about.GradientPanel1, {0, 0, 305, 193}},  {about.lblThanks, {8, 144, 0, 0}},
        {about.ProgramIcon, {16, 16, 32, 32}},     {about.Bevel2, {16, 56, 273, 2}},
        {about.Image1, {16, 72, 12, 12}},          {about.Image2, {16, 88, 12, 12}},
        {about.Image3, {16, 104, 12, 12}},         {about.Version, {32, 72, 0, 0}},
        {about.Copyright, {32, 88, 0, 0}},         {about.Comments, {32, 104, 0, 0}},
        {about.Bevel1, {8, 136, 289, 2}},          {about.Label2, {}},
        {about.RichTextLabel1, {120, 8, 177, 33}}, {about.lblVersion, {112, 72, 0, 0}},
        {about.lblCopyright, {112, 88, 0, 0}},     {about.lblComments, {112, 104, 0, 0}},
        {about.btnOK, {216, 160, 81, 25}},         {about.ScrollText1, {8, 160, 200, 25}},
    };
    int previous = -1;
    for (const Place &place : places) {
        ASSERT_NE(place.control, nullptr);
        SCOPED_TRACE(place.control->objectName().toStdString());
        if (place.control == about.Label2) {
            // placed by its right edge, below
        } else if (place.rect.isEmpty()) {
            EXPECT_EQ(place.control->pos(), place.rect.topLeft());
        } else {
            EXPECT_EQ(place.control->geometry(), place.rect);
        }
        // Later controls are painted over earlier ones.
        const int index = about.children().indexOf(place.control);
        EXPECT_GT(index, previous);
        previous = index;
    }
    EXPECT_EQ(about.lblThanks->text(), QStringLiteral("Remerciements"));
    EXPECT_EQ(about.Version->text(), QStringLiteral("Version :"));
    EXPECT_EQ(about.Copyright->text(), QStringLiteral("Copyright :"));
    EXPECT_EQ(about.Comments->text(), QStringLiteral("Commentaires :"));
    // "Tempovir" sized to its text, right edge at 289.
    EXPECT_EQ(about.Label2->text(), QStringLiteral("Tempovir"));
    EXPECT_EQ(about.Label2->geometry().right() + 1, 289);
    EXPECT_EQ(about.Label2->y(), 40);
    EXPECT_EQ(about.Label2->width(), about.Label2->sizeHint().width());

    EXPECT_EQ(about.btnOK->text(), QStringLiteral("OK"));
    EXPECT_TRUE(about.btnOK->isDefault());
    // The first control the Tab key reaches.
    QWidget *first = about.nextInFocusChain();
    while (first != &about && !(first->focusPolicy() & Qt::TabFocus))
        first = first->nextInFocusChain();
    EXPECT_EQ(first, about.btnOK);

    // The pictures are there: the icon stretched to 32 x 32, the three bullets.
    for (QLabel *image : {about.ProgramIcon, about.Image1, about.Image2, about.Image3}) {
        SCOPED_TRACE(image->objectName().toStdString());
        EXPECT_TRUE(image->hasScaledContents());
        EXPECT_FALSE(image->pixmap().isNull());
    }
}

TEST(AboutBox, TheProgramPicturesLoadAtEverySize)
{
    const QIcon icon = ProgramIcon();
    for (const int size : {16, 32, 48, 128}) {
        SCOPED_TRACE(size);
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size)));
        const QImage image = icon.pixmap(size, size).toImage();
        EXPECT_EQ(image.size(), QSize(size, size));
        // Opaque in the middle of the face, transparent in the corner below the bells.
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2 + size / 16)), 255);
        EXPECT_EQ(qAlpha(image.pixel(0, size - 1)), 0);
    }
    const QImage bullet = BulletPicture().pixmap(12, 12).toImage();
    ASSERT_EQ(bullet.size(), QSize(12, 12));
    EXPECT_TRUE(IsSolidRed(bullet.pixel(6, 6)) || qRed(bullet.pixel(6, 6)) > 2 * qGreen(bullet.pixel(6, 6)));
    EXPECT_EQ(qAlpha(bullet.pixel(0, 0)), 0);
}

TEST(AboutBox, GradientRunsFromAquaAtTheTopToBlueAtTheBottom)
{
    TfmAbout about;
    about.show();
    const QImage image = Grab(about);
    ASSERT_EQ(image.size(), QSize(305, 193));
    // Each row's green is 255 + y × (0 − 255) / 193, truncated toward zero.
    const struct
    {
        int y;
        QColor color;
    } rows[] = {{0, QColor(0, 255, 255)}, {96, QColor(0, 129, 255)}, {192, QColor(0, 2, 255)}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.y);
        for (const int x : {0, 2, 304})
            EXPECT_EQ(QColor(image.pixel(x, row.y)), row.color) << "x " << x;
    }
}

namespace {

// What a drawing changed in an image of the area, against the same area without it.
struct Ink
{
    QRect touched; // every pixel that changed at all
    int touchedCount = 0;
    QRect box; // the pixels at least half covered: a channel moved halfway or more
    int pixels = 0;
    int strokes = 0; // rows' runs of such pixels
    double StrokeWidth() const { return strokes == 0 ? 0 : double(pixels) / strokes; }
};

std::string Text(const QRect &r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
}

Ink InkOf(const QImage &image, const QImage &below)
{
    Ink ink;
    for (int y = 0; y < image.height(); ++y) {
        bool inStroke = false;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            const QRgb b = below.pixel(x, y);
            if (p != b) {
                ink.touched |= QRect(x, y, 1, 1);
                ++ink.touchedCount;
            }
            const int moved = std::max({std::abs(qRed(p) - qRed(b)), std::abs(qGreen(p) - qGreen(b)),
                                        std::abs(qBlue(p) - qBlue(b))});
            const bool covered = moved >= 128;
            if (covered) {
                ink.box |= QRect(x, y, 1, 1);
                ++ink.pixels;
                ink.strokes += inStroke ? 0 : 1;
            }
            inStroke = covered;
        }
    }
    return ink;
}

} // namespace

TEST(AboutBox, TitleIsBoldArialRightAlignedWithOnlyPoInRedOverTheGradient)
{
    TfmAbout about;
    about.show();
    TRichTextLabel *title = about.RichTextLabel1;
    const QRect area = title->geometry();
    const QImage shown = Grab(about).copy(area);
    title->hide();
    const QImage below = Grab(about).copy(area);
    const Ink ink = InkOf(shown, below);

    // "Tempovir" in 18-point Arial at the label's density (24 pixels at 96 per inch), the line
    // ending at the label's right edge, its top one pixel in.
    const int pixelSize = qRound(18 * title->logicalDpiY() / 72.0);
    ASSERT_EQ(pixelSize, 24);
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(pixelSize);
    arial.setBold(true);
    const QFontMetricsF metrics(arial);
    const qreal lineLeft = area.width() - metrics.horizontalAdvance(QStringLiteral("Tempovir"));
    const QRectF line(lineLeft, 1, area.width() - lineLeft, metrics.ascent() + metrics.descent());
    const auto reference = [&](bool bold) {
        QImage image = below;
        QPainter painter(&image);
        QFont font = arial;
        font.setBold(bold);
        painter.setFont(font);
        painter.drawText(QPointF(lineLeft, 1 + metrics.ascent()), QStringLiteral("Tempovir"));
        painter.end();
        return InkOf(image, below);
    };
    const Ink bold = reference(true);
    const Ink regular = reference(false);

    // In place, to the pixel: the letters cover what the line drawn in one piece covers.
    EXPECT_EQ(ink.box, bold.box) << Text(ink.box) << " instead of " << Text(bold.box);
    EXPECT_GE(ink.box.right(), area.width() - 4) << "not right-aligned";
    // Bold: its strokes are as wide as bold ones, not as regular ones.
    ASSERT_GT(bold.StrokeWidth(), regular.StrokeWidth() + 0.5);
    EXPECT_LT(std::abs(ink.StrokeWidth() - bold.StrokeWidth()),
              std::abs(ink.StrokeWidth() - regular.StrokeWidth()))
        << ink.StrokeWidth() << " bold " << bold.StrokeWidth() << " regular " << regular.StrokeWidth();
    // Transparent: nothing changes outside the line, and inside it no more than the letters do.
    EXPECT_TRUE(line.toAlignedRect().contains(ink.touched)) << "touched " << Text(ink.touched);
    EXPECT_LE(std::abs(ink.touchedCount - bold.touchedCount), bold.touchedCount / 10);

    // "po" alone in red; "Tem" and "vir" in the default text colour and with no red at all (the
    // gradient has none).
    const qreal poLeft = area.width() - metrics.horizontalAdvance(QStringLiteral("povir"));
    const qreal poRight = area.width() - metrics.horizontalAdvance(QStringLiteral("vir"));
    const QRgb red = qRgb(255, 0, 0);
    const QRgb text = about.palette().color(QPalette::WindowText).rgb();
    int tem = 0;
    int po = 0;
    int vir = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb p = shown.pixel(x, y);
            if (x < poLeft - 1 || x > poRight + 1) {
                EXPECT_EQ(qRed(p), qRed(below.pixel(x, y))) << "red at " << x << "," << y;
                tem += p == text && x < poLeft ? 1 : 0;
                vir += p == text && x > poRight ? 1 : 0;
            } else if (x > poLeft + 1 && x < poRight - 1) {
                EXPECT_NE(p, text) << "text colour at " << x << "," << y;
                po += p == red ? 1 : 0;
            }
        }
    }
    EXPECT_GT(tem, 30);
    EXPECT_GT(po, 30);
    EXPECT_GT(vir, 30);
}

namespace {

struct VersionCase
{
    const char *name;
    std::optional<platform::VersionStrings> resource;
    const char *version;
    const char *copyright; // UTF-8
    const char *comments;
};

platform::VersionStrings FullResource(bool withComments)
{
    platform::VersionStrings strings;
    for (const QString &field : TVersionInfo::fieldNames())
        strings.insert(field, field + QStringLiteral(" value"));
    strings.insert(QStringLiteral("FileVersion"), QStringLiteral("2.5.1.7"));
    // Shown as it is: no markup in a label.
    strings.insert(QStringLiteral("LegalCopyright"), QStringLiteral("© 2030 <b>Tempovir</b> & co"));
    strings.insert(QStringLiteral("Comments"), QStringLiteral("Pour l'essai"));
    if (!withComments)
        strings.remove(QStringLiteral("Comments"));
    return strings;
}

class VersionLabels : public ::testing::TestWithParam<VersionCase>
{
};

} // namespace

TEST_P(VersionLabels, ShowFileVersionCopyrightAndCommentsInYellow)
{
    const VersionCase &c = GetParam();
    FakeVersionSource source(c.resource);
    TfmAbout about;
    about.show();
    const QImage image = Grab(about);
    const struct
    {
        QLabel *label;
        const char *text;
        int y;
    } rows[] = {{about.lblVersion, c.version, 72},
                {about.lblCopyright, c.copyright, 88},
                {about.lblComments, c.comments, 104}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label->objectName().toStdString());
        const QString text = QString::fromUtf8(row.text);
        EXPECT_EQ(row.label->text(), text);
        EXPECT_EQ(row.label->pos(), QPoint(112, row.y));
        EXPECT_EQ(row.label->font().family(), QStringLiteral("Arial"));
        EXPECT_EQ(row.label->font().pixelSize(), 11);
        // Sized to the text as written, tags and all.
        EXPECT_GE(row.label->width(), QFontMetrics(row.label->font()).horizontalAdvance(text));
        // Yellow text where there is text, nothing drawn where there is none.
        const int yellow = CountPixels(image, QRect(112, row.y, 305 - 112, 14), IsYellow);
        if (text.isEmpty())
            EXPECT_EQ(yellow, 0);
        else
            EXPECT_GT(yellow, 10);
    }
}

INSTANTIATE_TEST_SUITE_P(AboutBox, VersionLabels,
                         ::testing::Values(VersionCase{"Full", FullResource(true), "2.5.1.7",
                                                       "© 2030 <b>Tempovir</b> & co", "Pour l'essai"},
                                           VersionCase{"None", std::nullopt, "Updated at run-time",
                                                       "Updated at run-time", "Updated at run-time"},
                                           VersionCase{"NoComments", FullResource(false), "2.5.1.7",
                                                       "© 2030 <b>Tempovir</b> & co", ""}),
                         [](const auto &caseInfo) { return std::string(caseInfo.param.name); });

TEST(VersionInfo, TheBuildEmbedsTheProjectVersionAndTheTenFields)
{
    const TVersionInfo info;
    const QString version = QStringLiteral(TEMPOVIR_VERSION);
    EXPECT_TRUE(info.FileVersion().startsWith(version)) << info.FileVersion().toStdString();
    EXPECT_EQ(info.FileVersion().count(QLatin1Char('.')), 3);
    EXPECT_EQ(info.productVersion(), version);
    EXPECT_EQ(info.productName(), QStringLiteral("Tempovir"));
    const std::optional<platform::VersionStrings> resource = platform::ReadVersionResource();
    ASSERT_TRUE(resource.has_value());
    EXPECT_EQ(QStringList(resource->keys()).size(), 10);
    for (const QString &field : TVersionInfo::fieldNames()) {
        SCOPED_TRACE(field.toStdString());
        EXPECT_TRUE(resource->contains(field));
        EXPECT_EQ(info.field(field), resource->value(field));
        if (field != QStringLiteral("LegalTrademarks")) {
            EXPECT_FALSE(info.field(field).isEmpty());
        }
    }
}

namespace {

// The about box as the main window opens it.
class AboutFromMainWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The clock's readings run no alarm checks behind the tests' backs.
        host.startingUp = true;
        platform::ScreenMetrics screen;
        screen.resolution = QSize(1024, 768);
        screen.physicalMm = QSize(270, 203);
        screen.workArea = QRect(0, 0, 1024, 740);
        m_screen.emplace(screen);
        window = std::make_unique<TfmMain>(table, host);
        window->show();
    }
    void TearDown() override { TfmAbout::OnShowing = nullptr; }
    // Opens the box from the menu and runs `whileOpen` once it is up.
    void Open(std::function<void(TfmAbout &)> whileOpen)
    {
        TfmAbout::OnShowing = [whileOpen](TfmAbout &about) {
            TfmAbout *box = &about;
            QTimer::singleShot(0, box, [box, whileOpen] { whileOpen(*box); });
        };
        window->ActAppAbout->trigger();
        TfmAbout::OnShowing = nullptr;
    }

    std::optional<testing_support::FakeScreen> m_screen;
    TAlarmTable table;
    testing_support::FakeMainHost host;
    std::unique_ptr<TfmMain> window;
};

enum class Ending { OkButton, EnterKey, EscapeKey, CloseBox, ShowingFails, CreationFails };

} // namespace

TEST_F(AboutFromMainWindow, TheBoxIsModalCentredAndDestroyedOnEveryPath)
{
    const struct
    {
        Ending ending;
        const char *name;
        int result; // -1: no result, the box never showed
    } cases[] = {
        {Ending::OkButton, "OK button", QDialog::Accepted},
        {Ending::EnterKey, "Enter", QDialog::Accepted},
        {Ending::EscapeKey, "Escape", QDialog::Rejected},
        {Ending::CloseBox, "close box", QDialog::Rejected},
        {Ending::ShowingFails, "showing fails", -1},
        {Ending::CreationFails, "creation fails", -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::ErrorRecorder errors;
        std::optional<FakeVersionSource> failingResource;
        if (c.ending == Ending::CreationFails)
            failingResource.emplace(std::nullopt, true);

        QPointer<TfmAbout> box;
        int result = -1;
        bool modal = false;
        bool owned = false;
        QPoint centre;
        bool scrollingAtClose = true;
        TfmAbout::OnShowing = [&](TfmAbout &about) {
            box = &about;
            if (c.ending == Ending::ShowingFails)
                throw Exception(QStringLiteral("Affichage impossible"));
            TfmAbout *shown = &about;
            QObject::connect(shown, &QDialog::finished, shown, [&, shown](int r) {
                result = r;
                scrollingAtClose = shown->ScrollText1->Active();
            });
            QTimer::singleShot(0, shown, [&, shown] {
                modal = shown->isVisible() && QApplication::activeModalWidget() == shown;
                owned = shown->parentWidget() == window.get();
                centre = shown->frameGeometry().center();
                switch (c.ending) {
                case Ending::OkButton:
                    shown->btnOK->click();
                    break;
                case Ending::EnterKey:
                case Ending::EscapeKey: {
                    QKeyEvent key(QEvent::KeyPress,
                                  c.ending == Ending::EnterKey ? Qt::Key_Return : Qt::Key_Escape,
                                  Qt::NoModifier);
                    QApplication::sendEvent(shown, &key);
                    break;
                }
                default:
                    shown->close();
                    break;
                }
            });
        };
        window->ActAppAbout->trigger();
        TfmAbout::OnShowing = nullptr;

        EXPECT_TRUE(box.isNull());
        EXPECT_TRUE(window->findChildren<TfmAbout *>().isEmpty());
        EXPECT_EQ(result, c.result);
        if (c.result >= 0) {
            EXPECT_TRUE(errors.messages.isEmpty()) << errors.messages.join(u'|').toStdString();
            EXPECT_TRUE(modal);
            EXPECT_TRUE(owned);
            EXPECT_FALSE(scrollingAtClose);
            EXPECT_LE(std::abs(centre.x() - 512), 1);
            EXPECT_LE(std::abs(centre.y() - 384), 1);
        } else {
            // The failure reaches the user as any handler's error does.
            EXPECT_EQ(errors.messages.size(), 1);
        }
    }
}

TEST_F(AboutFromMainWindow, OnAScreenSmallerThanTheBoxItIsShownFromTheWorkAreasCorner)
{
    platform::ScreenMetrics small;
    small.resolution = QSize(300, 240);
    small.workArea = QRect(0, 24, 300, 216); // a panel across the top
    m_screen->set(small);
    QRect shown;
    Open([&](TfmAbout &about) {
        shown = about.frameGeometry();
        about.btnOK->click();
    });
    EXPECT_EQ(shown.topLeft(), QPoint(0, 24));
}

TEST_F(AboutFromMainWindow, EachOpeningStartsTheScrollAfresh)
{
    QList<int> topsAtOpening;
    for (int opening = 0; opening < 2; ++opening) {
        Open([&](TfmAbout &about) {
            TScrollText *scroll = about.ScrollText1;
            topsAtOpening << scroll->textTop();
            EXPECT_TRUE(scroll->Active());
            EXPECT_TRUE(scroll->findChild<QTimer *>()->isActive());
            for (int i = 0; i < 30; ++i)
                scroll->step();
            about.btnOK->click();
        });
    }
    EXPECT_EQ(topsAtOpening, (QList<int>{-25, -25}));
}
