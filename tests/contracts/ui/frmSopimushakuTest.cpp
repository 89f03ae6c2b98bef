#include "base/ScriptedPrompter.h"
#include "ui/WindowOpeners.h"
#include "contracts/ui/ContractWindows.h"
#include "contracts/ui/frmSopimushaku.h"
#include "contracts/ui/frmVuokra.h"
#include "contracts/ui/tTilatiedot.h"
#include "../ContractTestDb.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;

namespace {

struct SearchFixture : ::testing::Test {
    ContractTestDb t{ContractTestDb::Source::Sample};
    ScriptedPrompter prompter;
    QComboBox* combo(frmSopimushaku& d, const char* name) { return d.findChild<QComboBox*>(QLatin1String(name)); }
};

} // namespace

TEST_F(SearchFixture, PickedAndTypedNumbersFindTheContract)
{
    frmSopimushaku d(t.db);
    QComboBox* number = combo(d, "cmbSopimusNo");
    QComboBox* reg = combo(d, "cmbRekisteriNumero");
    ASSERT_NE(number, nullptr);
    ASSERT_NE(reg, nullptr);
    EXPECT_EQ(number->count(), 19); // the contract without a number is not listed
    EXPECT_EQ(number->currentText(), QString());
    number->setCurrentIndex(number->findText(QStringLiteral("3")));
    d.cHae_Click();
    EXPECT_EQ(d.SopimusId, 3);

    frmSopimushaku typed(t.db);
    combo(typed, "cmbSopimusNo")->setEditText(QStringLiteral("5"));
    typed.cHae_Click();
    EXPECT_EQ(typed.FoundContractId(), 5);

    frmSopimushaku byEstate(t.db);
    QComboBox* estates = combo(byEstate, "cmbRekisteriNumero");
    estates->setCurrentIndex(estates->findText(QStringLiteral("940-404-16-15")));
    byEstate.cHae_Click();
    EXPECT_EQ(byEstate.SopimusId, 2);
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(SearchFixture, ANumberNotFoundTriesTheRegisterNumberAndCancelGivesZero)
{
    frmSopimushaku d(t.db);
    combo(d, "cmbSopimusNo")->setEditText(QStringLiteral("999"));
    combo(d, "cmbRekisteriNumero")->setEditText(QStringLiteral("940-404-16-6 "));
    d.cHae_Click();
    EXPECT_EQ(prompter.messageTexts(), (QStringList{QStringLiteral("Sopimusnumerolla ei löydy sopimusta."),
                                                    QStringLiteral("Rekisterinumerolla ei löydy sopimusta.")}));
    EXPECT_EQ(d.SopimusId, 0);
    EXPECT_EQ(combo(d, "cmbSopimusNo")->currentText(), QStringLiteral("999"));
    combo(d, "cmbRekisteriNumero")->setEditText(QStringLiteral("940-404-16-6"));
    d.cHae_Click();
    EXPECT_EQ(d.SopimusId, 1);
    d.cPeruHaku_Click();
    EXPECT_EQ(d.SopimusId, 0);

    prompter.clear();
    frmSopimushaku empty(t.db);
    empty.cHae_Click();
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(empty.SopimusId, 0);
}

TEST(tTilatiedot, EditsGoStraightIntoTheEstateAndShowingLeavesItClean)
{
    auto estate = std::make_shared<cTila>();
    estate->setPintaAla(12.5);
    estate->setTaloNo(7);
    estate->setTilaNo(89);
    estate->setTila(QStringLiteral("Korpela"));
    ContractTestDb t;
    estate->setDatabase(t.db);
    ASSERT_TRUE(estate->Save());
    tTilatiedot row;
    row.setTila(estate);
    auto* area = row.findChild<QLineEdit*>(QStringLiteral("tPintaala"));
    auto* house = row.findChild<QLineEdit*>(QStringLiteral("tTalo"));
    auto* name = row.findChild<QLineEdit*>(QStringLiteral("tTilanimi"));
    ASSERT_NE(area, nullptr);
    ASSERT_NE(house, nullptr);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(area->text(), QStringLiteral("12,5"));
    EXPECT_EQ(house->text(), QStringLiteral("7"));
    EXPECT_FALSE(estate->isDirty());

    QTest::keyClick(area, Qt::Key_A);
    EXPECT_EQ(area->text(), QStringLiteral("12,5"));
    EXPECT_DOUBLE_EQ(estate->PintaAla(), 12.5);
    EXPECT_FALSE(estate->isDirty());

    house->selectAll();
    QTest::keyClick(house, Qt::Key_Backspace);
    EXPECT_EQ(estate->TaloNo(), 0);
    EXPECT_TRUE(estate->isDirty());

    QSignalSpy keys(&row, &tTilatiedot::KeyDown);
    QTest::keyClick(name, Qt::Key_Down, Qt::ShiftModifier);
    // The Shift key itself, then the arrow with Shift held, each heard once.
    ASSERT_EQ(keys.count(), 2);
    EXPECT_EQ(keys[0][0].toInt(), int(Qt::Key_Shift));
    EXPECT_EQ(keys[1][0].toInt(), int(Qt::Key_Down));
    EXPECT_EQ(keys[1][1].value<Qt::KeyboardModifiers>(), Qt::ShiftModifier);
    QTest::keyClicks(name, QStringLiteral("x"));
    EXPECT_EQ(estate->Tila(), QStringLiteral("Korpelax"));

    row.setBackColor(Qt::yellow);
    EXPECT_EQ(row.BackColor(), QColor(Qt::yellow));
    EXPECT_FALSE(row.Selected);
}

TEST(ContractWindows, TheMainWindowsContractCommandOpensTheWindowOnce)
{
    ContractTestDb t;
    ScriptedPrompter prompter;
    WindowOpeners::clear();
    RegisterContractWindows();
    const WindowOpener* open = WindowOpeners::find(MainCommand::Contracts);
    ASSERT_NE(open, nullptr);
    (*open)(nullptr);
    (*open)(nullptr);
    frmVuokra* w = frmVuokra::Instance();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->findChildren<QTableWidget*>().size(), 1);
    EXPECT_TRUE(prompter.shown().empty());
    delete w;
    WindowOpeners::clear();
}
