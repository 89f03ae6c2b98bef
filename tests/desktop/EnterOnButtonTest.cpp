// Enter on the focused button presses it in every window, as Space does. Qt's buttons take Enter
// in a dialog only, so a user who tabbed to "Tallenna" in a record window and pressed Enter saved
// nothing, and saw no sign of it.
#include "base/ScriptedPrompter.h"
#include "contracts/ui/frmVuokra.h"
#include "invoicing/ui/frmMaksut.h"
#include "members/ui/frmJasen.h"
#include "members/ui/frmPiirre.h"
#include "support/Controls.h"
#include "../contracts/ContractTestDb.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace tikkeli;

TEST(EnterOnButton, EnterOnTheFocusedButtonRunsItsCommand)
{
    test::ContractTestDb t(test::ContractTestDb::Source::Sample);
    ScriptedPrompter prompter;
    const struct {
        const char* window;
        std::function<QWidget*()> make;
        const char* box;    // the box that names the record shown
        const char* typed;  // typed into it first, if any
        const char* button; // then Enter on the button
        // What the command did, seen in the database or on the card.
        std::function<bool(QWidget&, const QString& nameBefore)> done;
    } cases[] = {
        {"frmVuokra", [] { return frmVuokra::Load(); }, "tNimi", "Enterilla", "cTallenna",
         [&t](QWidget& w, const QString& typed) {
             const qint64 id = static_cast<frmVuokra&>(w).currentContractId();
             return t.db.scalar(QStringLiteral("SELECT vsNimi FROM vs WHERE vsID = ?"), {Value(id)}).toString() == typed;
         }},
        {"frmPiirre", [] { return new frmPiirre; }, "tNimi", nullptr, "cSeuraava",
         [](QWidget& w, const QString& shown) { return test::Control<QLineEdit>(w, "tNimi")->text() != shown; }},
        {"frmJasen", [] { return frmJasen::Load(); }, "tYhteystiedot_1", nullptr, "cSeuraava",
         [](QWidget& w, const QString& shown) { return test::Control<QLineEdit>(w, "tYhteystiedot_1")->text() != shown; }},
        // A tool button: the reference looked up.
        {"frmMaksut", [] { return new frmMaksut; }, "tViitenumero", "20019", "cHaeTiedot",
         [](QWidget& w, const QString&) { return !test::Control<QLabel>(w, "lblNimi")->text().isEmpty(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.window);
        std::unique_ptr<QWidget> w(c.make());
        ASSERT_NE(w, nullptr);
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        auto* box = test::Control<QLineEdit>(*w, c.box);
        if (c.typed) {
            box->setFocus(Qt::TabFocusReason);
            box->selectAll();
            QTest::keyClicks(box, QString::fromUtf8(c.typed));
        }
        const QString before = box->text();
        auto* button = test::Control<QAbstractButton>(*w, c.button);
        button->setFocus(Qt::TabFocusReason);
        QTest::keyClick(button, Qt::Key_Return);
        EXPECT_TRUE(c.done(*w, before)) << c.button;
        w->close();
    }
    EXPECT_EQ(prompter.unexpected(), 0);
}
