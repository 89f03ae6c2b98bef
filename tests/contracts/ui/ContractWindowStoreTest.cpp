// The contract window as a club secretary meets it with other windows and program instances on
// the same club: a card stored whole or not at all, contracts saved without a name, contracts
// added elsewhere, and a new contract started by typing.
#include "base/ScriptedPrompter.h"
#include "contracts/ContractTree.h"
#include "contracts/ui/frmVuokra.h"
#include "support/Controls.h"
#include "../ContractTestDb.h"
#include "ContractWindowOpen.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;

namespace {

class ContractWindowStoreTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        delete frmVuokra::Instance();
        frmVuokra::SearchDialog = nullptr;
    }
    frmVuokra* open() { return test::OpenContractWindow(); }
    template <class T = QLineEdit>
    T* child(frmVuokra* w, const char* name)
    {
        return test::Control<T>(*w, name);
    }
    void type(QLineEdit* box, const QString& text)
    {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    QTreeWidgetItem* treeNode(frmVuokra* w, const QString& text)
    {
        for (QTreeWidgetItemIterator it(child<QTreeWidget>(w, "tvwNimet")); *it; ++it) {
            if ((*it)->text(0) == text && (*it)->childCount() == 0)
                return *it;
        }
        return nullptr;
    }

    ContractTestDb t;
    ScriptedPrompter prompter;
};

} // namespace

// A new contract with 20 estates typed into the grid is saved by F3 in one transaction: a failure
// at the first, a middle or the last estate, or at the contract number written last, leaves no
// contract and no estate, and the typed card and rows stay on screen to be saved again.
TEST_F(ContractWindowStoreTest, ANewContractIsSavedWithAllItsEstatesOrNone)
{
    const char* failures[] = {
        "BEFORE INSERT ON tl WHEN (SELECT COUNT(*) FROM tl) = 0",
        "BEFORE INSERT ON tl WHEN (SELECT COUNT(*) FROM tl) = 10",
        "BEFORE INSERT ON tl WHEN (SELECT COUNT(*) FROM tl) = 19",
        "BEFORE UPDATE OF vsSopimusNo ON vs",
    };
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    QTest::keyClick(w, Qt::Key_F2);
    type(child(w, "tSopimusNo"), QStringLiteral("12"));
    type(child(w, "tNimi"), QStringLiteral("Korpela Aino"));
    // The rows are filled as the grid holds them once typed; the first row leaves the card as a
    // new contract not yet stored only because no row was left yet.
    auto* grid = child<QTableWidget>(w, "DBGrid1");
    ASSERT_NE(grid, nullptr);
    grid->setRowCount(20);
    for (int r = 0; r < 20; ++r) {
        for (int c = 0; c < grid->columnCount(); ++c)
            grid->setItem(r, c, new QTableWidgetItem(c == 2 ? QStringLiteral("Tila %1").arg(r + 1) : QString()));
    }
    ASSERT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM vs")), 0);
    for (const char* when : failures) {
        SCOPED_TRACE(when);
        t.db.execute(QStringLiteral("CREATE TRIGGER injected ") + QString::fromUtf8(when)
                     + QStringLiteral(" BEGIN SELECT RAISE(ABORT, 'levy täynnä'); END"));
        prompter.clear();
        QTest::keyClick(w, Qt::Key_F3);
        EXPECT_EQ(prompter.shown().size(), 1u);
        EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM vs")), 0);
        EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM tl")), 0);
        EXPECT_EQ(child(w, "tNimi")->text(), QStringLiteral("Korpela Aino"));
        EXPECT_EQ(grid->rowCount(), 20);
        t.db.execute(QStringLiteral("DROP TRIGGER injected"));
    }
    prompter.clear();
    QTest::keyClick(w, Qt::Key_F3);
    EXPECT_TRUE(prompter.shown().empty()) << prompter.messageTexts().join('|').toStdString();
    const qint64 id = w->currentContractId();
    ASSERT_GT(id, 0);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM tl WHERE tlvsID = ?"), {Value(id)}), 20);
    EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT vsSopimusNo FROM vs WHERE vsID = ?"), {Value(id)}).toString(),
              QStringLiteral("12"));
}

// A contract saved without a lessor's name stays: F5 lists it as "(nimetön)" among the other
// initials, it can be opened from there, named and saved, and its estate is kept.
TEST_F(ContractWindowStoreTest, AContractSavedWithoutANameIsListedAndKept)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    QTest::keyClick(w, Qt::Key_F2);
    type(child(w, "tOsoite_0"), QStringLiteral("Kuusitie 4"));
    QTest::keyClick(w, Qt::Key_F3);
    const qint64 id = w->currentContractId();
    ASSERT_GT(id, 0);
    t.estate(id, QStringLiteral("Korpi"));
    QTest::keyClick(w, Qt::Key_F5);
    delete frmVuokra::Instance();
    w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM vs WHERE vsID = ?"), {Value(id)}), 1);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM tl WHERE tlvsID = ?"), {Value(id)}), 1);
    QTreeWidgetItem* node = treeNode(w, ContractTree::unnamed());
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->parent()->text(0), QStringLiteral("Muut"));
    child<QTreeWidget>(w, "tvwNimet")->setCurrentItem(node);
    w->ChooseTreeContract();
    EXPECT_EQ(w->currentContractId(), id);
    type(child(w, "tNimi"), QStringLiteral("Nimetty"));
    QTest::keyClick(w, Qt::Key_F3);
    EXPECT_TRUE(prompter.shown().empty()) << prompter.messageTexts().join('|').toStdString();
    EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT vsNimi FROM vs WHERE vsID = ?"), {Value(id)}).toString(),
              QStringLiteral("Nimetty"));
}

// Another program instance adds a contract after this window read the table: a search for it
// finds it without F5, and a search for a contract that is nowhere still says so.
TEST_F(ContractWindowStoreTest, ASearchFindsAContractAddedElsewhere)
{
    t.contract(QStringLiteral("Aho"));
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    const qint64 added = t.contract(QStringLiteral("Berg"));
    frmVuokra::SearchDialog = [added](frmVuokra&) { return added; };
    QTest::keyClick(w, Qt::Key_F6);
    EXPECT_TRUE(prompter.messageTexts().isEmpty()) << prompter.messageTexts().join('|').toStdString();
    EXPECT_EQ(w->currentContractId(), added);
    EXPECT_EQ(child(w, "tNimi")->text(), QStringLiteral("Berg"));

    frmVuokra::SearchDialog = [](frmVuokra&) { return qint64(999); };
    QTest::keyClick(w, Qt::Key_F6);
    EXPECT_EQ(prompter.messageTexts(), QStringList{"Hakuehdolla ei löydy sopimusta."});
    EXPECT_EQ(w->currentContractId(), added);
}

// Typing on an empty card starts a contract as "Uusi" does: it gets the automatic number and the
// general terms, and what was typed stays.
TEST_F(ContractWindowStoreTest, TypingOnAnEmptyCardStartsAWholeNewContract)
{
    State().AutoContractNumbers = true;
    State().ContractNumberCounter = 1;
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    type(child(w, "tNimi"), QStringLiteral("Aho Aapo"));
    EXPECT_EQ(child(w, "tNimi")->text(), QStringLiteral("Aho Aapo"));
    EXPECT_EQ(child(w, "tSopimusNo")->text(), QStringLiteral("1"));
    EXPECT_TRUE(child<QPlainTextEdit>(w, "tYleisetEhdot")->toPlainText().startsWith(QStringLiteral("Ellei muuta")));
    QTest::keyClick(w, Qt::Key_F3);
    const qint64 id = w->currentContractId();
    ASSERT_GT(id, 0);
    EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT vsSopimusNo FROM vs WHERE vsID = ?"), {Value(id)}).toString(),
              QStringLiteral("1"));
    EXPECT_TRUE(t.db.scalar(QStringLiteral("SELECT vsYleisetEhdot FROM vs WHERE vsID = ?"), {Value(id)})
                    .toString()
                    .startsWith(QStringLiteral("Ellei muuta")));
}
