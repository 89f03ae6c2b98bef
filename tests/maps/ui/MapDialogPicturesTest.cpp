#include "maps/ui/frmPiirrettavatTilat.h"
#include "maps/ui/frmTilaInfo.h"
#include "maps/ui/frmValitseTila.h"
#include "base/ScriptedPrompter.h"
#include "contracts/ContractTestDb.h"
#include "support/Controls.h"

#include <QApplication>
#include <QComboBox>
#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;

// The three dialogs on the sample club, saved as pictures to look at when asked.
TEST(MapDialogPictures, ScreenshotWhenAsked)
{
    const QByteArray out = qgetenv("TIKKELI_SCREENSHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP();
    ContractTestDb t{ContractTestDb::Source::Sample};
    ScriptedPrompter prompter;
    const QString folder = QString::fromLocal8Bit(out) + QLatin1Char('/');

    frmValitseTila picker(t.db);
    picker.setVainPiirtamattomat(false);
    ASSERT_TRUE(picker.load());
    picker.show();
    test::Control<QComboBox>(picker, "cmbRekNo")->setCurrentIndex(2);
    QApplication::processEvents();
    picker.grab().save(folder + QStringLiteral("frmValitseTila.png"));

    frmTilaInfo info(t.db);
    info.LoadInfo(1);
    info.show();
    QApplication::processEvents();
    info.grab().save(folder + QStringLiteral("frmTilaInfo.png"));

    frmPiirrettavatTilat criteria(t.db);
    ASSERT_TRUE(criteria.load());
    criteria.show();
    QApplication::processEvents();
    criteria.grab().save(folder + QStringLiteral("frmPiirrettavatTilat.png"));
}
