#include "app/SettingsLocation.h"
#include "platform/ErrorReport.h"
#include "platform/Time.h"
#include "platform/linux/DisplayChoice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(IniFileName, ChangesOnlyTheFileNamesExtension)
{
    struct Case
    {
        const char *exe;
        const char *ini;
    };
    const Case cases[] = {
        {"C:\\Outils\\horloge.exe", "C:\\Outils\\horloge.ini"},
        {"C:\\Mes.Outils\\horloge", "C:\\Mes.Outils\\horloge.ini"},
        {"/opt/Mes.Outils/horloge", "/opt/Mes.Outils/horloge.ini"},
        {"/opt/outils/horloge", "/opt/outils/horloge.ini"},
        {"/opt/outils/horloge.bin", "/opt/outils/horloge.ini"},
        {"/opt/outils/tempovir.v2.exe", "/opt/outils/tempovir.v2.ini"},
        {"/home/moi/.local/bin/tempovir", "/home/moi/.local/bin/tempovir.ini"},
        {"/opt/v1.2:outil", "/opt/v1.2:outil.ini"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ChangeFileExt(QString::fromUtf8(c.exe), QStringLiteral(".ini")), QString::fromUtf8(c.ini))
            << c.exe;
}

TEST(ApplicationTitle, IsTheFileNameUpToTheFirstDotWithACapitalFirst)
{
    struct Case
    {
        const char *exe;
        const char *title;
    };
    const Case cases[] = {
        {"C:\\Outils\\HORLOGE.EXE", "Horloge"}, {"/usr/local/bin/tempovir", "Tempovir"},
        {"/opt/x/horloge.exe", "Horloge"},      {"/opt/Mes.Outils/Tempovir.bin", "Tempovir"},
        {"/opt/x/TEMPO.VIR.EXE", "Tempo"},      {"/opt/x/z", "Z"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(platform::TitleFromExecutable(QString::fromUtf8(c.exe)), QString::fromUtf8(c.title))
            << c.exe;
}

TEST(SettingsFile, BesideTheProgramWhenItCanBeKeptThereElseInTheUsersConfigurationFolder)
{
    QTemporaryDir root;
    const QString bin = root.filePath(QStringLiteral("bin"));
    const QString config = root.filePath(QStringLiteral("config"));
    ASSERT_TRUE(QDir().mkpath(bin));
    const QString exe = bin + QStringLiteral("/tempovir");
    const QString beside = bin + QStringLiteral("/tempovir.ini");
    const QString inConfig = config + QStringLiteral("/tempovir/tempovir.ini");
    const auto writable = [](const QString &) { return true; };
    const auto readOnly = [](const QString &) { return false; };

    // A portable copy in a folder of its own keeps its file beside it, as before.
    EXPECT_EQ(SettingsFileFor(exe, writable, config), beside);
    EXPECT_FALSE(QFileInfo::exists(config));

    // Installed where the user cannot write: the configuration folder, created.
    EXPECT_EQ(SettingsFileFor(exe, readOnly, config), inConfig);
    EXPECT_TRUE(QFileInfo(config + QStringLiteral("/tempovir")).isDir());

    // A file already beside the program is used even where the user cannot write.
    QFile file(beside);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(SettingsFileFor(exe, readOnly, config), beside);
}

TEST(DisplayChoice, WaylandAndNothingMeanTheXDisplayOtherPlatformsAreHonoured)
{
    struct Case
    {
        const char *qpa;
        bool xReachable;
        TDisplayChoice choice;
    };
    const Case cases[] = {
        {"", true, TDisplayChoice::Xcb},
        {"", false, TDisplayChoice::None},
        {"wayland", true, TDisplayChoice::Xcb},
        {"wayland-egl", true, TDisplayChoice::Xcb},
        {"wayland", false, TDisplayChoice::None},
        {"wayland;xcb", true, TDisplayChoice::Xcb},
        {"xcb", false, TDisplayChoice::None},
        {"offscreen", false, TDisplayChoice::AsAsked},
        {"vnc:size=800x600", true, TDisplayChoice::AsAsked},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ChooseDisplay(QString::fromUtf8(c.qpa), c.xReachable), c.choice)
            << c.qpa << " " << c.xReachable;
}

TEST(SystemClock, TheLocalTimeMatchesTheSystemsIncludingItsOffset)
{
    // No replacement is installed here: this is the real clock.
    const QDateTime before = QDateTime::currentDateTime();
    const QDateTime now = platform::Now();
    const QDateTime after = QDateTime::currentDateTime();
    EXPECT_LE(before.toMSecsSinceEpoch(), now.toMSecsSinceEpoch());
    EXPECT_GE(after.toMSecsSinceEpoch(), now.toMSecsSinceEpoch());
    EXPECT_EQ(now.offsetFromUtc(), after.offsetFromUtc());
    EXPECT_LE(qAbs(now.time().msecsTo(after.time())), 1000);

    // The date and the time of day are read on their own, without a QDateTime: they must be
    // those of Now() read just before and after.
    const QDateTime first = platform::Now();
    const QDate date = platform::Date();
    const QTime time = platform::Time();
    const QDateTime last = platform::Now();
    if (first.date() == last.date()) { // not across midnight
        EXPECT_EQ(date, first.date());
        EXPECT_LE(first.time(), time);
        EXPECT_LE(time, last.time());
    }
}
