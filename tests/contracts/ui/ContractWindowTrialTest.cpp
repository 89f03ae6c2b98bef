// A club secretary's session with the contract window: keyboard only, typing mistakes in every
// box, and the sample's contracts as they are stored.
#include "base/ScriptedPrompter.h"
#include "contracts/ui/frmMoniliitosMV.h"
#include "contracts/ui/frmVuokra.h"
#include "support/Controls.h"
#include "../ContractTestDb.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;

namespace {

class ContractWindowTrialTest : public ::testing::Test {
protected:
    void TearDown() override { delete frmVuokra::Instance(); }
    frmVuokra* open()
    {
        frmVuokra* w = frmVuokra::Load();
        if (w) {
            w->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(w));
        }
        return w;
    }
    template <class T = QLineEdit>
    T* child(frmVuokra* w, const QString& name)
    {
        return w->findChild<T*>(name);
    }
    // Types into a box as a user does: focus, select what is there, type, and leave with Tab.
    void typeAndLeave(frmVuokra* w, const QString& box, const QString& text)
    {
        QLineEdit* edit = child(w, box);
        ASSERT_NE(edit, nullptr) << box.toStdString();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Tab);
    }
    Value field(qint64 id, const QString& name)
    {
        return t.db.scalar(QStringLiteral("SELECT %1 FROM vs WHERE vsID = ?").arg(name), {Value(id)});
    }

    ContractTestDb t{ContractTestDb::Source::Sample};
    ScriptedPrompter prompter;
};

} // namespace

// What a secretary types into each box and what the contract then holds: numbers with the
// decimal comma and spaces between thousands are read, a decimal point, letters and numbers out
// of the field's range are refused with the typed text named and nothing written.
TEST_F(ContractWindowTrialTest, WhatIsTypedInEachBoxIsStoredOrRefused)
{
    const struct {
        const char* box;
        const char* typed;
        const char* field;
        Value stored; // Null with refused: the row keeps what it had
        bool refused;
    } cases[] = {
        {"tVuosiVastike", "80,50", "vsVastikeVuosi", Value(80.5), false},
        {"tVuosiVastike", "1 200", "vsVastikeVuosi", Value(1200.0), false},
        {"tVuosiVastike", "12.50", "vsVastikeVuosi", Value(), true},
        {"tVuosiVastike", "sata", "vsVastikeVuosi", Value(), true},
        {"tKausiVastike", "450,5", "vsVastikeKausi", Value(450.5), false},
        {"tKausiVastike", "4o0", "vsVastikeKausi", Value(), true},
        {"tSopimIrtisAika", "6", "vsVoimassaIrtisanomisaika", Value(qint64(6)), false},
        {"tSopimIrtisAika", "kk", "vsVoimassaIrtisanomisaika", Value(), true},
        {"tSopimIrtisAika", "1,5", "vsVoimassaIrtisanomisaika", Value(), true},
        {"tSopimIrtisAika", "300", "vsVoimassaIrtisanomisaika", Value(), true},
        {"tMuutokset", "-1", "vsOmistusmuutos", Value(), true},
        {"tMuutokset", "2", "vsOmistusmuutos", Value(qint64(2)), false},
    };
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.box) + " <- " + c.typed);
        prompter.clear();
        const Value before = field(1, QLatin1String(c.field));
        typeAndLeave(w, QLatin1String(c.box), QString::fromUtf8(c.typed));
        QTest::keyClick(w, Qt::Key_F3);
        if (c.refused) {
            ASSERT_EQ(prompter.messageTexts().size(), 1);
            EXPECT_TRUE(prompter.messageTexts()[0].contains(QString::fromUtf8(c.typed)));
            EXPECT_EQ(child(w, QLatin1String(c.box))->text(), QString::fromUtf8(c.typed)) << "the typing stays";
            EXPECT_TRUE(field(1, QLatin1String(c.field)) == before);
            QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
        } else {
            EXPECT_TRUE(prompter.messageTexts().isEmpty()) << prompter.messageTexts().join('|').toStdString();
            if (c.stored.kind() == Value::Kind::Double)
                EXPECT_DOUBLE_EQ(field(1, QLatin1String(c.field)).toDouble(), c.stored.toDouble());
            else
                EXPECT_TRUE(field(1, QLatin1String(c.field)) == c.stored);
        }
    }
}

// The sample's contracts show the option their codes name, one group after another.
TEST_F(ContractWindowTrialTest, SampleContractsShowTheirStoredOptions)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    const struct {
        qint64 id;
        const char* chosen[5];
    } cases[] = {
        {7, {"optKoskee_4", "optVoimassa_2", "optVastike_3", "optOikeus_1", "optKoira_1"}},
        {8, {"optKoskee_2", "optVoimassa_2", "optVastike_2", "optOikeus_3", "optKoira_3"}},
        {12, {"optKoskee_4", "optVoimassa_1", "optVastike_4", "optOikeus_2", "optKoira_3"}},
        {13, {"optKoskee_1", "optVoimassa_1", "optVastike_1", "optOikeus_2", "optKoira_1"}},
        {19, {"optKoskee_3", "optVoimassa_2", "optVastike_2", "optOikeus_2", "optKoira_1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        frmVuokra::SearchDialog = [id = c.id](frmVuokra&) { return id; };
        QTest::keyClick(w, Qt::Key_F6);
        ASSERT_EQ(w->currentContractId(), c.id);
        for (const char* name : c.chosen) {
            auto* option = child<QRadioButton>(w, QLatin1String(name));
            ASSERT_NE(option, nullptr) << name;
            EXPECT_TRUE(option->isChecked()) << name;
        }
    }
    frmVuokra::SearchDialog = nullptr;
}

// Options chosen with the keyboard alone (arrow keys within a group, Space) are written by F3.
TEST_F(ContractWindowTrialTest, OptionsChosenWithTheKeyboardAreSaved)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    auto* first = child<QRadioButton>(w, QStringLiteral("optVastike_2"));
    ASSERT_NE(first, nullptr);
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Down);
    EXPECT_TRUE(child<QRadioButton>(w, QStringLiteral("optVastike_3"))->isChecked());
    auto* dogs = child<QRadioButton>(w, QStringLiteral("optKoira_2"));
    ASSERT_NE(dogs, nullptr);
    dogs->setFocus();
    QTest::keyClick(dogs, Qt::Key_Space);
    QTest::keyClick(w, Qt::Key_F3);
    EXPECT_TRUE(prompter.messageTexts().isEmpty()) << prompter.messageTexts().join('|').toStdString();
    EXPECT_EQ(field(1, QStringLiteral("vsVastike")).toInt64(), 3);
    EXPECT_EQ(field(1, QStringLiteral("vsKoirat")).toInt64(), 2);
}

// An estate's area typed with the decimal comma right after another cell of the row (the keys
// come faster than the closed cell's editor goes) is saved by F3 as that many hectares.
TEST_F(ContractWindowTrialTest, AnAreaTypedRightAfterAnotherCellIsSavedByF3)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    auto* grid = child<QTableWidget>(w, QStringLiteral("DBGrid1"));
    ASSERT_NE(grid, nullptr);
    for (const auto& [typed, hectares] : {std::pair{"12,5", 12.5}, std::pair{"1 200,25", 1200.25}}) {
        SCOPED_TRACE(typed);
        QTest::keyClick(w, Qt::Key_F2, Qt::ShiftModifier);
        const int row = grid->rowCount() - 1;
        // Each key goes where the keyboard's focus is: the first opens the cell's editor.
        const auto typeInto = [](const QString& text) {
            for (const QChar c : text)
                QTest::keyClicks(QApplication::focusWidget(), QString(c));
        };
        grid->setCurrentCell(row, 2);
        typeInto(QStringLiteral("Uusi"));
        grid->setCurrentCell(row, 4);
        typeInto(QString::fromUtf8(typed));
        QTest::keyClick(w, Qt::Key_F3);
        EXPECT_TRUE(prompter.messageTexts().isEmpty()) << prompter.messageTexts().join('|').toStdString();
        EXPECT_DOUBLE_EQ(
            t.db.scalar(QStringLiteral("SELECT tlPa FROM tl WHERE tlvsID = 1 ORDER BY tlID DESC LIMIT 1")).toDouble(),
            hectares);
    }
}

// Two windows on the same contracts: one deleted in the contract window while the bulk attach
// still lists it gets no feature values there, and the others still do.
TEST_F(ContractWindowTrialTest, TheBulkAttachAddsNothingToAContractDeletedMeanwhile)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    auto attach = std::make_unique<frmMoniliitosMV>();
    attach->show();
    auto* features = test::Control<QListWidget>(*attach, "lstAllPt");
    auto* contracts = test::Control<QListWidget>(*attach, "lstJR");
    const auto tick = [contracts](const QString& text) {
        const auto found = contracts->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        found[0]->setCheckState(Qt::Checked);
    };
    tick(QStringLiteral("Heinonen Liisa - Hirvilahti")); // vsID 1, on the contract window
    tick(QStringLiteral("Laitinen Ari - Kuusijärvi"));   // vsID 4
    const auto hirvialue = features->findItems(QStringLiteral("Hirvialue"), Qt::MatchExactly);
    ASSERT_EQ(hirvialue.size(), 1);
    features->setCurrentItem(hirvialue[0]);

    prompter.answerYes();
    w->activateWindow();
    QTest::keyClick(w, Qt::Key_F4);
    ASSERT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM vs WHERE vsID = 1")), 0);

    const qint64 before = t.count(QStringLiteral("SELECT COUNT(*) FROM mt WHERE mtvsID = 4"));
    test::Control<QPushButton>(*attach, "cLisaa")->click();
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM mt WHERE mtvsID NOT IN (SELECT vsID FROM vs)")), 0);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM mt WHERE mtvsID = 4")), before + 1);
}

// Tab on the grid's last cell goes on to the next box, Shift+Tab on its first back to the one
// before, instead of wrapping round inside the grid; a typed cell is written on the way out.
TEST_F(ContractWindowTrialTest, TabLeavesTheEstateGridAtItsEnds)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    auto* grid = child<QTableWidget>(w, QStringLiteral("DBGrid1"));
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->rowCount(), 2);
    grid->setFocus();
    grid->setCurrentCell(1, 4);
    QTest::keyClick(grid, Qt::Key_Tab);
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("tMetsastysOikeus"));

    grid->setFocus();
    grid->setCurrentCell(0, 0);
    QTest::keyClick(grid, Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("tMuutokset"));

    grid->setFocus();
    grid->setCurrentCell(1, 4);
    grid->editItem(grid->item(1, 4));
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("33,3"));
    QTest::keyClick(editor, Qt::Key_Tab);
    ASSERT_NE(grid->item(1, 4), nullptr);
    EXPECT_EQ(grid->item(1, 4)->text(), QStringLiteral("33,3"));
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("tMetsastysOikeus"));
    EXPECT_TRUE(prompter.messageTexts().isEmpty()) << prompter.messageTexts().join('|').toStdString();
    EXPECT_DOUBLE_EQ(t.db.scalar(QStringLiteral("SELECT tlPa FROM tl WHERE tlID = 2")).toDouble(), 33.3);
}
