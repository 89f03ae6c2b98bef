#include "base/ScriptedPrompter.h"
#include "base/SharedState.h"
#include "contracts/ui/frmVuokra.h"
#include "platform/IniSettingsStore.h"
#include "ui/FormPlacement.h"
#include "support/Controls.h"
#include "../contracts/ContractTestDb.h"

#include <QApplication>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

QRect laptop()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// Where a control lies on the screen.
QRect onScreen(const QWidget* w)
{
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

} // namespace

// The contract window on a 1366 x 768 laptop: it opens whole inside the screen, with the feature
// panel closed and open, with no saved placement and with a size saved on a larger screen; its
// command buttons stay on the screen; the panel does not make it grow past the screen.
TEST(ContractWindowFit, TheContractWindowFitsALaptopWithTheFeaturePanelOpenOrClosed)
{
    test::ContractTestDb t(test::ContractTestDb::Source::Sample);
    State().IniFileName = t.env.iniPath();
    ScriptedPrompter prompter;
    for (const QRect saved : {QRect(), QRect(120, 90, 1320, 885)}) {
        SCOPED_TRACE(saved.isValid() ? "saved on a larger screen" : "nothing saved");
        if (saved.isValid()) {
            IniSettingsStore ini;
            ini.setFile(t.env.iniPath());
            ini.setSection(QStringLiteral("FORMS"));
            WindowPlacement p;
            p.geometry = saved;
            ini.writePlacement(p, FormPlacementKey(QStringLiteral("frmVuokra")));
        }
        frmVuokra* w = frmVuokra::Load();
        ASSERT_NE(w, nullptr);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
        EXPECT_LE(w->minimumSizeHint().height(), laptop().height());
        EXPECT_LE(w->minimumSizeHint().width(), laptop().width());
        for (const bool panel : {false, true}) {
            if (panel)
                w->cAvaaOminaisuudet_Click();
            QCoreApplication::processEvents();
            const QRect outer = w->frameGeometry();
            EXPECT_TRUE(laptop().contains(outer)) << "panel " << panel << ": " << outer.x() << "," << outer.y() << " "
                                                  << outer.width() << "x" << outer.height();
            for (const char* button : {"cUusi", "cTallenna", "cSulje"})
                EXPECT_TRUE(laptop().contains(onScreen(test::Control<QPushButton>(*w, button))))
                    << button << " panel " << panel;
            if (panel) {
                EXPECT_TRUE(laptop().contains(onScreen(test::Control<QPushButton>(*w, "cSuljeOminaisuudet"))));
            }
        }
        w->close();
        delete frmVuokra::Instance();
        // What was saved at the close fits the laptop too.
        IniSettingsStore ini;
        ini.setFile(t.env.iniPath());
        ini.setSection(QStringLiteral("FORMS"));
        const auto stored = ini.readPlacement(FormPlacementKey(QStringLiteral("frmVuokra")));
        ASSERT_TRUE(stored.has_value());
        EXPECT_LE(stored->geometry.height(), laptop().height());
    }
}

// With nothing saved the contract window opens as wide as its card needs, where the screen has
// room for it: no column of the card hides behind a horizontal scroll bar.
TEST(ContractWindowFit, TheContractWindowOpensAtItsCardsWidth)
{
    test::ContractTestDb t(test::ContractTestDb::Source::Sample);
    State().IniFileName = t.env.iniPath();
    ScriptedPrompter prompter;
    frmVuokra* w = frmVuokra::Load();
    ASSERT_NE(w, nullptr);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    QCoreApplication::processEvents();
    auto* card = test::Control<QScrollArea>(*w, "cardScroll");
    EXPECT_TRUE(laptop().contains(w->frameGeometry()));
    EXPECT_FALSE(card->horizontalScrollBar()->isVisible()) << w->width() << " px wide";
    w->close();
    delete frmVuokra::Instance();
}
