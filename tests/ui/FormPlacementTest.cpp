#include "platform/IniSettingsStore.h"
#include "ui/FormPlacement.h"
#include "support/TempProgramEnvironment.h"

#include <QWidget>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

IniSettingsStore forms()
{
    IniSettingsStore ini;
    ini.setFile(QStringLiteral("Tikkeli.ini"));
    ini.setSection(QStringLiteral("FORMS"));
    return ini;
}

} // namespace

TEST(FormPlacement, KeyIsNameMajorAndMinorVersion)
{
    QWidget w;
    w.setObjectName(QStringLiteral("frmJasen"));
    const QString expected = QStringLiteral("frmJasen%1%2").arg(TIKKELI_VERSION_MAJOR).arg(TIKKELI_VERSION_MINOR);
    EXPECT_EQ(FormPlacementKey(&w), expected);
    EXPECT_EQ(FormPlacementKey(QStringLiteral("frmJasen")), QStringLiteral("frmJasen70"));
}

TEST(FormPlacement, SavedPlacementComesBackAndWindowsDoNotShareIt)
{
    test::TempProgramEnvironment env(false);
    QWidget a;
    a.setObjectName(QStringLiteral("frmJasen"));
    a.setGeometry(120, 130, 400, 300);
    SaveFormPlacement(&a);

    QWidget b;
    b.setObjectName(QStringLiteral("frmPiirre"));
    b.setGeometry(5, 6, 200, 100);
    RestoreFormPlacement(&b);
    EXPECT_EQ(b.geometry(), QRect(5, 6, 200, 100));

    QWidget again;
    again.setObjectName(QStringLiteral("frmJasen"));
    RestoreFormPlacement(&again);
    EXPECT_EQ(again.geometry(), QRect(120, 130, 400, 300));
    EXPECT_TRUE(forms().read(QStringLiteral("frmJasen70")).startsWith(QStringLiteral("120,130,400,300")));
}

TEST(FormPlacement, OlderVersionEntryIsNotReadAndFixedSizeWindowKeepsItsSize)
{
    test::TempProgramEnvironment env(false);
    env.writeIni("[FORMS]\nfrmAbout61=300,300,50,50,0\nfrmAbout70=40,50,999,999,0\n");
    QWidget w;
    w.setObjectName(QStringLiteral("frmAbout"));
    w.setFixedSize(231, 426);
    RestoreFormPlacement(&w);
    EXPECT_EQ(w.geometry().topLeft(), QPoint(40, 50));
    EXPECT_EQ(w.size(), QSize(231, 426));
    EXPECT_TRUE(forms().read(QStringLiteral("frmAbout61")).startsWith(QStringLiteral("300")));
}

TEST(FormPlacement, FailuresAreIgnored)
{
    test::TempProgramEnvironment env(false);
    env.writeIni("[FORMS]\nfrmJasen70=rikki\n");
    QWidget w;
    w.setObjectName(QStringLiteral("frmJasen"));
    w.setGeometry(1, 2, 300, 200);
    RestoreFormPlacement(&w);
    EXPECT_EQ(w.geometry(), QRect(1, 2, 300, 200));
    // An ini path below a plain file cannot be written: the save says nothing.
    qputenv("TIKKELI_INI", (env.iniPath() + QStringLiteral("/ei/kansio.ini")).toUtf8());
    EXPECT_NO_THROW(SaveFormPlacement(&w));
    RestoreFormPlacement(nullptr);
}

TEST(FormPlacement, PlacementOffEveryScreenIsBroughtBack)
{
    test::TempProgramEnvironment env(false);
    env.writeIni("[FORMS]\nfrmJasen70=90000,90000,300,200,0\n");
    QWidget w;
    w.setObjectName(QStringLiteral("frmJasen"));
    RestoreFormPlacement(&w);
    EXPECT_LT(w.geometry().x(), 10000);
    EXPECT_EQ(w.size(), QSize(300, 200));
}
