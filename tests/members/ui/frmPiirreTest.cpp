#include "../FeatureTestDb.h"

#include "base/ScriptedPrompter.h"
#include "base/ui/FormRegistry.h"
#include "base/ui/WindowOpeners.h"
#include "db/Recordset.h"
#include "members/FeatureEvents.h"
#include "members/ui/MemberWindows.h"
#include "members/ui/frmPiirre.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ui/frmTulostus.h"

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

using namespace tikkeli;

namespace {

class frmPiirreTest : public test::FeatureTestDb {
protected:
    std::unique_ptr<frmPiirre> openWindow()
    {
        auto w = std::make_unique<frmPiirre>();
        w->show();
        QApplication::processEvents();
        return w;
    }
    static QStringList treeTexts(QTreeWidget* tree)
    {
        QStringList out;
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            int depth = 0;
            for (auto* p = (*it)->parent(); p; p = p->parent())
                ++depth;
            out << QString(depth, QLatin1Char('-')) + (*it)->text(0);
        }
        return out;
    }
    // Answers the print dialog with its print button as soon as it is shown.
    static void clickPrintWhenShown()
    {
        auto* timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer] {
            if (auto* d = qobject_cast<frmTulostus*>(QApplication::activeModalWidget())) {
                timer->stop();
                timer->deleteLater();
                QTest::mouseClick(d->cTulosta, Qt::LeftButton);
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
        EXPECT_TRUE(prompter.messageTexts().first().startsWith(QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!")));
    }
}

TEST_F(frmPiirreTest, EmptyCatalogueShowsTwoRootsAndBeepsAtTheEnds)
{
    auto w = openWindow();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Ominaisuudet - 0"));
    EXPECT_EQ(treeTexts(w->tvwPiirteet), (QStringList{"Jäsenrekisteri", "Maanvuokrasopimukset"}));
    w->ensimmainen();
    w->viimeinen();
    int beeps = 0;
    for (const auto& s : prompter.shown())
        beeps += s.kind == ScriptedPrompter::Kind::Beep;
    EXPECT_EQ(beeps, 2);
    // A type option with no row to put it on gives the hint.
    w->optType[2]->click();
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
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Ominaisuudet - 5"));
    EXPECT_EQ(treeTexts(w->tvwPiirteet), (QStringList{"Jäsenrekisteri", "-A", "--alue", "--Ankka", "-Ö", "--Öljy",
                                                      "Maanvuokrasopimukset", "-P", "--Pelto"}));
    EXPECT_EQ(node(w->tvwPiirteet, "Ankka")->data(0, Qt::UserRole).toString(), QString::number(a) + "ID");
}

TEST_F(frmPiirreTest, NewDefinitionIsTypedSavedAndShownInTheTreeAfterBrowse)
{
    int definitionEvents = 0;
    FeatureEvents::setDefinitionsChanged([&] { ++definitionEvents; });
    auto w = openWindow();
    QTest::keyClick(w.get(), Qt::Key_F2);
    EXPECT_TRUE(w->tNimi->hasFocus());
    QTest::keyClicks(w->tNimi, QStringLiteral("Hirvikoe"));
    w->tKuvaus->setPlainText(QStringLiteral("Ammuttu koe"));
    w->optType[2]->click();
    w->chkCurrency->click();
    EXPECT_TRUE(w->tCurrency->isEnabled());
    w->tCurrency->setText(QStringLiteral("15,50"));
    QTest::keyClick(w->tNimi, Qt::Key_F3);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Ominaisuudet - 1"));
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM pi"));
    EXPECT_EQ(rs.field("piNimi").toString(), QStringLiteral("Hirvikoe"));
    EXPECT_EQ(rs.field("piKuvaus").toString(), QStringLiteral("Ammuttu koe"));
    EXPECT_EQ(rs.field("piType").toInt64(), 2);
    EXPECT_TRUE(rs.field("piEnbldCurrency").toBool());
    EXPECT_EQ(rs.field("piCurrency").toCurrency(), Currency::fromRaw(155000));
    EXPECT_EQ(definitionEvents, 1);
    // Save does not rebuild the tree; browse does.
    EXPECT_EQ(node(w->tvwPiirteet, "Hirvikoe"), nullptr);
    QTest::keyClick(w->tNimi, Qt::Key_F5);
    EXPECT_NE(node(w->tvwPiirteet, "Hirvikoe"), nullptr);
    EXPECT_TRUE(w->tvwPiirteet->hasFocus());
    FeatureEvents::setDefinitionsChanged({});
}

TEST_F(frmPiirreTest, TabFollowsTheCardAndBrowseStepsDownTheTree)
{
    definition("Aa");
    auto w = openWindow();
    w->activateWindow();
    w->tKuvaus->setFocus();
    QTest::keyClick(w->tKuvaus, Qt::Key_Tab);
    EXPECT_EQ(w->tKuvaus->toPlainText(), QString());
    EXPECT_FALSE(w->tKuvaus->hasFocus());
    EXPECT_TRUE(w->tMemo->tabChangesFocus());
    const std::pair<QWidget*, QWidget*> steps[] = {{w->chkDate, w->tDate}, {w->tDate, w->chkLong},
                                                   {w->chkLong, w->tLong}, {w->tLong, w->chkCurrency},
                                                   {w->chkCurrency, w->tCurrency}, {w->tCurrency, w->chkMemo},
                                                   {w->chkMemo, w->tMemo}};
    const auto nextTabStop = [](QWidget* from) {
        QWidget* next = from->nextInFocusChain();
        while (next != from && !(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        return next;
    };
    for (const auto& [from, to] : steps)
        EXPECT_EQ(nextTabStop(from), to) << from->objectName().toStdString();

    w->selaa();
    ASSERT_NE(w->tvwPiirteet->currentItem(), nullptr);
    EXPECT_EQ(w->tvwPiirteet->currentItem()->text(0), QStringLiteral("Jäsenrekisteri"));
}

TEST_F(frmPiirreTest, RecordKeysWinOverTheTextBoxesOwnKeys)
{
    definition("Aa");
    definition("Bb");
    auto w = openWindow();
    w->tNimi->setFocus();
    QTest::keyClick(w->tNimi, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(w->tNimi->text(), QStringLiteral("Bb"));
    QTest::keyClick(w->tNimi, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(w->tNimi->text(), QStringLiteral("Aa"));
    // Ctrl+Z drops the typed change instead of undoing one keystroke.
    QTest::keyClicks(w->tNimi, QStringLiteral("xyz"));
    QTest::keyClick(w->tNimi, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(w->tNimi->text(), QStringLiteral("Aa"));
    QTest::keyClick(w->tNimi, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(w->tNimi->text(), QStringLiteral("Bb"));
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

    prompter.answerNo();
    QTest::keyClick(w.get(), Qt::Key_F4);
    EXPECT_EQ(count("SELECT COUNT(*) FROM pi"), 2);
    EXPECT_EQ(count("SELECT COUNT(*) FROM pt"), 3);
    EXPECT_EQ(count("SELECT COUNT(*) FROM mt"), 1);

    prompter.answerYes();
    w->poista();
    EXPECT_EQ(prompter.shown().back().text, QStringLiteral("Poistetaanko näytössä oleva ominaisuus?"));
    EXPECT_EQ(count("SELECT COUNT(*) FROM pi"), 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM pt"), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM mt"), 0);
    EXPECT_EQ(node(w->tvwPiirteet, "Ampumakoe"), nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Ominaisuudet - 1"));
    // The definition now shown keeps what it has when the card is saved.
    EXPECT_EQ(w->tNimi->text(), QStringLiteral("Jahti"));
    EXPECT_TRUE(w->chkDate->isChecked());
    w->tallenna();
    EXPECT_EQ(count("SELECT COUNT(*) FROM pi WHERE piEnbldDate = 1 AND piDate IS NOT NULL"), 1);
}

TEST_F(frmPiirreTest, ValueBoxesCheckTheirTextOnLeaving)
{
    definition("Aa");
    auto w = openWindow();
    w->chkLong->click();
    w->chkDate->click();
    struct Case {
        QLineEdit* box;
        QString typed;
        QString left;
        bool beep;
    };
    const Case cases[] = {
        {w->tLong, "12a", "", true},
        {w->tLong, "", "", false},
        {w->tLong, "12,5", "12,5", false},
        {w->tDate, "5.3.24", "5.3.2024", false},
        {w->tDate, "huomenna", "", true},
    };
    for (const Case& c : cases) {
        prompter.clear();
        c.box->setFocus();
        c.box->setText(c.typed);
        w->tNimi->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(c.box->text(), c.left) << c.typed.toStdString();
        EXPECT_EQ(!prompter.shown().empty() && prompter.shown().back().kind == ScriptedPrompter::Kind::Beep, c.beep)
            << c.typed.toStdString();
    }
}

TEST_F(frmPiirreTest, NameMustBeginWithALetter)
{
    definition("Aa");
    auto w = openWindow();
    w->tNimi->clear();
    QTest::keyClicks(w->tNimi, QStringLiteral("1a"));
    EXPECT_EQ(prompter.messageTexts(),
              (QStringList{"Ominaisuuden nimen tulee alkaa kirjaimella.", "Ominaisuuden nimen tulee alkaa kirjaimella."}));
    EXPECT_EQ(w->tNimi->text(), QStringLiteral("1a"));
}

TEST_F(frmPiirreTest, TreeClickSavesAndMovesTheCard)
{
    definition("Aa");
    definition("Bb");
    auto w = openWindow();
    w->tKuvaus->setPlainText(QStringLiteral("muutos"));
    w->valitseSolmu(node(w->tvwPiirteet, "A"));
    EXPECT_EQ(w->tNimi->text(), QStringLiteral("Aa"));
    EXPECT_EQ(db.scalar("SELECT piKuvaus FROM pi WHERE piNimi = 'Aa'").toString(), QStringLiteral("muutos"));
    w->valitseSolmu(node(w->tvwPiirteet, "Bb"));
    EXPECT_EQ(w->tNimi->text(), QStringLiteral("Bb"));

    db.execute(QStringLiteral("DELETE FROM pi WHERE piNimi = 'Aa'"));
    w->valitseSolmu(node(w->tvwPiirteet, "Aa"));
    EXPECT_TRUE(prompter.anyMessageContains(QStringLiteral("No match")));
}

TEST_F(frmPiirreTest, ListPrintGoesThroughThePrintDialog)
{
    definition("Aa");
    auto w = openWindow();
    int printed = 0;
    MainReport().setOutputHandler([&](std::shared_ptr<const ReportDocument>, const ReportEngine&) { ++printed; });
    clickPrintWhenShown();
    w->mRapLuettelo->trigger();
    // The program folder of this installation has no report files: the user is told so.
    EXPECT_EQ(printed, 0);
    EXPECT_TRUE(prompter.anyMessageContains(QStringLiteral("20504")));

    QDir().mkpath(env.programFolder() + QStringLiteral("/reports"));
    QFile::copy(QStringLiteral(TIKKELI_PROGRAM_DIR "/reports/pilista.rpt"),
                env.programFolder() + QStringLiteral("/reports/pilista.rpt"));
    clickPrintWhenShown();
    w->mRapLuettelo->trigger();
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
