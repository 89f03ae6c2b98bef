#include "support/Controls.h"
#include "base/ScriptedPrompter.h"
#include "contracts/ui/frmVuokra.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ui/frmTulostus.h"
#include "settings/DatabaseSettingsStore.h"
#include "../ContractTestDb.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;

namespace {

class frmVuokraTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (auto* w = frmVuokra::Instance())
            delete w;
        frmVuokra::SearchDialog = nullptr;
        frmVuokra::Today = nullptr;
        MainReport() = ReportEngine{};
        Printing() = PrintChoices{};
    }
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
    T* child(frmVuokra* w, const char* name)
    {
        return w->findChild<T*>(QLatin1String(name));
    }
    QAction* action(frmVuokra* w, const char* name) { return w->findChild<QAction*>(QLatin1String(name)); }
    void type(QLineEdit* box, const QString& text)
    {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    // Shows a contract through the search command.
    bool SearchAndShow(frmVuokra* w, qint64 id)
    {
        frmVuokra::SearchDialog = [id](frmVuokra&) { return id; };
        w->cHaku_Click();
        frmVuokra::SearchDialog = nullptr;
        return w->currentContractId() == id;
    }
    Value field(qint64 id, const char* name)
    {
        return t.db.scalar(QStringLiteral("SELECT %1 FROM vs WHERE vsID = ?").arg(QLatin1String(name)), {Value(id)});
    }

    ContractTestDb t{ContractTestDb::Source::Sample};
    ScriptedPrompter prompter;
};

// Answers the print dialog with its print button as soon as it is shown.
void clickPrintWhenShown()
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

} // namespace

TEST_F(frmVuokraTest, NoDatabaseConfiguredRefusesToOpen)
{
    for (const char* path : {"", "unknown"}) {
        State().DatabasePath = QString::fromUtf8(path);
        prompter.clear();
        EXPECT_EQ(frmVuokra::Load(), nullptr);
        EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!")});
    }
}

TEST_F(frmVuokraTest, OpensOnTheFirstContractWithItsEstatesAndRemovesOrphans)
{
    t.estate(999, QStringLiteral("Orpo"));
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Maanvuokrasopimukset - 20"));
    ASSERT_NE(child(w, "tNimi"), nullptr);
    EXPECT_EQ(child(w, "tNimi")->text(), QStringLiteral("Heinonen Liisa"));
    EXPECT_EQ(child(w, "tAlkaa")->text(), QStringLiteral("1.5.2013"));
    EXPECT_EQ(child(w, "tVuosiVastike")->text(), QStringLiteral("80,00"));
    auto* grid = child<QTableWidget>(w, "DBGrid1");
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->item(0, 2)->text(), QStringLiteral("Korpela"));
    EXPECT_EQ(grid->item(0, 4)->text(), QStringLiteral("178"));
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM tl WHERE tlvsID = 999")), 0);
    // The stored codes count from 1: Heinonen's lease covers the listed animals, runs until
    // further notice and has a yearly rent; the animal box follows the coverage.
    auto* all = child<QRadioButton>(w, "optKoskee_1");
    auto* listed = child<QRadioButton>(w, "optKoskee_4");
    ASSERT_NE(all, nullptr);
    ASSERT_NE(listed, nullptr);
    for (const char* chosen : {"optKoskee_4", "optVoimassa_1", "optVastike_2", "optOikeus_2", "optKoira_1"}) {
        auto* option = child<QRadioButton>(w, chosen);
        ASSERT_NE(option, nullptr) << chosen;
        EXPECT_TRUE(option->isChecked()) << chosen;
    }
    EXPECT_EQ(child(w, "tElaimet")->text(), QStringLiteral("Hirvi"));
    EXPECT_TRUE(child(w, "tElaimet")->isEnabled());
    all->click();
    EXPECT_FALSE(child(w, "tElaimet")->isEnabled());
    listed->click();
    EXPECT_TRUE(child(w, "tElaimet")->isEnabled());
}

TEST_F(frmVuokraTest, AStoredCodeOfZeroChoosesNoOption)
{
    t.db.execute(QStringLiteral("UPDATE vs SET vsKoskee = 0, vsVastike = 0 WHERE vsID = 1"));
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    for (const char* group : {"optKoskee", "optVastike"}) {
        for (int n = 1; n <= 4; ++n) {
            const QByteArray name = QStringLiteral("%1_%2").arg(QLatin1String(group)).arg(n).toLatin1();
            auto* option = child<QRadioButton>(w, name.constData());
            ASSERT_NE(option, nullptr) << group << n;
            EXPECT_FALSE(option->isChecked()) << group << n;
        }
    }
    EXPECT_FALSE(child(w, "tElaimet")->isEnabled());
}

TEST_F(frmVuokraTest, NewContractTakesTheCounterAndItsEstatesTheNewKey)
{
    // The number comes from the database's counter (21 in the sample), not from the 17 this
    // program remembers: another window or program may have stepped it since.
    State().AutoContractNumbers = true;
    State().ContractNumberCounter = 17;
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    QTest::keyClick(w, Qt::Key_F2);
    EXPECT_EQ(child(w, "tSopimusNo")->text(), QStringLiteral("21"));
    EXPECT_EQ(DatabaseSettingsStore(t.db).read(QStringLiteral("Sopimusnro")), QStringLiteral("22"));
    auto* terms = child<QPlainTextEdit>(w, "tYleisetEhdot");
    ASSERT_NE(terms, nullptr);
    EXPECT_EQ(terms->toPlainText().split(QStringLiteral("\n")).size(), 4);
    type(child(w, "tNimi"), QStringLiteral("Uusi Vuokranantaja"));
    type(child(w, "tAlkaa"), QStringLiteral("1.6.2024"));

    // An estate before the first save: the contract is written first.
    action(w, "mTilaUusi")->trigger();
    const qint64 id = w->currentContractId();
    ASSERT_GT(id, 20);
    EXPECT_EQ(field(id, "vsSopimusNo").toString(), QStringLiteral("21"));
    auto* grid = child<QTableWidget>(w, "DBGrid1");
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->rowCount(), 1);
    grid->item(0, 0)->setText(QStringLiteral("Hirvilahti"));
    grid->item(0, 2)->setText(QStringLiteral("Uusitalo"));
    grid->item(0, 4)->setText(QStringLiteral("12,5"));
    QTest::keyClick(w, Qt::Key_F3);
    EXPECT_TRUE(prompter.messageTexts().isEmpty()) << prompter.messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(
        t.count(QStringLiteral("SELECT COUNT(*) FROM tl WHERE tlvsID = ? AND tlTilaPalsta = 'Uusitalo' AND tlPa = 12.5"),
                {Value(id)}),
        1);
    EXPECT_EQ(field(id, "vsVoimassaAlkaen").toDate(), QDate(2024, 6, 1));
    EXPECT_TRUE(field(id, "vsVoimassaPaattyy").isNull());
    EXPECT_TRUE(field(id, "vsYleisetEhdot").toString().startsWith(QStringLiteral("Ellei muuta sovita")));
    EXPECT_EQ(field(id, "vsVastike").toInt64(), 2);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Maanvuokrasopimukset - 21"));
}

TEST_F(frmVuokraTest, UndoDropsTheEditAndSaveWritesIt)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    type(child(w, "tNimi"), QStringLiteral("Muutettu"));
    QTest::keyClick(child(w, "tNimi"), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(child(w, "tNimi")->text(), QStringLiteral("Heinonen Liisa"));
    EXPECT_EQ(field(1, "vsNimi").toString(), QStringLiteral("Heinonen Liisa"));
    type(child(w, "tNimi"), QStringLiteral("Heinonen-Aho Liisa"));
    child<QRadioButton>(w, "optKoira_3")->click();
    QTest::keyClick(child(w, "tNimi"), Qt::Key_F3);
    EXPECT_EQ(field(1, "vsNimi").toString(), QStringLiteral("Heinonen-Aho Liisa"));
    EXPECT_EQ(field(1, "vsKoirat").toInt64(), 3);
}

TEST_F(frmVuokraTest, AFailedSaveKeepsTheCardAndSaysWhy)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    type(child(w, "tNimi"), QStringLiteral("Uusi nimi"));
    type(child(w, "tMuutokset"), QStringLiteral("kolme"));
    test::Control<QPushButton>(*w, QStringLiteral("cTallenna"))->click();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_TRUE(prompter.shown()[0].text.startsWith(QStringLiteral("Virhe: 13\r\n")));
    EXPECT_EQ(prompter.shown()[0].icon, MsgIcon::Critical);
    EXPECT_EQ(child(w, "tNimi")->text(), QStringLiteral("Uusi nimi"));
    EXPECT_EQ(field(1, "vsNimi").toString(), QStringLiteral("Heinonen Liisa"));

    // The close box refuses too while the card cannot be written, then closes once it can.
    prompter.clear();
    EXPECT_FALSE(w->close());
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(prompter.shown().size(), 1u);
    type(child(w, "tMuutokset"), QStringLiteral("3"));
    EXPECT_TRUE(w->close());
    EXPECT_EQ(field(1, "vsNimi").toString(), QStringLiteral("Uusi nimi"));
    EXPECT_EQ(field(1, "vsOmistusmuutos").toInt64(), 3);
}

// Every date box reads as the member card does: a day and month alone, a time of day or an
// impossible day is no date (they were once stored as 30.12.1899). Such a text stays in its box
// with a message naming it, and the save refuses it without writing anything.
TEST_F(frmVuokraTest, ATextThatIsNoDateStaysInItsBoxAndTheSaveRefusesIt)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    const QDate storedEnd = field(1, "vsVoimassaPaattyy").toDate();
    for (const char* box : {"tAlkaa", "tPaattyy", "tVuosiErapaiva", "tKausiErapaiva"}) {
        for (const char* bad : {"15.12", "1.10", "12:30", "31.2.2024", "ensi vuonna"}) {
            SCOPED_TRACE(std::string(box) + " " + bad);
            prompter.clear();
            type(child(w, box), QString::fromUtf8(bad));
            child(w, "tNimi")->setFocus();
            EXPECT_EQ(child(w, box)->text(), QString::fromUtf8(bad));
            ASSERT_EQ(prompter.messageTexts().size(), 1);
            EXPECT_TRUE(prompter.messageTexts()[0].contains(QString::fromUtf8(bad)));
        }
        prompter.clear();
        QTest::keyClick(w, Qt::Key_F3);
        ASSERT_EQ(prompter.shown().size(), 1u) << box;
        EXPECT_TRUE(prompter.shown()[0].text.contains(QStringLiteral("ensi vuonna"))) << box;
        EXPECT_EQ(field(1, "vsVoimassaPaattyy").toDate(), storedEnd) << box;
        child(w, box)->clear();
    }
    prompter.clear();
    type(child(w, "tPaattyy"), QStringLiteral("03.04.2030"));
    child(w, "tNimi")->setFocus();
    EXPECT_EQ(child(w, "tPaattyy")->text(), QStringLiteral("3.4.2030"));
    QTest::keyClick(w, Qt::Key_F3);
    EXPECT_TRUE(prompter.shown().empty()) << prompter.messageTexts().join('|').toStdString();
    EXPECT_TRUE(field(1, "vsVoimassaAlkaen").isNull());
    EXPECT_EQ(field(1, "vsVoimassaPaattyy").toDate(), QDate(2030, 4, 3));
}

TEST_F(frmVuokraTest, DeleteTakesTheContractWithAllItsRows)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    ASSERT_GT(t.count(QStringLiteral("SELECT COUNT(*) FROM et WHERE etvsID = 1")), 0);
    prompter.answerNo();
    QTest::keyClick(w, Qt::Key_F4);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM vs WHERE vsID = 1")), 1);
    prompter.answerYes();
    QTest::keyClick(w, Qt::Key_F4);
    EXPECT_EQ(prompter.shown().back().text,
              QStringLiteral("Poistetaanko näytössä oleva sopimus?\r\n\r\nHeinonen Liisa, sopimusnumero 1"));
    for (const char* sql : {"SELECT COUNT(*) FROM vs WHERE vsID = 1", "SELECT COUNT(*) FROM tl WHERE tlvsID = 1",
                            "SELECT COUNT(*) FROM mt WHERE mtvsID = 1", "SELECT COUNT(*) FROM et WHERE etvsID = 1"})
        EXPECT_EQ(t.count(QString::fromUtf8(sql)), 0) << sql;
    EXPECT_EQ(w->currentContractId(), 2);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Maanvuokrasopimukset - 19"));
}

TEST_F(frmVuokraTest, SearchMovesToTheFoundContractOrStays)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    qint64 answer = 3;
    frmVuokra::SearchDialog = [&answer](frmVuokra&) { return answer; };
    QTest::keyClick(w, Qt::Key_F6);
    EXPECT_EQ(w->currentContractId(), 3);
    EXPECT_EQ(child(w, "tNimi")->text(), QStringLiteral("Åbergin perikunta"));
    answer = 0;
    QTest::keyClick(w, Qt::Key_F6);
    EXPECT_EQ(w->currentContractId(), 3);
    EXPECT_TRUE(prompter.shown().empty());
    answer = 4242;
    QTest::keyClick(w, Qt::Key_F6);
    EXPECT_EQ(w->currentContractId(), 3);
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Hakuehdolla ei löydy sopimusta.")});
}

TEST_F(frmVuokraTest, ContactBlockGoesToTheClipboardAsShown)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    child(w, "tOsoite_0")->setFocus();
    child(w, "tOsoite_0")->selectAll();
    QTest::keyClick(child(w, "tOsoite_0"), Qt::Key_Backspace);
    QTest::keyClick(child(w, "tOsoite_0"), Qt::Key_C, Qt::ControlModifier);
    ASSERT_NE(QGuiApplication::clipboard(), nullptr);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Heinonen Liisa\r\n\r\n41990 Hirvilahti"));
}

TEST_F(frmVuokraTest, OptionOnAnEmptyTableShowsTheHint)
{
    t.db.execute(QStringLiteral("DELETE FROM vs"));
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Maanvuokrasopimukset - 0"));
    child<QRadioButton>(w, "optVoimassa_2")->click();
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts()[0].startsWith(QStringLiteral("Aloita uuden sopimuksen syöttö")));
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM vs")), 0);

    // What is typed on the empty card is not dropped: it becomes a new contract.
    type(child(w, "tNimi"), QStringLiteral("Kirjoitettu"));
    QTest::keyClick(w, Qt::Key_F3);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM vs WHERE vsNimi = 'Kirjoitettu'")), 1);
    EXPECT_GT(w->currentContractId(), 0);
}

// Keyboard entry in the estate grid: Tab and Shift+Tab go one cell, whether a cell was typed
// into or not; the arrows go from cell to cell while no editor is open; Enter or typing opens one.
TEST_F(frmVuokraTest, EstateGridKeysMoveOneCellAtATime)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    auto* grid = child<QTableWidget>(w, "DBGrid1");
    ASSERT_NE(grid, nullptr);
    ASSERT_GE(grid->rowCount(), 2);
    struct Step {
        const char* typed; // typed into the cell first (nullptr: nothing)
        Qt::Key key;
        Qt::KeyboardModifiers mods;
    };
    struct Case {
        const char* name;
        int row, column;
        std::vector<Step> steps;
        int endRow, endColumn;
    };
    const Case cases[] = {
        {"Tab", 0, 1, {{nullptr, Qt::Key_Tab, Qt::NoModifier}}, 0, 2},
        {"typed, then Tab", 0, 1, {{"X", Qt::Key_Tab, Qt::NoModifier}}, 0, 2},
        {"typed, Tab, typed, Tab", 0, 0, {{"X", Qt::Key_Tab, {}}, {"Y", Qt::Key_Tab, {}}}, 0, 2},
        {"typed, then Shift+Tab", 1, 2, {{"X", Qt::Key_Backtab, Qt::ShiftModifier}}, 1, 1},
        {"Tab at a row's end", 0, 4, {{nullptr, Qt::Key_Tab, Qt::NoModifier}}, 1, 0},
        {"arrows", 0, 0, {{nullptr, Qt::Key_Right, {}}, {nullptr, Qt::Key_Down, {}}}, 1, 1},
        {"arrow left", 1, 3, {{nullptr, Qt::Key_Left, {}}}, 1, 2},
    };
    for (const Case& c : cases) {
        grid->setFocus();
        grid->setCurrentCell(c.row, c.column);
        for (const Step& step : c.steps) {
            if (step.typed)
                QTest::keyClicks(QApplication::focusWidget(), QString::fromUtf8(step.typed));
            QTest::keyClick(QApplication::focusWidget(), step.key, step.mods);
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(grid->currentRow(), c.endRow) << c.name;
        EXPECT_EQ(grid->currentColumn(), c.endColumn) << c.name;
        // Moving alone opens no editor, so the next arrow moves again.
        if (!c.steps.back().typed) {
            EXPECT_EQ(QApplication::focusWidget(), grid) << c.name;
        }
    }
    // Enter opens the cell for editing; typing and Enter again writes the cell and stays on it.
    grid->setFocus();
    grid->setCurrentCell(0, 0);
    QTest::keyClick(grid, Qt::Key_Return);
    QLineEdit* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->objectName(), QStringLiteral("DBGrid1_editor"));
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("Muonio"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the editor writes its cell once the key is handled
    EXPECT_EQ(grid->item(0, 0)->text(), QStringLiteral("Muonio"));
    EXPECT_EQ(grid->currentColumn(), 0);

    // A bad area beeps as it is typed (each key to where the focus is: the first opens the editor).
    grid->setCurrentCell(0, 4);
    QTest::keyClicks(grid, QStringLiteral("5"));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("a"));
    int beeps = 0;
    for (const auto& s : prompter.shown())
        beeps += s.kind == ScriptedPrompter::Kind::Beep;
    EXPECT_EQ(beeps, 1);
}

TEST_F(frmVuokraTest, PrintAsksForTheValidityAndPrintsTheShownContract)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    int printed = 0;
    std::shared_ptr<const ReportDocument> laidOut;
    MainReport().setOutputHandler([&](std::shared_ptr<const ReportDocument> doc, const ReportEngine&) {
        ++printed;
        laidOut = std::move(doc);
    });
    type(child(w, "tNimi"), QStringLiteral("Tulostettava"));
    prompter.answerNo();
    clickPrintWhenShown();
    QTest::keyClick(w, Qt::Key_F7);
    EXPECT_EQ(printed, 1) << prompter.messageTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(field(1, "vsNimi").toString(), QStringLiteral("Tulostettava"));
    EXPECT_EQ(MainReport().SelectionFormula, QStringLiteral("{vs.vsID}=1"));
    EXPECT_EQ(MainReport().Formulas(5), QStringLiteral("ValVsVoimassa= ' '"));
    ASSERT_TRUE(laidOut);
    EXPECT_TRUE(laidOut->pageLines(0).join(QLatin1Char(' ')).contains(QStringLiteral("Tulostettava")));

    clickPrintWhenShown();
    action(w, "mRapVuokrasopimus")->trigger();
    EXPECT_EQ(printed, 2);
    EXPECT_EQ(MainReport().SelectionFormula, QStringLiteral("{vs.vsID}=0"));
}

TEST_F(frmVuokraTest, KeyboardOnlyOnANewEmptyDatabase)
{
    ContractTestDb fresh; // the empty template, now the configured database
    State().AutoContractNumbers = true;
    State().ContractNumberCounter = 1;
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Maanvuokrasopimukset - 0"));
    // An estate with no contract: the user is told how to begin.
    QTest::keyClick(w, Qt::Key_F2, Qt::ShiftModifier);
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts()[0].startsWith(QStringLiteral("Aloita uuden sopimuksen")));
    prompter.clear();

    QTest::keyClick(w, Qt::Key_F2);
    ASSERT_EQ(QApplication::focusWidget(), child(w, "tSopimusNo"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Aberg Sade"));
    EXPECT_EQ(child(w, "tNimi")->text(), QStringLiteral("Aberg Sade"));
    // Too long input is cut by the box itself.
    type(child(w, "tOsoite_1"), QStringLiteral("4199012"));
    EXPECT_EQ(child(w, "tOsoite_1")->text(), QStringLiteral("41990"));

    // Each key goes where the keyboard's focus is: the first key on a cell opens its editor.
    const auto typeInto = [](const QString& text) {
        for (const QChar c : text)
            QTest::keyClicks(QApplication::focusWidget(), QString(c));
    };
    QTest::keyClick(w, Qt::Key_F2, Qt::ShiftModifier);
    typeInto(QStringLiteral("Hirvilahti"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    auto* grid = child<QTableWidget>(w, "DBGrid1");
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->currentColumn(), 1);
    typeInto(QStringLiteral("Sammal"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(grid->currentColumn(), 2);
    typeInto(QStringLiteral("Korpela"));
    QTest::keyClick(w, Qt::Key_F3);
    EXPECT_TRUE(prompter.shown().empty()) << prompter.messageTexts().join(QLatin1Char('|')).toStdString();
    const qint64 id = w->currentContractId();
    ASSERT_GT(id, 0);
    EXPECT_EQ(fresh.count(QStringLiteral("SELECT COUNT(*) FROM tl WHERE tlvsID = ? AND tlKunta = 'Hirvilahti' "
                                         "AND tlKyla = 'Sammal' AND tlTilaPalsta = 'Korpela'"),
                          {Value(id)}),
              1);
    EXPECT_EQ(fresh.db.scalar(QStringLiteral("SELECT vsPostinumero FROM vs WHERE vsID = ?"), {Value(id)}).toString(),
              QStringLiteral("41990"));
    EXPECT_EQ(fresh.db.scalar(QStringLiteral("SELECT vsSopimusNo FROM vs WHERE vsID = ?"), {Value(id)}).toString(),
              QStringLiteral("1"));

    // Deleting the only contract leaves an empty card, not the deleted one's text.
    prompter.answerYes();
    QTest::keyClick(w, Qt::Key_F4);
    EXPECT_EQ(child(w, "tNimi")->text(), QString());
    EXPECT_EQ(fresh.count(QStringLiteral("SELECT COUNT(*) FROM tl")), 0);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Maanvuokrasopimukset - 0"));
}

TEST_F(frmVuokraTest, AnEstateRowThatCannotBeWrittenStaysTypedWithTheReason)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    auto* grid = child<QTableWidget>(w, "DBGrid1");
    ASSERT_NE(grid, nullptr);
    grid->item(1, 4)->setText(QStringLiteral("iso"));
    QTest::keyClick(w, Qt::Key_F3);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_TRUE(prompter.shown()[0].text.startsWith(QStringLiteral("Virhe: 13\r\n")));
    EXPECT_EQ(grid->item(1, 4)->text(), QStringLiteral("iso"));
    EXPECT_DOUBLE_EQ(t.db.scalar(QStringLiteral("SELECT tlPa FROM tl WHERE tlID = 2")).toDouble(), 113.5);

    // Mended, the row is written when the focus leaves the grid.
    prompter.clear();
    grid->setFocus();
    grid->item(1, 4)->setText(QStringLiteral("120,25"));
    child(w, "tNimi")->setFocus();
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_DOUBLE_EQ(t.db.scalar(QStringLiteral("SELECT tlPa FROM tl WHERE tlID = 2")).toDouble(), 120.25);

    // An estate deleted from the grid leaves the contract.
    grid->setCurrentCell(0, 0);
    QTest::keyClick(w, Qt::Key_F4, Qt::ShiftModifier);
    EXPECT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM tl WHERE tlvsID = 1")), 1);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM vs WHERE vsID = 1")), 1);
}

TEST_F(frmVuokraTest, TheSearchDialogFindsByTypedRegisterNumber)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    // Types the register number into the dialog and presses Enter as soon as it is shown.
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer] {
        QWidget* dialog = QApplication::activeModalWidget();
        auto* reg = dialog ? dialog->findChild<QComboBox*>(QStringLiteral("cmbRekisteriNumero")) : nullptr;
        if (!reg)
            return;
        timer->stop();
        timer->deleteLater();
        reg->setFocus();
        QTest::keyClicks(reg, QStringLiteral("940-405-29-25"));
        QTest::keyClick(reg, Qt::Key_Return);
    });
    timer->start();
    QTest::keyClick(w, Qt::Key_F6);
    EXPECT_EQ(w->currentContractId(), 3);
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(frmVuokraTest, UndoOfANewContractBrowseAndTheCloseButton)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(SearchAndShow(w, 5));
    QTest::keyClick(w, Qt::Key_F2);
    EXPECT_EQ(w->currentContractId(), 0);
    type(child(w, "tNimi"), QStringLiteral("Peruttava"));
    QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(w->currentContractId(), 1);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM vs")), 20);

    // Browse writes the card and shows what others changed meanwhile, on the same contract.
    type(child(w, "tOsoite_3"), QStringLiteral("040 123"));
    t.db.execute(QStringLiteral("UPDATE vs SET vsPaikkaJaAika = 'Muualla' WHERE vsID = 1"));
    QTest::keyClick(w, Qt::Key_F5);
    EXPECT_EQ(w->currentContractId(), 1);
    EXPECT_EQ(child(w, "tPaikkaJaAika")->text(), QStringLiteral("Muualla"));
    EXPECT_EQ(field(1, "vsPuhelinnumero").toString(), QStringLiteral("040 123"));

    type(child(w, "tNimi"), QStringLiteral("Suljettaessa"));
    auto* close = w->findChild<QPushButton*>(QStringLiteral("cSulje"));
    ASSERT_NE(close, nullptr);
    close->click();
    EXPECT_EQ(field(1, "vsNimi").toString(), QStringLiteral("Suljettaessa"));
    EXPECT_EQ(frmVuokra::Instance(), nullptr);
}

namespace {

QTreeWidgetItem* nodeByKey(QTreeWidget* tree, const QString& key)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toString() == key)
            return *it;
    }
    return nullptr;
}

void clickItem(QTreeWidget* tree, QTreeWidgetItem* item)
{
    tree->expandAll();
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

} // namespace

TEST_F(frmVuokraTest, TheTreeOpensAContractByClickOrEnterAndSaysWhenItIsStale)
{
    frmVuokra::Today = [] { return QDate(2026, 3, 10); };
    const qint64 id = t.contract(QStringLiteral("7-Tähden metsästysseura"));
    t.db.execute(QStringLiteral("UPDATE vs SET vsVoimassa = 2, vsVoimassaPaattyy = ? WHERE vsID = ?"),
                 {Value(QDate(2026, 3, 10).addDays(30)), Value(id)});
    t.db.execute(QStringLiteral("INSERT INTO tl (tlvsID, tlKyla) VALUES (?, 'Testikylä')"), {Value(id)});
    const qint64 estate = t.db.lastInsertId();
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    auto* tree = child<QTreeWidget>(w, "tvwNimet");
    ASSERT_NE(tree, nullptr);
    EXPECT_TRUE(tree->isEnabled());
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("Aakkostettu"));
    EXPECT_EQ(tree->topLevelItem(1)->text(0), QStringLiteral("Voimassaoloaika"));
    EXPECT_EQ(tree->topLevelItem(2)->text(0), QStringLiteral("Kylät"));
    const QString sid = QString::number(id);
    QTreeWidgetItem* byName = nodeByKey(tree, sid + QStringLiteral("ID"));
    QTreeWidgetItem* byDate = nodeByKey(tree, sid + QStringLiteral("ID2"));
    QTreeWidgetItem* byVillage = nodeByKey(tree, sid + QStringLiteral("ID3") + QString::number(estate));
    ASSERT_NE(byName, nullptr);
    ASSERT_NE(byDate, nullptr);
    ASSERT_NE(byVillage, nullptr);
    ASSERT_NE(byName->parent(), nullptr);
    ASSERT_NE(byDate->parent(), nullptr);
    EXPECT_EQ(byName->parent()->text(0), QStringLiteral("Muut"));
    EXPECT_EQ(byDate->parent()->text(0), QStringLiteral(" 2 kk"));

    // A click on a contract shows it; a click on a group changes nothing.
    ASSERT_NE(w->currentContractId(), id);
    clickItem(tree, byName);
    EXPECT_EQ(w->currentContractId(), id);
    EXPECT_EQ(child(w, "tNimi")->text(), QStringLiteral("7-Tähden metsästysseura"));
    ASSERT_TRUE(SearchAndShow(w, 3));
    clickItem(tree, byName->parent());
    EXPECT_EQ(w->currentContractId(), 3);

    // Enter does the same as a click.
    tree->setFocus();
    tree->setCurrentItem(byDate);
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_EQ(w->currentContractId(), id);

    // Deleting takes the name and date nodes; the village node, still there, says it is stale.
    prompter.answerYes();
    w->cPoista_Click();
    EXPECT_EQ(nodeByKey(tree, sid + QStringLiteral("ID")), nullptr);
    EXPECT_EQ(nodeByKey(tree, sid + QStringLiteral("ID2")), nullptr);
    byVillage = nodeByKey(tree, sid + QStringLiteral("ID3") + QString::number(estate));
    ASSERT_NE(byVillage, nullptr);
    prompter.clear();
    clickItem(tree, byVillage);
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{QStringLiteral("Valittua sopimusta ei löydy, päivitä luettelo painamalla Selaa nappia.")});
    // Browsing rebuilds the tree without the contract.
    w->cSelaa_Click();
    EXPECT_EQ(nodeByKey(tree, sid + QStringLiteral("ID3") + QString::number(estate)), nullptr);
}

// The tree highlights the contract on the card after every show, so that a user who picks by the
// highlight picks what the commands act on; a node of it the user chose in another branch stays.
TEST_F(frmVuokraTest, TheTreeHighlightsTheShownContractWhicheverWayItIsShown)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    auto* tree = child<QTreeWidget>(w, "tvwNimet");
    ASSERT_NE(tree, nullptr);
    const auto highlighted = [tree]() -> QString {
        const QTreeWidgetItem* n = tree->currentItem();
        return n && n->isSelected() ? n->data(0, Qt::UserRole).toString() : QString();
    };
    const auto shown = [w] { return QString::number(w->currentContractId()) + QStringLiteral("ID"); };
    EXPECT_EQ(highlighted(), shown()) << "opened";
    // The arrow keys move the highlight alone; the next show brings it back to the card.
    tree->setFocus();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(tree, Qt::Key_Down);
    ASSERT_NE(highlighted(), shown());
    ASSERT_TRUE(SearchAndShow(w, 5));
    EXPECT_EQ(highlighted(), QStringLiteral("5ID")) << "search";
    QTreeWidgetItem* byDate = nodeByKey(tree, QStringLiteral("3ID2"));
    ASSERT_NE(byDate, nullptr);
    clickItem(tree, byDate);
    EXPECT_EQ(highlighted(), QStringLiteral("3ID2")) << "the node clicked";
    type(child(w, "tNimi"), QStringLiteral("Muutettu"));
    QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(highlighted(), QStringLiteral("3ID2")) << "Peru";
    QTest::keyClick(w, Qt::Key_F5);
    EXPECT_EQ(highlighted(), QStringLiteral("3ID")) << "browse";
    prompter.answerYes();
    QTest::keyClick(w, Qt::Key_F4);
    EXPECT_NE(w->currentContractId(), 3);
    EXPECT_EQ(highlighted(), shown()) << "delete";
    QTest::keyClick(w, Qt::Key_F2);
    EXPECT_EQ(highlighted(), QString()) << "a new contract is in no branch yet";
}

// Browse (F5, "Selaa sopimusluetteloa") takes the keys to the tree, on the contract shown, from
// wherever they were: the arrow keys then browse the list, where they had moved the card's option
// the focus stood on.
TEST_F(frmVuokraTest, BrowseTakesTheKeysToTheTreeOnTheShownContract)
{
    frmVuokra* w = open();
    ASSERT_NE(w, nullptr);
    auto* tree = child<QTreeWidget>(w, "tvwNimet");
    ASSERT_TRUE(SearchAndShow(w, 5));
    const qint64 dogs = field(5, "vsKoirat").toInt64();
    auto* option = child<QRadioButton>(w, qPrintable(QStringLiteral("optKoira_%1").arg(dogs)));
    ASSERT_NE(option, nullptr);
    option->setFocus(Qt::TabFocusReason);
    QTest::keyClick(option, Qt::Key_F5);
    EXPECT_EQ(QApplication::focusWidget(), tree);
    ASSERT_NE(tree->currentItem(), nullptr);
    EXPECT_EQ(tree->currentItem()->data(0, Qt::UserRole).toString(), QStringLiteral("5ID"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_TRUE(option->isChecked());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
    EXPECT_EQ(field(5, "vsKoirat").toInt64(), dogs);
}
