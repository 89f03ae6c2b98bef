#include "settings/SettingsFixture.h"

#include "platform/MailServerLookup.h"
#include "ui/FormPlacement.h"
#include "settings/ui/frmAsetukset.h"
#include "support/Controls.h"
#include "support/ScopedEnvironment.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace tikkeli;
using namespace tikkeli::test;

namespace {

class FixedLookup : public MailServerLookup::MxResolver {
public:
    explicit FixedLookup(QString answer) : m_answer(std::move(answer)) {}
    QStringList mailExchangers(const QString&) override
    {
        return m_answer.isEmpty() ? QStringList() : QStringList{m_answer};
    }

private:
    QString m_answer;
};

class frmAsetuksetTest : public SettingsFixture {
protected:
    void SetUp() override
    {
        SettingsFixture::SetUp();
        window = std::make_unique<frmAsetukset>();
    }
    void TearDown() override
    {
        window.reset();
        frmAsetukset::setMailServerLookupFactory({});
        SettingsFixture::TearDown();
    }
    // The window holds the club file while it is open: it goes before its file does.
    void startOver()
    {
        window.reset();
        SettingsFixture::startOver();
    }
    template <class T = QLineEdit>
    T* field(const char* name)
    {
        return Control<T>(*window, name);
    }
    QLineEdit* edit(const char* name) { return field<QLineEdit>(name); }
    void showActive()
    {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    // The lookup answers with the server name (or nothing) through the DNS side only.
    static void lookupAnswers(const QString& server)
    {
        frmAsetukset::setMailServerLookupFactory([server] {
            auto lookup = std::make_unique<MailServerLookup>();
            lookup->setMailClientFolders({});
            lookup->setResolver(std::make_unique<FixedLookup>(server));
            return lookup;
        });
    }

    QAction* newDatabaseAction()
    {
        for (QAction* a : window->findChildren<QAction*>())
            if (a->text() == "Uusi tyhjä tietokanta")
                return a;
        return nullptr;
    }

    std::unique_ptr<frmAsetukset> window;
};

} // namespace

TEST_F(frmAsetuksetTest, LoadFillsEveryFieldFromSharedState)
{
    const SharedState& s = State();
    EXPECT_EQ(window->currentTab(), 1);
    EXPECT_FALSE(window->settingsChanged());
    const SettingsForm expected = SettingsForm::fromState(s);
    for (const QString& name : SettingsForm::textControls()) {
        if (name.startsWith("cmb"))
            continue;
        EXPECT_EQ(edit(name.toLatin1())->text(), expected.text(name)) << name.toStdString();
    }
    EXPECT_EQ(edit("tLaskunumero")->text(), "1001");
    EXPECT_EQ(edit("tMargAla")->text(), "-5");
    EXPECT_EQ(edit("tMuistutuskulut")->text(), "5,25");
    EXPECT_EQ(edit("tViivastysKorko")->text(), "7,5");
    EXPECT_TRUE(field<QCheckBox>("chkTilatieto")->isChecked());
    EXPECT_FALSE(field<QCheckBox>("chkJasennumero")->isChecked());
    EXPECT_TRUE(field<QCheckBox>("chkSopimusnumero")->isChecked());
    EXPECT_TRUE(field<QCheckBox>("chkMuistutaVarmistuksesta")->isChecked());
    EXPECT_EQ(field<QComboBox>("cmbFonttiKoko")->currentText(), "12");
    EXPECT_EQ(field<QComboBox>("cmbFonts")->currentData().toString(), "Liberation Serif");
    EXPECT_FALSE(field<QPushButton>("cElaimet")->isEnabled());
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(frmAsetuksetTest, StoredFontOrSizeOutsideTheListIsKept)
{
    State().ReportFontName = "Kirjasin Jota Ei Ole";
    State().ReportFontSize = 11;
    window = std::make_unique<frmAsetukset>();
    auto* fonts = field<QComboBox>("cmbFonts");
    EXPECT_EQ(fonts->currentData().toString(), "Kirjasin Jota Ei Ole");
    EXPECT_TRUE(fonts->currentText().startsWith("Kirjasin Jota Ei Ole (ei asennettu")) << fonts->currentText().toStdString();
    EXPECT_EQ(field<QComboBox>("cmbFonttiKoko")->currentText(), "11");
    EXPECT_FALSE(window->settingsChanged());
    ASSERT_TRUE(window->saveSettings());
    EXPECT_EQ(stored("Fontti"), "Kirjasin Jota Ei Ole");
    EXPECT_EQ(stored("FonttiKoko"), "11");
}

TEST_F(frmAsetuksetTest, FontListHoldsSortedInstalledFamilies)
{
    auto* fonts = field<QComboBox>("cmbFonts");
    ASSERT_GT(fonts->count(), 0);
    QStringList names;
    for (int i = 0; i < fonts->count(); ++i)
        names << fonts->itemData(i).toString();
    QStringList sorted = names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(names, sorted);
    EXPECT_EQ(names.removeDuplicates(), 0);
}

TEST_F(frmAsetuksetTest, EveryKindOfControlMarksTheWindowChanged)
{
    auto check = [&](const char* what, const std::function<void()>& change) {
        window->undo();
        ASSERT_FALSE(window->settingsChanged());
        change();
        EXPECT_TRUE(window->settingsChanged()) << what;
    };
    check("typing", [&] { QTest::keyClicks(edit("tNimi"), "x"); });
    check("text set by code", [&] { edit("tSMTP")->setText("mail.example.fi"); });
    check("check box", [&] { field<QCheckBox>("chkJasennumero")->click(); });
    check("font", [&] {
        auto* c = field<QComboBox>("cmbFonts");
        c->setCurrentIndex(c->currentIndex() == 0 ? 1 : 0);
    });
    check("font size chosen", [&] { field<QComboBox>("cmbFonttiKoko")->setCurrentIndex(0); });
    check("font size typed", [&] { field<QComboBox>("cmbFonttiKoko")->setEditText("14"); });
}

// Every way of closing asks about unsaved edits. Yes saves, No drops the edits, and Cancel (the
// question's Escape or close box) keeps the window open with its edits and stores nothing.
TEST_F(frmAsetuksetTest, EveryCloseRoadAsksAboutUnsavedEdits)
{
    const QString question = "Asetuksiin on tehty muutoksia, tallennetaanko muutokset?";
    // Unchanged: closes without a word.
    showActive();
    field<QPushButton>("cSulje")->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(prompter.shown().empty());

    enum class Road { Sulje, CloseBox, Escape, AltF4 };
    for (const Road road : {Road::Sulje, Road::CloseBox, Road::Escape, Road::AltF4}) {
        for (const MsgResult answer : {MsgResult::Yes, MsgResult::No, MsgResult::Cancel}) {
            SCOPED_TRACE(testing::Message() << "road " << int(road) << ", answer " << int(answer));
            startOver();
            window = std::make_unique<frmAsetukset>();
            showActive();
            window->move(40, 30);
            QLineEdit* phone = edit("tPuhelin");
            phone->setFocus();
            phone->setText("050 555 0000");
            prompter.answer(answer);
            if (road == Road::Sulje)
                field<QPushButton>("cSulje")->click();
            else if (road == Road::CloseBox)
                window->close();
            else if (road == Road::Escape)
                QTest::keyClick(phone, Qt::Key_Escape);
            else
                QTest::keyClick(phone, Qt::Key_F4, Qt::AltModifier);
            EXPECT_EQ(prompter.messageTexts(), QStringList{question});
            ASSERT_EQ(prompter.shown().size(), 1u);
            EXPECT_EQ(prompter.shown()[0].icon, MsgIcon::Question);
            EXPECT_EQ(prompter.shown()[0].buttons, MsgButtons::YesNoCancel);
            EXPECT_EQ(window->isVisible(), answer == MsgResult::Cancel);
            EXPECT_EQ(stored("RegPuhelin").has_value(), answer == MsgResult::Yes);
            EXPECT_EQ(State().ClubPhone, answer == MsgResult::Yes ? "050 555 0000" : "040 123 4567");
            if (answer == MsgResult::Cancel) {
                EXPECT_TRUE(window->settingsChanged());
                EXPECT_EQ(phone->text(), "050 555 0000");
                prompter.answerNo();
                window->close();
                EXPECT_FALSE(window->isVisible());
            }
            IniSettingsStore ini;
            ini.setFile(State().IniFileName);
            ini.setSection("FORMS");
            EXPECT_TRUE(ini.readPlacement(FormPlacementKey(window.get())).has_value()) << "closing stores the placement";
        }
    }
}

TEST_F(frmAsetuksetTest, YesToTheCloseQuestionKeepsTheWindowWhenTheSaveStops)
{
    showActive();
    edit("tLaskunumero")->setText("");
    prompter.answerYes();
    window->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->settingsChanged());
    EXPECT_TRUE(prompter.anyMessageContains("Syötä laskunumeroksi ainoastaan numeroita."));
    EXPECT_EQ(window->currentTab(), 4) << "the refused field is shown";
    EXPECT_EQ(QApplication::focusWidget(), edit("tLaskunumero"));
}

TEST_F(frmAsetuksetTest, UndoRestoresEveryFieldIncludingTheBackupFolder)
{
    edit("tNimi")->setText("Muutettu");
    edit("tVarmistus")->setText("/tmp/muualla/");
    edit("tTietokanta")->setText("/tmp/toinen.mdb");
    field<QCheckBox>("chkTilatieto")->setChecked(false);
    field<QComboBox>("cmbFonttiKoko")->setCurrentIndex(0);
    ASSERT_TRUE(window->settingsChanged());
    field<QPushButton>("cPeru")->click();
    EXPECT_FALSE(window->settingsChanged());
    EXPECT_EQ(edit("tNimi")->text(), "Erä-Veikot ry");
    EXPECT_EQ(edit("tVarmistus")->text(), State().BackupFolder);
    EXPECT_EQ(edit("tTietokanta")->text(), dbPath);
    EXPECT_TRUE(field<QCheckBox>("chkTilatieto")->isChecked());
    EXPECT_EQ(field<QComboBox>("cmbFonttiKoko")->currentText(), "12");
}

TEST_F(frmAsetuksetTest, KeysSaveAndUndoFromInsideATextBox)
{
    showActive();
    QLineEdit* name = edit("tNimi");
    name->setFocus();
    QTest::keyClicks(name, "X");
    QTest::keyClick(name, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(name->text(), "Erä-Veikot ry") << "Ctrl+Z undoes the window, not only the box";
    EXPECT_FALSE(window->settingsChanged());

    name->setText("Tallennettu Seura");
    QTest::keyClick(name, Qt::Key_F3);
    EXPECT_EQ(stored("RegName"), "Tallennettu Seura");
    EXPECT_FALSE(window->isVisible()) << "a successful save closes the window";
}

TEST_F(frmAsetuksetTest, NumericFieldsRefuseLettersAtOnce)
{
    struct Case {
        const char* control;
        const char* typed;
        const char* message;
    };
    const Case cases[] = {
        {"tLaskunumero", "12a", "Syötä laskunumeroksi ainoastaan numeroita."},
        {"tJasennumero", "-", "Syötä jäsennumeroksi ainoastaan numeroita."},
        {"tSopimusnumero", "1,", "Syötä sopimusnumeroksi ainoastaan numeroita."},
        {"tVarmuuskopioPv", "x", "Syötä Varmuuskopiot -kenttään ainoastaan numeroita."},
        {"tMargYla", "1x", "Syötä marginaaliksi ainoastaan numeroita."},
        {"tTarMargOik", "a", "Syötä marginaaliksi ainoastaan numeroita."},
        {"tMuistutuskulut", "5e", "Syötä Muistutuskulut -kenttään ainoastaan numeroita."},
        {"tViivastysKorko", "7%", "Syötä Viivästyskorko -kenttään ainoastaan numeroita."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        prompter.clear();
        QLineEdit* e = edit(c.control);
        e->clear();
        QTest::keyClicks(e, QString::fromUtf8(c.typed));
        EXPECT_EQ(e->text(), "");
        ASSERT_EQ(prompter.shown().size(), 2u);
        EXPECT_EQ(prompter.shown()[0].kind, ScriptedPrompter::Kind::Beep);
        EXPECT_EQ(prompter.shown()[1].text, QString::fromUtf8(c.message));
    }
    // Numbers, and a sign or comma on the way to one, are taken.
    prompter.clear();
    edit("tMargVas")->clear();
    QTest::keyClicks(edit("tMargVas"), "-12");
    edit("tViivastysKorko")->clear();
    QTest::keyClicks(edit("tViivastysKorko"), ",5");
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(edit("tMargVas")->text(), "-12");
    EXPECT_EQ(edit("tViivastysKorko")->text(), ",5");
}

TEST_F(frmAsetuksetTest, EnterIsRefusedInTheReminderTexts)
{
    for (const char* name : {"tMuistutusAlkuteksti", "tMuistutusLopputeksti"}) {
        prompter.clear();
        QLineEdit* e = edit(name);
        const QString before = e->text();
        QTest::keyClick(e, Qt::Key_Return);
        QTest::keyClick(e, Qt::Key_Enter);
        EXPECT_EQ(prompter.messageTexts(), QStringList(2, "Muistutuksen teksteissä ei saa olla rivinvaihtoja."));
        EXPECT_EQ(e->text(), before);
    }
    prompter.clear();
    QTest::keyClick(edit("tMuistutusOtsake"), Qt::Key_Return);
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_FALSE(window->saved()) << "Enter in a text box does not press a button";
}

TEST_F(frmAsetuksetTest, BackupFolderGetsItsSeparatorOnLeaving)
{
    showActive();
    auto* tabs = window->findChild<QTabWidget*>("TabStrip1");
    ASSERT_TRUE(tabs);
    tabs->setCurrentIndex(3);
    QLineEdit* folder = edit("tVarmistus");
    folder->setFocus();
    folder->setText("/media/tikku/kopiot");
    edit("tVarmuuskopioPv")->setFocus();
    EXPECT_EQ(folder->text(), "/media/tikku/kopiot/");
    folder->setFocus();
    folder->clear();
    edit("tVarmuuskopioPv")->setFocus();
    EXPECT_EQ(folder->text(), "") << "an empty folder never becomes the root folder";
}

TEST_F(frmAsetuksetTest, DatabaseChooserPresetsTheFileOrTheFolder)
{
    prompter.answerText(dir.filePath("valittu.mdb"));
    window->chooseDatabase();
    ASSERT_EQ(prompter.shown().size(), 1u);
    // The dialog opens in the database's folder with its name proposed, not at "<folder>/<path>".
    EXPECT_EQ(prompter.shown()[0].request.fileName, "seura.mdb");
    EXPECT_EQ(prompter.shown()[0].request.folder, dir.path());
    EXPECT_EQ(prompter.shown()[0].request.filter, "Tietokannat (*.mdb);;Kaikki tiedostot (*)");
    EXPECT_EQ(edit("tTietokanta")->text(), dir.filePath("valittu.mdb"));

    prompter.clear();
    edit("tTietokanta")->setText(dir.path());
    prompter.answerText(std::nullopt);
    window->chooseDatabase();
    EXPECT_EQ(prompter.shown()[0].request.folder, dir.path());
    EXPECT_TRUE(prompter.shown()[0].request.fileName.isEmpty());
    EXPECT_EQ(edit("tTietokanta")->text(), dir.path()) << "cancel keeps the text";
}

TEST_F(frmAsetuksetTest, MailServerLookupOutcomes)
{
    QLineEdit* smtp = edit("tSMTP");
    edit("tEmail")->setText("sihteeri@example.fi");

    lookupAnswers(QString());
    window->queryMailServer();
    EXPECT_EQ(prompter.messageTexts(), QStringList{"Kysely ei löytänyt sähköpostipalvelinta."});
    EXPECT_EQ(smtp->text(), "smtp.example.fi");

    prompter.clear();
    lookupAnswers("smtp.example.fi");
    window->queryMailServer();
    EXPECT_TRUE(prompter.shown().empty()) << "the same name asks nothing";

    const QString question = "Kysely löysi palvelimen: mx.example.fi\r\n\r\nHaluatko korvata nykyisen palvelinasetuksen?";
    lookupAnswers("mx.example.fi");
    prompter.answerNo();
    window->queryMailServer();
    EXPECT_EQ(prompter.messageTexts(), QStringList{question});
    EXPECT_EQ(smtp->text(), "smtp.example.fi");
    prompter.clear();
    prompter.answerYes();
    window->queryMailServer();
    EXPECT_EQ(smtp->text(), "mx.example.fi");

    prompter.clear();
    smtp->clear();
    window->queryMailServer();
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(smtp->text(), "mx.example.fi");
}

TEST_F(frmAsetuksetTest, AnimalButtonFollowsItsWindow)
{
    EXPECT_FALSE(field<QPushButton>("cElaimet")->isEnabled());
    int opened = 0;
    frmAsetukset::setAnimalCatalogueOpener([&](QWidget*) {
        ++opened;
        throw std::runtime_error("ikkuna kaatui");
    });
    window = std::make_unique<frmAsetukset>();
    ASSERT_TRUE(field<QPushButton>("cElaimet")->isEnabled());
    field<QPushButton>("cElaimet")->click();
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(prompter.shown().empty()) << "its failures are ignored";
    frmAsetukset::setAnimalCatalogueOpener({});
}

TEST_F(frmAsetuksetTest, ClickingTheShownTabChangesNothing)
{
    auto* tabs = Control<QTabWidget>(*window, "TabStrip1");
    ASSERT_EQ(tabs->count(), 6);
    tabs->setCurrentIndex(2);
    EXPECT_EQ(window->currentTab(), 3);
    tabs->setCurrentIndex(2);
    EXPECT_EQ(window->currentTab(), 3);
    EXPECT_FALSE(window->settingsChanged());
}

TEST_F(frmAsetuksetTest, CtrlZInTheFontSizeBoxUndoesTheWindow)
{
    showActive();
    auto* tabs = window->findChild<QTabWidget*>("TabStrip1");
    ASSERT_TRUE(tabs);
    tabs->setCurrentIndex(2);
    QLineEdit* size = field<QComboBox>("cmbFonttiKoko")->lineEdit();
    ASSERT_TRUE(size);
    size->setFocus();
    size->selectAll();
    QTest::keyClicks(size, "14");
    ASSERT_TRUE(window->settingsChanged());
    QTest::keyClick(size, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(field<QComboBox>("cmbFonttiKoko")->currentText(), "12") << "Ctrl+Z in the size box undoes the window";
    EXPECT_FALSE(window->settingsChanged());
}

TEST_F(frmAsetuksetTest, StoredCounterTheSaveRefusesIsShownAndRefusedOnlyBySave)
{
    State().InvoiceNumberCounter = -3;
    window = std::make_unique<frmAsetukset>();
    EXPECT_TRUE(prompter.shown().empty()) << "opening the window shows no message";
    EXPECT_EQ(edit("tLaskunumero")->text(), "-3");
    EXPECT_FALSE(window->saveSettings());
    EXPECT_TRUE(prompter.anyMessageContains("Syötä laskunumeroksi ainoastaan numeroita."));
    EXPECT_FALSE(stored("Laskunro").has_value());
    prompter.clear();
    edit("tLaskunumero")->setText("-4");
    EXPECT_EQ(edit("tLaskunumero")->text(), "") << "a change by the user is still checked at once";
    EXPECT_EQ(prompter.shown().size(), 2u);
}

// Choosing another club's database brings its settings into the window, so a save writes what
// the user sees and never this club's name, accounts or counters over the other's.
TEST_F(frmAsetuksetTest, ChoosingADatabaseWithSettingsLoadsThem)
{
    const QString other = dir.filePath("toinen.mdb");
    const auto makeOther = [&] {
        QFile::remove(other);
        makeDatabase("toinen.mdb");
        Database db = Database::open(other);
        DatabaseSettingsStore store(db);
        for (auto [key, value] : {std::pair{"AsKannassa", "1"},
                                  {"RegName", "Toinen Seura ry"},
                                  {"RegIBAN1", "FI37 1590 3000 0007 76"},
                                  {"Laskunro", "500"},
                                  {"Jasennro", "9"},
                                  {"Sopimusnro", "3"},
                                  {"SMTP", "posti.toinen.fi"}})
            store.write(QString::fromUtf8(value), QString::fromUtf8(key));
        db.close();
    };
    struct Case {
        const char* name;
        bool edited;
        std::optional<MsgResult> answer;
        bool switched;
    };
    for (const Case c : {Case{"no edits", false, std::nullopt, true}, Case{"edits, cancel", true, MsgResult::Cancel, false},
                         Case{"edits, no", true, MsgResult::No, true}, Case{"edits, yes", true, MsgResult::Yes, true}}) {
        SCOPED_TRACE(c.name);
        startOver();
        makeOther();
        window = std::make_unique<frmAsetukset>();
        showActive();
        if (c.edited)
            edit("tPuhelin")->setText("050 1");
        prompter.answerText(other);
        if (c.answer)
            prompter.answer(*c.answer);
        field<QPushButton>("cTietokantavalita")->click();
        EXPECT_TRUE(prompter.scriptExhausted());
        EXPECT_EQ(prompter.unexpected(), 0);
        EXPECT_EQ(stored("RegPuhelin").has_value(), c.answer == MsgResult::Yes)
            << "Yes saves the edits to the current database";
        if (!c.switched) {
            EXPECT_EQ(edit("tTietokanta")->text(), dbPath);
            EXPECT_EQ(edit("tPuhelin")->text(), "050 1");
            continue;
        }
        EXPECT_EQ(edit("tTietokanta")->text(), other);
        EXPECT_EQ(edit("tNimi")->text(), "Toinen Seura ry");
        EXPECT_EQ(edit("tIBAN1")->text(), "FI37 1590 3000 0007 76");
        EXPECT_EQ(edit("tLaskunumero")->text(), "500");
        EXPECT_EQ(edit("tSMTP")->text(), "posti.toinen.fi");
        EXPECT_EQ(edit("tVarmistus")->text(), dir.filePath("v/")) << "the backup folder belongs to this computer";
        EXPECT_EQ(State().DatabasePath, dbPath) << "nothing changes before the save";

        prompter.clear();
        ASSERT_TRUE(window->saveSettings());
        EXPECT_TRUE(prompter.shown().empty());
        EXPECT_EQ(stored("RegName", other), "Toinen Seura ry");
        EXPECT_EQ(stored("RegIBAN1", other), "FI37 1590 3000 0007 76");
        EXPECT_EQ(stored("Laskunro", other), "500");
        EXPECT_EQ(stored("Jasennro", other), "9");
        EXPECT_EQ(State().DatabasePath, other);
        EXPECT_EQ(State().ClubName, "Toinen Seura ry");
        EXPECT_EQ(State().InvoiceNumberCounter, 500);
        EXPECT_EQ(iniValue("Database"), other);
        EXPECT_FALSE(stored("RegName").has_value() && stored("RegName") != "Erä-Veikot ry");
    }
}

// A start that could not read the club file leaves the window on defaults: the save refuses to put
// them over the file's own settings, and choosing that very file reads them in for the save.
TEST_F(frmAsetuksetTest, TheFileTheStartCouldNotReadIsReadInWhenChosen)
{
    {
        Database db = Database::open(dbPath);
        DatabaseSettingsStore store(db);
        store.write("1", "AsKannassa");
        store.write("Oma Seura ry", "RegName");
    }
    showActive();
    EXPECT_FALSE(window->saveSettings());
    EXPECT_TRUE(prompter.anyMessageContains("omia asetuksia ei ole luettu"));
    EXPECT_EQ(stored("RegName"), "Oma Seura ry");
    prompter.answerText(dbPath);
    field<QPushButton>("cTietokantavalita")->click();
    EXPECT_EQ(edit("tNimi")->text(), "Oma Seura ry");
    edit("tPuhelin")->setText("050 1");
    ASSERT_TRUE(window->saveSettings());
    EXPECT_EQ(stored("RegPuhelin"), "050 1");
    EXPECT_EQ(stored("RegName"), "Oma Seura ry");
}

TEST_F(frmAsetuksetTest, ChoosingAFileWithoutSettingsOnlyChangesThePath)
{
    const QString fresh = makeDatabase("uusi.mdb");
    showActive();
    edit("tPuhelin")->setText("050 1");
    prompter.answerText(fresh);
    field<QPushButton>("cTietokantavalita")->click();
    EXPECT_EQ(prompter.unexpected(), 0);
    EXPECT_EQ(edit("tTietokanta")->text(), fresh);
    EXPECT_EQ(edit("tNimi")->text(), "Erä-Veikot ry");
    ASSERT_TRUE(window->saveSettings());
    EXPECT_EQ(stored("RegName", fresh), "Erä-Veikot ry");
    EXPECT_EQ(stored("RegPuhelin", fresh), "050 1");
    EXPECT_EQ(stored("Laskunro", fresh), "1001");
}

// The member window moves the member number while the settings window is open; a later save of
// the settings window must not put the old number back.
TEST_F(frmAsetuksetTest, ASaveKeepsCountersThatOtherWindowsMoved)
{
    showActive();
    ASSERT_TRUE(window->saveSettings());
    EXPECT_EQ(stored("Jasennro"), "57");
    {
        Database db = Database::open(dbPath);
        DatabaseSettingsStore(db).write("61", "Jasennro");
        db.close();
        State().MemberNumberCounter = 61;
    }
    edit("tPuhelin")->setText("050 2");
    ASSERT_TRUE(window->saveSettings());
    EXPECT_EQ(stored("Jasennro"), "61");
    EXPECT_EQ(State().MemberNumberCounter, 61);
    EXPECT_EQ(edit("tJasennumero")->text(), "61") << "the window shows the stored counter after the save";
    EXPECT_EQ(stored("RegPuhelin"), "050 2");

    // A number the user types below the stored one is asked about.
    edit("tJasennumero")->setText("40");
    prompter.answerNo();
    EXPECT_FALSE(window->saveSettings());
    EXPECT_EQ(stored("Jasennro"), "61");
    EXPECT_EQ(QApplication::focusWidget(), edit("tJasennumero"));
}

// Founding a new database with unsaved edits open would let a later save point the ini file back
// at the old database.
TEST_F(frmAsetuksetTest, FoundingRefusesWhileTheWindowHasUnsavedEdits)
{
    QAction* create = newDatabaseAction();
    ASSERT_TRUE(create);
    showActive();
    edit("tPuhelin")->setText("050 3");
    create->trigger();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].kind, ScriptedPrompter::Kind::Message);
    EXPECT_TRUE(prompter.shown()[0].text.startsWith("Asetuksiin on tehty muutoksia. Tallenna tai peru ne"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(edit("tPuhelin")->text(), "050 3");
    EXPECT_EQ(State().DatabasePath, dbPath);
}

TEST_F(frmAsetuksetTest, BackupFolderChooserFillsTheBoxWithItsSeparator)
{
    showActive();
    auto* chooser = field<QPushButton>("cVarmistusvalita");
    ASSERT_TRUE(chooser);
    prompter.answerText(dir.filePath("kopiot"));
    chooser->click();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].kind, ScriptedPrompter::Kind::Folder);
    EXPECT_EQ(prompter.shown()[0].request.folder, dir.filePath("varmistus/"));
    EXPECT_EQ(edit("tVarmistus")->text(), dir.filePath("kopiot/"));
    EXPECT_TRUE(window->settingsChanged());

    prompter.answerText(std::nullopt);
    chooser->click();
    EXPECT_EQ(edit("tVarmistus")->text(), dir.filePath("kopiot/")) << "a cancelled chooser changes nothing";
}

// The founding sets the database path last: whatever saves the settings window afterwards keeps
// the new database in the ini file.
TEST_F(frmAsetuksetTest, FoundedDatabaseIsWhatALaterSaveOfTheWindowCarries)
{
    const ScopedEnvironment program("TIKKELI_PROGRAM_DIR", QByteArrayLiteral(TIKKELI_PROGRAM_DIR));
    const ScopedEnvironment documents("TIKKELI_DOCUMENTS", dir.filePath("docs").toUtf8());
    QAction* create = newDatabaseAction();
    ASSERT_TRUE(create);
    showActive();
    // A cancelled name leaves the window and the program as they were.
    prompter.answerText(std::nullopt);
    create->trigger();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(State().DatabasePath, dbPath);

    prompter.clear();
    prompter.answerText(QStringLiteral("Hirvi"));
    create->trigger();
    const QString founded = dir.filePath("docs/Tikkeli/Hirvi.mdb");
    EXPECT_TRUE(QFileInfo::exists(founded));
    EXPECT_EQ(iniValue("Database"), founded);
    EXPECT_EQ(edit("tTietokanta")->text(), founded);
    EXPECT_EQ(edit("tNimi")->text(), "") << "the window shows what the new database holds";
    EXPECT_EQ(edit("tLaskunumero")->text(), "100"); // a new club starts where references reach four digits
    EXPECT_FALSE(window->settingsChanged());

    prompter.clear();
    ASSERT_TRUE(window->saveSettings());
    EXPECT_EQ(iniValue("Database"), founded) << "a save after the founding does not bring the old database back";
    EXPECT_EQ(State().DatabasePath, founded);
    EXPECT_NE(stored("RegName", founded), "Erä-Veikot ry") << "the previous club's name stays out of the new database";
    EXPECT_EQ(stored("Laskunro", founded), "100");
    EXPECT_EQ(stored("RegIBAN1", founded).value_or(QString()), "");
}
