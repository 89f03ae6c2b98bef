// The dialogs the program keeps between uses open again on their first field with its text
// selected, whatever had the focus when they closed: the reminder range opened on its "to" box,
// so "100", Tab, "129" looked for the invoices from 129 to 100.
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

void showActive(QDialog& d)
{
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
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
    };
    const Case cases[] = {
        {"frmLaskujenRajaus", [] { return new frmLaskujenRajaus; },
         [](QDialog& d) {
             typeInto(Control<QLineEdit>(d, "tLaskunroAlku"), QStringLiteral("100"));
             typeInto(Control<QLineEdit>(d, "tLaskunroLoppu"), QStringLiteral("129"));
         },
         "tLaskunroAlku"},
        {"frmSeparators", [] { return new frmSeparators; },
         [](QDialog& d) {
             typeInto(Control<QComboBox>(d, "cmbSeparator"), QStringLiteral("|"));
             typeInto(Control<QComboBox>(d, "cmbRemoveChars"), QStringLiteral("\""));
         },
         "cmbSeparator"},
        {"frmTulostusrajoitukset", [] { return frmTulostusrajoitukset::Instance(); },
         [](QDialog& d) {
             QTest::mouseClick(Control<QRadioButton>(d, "optVastike_1"), Qt::LeftButton);
             typeInto(Control<QLineEdit>(d, "tErapaivaan"), QStringLiteral("1.5.2027"));
         },
         "optVastike_1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<QDialog> d(c.make());
        showActive(*d);
        c.use(*d);
        ASSERT_NE(QApplication::focusWidget()->objectName(), QLatin1String(c.first));
        d->accept();
        showActive(*d);
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        EXPECT_EQ(focus->objectName().toStdString(), c.first);
        if (auto* combo = qobject_cast<QComboBox*>(focus))
            focus = combo->lineEdit();
        if (auto* box = qobject_cast<QLineEdit*>(focus)) {
            EXPECT_FALSE(box->text().isEmpty());
            EXPECT_EQ(box->selectedText(), box->text());
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
