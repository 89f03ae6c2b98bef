#include "../FeatureTestDb.h"

#include "base/ScriptedPrompter.h"
#include "ui/FormRegistry.h"
#include "ui/WindowOpeners.h"
#include "db/Recordset.h"
#include "db/ClubChanges.h"
#include "members/ui/MemberWindows.h"
#include "members/ui/frmPiirre.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ui/frmTulostus.h"
#include "support/OtherProgramRestore.h"
#include "support/TreeTexts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

using namespace tikkeli;

namespace {

// The window's controls, found by their object names.
struct Controls {
    QLineEdit* tNimi = nullptr;
    QPlainTextEdit* tKuvaus = nullptr;
    QTreeWidget* tvwPiirteet = nullptr;
    QLineEdit* tDate = nullptr;
    QLineEdit* tLong = nullptr;
    QLineEdit* tCurrency = nullptr;
    QPlainTextEdit* tMemo = nullptr;
    QCheckBox* chkDate = nullptr;
    QCheckBox* chkLong = nullptr;
    QCheckBox* chkCurrency = nullptr;
    QCheckBox* chkMemo = nullptr;
    QRadioButton* optType1 = nullptr;
    QRadioButton* optType2 = nullptr;
    QAction* mRapLuettelo = nullptr;
    bool complete() const
    {
        return tNimi && tKuvaus && tvwPiirteet && tDate && tLong && tCurrency && tMemo && chkDate && chkLong && chkCurrency
               && chkMemo && optType1 && optType2 && mRapLuettelo;
    }
};

Controls controls(QWidget& w)
{
    Controls c;
    c.tNimi = w.findChild<QLineEdit*>(QStringLiteral("tNimi"));
    c.tKuvaus = w.findChild<QPlainTextEdit*>(QStringLiteral("tKuvaus"));
    c.tvwPiirteet = w.findChild<QTreeWidget*>(QStringLiteral("tvwPiirteet"));
    c.tDate = w.findChild<QLineEdit*>(QStringLiteral("tDate"));
    c.tLong = w.findChild<QLineEdit*>(QStringLiteral("tLong"));
    c.tCurrency = w.findChild<QLineEdit*>(QStringLiteral("tCurrency"));
    c.tMemo = w.findChild<QPlainTextEdit*>(QStringLiteral("tMemo"));
    c.chkDate = w.findChild<QCheckBox*>(QStringLiteral("chkDate"));
    c.chkLong = w.findChild<QCheckBox*>(QStringLiteral("chkLong"));
    c.chkCurrency = w.findChild<QCheckBox*>(QStringLiteral("chkCurrency"));
    c.chkMemo = w.findChild<QCheckBox*>(QStringLiteral("chkMemo"));
    c.optType1 = w.findChild<QRadioButton*>(QStringLiteral("optType1"));
    c.optType2 = w.findChild<QRadioButton*>(QStringLiteral("optType2"));
    c.mRapLuettelo = w.findChild<QAction*>(QStringLiteral("mRapLuettelo"));
    return c;
}

class frmPiirreTest : public test::FeatureTestDb {
protected:
    std::unique_ptr<frmPiirre> openWindow()
    {
        auto w = std::make_unique<frmPiirre>();
        w->show();
        QApplication::processEvents();
        return w;
    }
    static QStringList treeTexts(QTreeWidget* tree) { return test::TreeTexts(tree); }
    // Answers the print dialog with its print button as soon as it is shown.
    static void clickPrintWhenShown()
    {
        auto* timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer] {
            if (auto* d = qobject_cast<frmTulostus*>(QApplication::activeModalWidget())) {
                timer->stop();
                timer->deleteLater();
                auto* print = d->findChild<QPushButton*>(QStringLiteral("cTulosta"));
                ASSERT_NE(print, nullptr);
                QTest::mouseClick(print, Qt::LeftButton);
            }
        });
        timer->start();
    }
    static QTreeWidgetItem* node(QTreeWidget* tree, const QString& text)
    {
        const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }

    ScriptedPrompter prompter;
};

} // namespace

TEST_F(frmPiirreTest, MissingDatabaseSettingClosesTheWindowWithAMessage)
{
    for (const QString& setting : {QString(), QStringLiteral("unknown"), env.root() + QStringLiteral("/eiole.mdb")}) {
        prompter.clear();
        State().DatabasePath = setting;
        frmPiirre w;
        EXPECT_FALSE(w.loaded());
        ASSERT_EQ(prompter.messageTexts().size(), 1);
        EXPECT_TRUE(
            prompter.messageTexts().first().startsWith(QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!")));
    }
}

TEST_F(frmPiirreTest, EmptyCatalogueShowsTwoRootsAndBeepsAtTheEnds)
{
    auto w = openWindow();
    const Controls c = controls(*w);
    ASSERT_TRUE(c.complete());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Ominaisuudet - 0"));
    EXPECT_EQ(treeTexts(c.tvwPiirteet), (QStringList{"Jäsenrekisteri", "Maanvuokrasopimukset"}));
    w->ensimmainen();
    w->viimeinen();
    int beeps = 0;
    for (const auto& s : prompter.shown())
        beeps += s.kind == ScriptedPrompter::Kind::Beep;
    EXPECT_EQ(beeps, 2);
    // A type option with no row to put it on gives the hint.
    c.optType2->click();
    EXPECT_TRUE(prompter.anyMessageContains(QStringLiteral("Aloita uuden ominaisuuden syöttö")));
}

TEST_F(frmPiirreTest, TreeHoldsTypesAndLettersWithKeys)
{
    const qint64 a = definition("Ankka");
    definition("alue");
    definition("Öljy");
    definition("1. luokka");
    definition("Pelto", 2);
    auto w = openWindow();
    const Controls c = controls(*w);
    ASSERT_TRUE(c.complete());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Ominaisuudet - 5"));
    // Every definition has a node: one whose initial is no letter of the tree under "Muut".
    EXPECT_EQ(treeTexts(c.tvwPiirteet), (QStringList{"Jäsenrekisteri", "-A", "--alue", "--Ankka", "-Ö", "--Öljy", "-Muut",
                                                     "--1. luokka", "Maanvuokrasopimukset", "-P", "--Pelto"}));
    EXPECT_EQ(node(c.tvwPiirteet, "Ankka")->data(0, Qt::UserRole).toString(), QString::number(a) + "ID");
}

TEST_F(frmPiirreTest, NewDefinitionIsTypedSavedAndShownInTheTreeAfterBrowse)
{
    int definitionEvents = 0;
    QObject listener;
    QObject::connect(&ClubChanges::instance(), &ClubChanges::featureDefinitionsChanged, &listener,
                     [&] { ++definitionEvents; });
    auto w = openWindow();
    const Controls c = controls(*w);
    ASSERT_TRUE(c.complete());
    QTest::keyClick(w.get(), Qt::Key_F2);
    EXPECT_TRUE(c.tNimi->hasFocus());
    QTest::keyClicks(c.tNimi, QStringLiteral("Hirvikoe"));
    c.tKuvaus->setPlainText(QStringLiteral("Ammuttu koe"));
    c.optType2->click();
    c.chkCurrency->click();
    EXPECT_TRUE(c.tCurrency->isEnabled());
    c.tCurrency->setText(QStringLiteral("15,50"));
    QTest::keyClick(c.tNimi, Qt::Key_F3);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Ominaisuudet - 1"));
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM pi"));
    EXPECT_EQ(rs.field("piNimi").toString(), QStringLiteral("Hirvikoe"));
    EXPECT_EQ(rs.field("piKuvaus").toString(), QStringLiteral("Ammuttu koe"));
    EXPECT_EQ(rs.field("piType").toInt64(), 2);
    EXPECT_TRUE(rs.field("piEnbldCurrency").toBool());
    EXPECT_EQ(rs.field("piCurrency").toCurrency(), Currency::fromRaw(155000));
    EXPECT_EQ(definitionEvents, 1);
    // Save does not rebuild the tree; browse does.
    EXPECT_EQ(node(c.tvwPiirteet, "Hirvikoe"), nullptr);
    QTest::keyClick(c.tNimi, Qt::Key_F5);
    EXPECT_NE(node(c.tvwPiirteet, "Hirvikoe"), nullptr);
    EXPECT_TRUE(c.tvwPiirteet->hasFocus());
}

TEST_F(frmPiirreTest, TabFollowsTheCardAndBrowseStepsDownTheTree)
{
    definition("Aa");
    auto w = openWindow();
    const Controls c = controls(*w);
    ASSERT_TRUE(c.complete());
    w->activateWindow();
    c.tKuvaus->setFocus();
    QTest::keyClick(c.tKuvaus, Qt::Key_Tab);
    EXPECT_EQ(c.tKuvaus->toPlainText(), QString());
    EXPECT_FALSE(c.tKuvaus->hasFocus());
    EXPECT_TRUE(c.tMemo->tabChangesFocus());
    const std::pair<QWidget*, QWidget*> steps[] = {
        {c.chkDate, c.tDate},         {c.tDate, c.chkLong},     {c.chkLong, c.tLong}, {c.tLong, c.chkCurrency},
        {c.chkCurrency, c.tCurrency}, {c.tCurrency, c.chkMemo}, {c.chkMemo, c.tMemo}};
    const auto nextTabStop = [](QWidget* from) {
        QWidget* next = from->nextInFocusChain();
        while (next != from && !(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        return next;
    };
    for (const auto& [from, to] : steps)
        EXPECT_EQ(nextTabStop(from), to) << from->objectName().toStdString();

    w->selaa();
    ASSERT_NE(c.tvwPiirteet->currentItem(), nullptr);
    EXPECT_EQ(c.tvwPiirteet->currentItem()->text(0), QStringLiteral("Jäsenrekisteri"));
}

TEST_F(frmPiirreTest, RecordKeysWinOverTheTextBoxesOwnKeys)
{
    definition("Aa");
    definition("Bb");
    auto w = openWindow();
    const Controls c = controls(*w);
    ASSERT_TRUE(c.complete());
    c.tNimi->setFocus();
    QTest::keyClick(c.tNimi, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(c.tNimi->text(), QStringLiteral("Bb"));
    QTest::keyClick(c.tNimi, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(c.tNimi->text(), QStringLiteral("Aa"));
    // Ctrl+Z drops the typed change instead of undoing one keystroke.
    QTest::keyClicks(c.tNimi, QStringLiteral("xyz"));
    QTest::keyClick(c.tNimi, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(c.tNimi->text(), QStringLiteral("Aa"));
    QTest::keyClick(c.tNimi, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(c.tNimi->text(), QStringLiteral("Bb"));
    EXPECT_EQ(count("SELECT COUNT(*) FROM pi WHERE piNimi = 'Aa'"), 1);
}

TEST_F(frmPiirreTest, DeleteAsksAndTakesTheValuesAlong)
{
    const qint64 gone = definition("Ampumakoe");
    const qint64 kept = definition("Jahti");
    for (int i = 0; i < 3; ++i)
        memberValue(member("Virtanen"), gone);
    contractValue(1, gone);
    db.execute(QStringLiteral("UPDATE pi SET piEnbldDate = 1, piDate = '2024-01-02 00:00:00' WHERE piID = ?"), {kept});
    auto w = openWindow();
    const Controls c = controls(*w);
    ASSERT_TRUE(c.complete());

    prompter.answerNo();
    QTest::keyClick(w.get(), Qt::Key_F4);
    EXPECT_EQ(count("SELECT COUNT(*) FROM pi"), 2);
    EXPECT_EQ(count("SELECT COUNT(*) FROM pt"), 3);
    EXPECT_EQ(count("SELECT COUNT(*) FROM mt"), 1);

    prompter.answerYes();
    w->poista();
    EXPECT_EQ(prompter.shown().back().text, QStringLiteral("Poistetaanko näytössä oleva ominaisuus?\r\n\r\nAmpumakoe"));
    EXPECT_EQ(count("SELECT COUNT(*) FROM pi"), 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM pt"), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM mt"), 0);
    EXPECT_EQ(node(c.tvwPiirteet, "Ampumakoe"), nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Ominaisuudet - 1"));
    // The definition now shown keeps what it has when the card is saved.
    EXPECT_EQ(c.tNimi->text(), QStringLiteral("Jahti"));
    EXPECT_TRUE(c.chkDate->isChecked());
    w->tallenna();
    EXPECT_EQ(count("SELECT COUNT(*) FROM pi WHERE piEnbldDate = 1 AND piDate IS NOT NULL"), 1);
}

TEST_F(frmPiirreTest, ValueBoxesTellTheFieldsMessageOnLeavingAndSaveRefusesTheText)
{
    definition("Aa");
    auto w = openWindow();
    const Controls c = controls(*w);
    ASSERT_TRUE(c.complete());
    w->activateWindow();
    c.chkLong->click();
    c.chkDate->click();
    c.chkCurrency->click();
    EXPECT_EQ(c.tLong->maxLength(), 14);
    EXPECT_EQ(c.tCurrency->maxLength(), 26);
    EXPECT_EQ(c.tNimi->maxLength(), 50);
    struct Case {
        QLineEdit* box;
        QString typed;
        QString left;
        QString message; // the start of the one message, "" for none
    };
    const Case cases[] = {
        {c.tLong, "12a", "12a", "Luku ei kelpaa: \"12a\""},
        {c.tLong, "", "", ""},
        {c.tLong, "12,5", "12,5", "Luku ei kelpaa: \"12,5\""},
        {c.tLong, "12", "12", ""},
        {c.tDate, "5.3.24", "5.3.2024", ""},
        {c.tDate, "huomenna", "huomenna", "Päivämäärä ei kelpaa: \"huomenna\""},
        {c.tCurrency, "1,5", "1,5", ""},
    };
    for (const Case& k : cases) {
        prompter.clear();
        k.box->setFocus();
        k.box->setText(k.typed);
        c.tNimi->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(k.box->text(), k.left) << k.typed.toStdString();
        if (k.message.isEmpty()) {
            EXPECT_TRUE(prompter.messageTexts().isEmpty()) << k.typed.toStdString();
        } else {
            ASSERT_EQ(prompter.messageTexts().size(), 1) << k.typed.toStdString();
            EXPECT_TRUE(prompter.messageTexts().front().startsWith(k.message)) << k.typed.toStdString();
        }
    }

    // The refused date stays in its box: the save tells why and writes nothing.
    prompter.clear();
    EXPECT_FALSE(w->tallenna());
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts().front().startsWith(
        QStringLiteral("Ominaisuuden tallennus ei onnistunut: Päivämäärä ei kelpaa")));
    EXPECT_EQ(count("SELECT COUNT(*) FROM pi WHERE piLong IS NOT NULL OR piEnbldLong = 1"), 0);
    c.tDate->setText(QStringLiteral("1.2.2025"));
    c.tLong->setText(QStringLiteral("4,5"));
    prompter.clear();
    EXPECT_FALSE(w->tallenna());
    EXPECT_TRUE(prompter.anyMessageContains(QStringLiteral("Luku ei kelpaa: \"4,5\"")));
    c.tLong->setText(QStringLiteral("4"));
    EXPECT_TRUE(w->tallenna());
    EXPECT_EQ(count("SELECT COUNT(*) FROM pi WHERE piLong = 4 AND piEnbldLong = 1 AND piCurrency IS NOT NULL"), 1);
}

TEST_F(frmPiirreTest, NameMustBeginWithALetter)
{
    definition("Aa");
    auto w = openWindow();
    const Controls c = controls(*w);
    ASSERT_TRUE(c.complete());
    c.tNimi->clear();
    QTest::keyClicks(c.tNimi, QStringLiteral("1a"));
    EXPECT_EQ(prompter.messageTexts(),
              (QStringList{"Ominaisuuden nimen tulee alkaa kirjaimella.", "Ominaisuuden nimen tulee alkaa kirjaimella."}));
    EXPECT_EQ(c.tNimi->text(), QStringLiteral("1a"));
}

TEST_F(frmPiirreTest, TreeClickSavesAndMovesTheCard)
{
    definition("Aa");
    definition("Bb");
    auto w = openWindow();
    const Controls c = controls(*w);
    ASSERT_TRUE(c.complete());
    c.tKuvaus->setPlainText(QStringLiteral("muutos"));
    w->valitseSolmu(node(c.tvwPiirteet, "A"));
    EXPECT_EQ(c.tNimi->text(), QStringLiteral("Aa"));
    EXPECT_EQ(db.scalar("SELECT piKuvaus FROM pi WHERE piNimi = 'Aa'").toString(), QStringLiteral("muutos"));
    w->valitseSolmu(node(c.tvwPiirteet, "Bb"));
    EXPECT_EQ(c.tNimi->text(), QStringLiteral("Bb"));

    db.execute(QStringLiteral("DELETE FROM pi WHERE piNimi = 'Aa'"));
    w->valitseSolmu(node(c.tvwPiirteet, "Aa"));
    EXPECT_TRUE(prompter.anyMessageContains(QStringLiteral("No match")));
}

TEST_F(frmPiirreTest, ListPrintGoesThroughThePrintDialog)
{
    definition("Aa");
    auto w = openWindow();
    const Controls c = controls(*w);
    ASSERT_TRUE(c.complete());
    int printed = 0;
    MainReport().setOutputHandler([&](std::shared_ptr<const ReportDocument>, const ReportEngine&) { ++printed; });
    clickPrintWhenShown();
    c.mRapLuettelo->trigger();
    // The program folder of this installation has no report files: the user is told so.
    EXPECT_EQ(printed, 0);
    EXPECT_TRUE(prompter.anyMessageContains(QStringLiteral("20504")));

    QDir().mkpath(env.programFolder() + QStringLiteral("/reports"));
    QFile::copy(QStringLiteral(TIKKELI_PROGRAM_DIR "/reports/pilista.rpt"),
                env.programFolder() + QStringLiteral("/reports/pilista.rpt"));
    clickPrintWhenShown();
    c.mRapLuettelo->trigger();
    EXPECT_EQ(printed, 1) << prompter.messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(MainReport().ReportFileName.section(QLatin1Char('/'), -1), QStringLiteral("pilista.rpt"));
    MainReport() = ReportEngine{};
    Printing() = PrintChoices{};
}

TEST(FeatureWindowOpeners, CatalogueOpensOnce)
{
    test::TempProgramEnvironment env;
    ScriptedPrompter prompter;
    State().DatabasePath = QStringLiteral("unknown");
    WindowOpeners::clear();
    RegisterMemberWindows();
    const WindowOpener* open = WindowOpeners::find(MainCommand::FeatureCatalogue);
    ASSERT_NE(open, nullptr);
    (*open)(nullptr);
    EXPECT_TRUE(IsFormLoaded(QStringLiteral("frmPiirre")));
    // A window that could not load closes itself.
    EXPECT_TRUE(QTest::qWaitFor([] { return !IsFormLoaded(QStringLiteral("frmPiirre")); }, 10000));
    WindowOpeners::clear();
}

// A name typed on the shown feature, then another program restores a backup over the file: the
// command that would store it says it was not saved, the window shows the file now at the path,
// and the same command run again writes nothing typed against the old file.
TEST_F(frmPiirreTest, WhatWasTypedBeforeARestoreIsNeverWrittenIntoTheRestoredFile)
{
    db.execute(QStringLiteral("INSERT INTO pi (piNimi, piType) VALUES ('Ampumakoe', 1), ('Koira', 1)"));
    test::MessagesRunTheEventLoop(prompter);
    struct Case {
        const char* name;
        std::function<void(frmPiirre&)> command;
        bool closes;
    };
    const Case cases[] = {
        {"save", [](frmPiirre& w) { QTest::keyClick(&w, Qt::Key_F3); }, false},
        {"close", [](frmPiirre& w) { w.close(); }, true},
        {"next feature", [](frmPiirre& w) { QTest::keyClick(&w, Qt::Key_D, Qt::ControlModifier); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompter.clear();
        auto w = openWindow();
        const Controls k = controls(*w);
        ASSERT_EQ(k.tNimi->text(), test::FileRows(path, QStringLiteral("SELECT piNimi FROM pi ORDER BY piID LIMIT 1")));
        const int round = int(&c - cases) + 1;
        k.tNimi->setText(QStringLiteral("Kirjoitettu%1").arg(round));
        const QString restored = QStringLiteral("Palautettu%1").arg(round);
        test::RestoreChangedCopy(path, QStringLiteral("UPDATE pi SET piNimi = '%1' WHERE piNimi LIKE 'Ampumakoe' "
                                                      "OR piNimi LIKE 'Palautettu%'")
                                           .arg(restored));
        c.command(*w);
        EXPECT_TRUE(prompter.anyMessageContains(test::ReplacedFileMessage))
            << prompter.messageTexts().join(u'\n').toStdString();
        ASSERT_TRUE(w->isVisible()) << "the window stays open after the message";
        EXPECT_EQ(k.tNimi->text(), restored);

        c.command(*w);
        QApplication::processEvents();
        EXPECT_EQ(w->isVisible(), !c.closes);
        EXPECT_EQ(test::FileRows(path, QStringLiteral("SELECT piNimi FROM pi ORDER BY piID")),
                  restored + QStringLiteral("|Koira"));
    }
}
