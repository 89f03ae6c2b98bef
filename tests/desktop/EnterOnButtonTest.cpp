// Enter on the focused button presses it in every window, as Space does. Qt's buttons take Enter
// in a dialog only, so a user who tabbed to "Tallenna" in a record window and pressed Enter saved
// nothing, and saw no sign of it.
#include "base/ScriptedPrompter.h"
#include "contracts/ui/frmVuokra.h"
#include "invoicing/ui/frmMaksut.h"
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
        const char* box; // typed into first
        const char* typed;
        const char* button; // then Enter on the button
        // What the command did, seen in the database or in the window.
        std::function<bool(QWidget&)> done;
    } cases[] = {
        {"frmVuokra", [] { return frmVuokra::Load(); }, "tNimi", "Enterilla", "cTallenna",
         [&t](QWidget& w) {
             const qint64 id = static_cast<frmVuokra&>(w).currentContractId();
             return t.db.scalar(QStringLiteral("SELECT vsNimi FROM vs WHERE vsID = ?"), {Value(id)}).toString()
                    == QStringLiteral("Enterilla");
         }},
        // A tool button: the reference looked up.
        {"frmMaksut", [] { return new frmMaksut; }, "tViitenumero", "20019", "cHaeTiedot",
         [](QWidget& w) { return !test::Control<QLabel>(w, "lblNimi")->text().isEmpty(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.window);
        std::unique_ptr<QWidget> w(c.make());
        ASSERT_NE(w, nullptr);
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        auto* box = test::Control<QLineEdit>(*w, c.box);
        box->setFocus(Qt::TabFocusReason);
        box->selectAll();
        QTest::keyClicks(box, QString::fromUtf8(c.typed));
        auto* button = test::Control<QAbstractButton>(*w, c.button);
        button->setFocus(Qt::TabFocusReason);
        QTest::keyClick(button, Qt::Key_Return);
        EXPECT_TRUE(c.done(*w)) << c.button;
        w->close();
    }
    EXPECT_EQ(prompter.unexpected(), 0);
}
