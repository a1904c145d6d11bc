#include "platform/ErrorReport.h"
#include "platform/Fonts.h"

#include <gtest/gtest.h>

#ifdef TEMPOVIR_TEST_WIDGETS
#include "app/TApplication.h"
#include "support/SystemBus.h"
using TestApplication = TApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TestApplication app(argc, argv);
    platform::RegisterFonts();
    // No test may stop at a modal box: reports go to standard error unless a test records them.
    platform::SetErrorReporter(nullptr);
#ifdef TEMPOVIR_TEST_WIDGETS
    // No test may reach the real system bus's power-off, whatever it fires.
    testing_support::InstallPowerOffGuard();
#endif
    return RUN_ALL_TESTS();
}
