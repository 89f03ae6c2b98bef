#include "base/ScriptedPrompter.h"
#include "contracts/ContractTree.h"
#include "contracts/ui/frmVuokra.h"
#include "support/Controls.h"
#include "support/OtherProgramRestore.h"
#include "../ContractTestDb.h"
#include "ContractWindowOpen.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <functional>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

class ContractWindowReplacedFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        aho = t.contract(QStringLiteral("Aho"));
        t.estate(aho, QStringLiteral("Korpi"));
        berg = t.contract(QStringLiteral("Berg"));
        test::MessagesRunTheEventLoop(prompter);
    }
    void TearDown() override { delete frmVuokra::Instance(); }
    QLineEdit* name(frmVuokra* w) { return test::Control<QLineEdit>(*w, "tNimi"); }
    QTableWidget* grid(frmVuokra* w) { return test::Control<QTableWidget>(*w, "DBGrid1"); }
    // Chooses the contract's node in the tree as a click does; whether the window moved to it.
    bool choose(frmVuokra* w, qint64 id)
    {
        auto* tree = test::Control<QTreeWidget>(*w, "tvwNimet");
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            if (ContractTree::idFromKey((*it)->data(0, Qt::UserRole).toString()) == id) {
                tree->setCurrentItem(*it);
                w->ChooseTreeContract();
                return w->currentContractId() == id;
            }
        }
        ADD_FAILURE() << "no node for " << id;
        return false;
    }
    QString inFile()
    {
        return test::FileRows(t.path, QStringLiteral("SELECT vsNimi FROM vs ORDER BY vsID")) + u'/'
               + test::FileRows(t.path, QStringLiteral("SELECT tlTilaPalsta FROM tl ORDER BY tlID"));
    }

    test::ContractTestDb t;
    ScriptedPrompter prompter;
    qint64 aho = 0, berg = 0;
};

} // namespace

// The lessor's name and an estate typed, then another program restores a backup over the file:
// the command that would store them says they were not saved, and the window then shows the file
// now at the path; the same command run again stores nothing typed against the old file.
TEST_F(ContractWindowReplacedFileTest, WhatWasTypedBeforeARestoreIsNeverWrittenIntoTheRestoredFile)
{
    struct Case {
        const char* name;
        std::function<bool(frmVuokra*)> command; // whether it went through
        qint64 shownAfter;                       // 0: closed
    };
    const Case cases[] = {
        {"save", [](frmVuokra* w) { return w->CommitContract(); }, aho},
        {"close", [](frmVuokra* w) { return w->close(); }, 0},
        {"another contract", [this](frmVuokra* w) { return choose(w, berg); }, berg},
    };
    int restores = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompter.clear();
        QPointer<frmVuokra> w = test::OpenContractWindow();
        ASSERT_TRUE(w);
        ASSERT_EQ(w->currentContractId(), aho);
        name(w)->setFocus();
        name(w)->selectAll();
        ++restores;
        QTest::keyClicks(name(w), QStringLiteral("Kirjoitettu%1").arg(restores));
        ASSERT_EQ(grid(w)->rowCount(), 1);
        grid(w)->item(0, 2)->setText(QStringLiteral("Kirjoitettu tila %1").arg(restores));

        const QString restored = QStringLiteral("Palautettu%1").arg(restores);
        test::RestoreChangedCopy(t.path,
                                 QStringLiteral("UPDATE vs SET vsNimi = '%1' WHERE vsID = %2").arg(restored).arg(aho));
        EXPECT_FALSE(c.command(w));
        EXPECT_TRUE(prompter.anyMessageContains(test::ReplacedFileMessage))
            << prompter.messageTexts().join(u'\n').toStdString();
        ASSERT_TRUE(w) << "the window stays open after the message";
        EXPECT_EQ(w->Data1.editMode(), EditMode::None);
        EXPECT_EQ(name(w)->text(), restored);
        ASSERT_EQ(grid(w)->rowCount(), 1);
        EXPECT_EQ(grid(w)->item(0, 2)->text(), QStringLiteral("Korpi"));

        EXPECT_TRUE(c.command(w));
        if (c.shownAfter == 0)
            EXPECT_FALSE(w && w->isVisible()) << "closed";
        else
            EXPECT_EQ(w->currentContractId(), c.shownAfter);
        EXPECT_EQ(inFile(), restored + QStringLiteral("|Berg/Korpi"));
        delete w;
    }
}
