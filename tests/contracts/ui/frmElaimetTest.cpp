#include "support/Controls.h"
#include "base/ScriptedPrompter.h"
#include "contracts/ui/ContractWindows.h"
#include "contracts/ui/frmElaimet.h"
#include "settings/ui/frmAsetukset.h"
#include "../ContractTestDb.h"
#include "support/OtherProgramRestore.h"
#include "support/TreeTexts.h"
#include "support/WhenModalShown.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;

namespace {

class frmElaimetTest : public ::testing::Test {
protected:
    std::unique_ptr<frmElaimet> openWindow()
    {
        auto w = std::make_unique<frmElaimet>();
        w->show();
        QApplication::processEvents();
        name = w->findChild<QLineEdit*>(QStringLiteral("tNimi"));
        tree = w->findChild<QTreeWidget*>(QStringLiteral("tvwPiirteet"));
        return w;
    }
    QStringList treeTexts() const { return test::TreeTexts(tree); }
    void type(const QString& text)
    {
        name->setFocus();
        name->selectAll();
        name->insert(text); // as typed: QTest cannot type "ä"
    }
    QStringList storedNames() const
    {
        QStringList out;
        Recordset rs = t.db.openRecordset(QStringLiteral("SELECT elNimi FROM el ORDER BY elID"), RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext())
            out << rs.field(0).toString();
        return out;
    }
    int beeps() const
    {
        int n = 0;
        for (const auto& s : prompter.shown())
            n += s.kind == ScriptedPrompter::Kind::Beep;
        return n;
    }

    mutable ContractTestDb t;
    ScriptedPrompter prompter;
    QLineEdit* name = nullptr;
    QTreeWidget* tree = nullptr;
};

} // namespace

TEST_F(frmElaimetTest, WithoutADatabaseTheSettingsButtonOnlyTells)
{
    const QString settings[] = {QString(), QStringLiteral("unknown"), t.env.root() + QStringLiteral("/eiole.mdb")};
    for (const QString& setting : settings) {
        State().DatabasePath = setting;
        prompter.clear();
        frmElaimet::showModal(nullptr); // returns at once: no window to show
        ASSERT_EQ(prompter.messageTexts().size(), 1) << setting.toStdString();
        EXPECT_TRUE(
            prompter.messageTexts().first().startsWith(QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!")));
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

TEST_F(frmElaimetTest, EmptyCatalogueShowsTheRootAndBeepsAtBothEnds)
{
    auto w = openWindow();
    ASSERT_TRUE(name && tree);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Eläimet - 0"));
    EXPECT_EQ(treeTexts(), QStringList{"Eläimet"});
    w->cEnsimmainen_Click();
    w->cViimeinen_Click();
    EXPECT_EQ(beeps(), 2);
}

TEST_F(frmElaimetTest, OddInitialsAreListedAndOnlyNamelessRowsGo)
{
    const qint64 vs = t.contract(QStringLiteral("Aho"));
    for (const char* n : {"Susi", "1-vuotias hirvi", "ähkijä", "Ärjyjä"})
        t.animal(QString::fromUtf8(n));
    t.db.execute(QStringLiteral("INSERT INTO el (elNimi) VALUES (NULL)"));
    t.link(vs, t.db.lastInsertId());
    auto w = openWindow();
    ASSERT_TRUE(name && tree);
    EXPECT_EQ(treeTexts(),
              (QStringList{"Eläimet", "-S", "--Susi", "-Ä", "--ähkijä", "--Ärjyjä", "-Muut", "--1-vuotias hirvi"}));
    EXPECT_EQ(storedNames(), (QStringList{"Susi", "1-vuotias hirvi", "ähkijä", "Ärjyjä"}));
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM et")), 0);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Eläimet - 4"));
}

TEST_F(frmElaimetTest, NewAnimalIsTypedSavedAndShownInTheTreeAfterBrowse)
{
    t.animal(QStringLiteral("Karhu"));
    auto w = openWindow();
    ASSERT_TRUE(name && tree);
    QTest::keyClick(w.get(), Qt::Key_F2);
    EXPECT_TRUE(name->hasFocus());
    EXPECT_EQ(name->text(), QString());
    QTest::keyClicks(name, QStringLiteral("Ilves"));
    QTest::keyClick(name, Qt::Key_F3);
    EXPECT_EQ(storedNames(), (QStringList{"Karhu", "Ilves"}));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Eläimet - 2"));
    EXPECT_EQ(name->text(), QStringLiteral("Ilves"));
    EXPECT_FALSE(tree->findItems(QStringLiteral("Karhu"), Qt::MatchRecursive).isEmpty());
    EXPECT_TRUE(tree->findItems(QStringLiteral("Ilves"), Qt::MatchRecursive).isEmpty()) << "save does not rebuild";
    QTest::keyClick(name, Qt::Key_F5);
    EXPECT_EQ(treeTexts(), (QStringList{"Eläimet", "-I", "--Ilves", "-K", "--Karhu"}));
    EXPECT_TRUE(tree->hasFocus());
    ASSERT_NE(tree->currentItem(), nullptr);
    EXPECT_EQ(tree->currentItem()->text(0), QStringLiteral("I"));
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(frmElaimetTest, RenameIsWrittenByMovingAndUndoDropsIt)
{
    t.animal(QStringLiteral("Karhu"));
    t.animal(QStringLiteral("Susi"));
    auto w = openWindow();
    ASSERT_TRUE(name && tree);
    type(QStringLiteral("Ruskeakarhu"));
    QTest::keyClick(name, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(name->text(), QStringLiteral("Susi"));
    type(QStringLiteral("Harmaasusi"));
    QTest::keyClick(name, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(name->text(), QStringLiteral("Susi"));
    QTest::keyClick(name, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(name->text(), QStringLiteral("Ruskeakarhu"));
    EXPECT_EQ(storedNames(), (QStringList{"Ruskeakarhu", "Susi"}));
    w->cEdellinen_Click();
    EXPECT_EQ(beeps(), 1);
}

TEST_F(frmElaimetTest, OverlongNameIsRefusedWithItsReasonAndTheInputStays)
{
    const QString tooLong = QStringLiteral("Pohjoisamerikkalainen valkohäntäpeura"); // 37 characters
    t.animal(QStringLiteral("Karhu"));
    t.animal(QStringLiteral("Susi"));
    auto w = openWindow();
    ASSERT_TRUE(name && tree);
    using Command = void (*)(frmElaimet&);
    const std::pair<const char*, Command> commands[] = {
        {"Tallenna", [](frmElaimet& f) { f.cTallenna_Click(); }},
        {"Seuraava", [](frmElaimet& f) { f.cSeuraava_Click(); }},
        {"Uusi", [](frmElaimet& f) { f.cUusi_Click(); }},
        {"Selaa", [](frmElaimet& f) { f.cSelaa_Click(); }},
        {"Sulje", [](frmElaimet& f) { f.close(); }},
    };
    type(tooLong);
    for (const auto& [what, run] : commands) {
        prompter.clear();
        run(*w);
        EXPECT_EQ(prompter.messageTexts(),
                  QStringList{"Eläimen tallennus ei onnistunut: Nimi on liian pitkä: enintään 35 merkkiä."})
            << what;
        EXPECT_EQ(name->text(), tooLong) << what;
        EXPECT_TRUE(w->isVisible()) << what;
    }
    EXPECT_EQ(storedNames(), (QStringList{"Karhu", "Susi"}));
    // The same on a new animal: the typed name stays and nothing is added.
    w->cPeru_Click();
    w->cUusi_Click();
    type(tooLong);
    prompter.clear();
    w->cTallenna_Click();
    EXPECT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_EQ(name->text(), tooLong);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM el")), 2);
    // Shortened, it is stored.
    type(tooLong.left(35));
    prompter.clear();
    w->cTallenna_Click();
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(storedNames().last(), tooLong.left(35));
}

TEST_F(frmElaimetTest, DeleteAsksAndTakesTheContractLinksAlong)
{
    const qint64 vs = t.contract(QStringLiteral("Aho"));
    const qint64 karhu = t.animal(QStringLiteral("Karhu"));
    const qint64 susi = t.animal(QStringLiteral("Susi"));
    t.link(vs, karhu);
    t.link(vs, susi);
    auto w = openWindow();
    ASSERT_TRUE(name && tree);
    prompter.answerNo();
    QTest::keyClick(name, Qt::Key_F4);
    EXPECT_EQ(storedNames(), (QStringList{"Karhu", "Susi"}));
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text, QStringLiteral("Poistetaanko näytössä oleva eläin?\r\n\r\nKarhu"));
    EXPECT_EQ(prompter.shown()[0].buttons, MsgButtons::YesNo);

    prompter.answerYes();
    QTest::keyClick(name, Qt::Key_F4);
    EXPECT_EQ(storedNames(), QStringList{"Susi"});
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM et WHERE etelID = ?"), {karhu}), 0);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM et WHERE etelID = ?"), {susi}), 1);
    EXPECT_EQ(treeTexts(), (QStringList{"Eläimet", "-K", "-S", "--Susi"})) << "its node went without a rebuild";
    EXPECT_EQ(name->text(), QStringLiteral("Susi"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Eläimet - 1"));
}

TEST_F(frmElaimetTest, ClosingWritesTheTypedName)
{
    t.animal(QStringLiteral("Karhu"));
    auto w = openWindow();
    ASSERT_TRUE(name && tree);
    type(QStringLiteral("Karhunpentu"));
    test::Control<QPushButton>(*w, QStringLiteral("cSulje"))->click();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(storedNames(), QStringList{"Karhunpentu"});
}

TEST_F(frmElaimetTest, ControlsAndMenuCarryTheirNamesAndKeys)
{
    auto w = openWindow();
    for (const char* button : {"cUusi", "cTallenna", "cPoista", "cSelaa", "cPeru", "cEnsimmäinen", "cEdellinen", "cSeuraava",
                               "cViimeinen", "cSulje"})
        EXPECT_NE(w->findChild<QPushButton*>(QString::fromUtf8(button)), nullptr) << button;
    const std::pair<const char*, const char*> keys[] = {
        {"mUusi", "F2"},          {"mTallenna", "F3"},     {"mPoista", "F4"},
        {"mSelaa", "F5"},         {"mPeru", "Ctrl+Z"},     {"mEnsimmäinen", "Ctrl+A"},
        {"mEdellinen", "Ctrl+S"}, {"mSeuraava", "Ctrl+D"}, {"mViimeinen", "Ctrl+F"}};
    for (const auto& [action, key] : keys) {
        auto* a = w->findChild<QAction*>(QString::fromUtf8(action));
        ASSERT_NE(a, nullptr) << action;
        EXPECT_EQ(a->shortcut().toString(), QLatin1String(key)) << action;
    }
}

TEST_F(frmElaimetTest, SettingsButtonOpensTheCatalogueModally)
{
    t.animal(QStringLiteral("Karhu"));
    RegisterContractWindows();
    frmAsetukset settings;
    auto* button = settings.findChild<QPushButton*>(QStringLiteral("cElaimet"));
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled());
    QString seen;
    bool modal = false;
    test::WhenModalShown<frmElaimet>([&](frmElaimet& w) {
        seen = w.windowTitle();
        modal = w.isModal();
        w.close();
    });
    button->click();
    EXPECT_EQ(seen, QStringLiteral("Tikkeli - Eläimet - 1"));
    EXPECT_TRUE(modal);
    frmAsetukset::setAnimalCatalogueOpener({});
}

// A name typed on the shown animal, then another program restores a backup over the file: the
// command that would store it says it was not saved, the window shows the file now at the path,
// and the same command run again writes nothing typed against the old file.
TEST_F(frmElaimetTest, WhatWasTypedBeforeARestoreIsNeverWrittenIntoTheRestoredFile)
{
    t.animal(QStringLiteral("Karhu"));
    t.animal(QStringLiteral("Susi"));
    test::MessagesRunTheEventLoop(prompter);
    const std::pair<const char*, std::function<void(frmElaimet&)>> commands[] = {
        {"save", [](frmElaimet& w) { w.cTallenna_Click(); }},
        {"close", [](frmElaimet& w) { w.close(); }},
        {"next animal", [](frmElaimet& w) { w.cSeuraava_Click(); }},
    };
    const QString firstStored = QStringLiteral("SELECT elNimi FROM el ORDER BY elID LIMIT 1");
    for (int round = 1; round <= 3; ++round) {
        const auto& [what, command] = commands[round - 1];
        SCOPED_TRACE(what);
        prompter.clear();
        auto w = openWindow();
        ASSERT_EQ(name->text(), test::FileRows(t.path, firstStored));
        type(QStringLiteral("Kirjoitettu%1").arg(round));
        const QString restored = QStringLiteral("Palautettu%1").arg(round);
        test::RestoreChangedCopy(
            t.path, QStringLiteral("UPDATE el SET elNimi = '%1' WHERE elID = (SELECT min(elID) FROM el)").arg(restored));
        command(*w);
        EXPECT_TRUE(prompter.anyMessageContains(test::ReplacedFileMessage))
            << prompter.messageTexts().join(u'\n').toStdString();
        ASSERT_TRUE(w->isVisible()) << "the window stays open after the message";
        EXPECT_EQ(name->text(), restored);

        command(*w);
        QApplication::processEvents();
        EXPECT_EQ(test::FileRows(t.path, QStringLiteral("SELECT elNimi FROM el ORDER BY elID")),
                  restored + QStringLiteral("|Susi"));
    }
}
