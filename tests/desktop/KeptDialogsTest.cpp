// The dialogs the program keeps between uses open again on their first field with its text
// selected, whatever had the focus when they closed: the reminder range opened on its "to" box,
// so "100", Tab, "129" looked for the invoices from 129 to 100. Where the first field is disabled,
// on the first usable one.
#include "base/ScriptedPrompter.h"
#include "invoicing/ui/frmLaskujenRajaus.h"
#include "members/ui/frmSeparators.h"
#include "printing/ui/frmTulostusrajoitukset.h"
#include "support/Controls.h"
#include "../contracts/ContractTestDb.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace tikkeli;
using test::Control;

namespace {

void typeInto(QWidget* field, const QString& text)
{
    field->setFocus();
    QTest::keyClicks(QApplication::focusWidget(), text);
}

// Shown and active, with what the showing left for later done, as a user's event loop does before
// the first key: whether the window system's events come at once or later.
void showActive(QDialog& d)
{
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    QCoreApplication::processEvents();
}

} // namespace

TEST(KeptDialogs, OpenAgainOnTheFirstFieldWithItsTextSelected)
{
    test::ContractTestDb t;
    ScriptedPrompter prompter;
    struct Case {
        const char* name;
        std::function<QDialog*()> make;
        std::function<void(QDialog&)> use; // leaves the focus on a later field
        const char* first;
        const char* second; // the first usable one while the first is disabled
    };
    const Case cases[] = {
        {"frmLaskujenRajaus", [] { return new frmLaskujenRajaus; },
         [](QDialog& d) {
             typeInto(Control<QLineEdit>(d, "tLaskunroAlku"), QStringLiteral("100"));
             typeInto(Control<QLineEdit>(d, "tLaskunroLoppu"), QStringLiteral("129"));
         },
         "tLaskunroAlku", "tLaskunroLoppu"},
        {"frmSeparators", [] { return new frmSeparators; },
         [](QDialog& d) {
             typeInto(Control<QComboBox>(d, "cmbSeparator"), QStringLiteral("|"));
             typeInto(Control<QComboBox>(d, "cmbRemoveChars"), QStringLiteral("\""));
         },
         "cmbSeparator", "cmbRemoveChars"},
        {"frmTulostusrajoitukset", [] { return frmTulostusrajoitukset::Instance(); },
         [](QDialog& d) {
             QTest::mouseClick(Control<QRadioButton>(d, "optVastike_1"), Qt::LeftButton);
             typeInto(Control<QLineEdit>(d, "tErapaivaan"), QStringLiteral("1.5.2027"));
         },
         "optVastike_1", "optVastike_0"},
    };
    for (const Case& c : cases) {
        for (const bool firstDisabled : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (firstDisabled ? ", its first field disabled" : ""));
            std::unique_ptr<QDialog> d(c.make());
            showActive(*d);
            c.use(*d);
            ASSERT_NE(QApplication::focusWidget()->objectName(), QLatin1String(c.first));
            d->accept();
            QWidget* first = Control<QWidget>(*d, c.first);
            first->setEnabled(!firstDisabled);
            showActive(*d);
            QWidget* focus = QApplication::focusWidget();
            ASSERT_NE(focus, nullptr);
            EXPECT_EQ(focus->objectName().toStdString(), firstDisabled ? c.second : c.first);
            if (auto* combo = qobject_cast<QComboBox*>(focus))
                focus = combo->lineEdit();
            if (auto* box = qobject_cast<QLineEdit*>(focus)) {
                EXPECT_FALSE(box->text().isEmpty());
                EXPECT_EQ(box->selectedText(), box->text());
            }
            first->setEnabled(true);
            d->accept();
        }
    }

    // The reminder range typed again as the user did.
    frmLaskujenRajaus range;
    showActive(range);
    typeInto(Control<QLineEdit>(range, "tLaskunroLoppu"), QStringLiteral("5"));
    QTest::mouseClick(Control<QPushButton>(range, "cSeuraava"), Qt::LeftButton);
    showActive(range);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("100"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("129"));
    QTest::mouseClick(Control<QPushButton>(range, "cSeuraava"), Qt::LeftButton);
    EXPECT_EQ(range.LaskunroAlku(), QStringLiteral("100"));
    EXPECT_EQ(range.LaskunroLoppu(), QStringLiteral("129"));
    EXPECT_EQ(prompter.unexpected(), 0);
}
