// Enter accepts the print and criteria dialogs whatever control has the focus: under the GNOME
// theme an option button or a closed combo box takes Enter as its own press. A control that
// swallows Enter stands in for that theme here.
#include "base/ScriptedPrompter.h"
#include "contracts/ui/frmElainehdot.h"
#include "contracts/ui/frmHakuehdot.h"
#include "contracts/ui/frmHakuehdotVoimassaolo.h"
#include "maps/ui/frmPiirrettavatTilat.h"
#include "printing/ui/frmTulostus.h"
#include "printing/ui/frmTulostusmuodonValinta.h"
#include "support/Controls.h"
#include "../ContractTestDb.h"
#include "support/ThemeTakesEnter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace tikkeli;

namespace {

using test::ThemeTakesEnter;

// A criteria dialog filled from the database, as its command opens it.
template <class Dialog>
std::function<QDialog*()> loaded(Database& db)
{
    return [&db] {
        auto* d = new Dialog(db);
        d->load();
        return d;
    };
}

} // namespace

TEST(DialogEnter, EnterOnAnOptionOrComboClicksTheDefaultButton)
{
    test::ContractTestDb t(test::ContractTestDb::Source::Sample);
    ScriptedPrompter prompter;
    struct Case {
        const char* name;
        std::function<QDialog*()> make;
        const char* focused;
    };
    const Case cases[] = {
        {"frmTulostus", [] { return new frmTulostus; }, "cmbTulostusLaite"},
        {"frmTulostusmuodonValinta", [] { return new frmTulostusmuodonValinta; }, "optPrintType_1"},
        {"frmHakuehdot", loaded<frmHakuehdot>(t.db), "cmbOminaisuudet"},
        {"frmHakuehdotVoimassaolo", loaded<frmHakuehdotVoimassaolo>(t.db), "optVoimassa_0"},
        {"frmElainehdot", loaded<frmElainehdot>(t.db), "optKoskee_1"},
        {"frmPiirrettavatTilat", loaded<frmPiirrettavatTilat>(t.db), "optKoskee_1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<QDialog> d(c.make());
        d->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(d.get()));
        auto* control = test::Control<QWidget>(*d, c.focused);
        control->installEventFilter(new ThemeTakesEnter(control));
        control->setFocus();
        QTest::keyClick(control, Qt::Key_Return);
        EXPECT_FALSE(d->isVisible());
        EXPECT_EQ(d->result(), QDialog::Accepted);
    }
}
