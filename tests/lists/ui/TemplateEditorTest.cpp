#include "members/MemberTestDb.h"

#include "base/ScriptedPrompter.h"
#include "lists/DataPrinterSettings.h"
#include "lists/cRapMaaritys.h"
#include "lists/ui/frmRaportinMuokkaus.h"
#include "support/Controls.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace tikkeli;
using tikkeli::test::Control;

namespace {

class TemplateEditorTest : public ::testing::Test {
protected:
    test::MemberTestDb club;
    ScriptedPrompter prompter;
    std::unique_ptr<frmRaportinMuokkaus> w;

    void SetUp() override { club.db.execute(QStringLiteral("DELETE FROM rp")); }
    void TearDown() override { EXPECT_EQ(prompter.unexpected(), 0); }

    void open()
    {
        w = std::make_unique<frmRaportinMuokkaus>();
        ASSERT_TRUE(w->isLoaded());
        w->show();
        QApplication::setActiveWindow(w.get());
    }
    qint64 store(const QString& name, const QString& field)
    {
        DataPrinterSettings s;
        s.setReportName(name);
        s.AddColumn(QStringLiteral("Sarake"), field, 30);
        club.db.execute(QStringLiteral("INSERT INTO rp (rpDef) VALUES (?)"), {Value(s.ToText())});
        return club.db.lastInsertId();
    }
    QString stored(qint64 id)
    {
        return club.db.scalar(QStringLiteral("SELECT rpDef FROM rp WHERE rpID = ?"), {Value(id)}).toString();
    }
    int rows() { return int(club.db.scalar(QStringLiteral("SELECT COUNT(*) FROM rp")).toInt64()); }
    QListWidget* list() { return Control<QListWidget>(*w, "lstRaps"); }
    QLineEdit* name() { return Control<QLineEdit>(*w, "tRaportinNimi"); }
    template <class T>
    T* row(const char* control, int i)
    {
        return Control<T>(*w, QStringLiteral("%1_%2").arg(QString::fromLatin1(control)).arg(i));
    }
    void choose(const QString& entry)
    {
        for (int i = 0; i < list()->count(); ++i) {
            if (list()->item(i)->text() == entry) {
                QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(list()->item(i)).center());
                return;
            }
        }
        ADD_FAILURE() << "no entry " << entry.toStdString();
    }
};

TEST_F(TemplateEditorTest, UusiNamesATemplateAndItsRowsAreEdited)
{
    open();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Raportin muokkaus"));
    EXPECT_FALSE(name()->isEnabled()); // the placeholder
    QTest::keyClick(w.get(), Qt::Key_F2);
    ASSERT_EQ(rows(), 1);
    const qint64 id = w->current().id();
    EXPECT_EQ(list()->count(), 0); // listed once it has a name
    EXPECT_TRUE(name()->hasFocus());
    QTest::keyClicks(name(), QStringLiteral("Puhelinlista"));
    ASSERT_EQ(list()->count(), 1);
    EXPECT_EQ(list()->item(0)->text(), QStringLiteral("Puhelinlista"));

    // Row 0 and a new row, edited by keyboard.
    QTest::keyClicks(row<QLineEdit>("tOtsake", 0), QStringLiteral("Nimi"));
    QTest::mouseClick(Control<QPushButton>(*w, "cUusiRivi"), Qt::LeftButton);
    ASSERT_EQ(w->rowCount(), 2);
    QTest::keyClicks(row<QLineEdit>("tOtsake", 1), QStringLiteral("Puhelin"));
    auto* field = row<QComboBox>("cmbKentanNimi", 1);
    EXPECT_EQ(field->currentText(), QStringLiteral("Sukunimi"));
    field->setFocus();
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(field, Qt::Key_Down);
    EXPECT_EQ(field->currentText(), QStringLiteral("Puhelin"));
    auto* width = row<QLineEdit>("tLeveys", 1);
    width->selectAll();
    QTest::keyClicks(width, QStringLiteral("abc"));
    EXPECT_EQ(width->text(), QStringLiteral("abc"));
    Control<QRadioButton>(*w, "optOrientation_2")->click();
    Control<QRadioButton>(*w, "optLines_1")->click();
    EXPECT_TRUE(Control<QRadioButton>(*w, "optOrientation_2")->isChecked());
    EXPECT_TRUE(Control<QRadioButton>(*w, "optLines_1")->isChecked());
    QTest::keyClick(w.get(), Qt::Key_F3);

    cRapMaaritys r(club.db);
    ASSERT_TRUE(r.Read(id));
    DataPrinterSettings& s = r.RepSettings();
    EXPECT_EQ(s.ReportName(), QStringLiteral("Puhelinlista"));
    EXPECT_EQ(s.Orientation(), DataPrinterSettings::Landscape);
    EXPECT_FALSE(s.Lines());
    ASSERT_EQ(s.columnCount(), 2);
    EXPECT_EQ(s.Columns(1).Header(), QStringLiteral("Nimi"));
    EXPECT_EQ(s.Columns(2).Header(), QStringLiteral("Puhelin"));
    EXPECT_EQ(s.Columns(2).fieldName(), QStringLiteral("jrPuhelin"));
    EXPECT_EQ(s.Columns(2).Width(), 0.0);

    // "&-" on row 0 removes the first column.
    QTest::mouseClick(row<QPushButton>("cPoistaRivi", 0), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->rowCount(), 1);
    EXPECT_EQ(row<QLineEdit>("tOtsake", 0)->text(), QStringLiteral("Puhelin"));
    w->cSulje_Click();
    ASSERT_TRUE(r.Read(id));
    EXPECT_EQ(r.RepSettings().columnCount(), 1);
}

// A width wider than the paper is told with the reason when the box is left, and the print would
// refuse it; one that fits the turned paper is not.
TEST_F(TemplateEditorTest, AWidthWiderThanThePaperIsToldWithTheReason)
{
    store(QStringLiteral("Leveä"), QStringLiteral("jrSukunimi"));
    open();
    choose(QStringLiteral("Leveä"));
    auto* width = row<QLineEdit>("tLeveys", 0);
    width->setFocus();
    width->selectAll();
    QTest::keyClicks(width, QStringLiteral("2100"));
    QTest::keyClick(width, Qt::Key_Tab);
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_EQ(prompter.shown().back().icon, MsgIcon::Warning);
    EXPECT_EQ(prompter.messageTexts().back(), QStringLiteral("Sarakkeen 1 (Sarake) leveys 2\u00a0100 mm on suurempi kuin "
                                                             "paperin leveys 210 mm. Korjaa leveys raporttipohjaan."));
    Control<QRadioButton>(*w, "optOrientation_2")->click();
    width->setFocus();
    width->selectAll();
    QTest::keyClicks(width, QStringLiteral("250,5"));
    QTest::keyClick(width, Qt::Key_Tab);
    EXPECT_EQ(prompter.messageTexts().size(), 1);
}

TEST_F(TemplateEditorTest, KopioPeruAndPoistaByKeyboard)
{
    const qint64 id = store(QStringLiteral("Maksut"), QStringLiteral("jrJasenmaksu"));
    open();
    choose(QStringLiteral("Maksut"));
    ASSERT_EQ(w->current().id(), id);
    EXPECT_EQ(row<QComboBox>("cmbKentanNimi", 0)->currentText(), QStringLiteral("Jäsenmaksu OK"));

    QTest::keyClick(w.get(), Qt::Key_F8);
    ASSERT_EQ(rows(), 2);
    EXPECT_NE(w->current().id(), id);
    EXPECT_EQ(name()->text(), QStringLiteral("Kopio Maksut"));
    EXPECT_EQ(list()->count(), 2);
    cRapMaaritys copy(club.db);
    ASSERT_TRUE(copy.Read(w->current().id()));
    EXPECT_EQ(copy.RepSettings().ReportName(), QStringLiteral("Kopio Maksut"));
    EXPECT_EQ(copy.RepSettings().Columns(1).fieldName(), QStringLiteral("jrJasenmaksu"));

    // Ctrl+Z in the name box is the window's Peru: the stored name comes back.
    name()->setFocus();
    QTest::keyClicks(name(), QStringLiteral(" 2"));
    QTest::keyClick(name(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(name()->text(), QStringLiteral("Kopio Maksut"));

    prompter.answerYes();
    QTest::keyClick(w.get(), Qt::Key_F4);
    EXPECT_EQ(prompter.shown().back().text,
              QStringLiteral("Haluatko varmasti poistaa valitun raporttipohjan?\r\n\r\nKopio Maksut"));
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(list()->count(), 1);
    EXPECT_FALSE(name()->isEnabled());
    EXPECT_TRUE(w->current().IsEmpty());
    // The deleted template's rows stay on screen, unusable.
    EXPECT_FALSE(row<QLineEdit>("tOtsake", 0)->isEnabled());
}

TEST_F(TemplateEditorTest, BrowsingWritesNothingAndAnUnknownFieldIsKept)
{
    const qint64 odd = store(QStringLiteral("Outo"), QStringLiteral("jrKenttaJotaEiOle"));
    const qint64 plain = store(QStringLiteral("Tavallinen"), QStringLiteral("jrEmail"));
    club.db.execute(QStringLiteral("INSERT INTO rp (rpDef) VALUES (?)"),
                    {Value(QStringLiteral("{\"v\":1,\"name\":\"Tyhjä\",\"columns\":[]}"))});
    const qint64 empty = club.db.lastInsertId();
    const QString oddText = stored(odd), plainText = stored(plain), emptyText = stored(empty);
    open();
    ASSERT_EQ(list()->count(), 3);
    EXPECT_EQ(list()->item(0)->text(), QStringLiteral("Outo"));
    for (int round = 0; round < 2; ++round) {
        choose(QStringLiteral("Outo"));
        EXPECT_EQ(row<QComboBox>("cmbKentanNimi", 0)->currentText(), QStringLiteral("jrKenttaJotaEiOle (tuntematon)"));
        choose(QStringLiteral("Tyhjä"));
        EXPECT_EQ(w->rowCount(), 1);
        choose(QStringLiteral("Tavallinen"));
        QTest::keyClick(w.get(), Qt::Key_F5);
    }
    w->cSulje_Click();
    EXPECT_EQ(stored(odd), oddText);
    EXPECT_EQ(stored(plain), plainText);
    EXPECT_EQ(stored(empty), emptyText);
    EXPECT_TRUE(prompter.messageTexts().isEmpty());
}

// Another window deleted the template meanwhile: saving offers to keep it as a new one, and
// Uusi goes on once the user has chosen.
TEST_F(TemplateEditorTest, ATemplateDeletedElsewhereCanBeSavedAsANewOne)
{
    const qint64 id = store(QStringLiteral("Poistuva"), QStringLiteral("jrSukunimi"));
    store(QStringLiteral("Toinen"), QStringLiteral("jrSukunimi"));
    open();
    choose(QStringLiteral("Poistuva"));
    club.db.execute(QStringLiteral("DELETE FROM rp WHERE rpID = ?"), {Value(id)});
    name()->setFocus();
    QTest::keyClicks(name(), QStringLiteral(" X"));
    prompter.answerNo();
    QTest::keyClick(w.get(), Qt::Key_F3);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(prompter.shown()[0].text.contains(QStringLiteral("uutena")));
    EXPECT_EQ(rows(), 1);
    EXPECT_TRUE(w->current().isDirty());

    prompter.answerYes();
    QTest::keyClick(w.get(), Qt::Key_F2);
    ASSERT_EQ(prompter.shown().size(), 2u);
    EXPECT_EQ(prompter.shown()[1].buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(rows(), 3); // the kept one, Toinen and the new one
    const qint64 kept = club.db.scalar(QStringLiteral("SELECT MIN(rpID) FROM rp WHERE rpID > ?"), {Value(id + 1)}).toInt64();
    cRapMaaritys r(club.db);
    ASSERT_TRUE(r.Read(kept));
    EXPECT_EQ(r.RepSettings().ReportName(), QStringLiteral("Poistuva X"));
    EXPECT_EQ(r.RepSettings().Columns(1).fieldName(), QStringLiteral("jrSukunimi"));
    EXPECT_NE(w->current().id(), kept); // the new template is on screen
    // The list names the kept template by its new row.
    choose(QStringLiteral("Poistuva X"));
    EXPECT_EQ(w->current().id(), kept);
}

// Tab goes down the window as it is laid out: the options, every column row, the add-row
// button, then the commands. Every Alt letter presses its control.
TEST_F(TemplateEditorTest, TabFollowsTheLayoutAndAltLettersPressTheirButtons)
{
    DataPrinterSettings s;
    s.setReportName(QStringLiteral("Kaksi"));
    s.AddColumn(QStringLiteral("Nimi"), QStringLiteral("jrSukunimi"), 30);
    s.AddColumn(QStringLiteral("Puhelin"), QStringLiteral("jrPuhelin"), 20);
    club.db.execute(QStringLiteral("INSERT INTO rp (rpDef) VALUES (?)"), {Value(s.ToText())});
    open();
    choose(QStringLiteral("Kaksi"));
    QCoreApplication::processEvents(); // the new row is shown
    name()->setFocus();
    QStringList order;
    for (int i = 0; i < 20 && order.size() < 12; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    const QStringList rowsThenCommands = {
        "tOtsake_0",       "cmbKentanNimi_0", "tLeveys_0",     "cPoistaRivi_0", "tOtsake_1",
        "cmbKentanNimi_1", "tLeveys_1",       "cPoistaRivi_1", "cUusiRivi",     "cUusi"};
    const int first = int(order.indexOf(QStringLiteral("tOtsake_0")));
    ASSERT_GE(first, 0) << order.join(' ').toStdString();
    EXPECT_EQ(order.mid(first, rowsThenCommands.size()).join(u' ').toStdString(), rowsThenCommands.join(u' ').toStdString())
        << order.join(' ').toStdString();
    EXPECT_FALSE(order.mid(0, first).contains(QStringLiteral("cUusi"))) << order.join(' ').toStdString();

    for (const char* option : {"optOrientation_2", "optLines_1", "optOrientation_1", "optLines_0"}) {
        auto* button = Control<QRadioButton>(*w, option);
        const QKeyCombination letter = QKeySequence::mnemonic(button->text())[0];
        QTest::keyClick(w.get(), letter.key(), letter.keyboardModifiers());
        EXPECT_TRUE(QTest::qWaitFor([&] { return button->isChecked(); }, 1000)) << option; // an animated click
    }
    // Alt+- removes the row that has the focus.
    row<QLineEdit>("tOtsake", 1)->setFocus();
    QTest::keyClick(w.get(), Qt::Key_Minus, Qt::AltModifier);
    QCoreApplication::processEvents();
    ASSERT_EQ(w->rowCount(), 1);
    EXPECT_EQ(row<QLineEdit>("tOtsake", 0)->text(), QStringLiteral("Nimi"));
    QTest::keyClick(w.get(), Qt::Key_F3);
    cRapMaaritys r(club.db);
    ASSERT_TRUE(r.Read(w->current().id()));
    EXPECT_EQ(r.RepSettings().Orientation(), DataPrinterSettings::Portrait);
    EXPECT_TRUE(r.RepSettings().Lines());
    EXPECT_EQ(r.RepSettings().columnCount(), 1);
}

// Closing (Alt+F4 here) stores the template as a save does: one without a field is not stored
// unless the user goes on without it; with a field, what was typed last is stored.
TEST_F(TemplateEditorTest, ClosingStoresTheTemplateAsASaveWould)
{
    open();
    QTest::keyClick(w.get(), Qt::Key_F2);
    const qint64 id = w->current().id();
    const QString bare = stored(id);
    QTest::keyClicks(name(), QStringLiteral("Puolivalmis"));
    QTest::keyClicks(row<QLineEdit>("tOtsake", 0), QStringLiteral("Nimi"));
    prompter.answerNo();
    w->close();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_TRUE(prompter.shown()[0].text.startsWith(QStringLiteral("Raporttipohjassa ei ole yhtään kenttää")));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(stored(id), bare);

    auto* field = row<QComboBox>("cmbKentanNimi", 0);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Home);
    QTest::keyClicks(row<QLineEdit>("tLeveys", 0), QStringLiteral("25"));
    w->close();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(prompter.shown().size(), 1u);
    cRapMaaritys r(club.db);
    ASSERT_TRUE(r.Read(id));
    EXPECT_EQ(r.RepSettings().ReportName(), QStringLiteral("Puolivalmis"));
    ASSERT_EQ(r.RepSettings().columnCount(), 1);
    EXPECT_EQ(r.RepSettings().Columns(1).Header(), QStringLiteral("Nimi"));
    EXPECT_EQ(r.RepSettings().Columns(1).fieldName(), QStringLiteral("jrSukunimi"));
    EXPECT_EQ(r.RepSettings().Columns(1).Width(), 25.0);
}

} // namespace

namespace {

TEST_F(TemplateEditorTest, ScreenshotWhenAsked)
{
    const QByteArray out = qgetenv("TIKKELI_SCREENSHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP();
    store(QStringLiteral("Puhelinluettelo"), QStringLiteral("jrPuhelin"));
    store(QStringLiteral("Outo"), QStringLiteral("jrEiOle"));
    open();
    choose(QStringLiteral("Puhelinluettelo"));
    QTest::mouseClick(Control<QPushButton>(*w, "cUusiRivi"), Qt::LeftButton);
    QApplication::processEvents();
    w->grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/frmRaportinMuokkaus.png"));
}

} // namespace
