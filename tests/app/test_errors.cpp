#include "platform/Exception.h"
#include "support/Fakes.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

using testing_support::ErrorRecorder;

namespace {

class Thrower : public QObject
{
public:
    int handled = 0;
    bool event(QEvent *e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++handled;
        throw EConvertError(QStringLiteral("'x' n'est pas une date correcte"));
    }
};

} // namespace

TEST(ErrorReporting, AnExceptionLeavingAHandlerIsShownAndTheProgramGoesOn)
{
    ErrorRecorder errors;
    Thrower thrower;
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    bool later = false;
    QTimer::singleShot(0, [&] { later = true; });
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(thrower.handled, 2);
    EXPECT_TRUE(later);
    // The standard box ends the sentence with a period.
    EXPECT_EQ(errors.messages, QStringList({QStringLiteral("'x' n'est pas une date correcte."),
                                            QStringLiteral("'x' n'est pas une date correcte.")}));
}

TEST(ErrorReporting, GuardedReportsEveryKindOfException)
{
    ErrorRecorder errors;
    platform::Guarded([] { throw EIniFileException(QStringLiteral("Impossible d'écrire dans /x/y.ini")); });
    platform::Guarded([] { throw std::runtime_error("boom."); });
    platform::Guarded([] { throw 42; });
    ASSERT_EQ(errors.messages.size(), 3);
    EXPECT_EQ(errors.messages[0], QStringLiteral("Impossible d'écrire dans /x/y.ini."));
    EXPECT_EQ(errors.messages[1], QStringLiteral("boom."));
    EXPECT_FALSE(errors.messages[2].isEmpty());
}

TEST(ErrorReporting, TheTitleIsTheExecutablesName)
{
    EXPECT_EQ(platform::ApplicationTitle(), QStringLiteral("Test_app"));
}
