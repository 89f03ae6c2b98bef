#include "base/CNumericLocale.h"
#include "support/ModalWatchdog.h"
#include "support/ThrowAwayUserFolders.h"
#include "ui/KeyboardRules.h"

#include <QApplication>
#include <QFileInfo>
#include <QLocale>
#include <gtest/gtest.h>

namespace {

// A test program runs on the headless screens its folder describes in a screens.json (a laptop's),
// however it is started: by ctest, or by hand with no platform or the plain headless one.
QByteArray headlessPlatform(const char* program)
{
    const QByteArray given = qgetenv("QT_QPA_PLATFORM");
    if (!given.isEmpty() && given != "offscreen")
        return given;
    const QString name = QFileInfo(QString::fromLocal8Bit(program)).fileName();
    const QString prefix = QStringLiteral("test_");
    const QString screens = QStringLiteral(TIKKELI_SOURCE_DIR "/tests/%1/screens.json").arg(name.mid(prefix.size()));
    if (name.startsWith(prefix) && QFileInfo::exists(screens))
        return "offscreen:configfile=" + screens.toLocal8Bit();
    return "offscreen";
}

} // namespace

// Tests run headless with a Finnish locale, as the program does for its users, on user folders of
// their own.
int main(int argc, char** argv)
{
    const tikkeli::test::ThrowAwayUserFolders userFolders;
    qputenv("QT_QPA_PLATFORM", headlessPlatform(argv[0]));
    QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
    QApplication app(argc, argv);
    tikkeli::UseCNumericLocale(); // as the program does right after making its application
    // The program's keyboard, as main() installs it.
    tikkeli::InstallKeyboardRules();
    // A modal dialog no test scripted fails that test at once instead of waiting for a user.
    tikkeli::test::InstallModalWatchdog();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
