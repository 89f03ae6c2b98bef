#include "base/CNumericLocale.h"
#include "support/ModalWatchdog.h"
#include "support/ThrowAwayUserFolders.h"
#include "ui/FocusInView.h"
#include "ui/OptionGroupKeys.h"
#include "ui/ReopenedDialogFocus.h"

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
    // The program's keyboard in option groups, kept dialogs and scrolled pages, as main() installs it.
    tikkeli::InstallOptionGroupKeys();
    tikkeli::InstallReopenedDialogFocus();
    tikkeli::InstallFocusInView();
    // A modal dialog no test scripted fails that test at once instead of waiting for a user.
    tikkeli::test::InstallModalWatchdog();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
