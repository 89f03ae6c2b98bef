#include "base/CNumericLocale.h"
#include "support/ModalWatchdog.h"
#include "support/ThrowAwayUserFolders.h"

#include <QApplication>
#include <QLocale>
#include <gtest/gtest.h>

// Tests run headless with a Finnish locale, as the program does for its users, on user folders of
// their own.
int main(int argc, char** argv)
{
    const tikkeli::test::ThrowAwayUserFolders userFolders;
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
    QApplication app(argc, argv);
    tikkeli::UseCNumericLocale(); // as the program does right after making its application
    // A modal dialog no test scripted fails that test at once instead of waiting for a user.
    tikkeli::test::InstallModalWatchdog();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
