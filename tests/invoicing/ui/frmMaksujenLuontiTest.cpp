#include "invoicing/ui/InvoicingWindows.h"
#include "ui/WindowHooks.h"
#include "base/Clock.h"
#include "../InvoiceTestDb.h"
#include "WindowTestSupport.h"

#include "base/ScriptedPrompter.h"
#include "invoicing/InvoiceHistory.h"
#include "invoicing/InvoiceRun.h"
#include "invoicing/ui/InvoicePrinting.h"
#include "ui/WindowOpeners.h"
#include "ProgramWindows.h"
#include "invoicing/ui/frmMaksujenLuonti.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tikkeli;
using tikkeli::test::Control;

namespace {

const QString Nbsp(QChar(0x00A0));

class frmMaksujenLuontiTest : public ::testing::Test {
protected:
    FixedClock clock{QDateTime(QDate(2027, 1, 15), QTime(12, 0))};

    std::unique_ptr<frmMaksujenLuonti> openWindow() { return test::openShown<frmMaksujenLuonti>(); }
    static void leave(QWidget* box)
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(box, &out);
    }
    // Typed key by key where the test library has the keys (ASCII), else put in as a paste would.
    static void type(QLineEdit* box, const QString& text)
    {
        box->clear();
        bool ascii = true;
        for (const QChar c : text)
            ascii = ascii && c.unicode() < 128;
        if (ascii)
            QTest::keyClicks(box, text);
        else
            box->insert(text);
    }
    // A complete form for a run over everyone: two rows, due date.
    void fillForm(QWidget* w)
    {
        auto* due = Control<QLineEdit>(*w, "tLaskunErapaiva");
        due->setText(QStringLiteral("15.2.2027"));
        for (int i = 0; i < 2; ++i) {
            auto* check = Control<QCheckBox>(*w, i == 0 ? "chkRivi0" : "chkRivi1");
            auto* text = Control<QLineEdit>(*w, i == 0 ? "tRiviTeksti0" : "tRiviTeksti1");
            auto* price = Control<QLineEdit>(*w, i == 0 ? "tRiviSumma0" : "tRiviSumma1");
            check->click();
            type(text, i == 0 ? QStringLiteral("Jäsenmaksu") : QStringLiteral("Lehti"));
            type(price, i == 0 ? QStringLiteral("40") : QStringLiteral("5,5"));
        }
    }
    static QString status(QWidget* w)
    {
        auto* label = Control<QLabel>(*w, "lblStatus");
        return label ? label->text() : QString();
    }
    static QMap<QString, bool> enabling(QWidget* w)
    {
        QMap<QString, bool> out;
        for (const char* name : {"cYksittain", "cTulosta", "cEmail", "cEmailPreview", "cHistoriaan", "cPoista", "cSulje"})
            out[QString::fromLatin1(name)] = Control<QPushButton>(*w, name)->isEnabled();
        for (const char* name :
             {"mLisaaYksittainen", "mTulosta", "mTulostaEmailiin", "mPreviewEmailInvoice", "mHistoriaan", "mPoista"})
            out[QString::fromLatin1(name)] = Control<QAction>(*w, name)->isEnabled();
        return out;
    }
    static QMap<QString, bool> expectedEnabling(bool runAllowed)
    {
        return {{"cYksittain", runAllowed},
                {"mLisaaYksittainen", runAllowed},
                {"cHistoriaan", !runAllowed},
                {"mHistoriaan", !runAllowed},
                {"cPoista", !runAllowed},
                {"mPoista", !runAllowed},
                // Printing comes with its own window.
                {"cTulosta", false},
                {"mTulosta", false},
                {"cEmail", !runAllowed},
                {"mTulostaEmailiin", !runAllowed},
                {"cEmailPreview", !runAllowed},
                {"mPreviewEmailInvoice", !runAllowed},
                {"cSulje", true}};
    }

    test::InvoiceTestDb club;
    ScriptedPrompter prompter;
};

TEST_F(frmMaksujenLuontiTest, OpensWithTheRecipientsTitlesAndAnEmptyRun)
{
    const qint64 nameless = club.member(Value(), "Etunimi");
    club.db.execute(QStringLiteral("INSERT INTO pi (piNimi, piType) VALUES (NULL, 1)"));
    club.give(nameless, club.db.lastInsertId());
    auto w = openWindow();
    ASSERT_TRUE(w->loaded());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Laskutus"));
    auto* names = Control<QComboBox>(*w, "cmbNimet");
    EXPECT_FALSE(names->isEditable());
    ASSERT_EQ(names->count(), 2 + 12 + 60);
    const struct {
        int index;
        const char* text;
        qint64 code;
    } entries[] = {
        {0, "Kaikki", 0},
        {1, "Maanomistaja", 0},
        {2, "Om - Ampumakoe", -1},
        {3, "Om - Hirvialue", -8},
        {14, "Heikkilä Antti Petteri", 10},
        {73, "Öhman Sören Petteri", 31},
    };
    for (const auto& e : entries) {
        EXPECT_EQ(names->itemText(e.index), QString::fromUtf8(e.text)) << e.index;
        EXPECT_EQ(names->itemData(e.index).toLongLong(), e.code) << e.index;
    }
    EXPECT_EQ(names->currentIndex(), 0);
    // Rows without a name stay where they are, out of the list.
    EXPECT_EQ(club.count(QStringLiteral("jr"), QStringLiteral("jrSukunimi IS NULL")), 1);
    EXPECT_EQ(club.count(QStringLiteral("pi"), QStringLiteral("piNimi IS NULL")), 1);
    EXPECT_EQ(club.count(QStringLiteral("pt"), QStringLiteral("ptjrID = ?"), {Value(nameless)}), 1);

    auto* titles = Control<QComboBox>(*w, "cmbMaksunOtsake");
    EXPECT_TRUE(titles->isEditable());
    EXPECT_EQ(titles->count(), 6);
    EXPECT_EQ(titles->currentText(), QStringLiteral("Ampumaratamaksu"));

    auto* date = Control<QLineEdit>(*w, "tLaskunPaiva");
    auto* due = Control<QLineEdit>(*w, "tLaskunErapaiva");
    EXPECT_EQ(date->text(), QStringLiteral("15.1.2027"));
    EXPECT_TRUE(due->text().isEmpty());
    for (const char* name : {"tRiviTeksti0", "tRiviSumma0", "tRiviTeksti3", "tRiviSumma3"}) {
        auto* box = Control<QLineEdit>(*w, name);
        EXPECT_FALSE(box->isEnabled()) << name;
    }
    EXPECT_EQ(status(w.get()), QStringLiteral("Ei tulostettavia laskuja."));
    EXPECT_EQ(enabling(w.get()), expectedEnabling(true));
    EXPECT_TRUE(prompter.messageTexts().isEmpty());
}

TEST_F(frmMaksujenLuontiTest, InvoicesWaitingWhenTheWindowOpens)
{
    InvoiceRun(club.db).run(club.request(RecipientKind::Feature, 7));
    club.db.execute(QStringLiteral("UPDATE jm SET jmEmailed = 1 WHERE jmLaskunumero IN (2124, 2126)"));
    auto w = openWindow();
    EXPECT_EQ(status(w.get()), QStringLiteral("Lisättyjä laskuja: 8, sähköpostitettuja: 2"));
    EXPECT_EQ(enabling(w.get()), expectedEnabling(false));
}

TEST_F(frmMaksujenLuontiTest, ClosingKeepsThePlacement)
{
    auto w = openWindow();
    w->move(40, 50);
    ASSERT_TRUE(w->close());
    EXPECT_TRUE(club.env.iniContent().contains("frmMaksujenLuonti")) << club.env.iniContent().toStdString();
}

TEST_F(frmMaksujenLuontiTest, CaptionsTooltipsAndKeys)
{
    auto w = openWindow();
    const struct {
        const char* name;
        const char* caption;
        const char* tip;
    } buttons[] = {
        {"cYksittain", "Lisää", "Lisää jäsenmaksu valitulle henkilölle [F2]"},
        {"cTulosta", "Tulosta", "Tulosta jäsenmaksut [F7]"},
        {"cEmail", "Email", "Lähetä laskut sähköpostitse [F8]"},
        {"cEmailPreview", "Esikats.", "Esikatsele sähköpostlaskua"},
        {"cHistoriaan", "Historia", "Siirrä maksut historiaan[F4]"},
        {"cPoista", "Poista", "Poista tehdyt maksut (ei siirretä historiaan)"},
        {"cSulje", "Sulje", "Sulje Laskutus [Alt+F4]"},
    };
    for (const auto& b : buttons) {
        auto* button = Control<QPushButton>(*w, b.name);
        EXPECT_EQ(button->text(), QString::fromUtf8(b.caption));
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(b.tip));
    }
    const struct {
        const char* name;
        const char* caption;
        QKeySequence key;
    } actions[] = {
        {"mPreviewEmailInvoice", "Esikatsele sähköpostilaskua", {}},
        {"mTulostaEmailiin", "Lähetä laskut sähköpostitse", QKeySequence(Qt::Key_F8)},
        {"mTulosta", "Tulosta maksut", QKeySequence(Qt::Key_F7)},
        {"mSulje", "Sulje", {}},
        {"mLisaaYksittainen", "Lisää", QKeySequence(Qt::Key_F2)},
        {"mHistoriaan", "Historiaan", QKeySequence(Qt::Key_F4)},
        {"mPoista", "Poista", {}},
    };
    for (const auto& a : actions) {
        auto* action = Control<QAction>(*w, a.name);
        EXPECT_EQ(action->text(), QString::fromUtf8(a.caption));
        EXPECT_EQ(action->shortcut(), a.key) << a.name;
    }
    const struct {
        const char* name;
        const char* caption;
    } checks[] = {
        {"chkMuille", "Muille kuin valitulla ominaisuudella rajatuille"},
        {"chkHenkKohtViite", "Käytä henkilökohtaista viitettä"},
        {"chkEiViitetta", "Tulosta ilman viitettä"},
        {"chkJasenmaksu", "Tee jäsenmaksuna"},
        {"chkRivi0", "Laskurivi 1:"},
        {"chkRivi3", "Laskurivi 4:"},
    };
    for (const auto& c : checks) {
        auto* check = Control<QCheckBox>(*w, c.name);
        EXPECT_EQ(check->text(), QString::fromUtf8(c.caption));
        EXPECT_FALSE(check->isChecked());
    }
    auto* fee = Control<QCheckBox>(*w, "chkJasenmaksu");
    EXPECT_EQ(fee->toolTip(), QStringLiteral("Merkitsee jäsenkorttiin jäsenmaksun maksamattomaksi ja merkittäessä maksetuksi"
                                             " automaattisesti maksetuksi"));
    auto* giro = Control<QLineEdit>(*w, "tAiheTeksti");
    EXPECT_EQ(giro->maxLength(), 79);
}

TEST_F(frmMaksujenLuontiTest, RowTotalFollowsTheTickedRows)
{
    auto w = openWindow();
    auto* total = Control<QLineEdit>(*w, "tSumma");
    QCheckBox* checks[] = {Control<QCheckBox>(*w, "chkRivi0"), Control<QCheckBox>(*w, "chkRivi1"),
                           Control<QCheckBox>(*w, "chkRivi2"), Control<QCheckBox>(*w, "chkRivi3")};
    QLineEdit* prices[] = {Control<QLineEdit>(*w, "tRiviSumma0"), Control<QLineEdit>(*w, "tRiviSumma1"),
                           Control<QLineEdit>(*w, "tRiviSumma2"), Control<QLineEdit>(*w, "tRiviSumma3")};
    auto* text0 = Control<QLineEdit>(*w, "tRiviTeksti0");
    for (int i = 0; i < 4; ++i) {
        checks[i]->click();
        EXPECT_TRUE(prices[i]->isEnabled());
    }
    EXPECT_EQ(total->text(), QStringLiteral("0,00") + Nbsp + QStringLiteral("€"));
    const struct {
        const char* prices[4];
        QString total;
    } cases[] = {
        {{"12,5", "7,50", "", ""}, QStringLiteral("20,00") + Nbsp + QStringLiteral("€")},
        {{"12,5", "7,50", "abc", "1.5"}, QStringLiteral("20,00") + Nbsp + QStringLiteral("€")}, // not numbers
        {{"12,50 €", "0,01", "", ""}, QStringLiteral("12,51") + Nbsp + QStringLiteral("€")},    // the total's own form
        {{"1000", "234,5", "-4,5", ""}, QStringLiteral("1") + Nbsp + QStringLiteral("230,00") + Nbsp + QStringLiteral("€")},
    };
    for (const auto& c : cases) {
        for (int i = 0; i < 4; ++i)
            type(prices[i], QString::fromUtf8(c.prices[i]));
        EXPECT_EQ(total->text(), c.total) << c.prices[0];
    }
    // The total reads back as a number.
    EXPECT_TRUE(prompter.messageTexts().isEmpty());
    leave(total);
    EXPECT_TRUE(prompter.messageTexts().isEmpty());
    // Unticking a row empties it and its price leaves the total at once.
    text0->setText(QStringLiteral("Rivi"));
    checks[0]->click();
    EXPECT_TRUE(prices[0]->text().isEmpty());
    EXPECT_TRUE(text0->text().isEmpty());
    EXPECT_FALSE(prices[0]->isEnabled());
    EXPECT_FALSE(text0->isEnabled());
    EXPECT_EQ(total->text(), QStringLiteral("230,00") + Nbsp + QStringLiteral("€"));
}

TEST_F(frmMaksujenLuontiTest, BoxesAreCheckedOnLeaving)
{
    auto w = openWindow();
    auto* date = Control<QLineEdit>(*w, "tLaskunPaiva");
    auto* due = Control<QLineEdit>(*w, "tLaskunErapaiva");
    auto* total = Control<QLineEdit>(*w, "tSumma");
    const QString dateMessage = QStringLiteral("Syötetyn päivämäärän muoto ei ole kelvollinen.");
    const struct {
        const char* typed;
        const char* left;
        bool message;
    } dates[] = {
        {"1.2.2027", "1.2.2027", false},
        {"01.02.2027", "1.2.2027", false},
        {"1.2.27", "1.2.2027", false},
        {"2027-03-05", "5.3.2027", false},
        {"32.1.2027", "", true},
        {"29.2.2027", "", true},
        {"1.13.2027", "", true},
        {"huomenna", "", true},
        {"", "", false},
    };
    for (QLineEdit* box : {date, due}) {
        for (const auto& d : dates) {
            prompter.clear();
            box->setText(QString::fromUtf8(d.typed));
            leave(box);
            EXPECT_EQ(box->text(), QString::fromUtf8(d.left)) << d.typed;
            EXPECT_EQ(prompter.messageTexts(), d.message ? QStringList{dateMessage} : QStringList{}) << d.typed;
        }
    }
    const struct {
        const char* typed;
        bool message;
    } totals[] = {{"12,50", false}, {"12,50 €", false}, {"", false}, {"12.50", true}, {"kymppi", true}};
    for (const auto& t : totals) {
        prompter.clear();
        total->setText(QString::fromUtf8(t.typed));
        leave(total);
        EXPECT_EQ(total->text(), QString::fromUtf8(t.typed)) << t.typed;
        EXPECT_EQ(prompter.messageTexts(),
                  t.message ? QStringList{QStringLiteral("Syötetyn summan muoto ei ole kelvollinen.")} : QStringList{})
            << t.typed;
    }
}

TEST_F(frmMaksujenLuontiTest, RunDeleteAndMoveThroughTheWindow)
{
    auto w = openWindow();
    fillForm(w.get());
    auto* fee = Control<QCheckBox>(*w, "chkJasenmaksu");
    auto* add = Control<QPushButton>(*w, "cYksittain");
    auto* remove = Control<QPushButton>(*w, "cPoista");
    auto* history = Control<QPushButton>(*w, "cHistoriaan");
    auto* progress = Control<QProgressBar>(*w, "ProgressBar1");
    fee->click();
    add->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Lisätty 60 laskua.")});
    EXPECT_EQ(status(w.get()), QStringLiteral("Lisättyjä laskuja: 60, sähköpostitettuja: 0"));
    EXPECT_EQ(enabling(w.get()), expectedEnabling(false));
    EXPECT_EQ(progress->value(), progress->maximum());
    EXPECT_EQ(club.count(QStringLiteral("jm"), QStringLiteral("jmHinta = 45.5 AND jmJasMak = 1")), 60);
    EXPECT_EQ(club.count(QStringLiteral("jr"), QStringLiteral("jrJasenmaksu = 1")), 0);
    EXPECT_EQ(club.storedCounter(), 2183);

    // Delete all: asked first; No keeps everything.
    prompter.clear();
    prompter.answerNo();
    remove->click();
    EXPECT_EQ(club.count(QStringLiteral("jm")), 60);
    prompter.clear();
    prompter.answerYes();
    remove->click();
    EXPECT_EQ(prompter.messageTexts(), (QStringList{QStringLiteral("Haluatko varmasti poistaa kaikki lisätyt laskut?"),
                                                    QStringLiteral("Kaikki lisätyt laskut poistettu.")}));
    EXPECT_EQ(club.count(QStringLiteral("jm")), 0);
    EXPECT_EQ(club.count(QStringLiteral("jr"), QStringLiteral("jrJasenmaksu = 1")), 48);
    EXPECT_EQ(club.storedCounter(), 2123);
    EXPECT_EQ(status(w.get()), QStringLiteral("Ei tulostettavia laskuja."));
    EXPECT_EQ(enabling(w.get()), expectedEnabling(true));

    // The form keeps its values: a second run, then to the history.
    prompter.clear();
    add->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Lisätty 60 laskua.")});
    prompter.clear();
    const qint64 inHistory = club.count(QStringLiteral("jmhist"));
    history->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Laskut siirretty historiaan.")});
    EXPECT_EQ(club.count(QStringLiteral("jm")), 0);
    EXPECT_EQ(club.count(QStringLiteral("jmhist")), inHistory + 60);
    EXPECT_EQ(club.storedCounter(), 2183);
    EXPECT_EQ(enabling(w.get()), expectedEnabling(true));
}

TEST_F(frmMaksujenLuontiTest, RefusedRunTellsWhyAndShowsTheBox)
{
    auto w = openWindow();
    fillForm(w.get());
    auto* due = Control<QLineEdit>(*w, "tLaskunErapaiva");
    auto* title = Control<QComboBox>(*w, "cmbMaksunOtsake");
    auto* add = Control<QPushButton>(*w, "cYksittain");
    due->clear();
    add->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Laskun eräpäivä on väärin kirjoitettu.")});
    EXPECT_EQ(w->focusWidget(), due);
    prompter.clear();
    due->setText(QStringLiteral("15.2.2027"));
    title->setEditText(QString(31, QLatin1Char('x')));
    add->click();
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{QStringLiteral("Otsaketekstin tulee olla korkeintaan 30 merkkiä pitkä.")});
    EXPECT_TRUE(w->focusWidget() == title || w->focusWidget() == title->lineEdit());
    EXPECT_EQ(club.count(QStringLiteral("jm")), 0);

    // A due date before the invoice date is asked about: No writes nothing, Yes runs.
    title->setEditText(QStringLiteral("Jäsenmaksu"));
    due->setText(QStringLiteral("1.1.2020"));
    prompter.clear();
    prompter.answerNo();
    add->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{InvoiceRun::dueBeforeInvoiceDateQuestion()});
    EXPECT_EQ(w->focusWidget(), due);
    EXPECT_EQ(club.count(QStringLiteral("jm")), 0);
    prompter.clear();
    prompter.answerYes();
    add->click();
    EXPECT_EQ(prompter.messageTexts().value(0), InvoiceRun::dueBeforeInvoiceDateQuestion());
    EXPECT_GT(club.count(QStringLiteral("jm")), 0);
}

TEST_F(frmMaksujenLuontiTest, ShortReferencesAreNotedInTheStatusLine)
{
    club.db.execute(QStringLiteral("DELETE FROM jmhist"));
    club.setCounter(98);
    auto w = openWindow();
    fillForm(w.get());
    auto* names = Control<QComboBox>(*w, "cmbNimet");
    auto* add = Control<QPushButton>(*w, "cYksittain");
    names->setCurrentIndex(names->findText(QStringLiteral("Om - Riistakolmiolaskija")));
    add->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Lisätty 3 laskua.")});
    EXPECT_EQ(status(w.get()),
              QStringLiteral("Lisättyjä laskuja: 3, sähköpostitettuja: 0. ") + InvoiceRun::shortReferenceNote());
}

TEST_F(frmMaksujenLuontiTest, DeletionWaitsForTheMemberWindow)
{
    auto w = openWindow();
    fillForm(w.get());
    auto* add = Control<QPushButton>(*w, "cYksittain");
    auto* remove = Control<QPushButton>(*w, "cPoista");
    add->click();
    QWidget memberWindow;
    memberWindow.setObjectName(QStringLiteral("frmJasen"));
    memberWindow.show();
    prompter.clear();
    remove->click();
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{QStringLiteral("Jäsenrekisteri-ikkuna tulee sulkea ennen laskujen poistoa, poisto keskeytetty.")});
    EXPECT_EQ(club.count(QStringLiteral("jm")), 60);
    EXPECT_EQ(prompter.unexpected(), 0);
}

TEST_F(frmMaksujenLuontiTest, CommandsWaitAndClosingIsRefusedWhileARunWorks)
{
    auto w = openWindow();
    fillForm(w.get());
    auto* add = Control<QPushButton>(*w, "cYksittain");
    auto* close = Control<QPushButton>(*w, "cSulje");
    auto* run = Control<QAction>(*w, "mLisaaYksittainen");
    bool sawBusy = false, closeEnabled = true, runEnabled = true, closed = true;
    // Fires while the run shows its progress.
    QTimer::singleShot(0, w.get(), [&] {
        sawBusy = w->busy();
        closeEnabled = close->isEnabled();
        runEnabled = run->isEnabled();
        closed = w->close();
    });
    add->click();
    EXPECT_TRUE(sawBusy);
    EXPECT_FALSE(closeEnabled);
    EXPECT_FALSE(runEnabled);
    EXPECT_FALSE(closed);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(club.count(QStringLiteral("jm")), 60);
    EXPECT_TRUE(w->close());
}

TEST_F(frmMaksujenLuontiTest, TitlesAreSavedAndDeletedByTheirText)
{
    auto w = openWindow();
    auto* title = Control<QComboBox>(*w, "cmbMaksunOtsake");
    const QString apostrophe = QStringLiteral("O'Brienin 'maksu'");
    title->setEditText(apostrophe);
    leave(title);
    EXPECT_EQ(club.count(QStringLiteral("lt"), QStringLiteral("ltNimi = ?"), {Value(apostrophe)}), 1);
    EXPECT_GE(title->findText(apostrophe), 0);
    EXPECT_EQ(title->currentText(), apostrophe);
    leave(title); // already there: nothing more
    EXPECT_EQ(club.count(QStringLiteral("lt")), 7);

    // Alt+D asks, and deletes exactly the title shown.
    prompter.answerNo();
    QTest::keyClick(title, Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(club.count(QStringLiteral("lt")), 7);
    prompter.clear();
    prompter.answerYes();
    QTest::keyClick(title, Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{QStringLiteral("Haluatko poistaa '") + apostrophe + QStringLiteral("' tietokannasta?")});
    EXPECT_EQ(club.count(QStringLiteral("lt")), 6);
    EXPECT_EQ(title->findText(apostrophe), -1);
    // A text no title has deletes nothing.
    title->setEditText(QStringLiteral("Ei tallennettu"));
    prompter.answerYes();
    QTest::keyClick(title, Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(club.count(QStringLiteral("lt")), 6);
}

TEST_F(frmMaksujenLuontiTest, AmountsBeyondMoneyLeaveNoTotal)
{
    auto w = openWindow();
    auto* total = Control<QLineEdit>(*w, "tSumma");
    QCheckBox* checks[] = {Control<QCheckBox>(*w, "chkRivi0"), Control<QCheckBox>(*w, "chkRivi1")};
    QLineEdit* prices[] = {Control<QLineEdit>(*w, "tRiviSumma0"), Control<QLineEdit>(*w, "tRiviSumma1")};
    for (int i = 0; i < 2; ++i) {
        checks[i]->click();
        type(prices[i], QStringLiteral("900000000000000"));
    }
    EXPECT_TRUE(total->text().isEmpty());
    type(prices[1], QStringLiteral("1"));
    EXPECT_EQ(total->text(), QStringLiteral("900") + Nbsp + QStringLiteral("000") + Nbsp + QStringLiteral("000") + Nbsp
                                 + QStringLiteral("000") + Nbsp + QStringLiteral("001,00") + Nbsp + QStringLiteral("€"));
}

TEST_F(frmMaksujenLuontiTest, FunctionKeysRunTheCommands)
{
    auto w = openWindow();
    QApplication::setActiveWindow(w.get());
    fillForm(w.get());
    auto* due = Control<QLineEdit>(*w, "tLaskunErapaiva");
    due->setFocus();
    QTest::keyClick(due, Qt::Key_F2);
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Lisätty 60 laskua.")});
    prompter.clear();
    QTest::keyClick(due, Qt::Key_F2); // Lisää is disabled now
    EXPECT_TRUE(prompter.messageTexts().isEmpty());
    QTest::keyClick(due, Qt::Key_F4);
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Laskut siirretty historiaan.")});
    EXPECT_EQ(club.count(QStringLiteral("jm")), 0);
}

TEST_F(frmMaksujenLuontiTest, EmptyNewDatabase)
{
    test::InvoiceTestDb empty(test::InvoiceTestDb::Template);
    empty.db.execute(QStringLiteral("DELETE FROM pt"));
    empty.db.execute(QStringLiteral("DELETE FROM jr"));
    auto w = openWindow();
    ASSERT_TRUE(w->loaded());
    auto* names = Control<QComboBox>(*w, "cmbNimet");
    EXPECT_EQ(names->itemText(0), QStringLiteral("Kaikki"));
    EXPECT_EQ(names->count(), 2 + int(empty.count(QStringLiteral("pi"), QStringLiteral("piNimi IS NOT NULL"))));
    fillForm(w.get());
    const qint64 runTexts = empty.count(QStringLiteral("me"));
    auto* add = Control<QPushButton>(*w, "cYksittain");
    add->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Ei löydy jäseniä, joille voi tehdä laskun.")});
    EXPECT_EQ(empty.count(QStringLiteral("jm")), 0);
    EXPECT_EQ(empty.count(QStringLiteral("me")), runTexts);
    EXPECT_EQ(status(w.get()), QStringLiteral("Ei tulostettavia laskuja."));
    // The first member of a new club gets invoice number 100: a reference of four digits, which
    // banks accept.
    empty.member("Ensimmäinen", "Jäsen");
    prompter.clear();
    add->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Lisätty 1 lasku.")});
    EXPECT_EQ(empty.field(QStringLiteral("SELECT jmLaskunumero || '/' || jmViitenumero FROM jm")).toString(),
              QStringLiteral("100/1009"));
    EXPECT_FALSE(status(w.get()).endsWith(InvoiceRun::shortReferenceNote()));
}

TEST_F(frmMaksujenLuontiTest, PrintAndEmailWaitForThePayeesData)
{
    ASSERT_EQ(InvoiceRun(club.db).run(club.request(RecipientKind::Feature, 7)).added, 8);
    auto w = openWindow();
    // No club data: nothing is asked or printed, and the run counts as not printed.
    State().ClubName.clear();
    State().Iban1.clear();
    PrintRunInvoices(*w);
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts()[0].contains(QStringLiteral("- yhdistyksen nimi puuttuu asetuksista\r\n"
                                                                   "- tilinumero (IBAN1) puuttuu asetuksista")))
        << prompter.messageTexts()[0].toStdString();
    EXPECT_FALSE(QApplication::activeModalWidget());
    EXPECT_FALSE(InvoiceHistory::RunReachedMembers(club.db));
    // A reference whose check digit fails stops the e-mail the same way.
    State().ClubName = QStringLiteral("Erämiehet ry");
    State().Iban1 = QStringLiteral("FI40 4799 1020 3040 50");
    club.db.execute(QStringLiteral("UPDATE jm SET jmViitenumero = '21253' WHERE jmLaskunumero = 2125"));
    prompter.clear();
    Control<QPushButton>(*w, "cEmail")->click();
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts()[0].contains(QStringLiteral("- viitenumeron tarkiste ei täsmää: 21253")));
    EXPECT_EQ(club.count(QStringLiteral("jm"), QStringLiteral("jmEmailed = 1")), 0);
}

TEST_F(frmMaksujenLuontiTest, MainWindowCommandOpensOneWindow)
{
    RegisterWindowOpeners();
    const WindowOpener* opener = WindowOpeners::find(MainCommand::InvoiceRun);
    ASSERT_TRUE(opener);
    (*opener)(nullptr);
    (*opener)(nullptr);
    int windows = 0;
    QWidget* found = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == QStringLiteral("frmMaksujenLuonti") && top->isVisible()) {
            ++windows;
            found = top;
        }
    EXPECT_EQ(windows, 1);
    ASSERT_TRUE(found);
    found->close();
    QApplication::processEvents();
    // The print command comes with the registration.
    EXPECT_TRUE(WindowHooks::has(WindowHook::InvoiceRunPrint));
    WindowHooks::clear();
    EXPECT_TRUE(WindowOpeners::find(MainCommand::PaymentBook));
    WindowOpeners::clear();
}

} // namespace
