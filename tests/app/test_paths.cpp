#include "app/Globals.h"
#include "platform/ErrorReport.h"

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

TEST(ApplicationTitle, IsTheFileNameUpToTheFirstDotCapitalisedOnce)
{
    struct Case
    {
        const char *exe;
        const char *title;
    };
    const Case cases[] = {
        {"C:\\Outils\\HORLOGE.EXE", "Horloge"},
        {"/usr/local/bin/tempovir", "tempovir"},
        {"/opt/Mes.Outils/Tempovir.bin", "Tempovir"},
        {"/opt/x/TEMPO.VIR.EXE", "Tempo"},
        {"/opt/x/Z", "Z"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(platform::TitleFromExecutable(QString::fromUtf8(c.exe)), QString::fromUtf8(c.title))
            << c.exe;
}
