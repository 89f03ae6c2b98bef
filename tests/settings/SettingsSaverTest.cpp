#include "settings/SettingsFixture.h"

#include "base/NullConversions.h"
#include "base/ProgramHooks.h"
#include "settings/SettingsCheck.h"
#include "settings/SettingsForm.h"
#include "settings/SettingsLoader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace tikkeli;
using namespace tikkeli::test;

namespace {

class SettingsSaverTest : public SettingsFixture {
protected:
    bool save(SettingsForm& form)
    {
        SettingsSaver saver(services);
        const bool ok = saver.save(form);
        focus = saver.focusControl();
        return ok;
    }
    QString focus;
};

} // namespace

TEST_F(SettingsSaverTest, SavesEveryFieldIntoBothStoresAndSharedState)
{
    SettingsForm form = SettingsForm::fromState(State());
    form.setText("tNimi", "Uusi Seura ry");
    form.setText("tHenkilonimi", "Liisa");
    QDir(dir.path()).mkpath("kopiot");
    form.setText("tVarmistus", dir.filePath("kopiot"));
    form.setText("tTukiEmail", "tuki@seura.fi");
    form.setText("tLaskunumero", "2001");
    form.setText("tMargOik", "2,5"); // a half goes to the even number
    form.setText("tTarMargOik", "-682");
    form.setText("cmbFonttiKoko", "8");
    form.setChecked("chkJasennumero", true);
    form.setText("tMuistutuskulut", "3,5");
    form.setText("tViivastysKorko", "8,25");
    form.setText("tMuistutusOtsake", "MUISTUTUS");

    ASSERT_TRUE(save(form));
    EXPECT_TRUE(prompter.shown().empty());

    const SharedState& s = State();
    EXPECT_EQ(iniValue("Database"), dbPath);
    EXPECT_EQ(iniValue("DatabaseBackup"), dir.filePath("kopiot/"));
    EXPECT_EQ(form.text("tVarmistus"), dir.filePath("kopiot/"));
    EXPECT_EQ(s.BackupFolder, dir.filePath("kopiot/"));
    EXPECT_EQ(stored("AsKannassa"), "1");
    EXPECT_EQ(stored("RegName"), "Uusi Seura ry");
    EXPECT_EQ(s.ClubName, "Uusi Seura ry");
    EXPECT_EQ(captions, QStringList{"Tikkeli - Uusi Seura ry"});
    EXPECT_EQ(stored("Henkilo"), "Liisa");
    EXPECT_EQ(s.ContactPerson, "Liisa");
    EXPECT_EQ(stored("RegIBAN2"), "FI94 4006 1234 5678 90");
    EXPECT_EQ(stored("TukiEmail"), "tuki@seura.fi");
    EXPECT_EQ(s.SupportEmail, "tuki@seura.fi");
    EXPECT_EQ(stored("DatabaseBackup"), dir.filePath("kopiot/"));
    EXPECT_EQ(stored("Laskunro"), "2001");
    EXPECT_EQ(s.InvoiceNumberCounter, 2001);
    EXPECT_EQ(stored("Jasennro"), "57");
    EXPECT_EQ(stored("MargYla"), "10");
    EXPECT_EQ(stored("MargAla"), "-5");
    EXPECT_EQ(stored("MargOik"), "2");
    EXPECT_EQ(s.MarginRight, 2);
    EXPECT_EQ(stored("TarMargOik"), "-682");
    EXPECT_EQ(s.LabelMarginRight, -682);
    EXPECT_EQ(stored("Fontti"), "Liberation Serif");
    EXPECT_EQ(stored("FonttiKoko"), "8");
    EXPECT_EQ(s.ReportFontSize, 8);
    EXPECT_EQ(stored("LaajaTilatieto"), "1");
    EXPECT_EQ(stored("AutoJasennumero"), "1");
    EXPECT_TRUE(s.AutoMemberNumbers);
    EXPECT_EQ(stored("MuistutaVarm"), "1");
    EXPECT_EQ(stored("Muistutuskulut"), "3,50");
    EXPECT_EQ(s.ReminderFee, Currency::fromRaw(35000));
    EXPECT_EQ(stored("Viivastyskorko"), "8,25");
    EXPECT_DOUBLE_EQ(s.LateInterestRate, 8.25);
    EXPECT_EQ(stored("MuistutusOtsake"), "MUISTUTUS");
    EXPECT_EQ(s.ReminderTitle, "MUISTUTUS");
    EXPECT_EQ(upgraded, QStringList{dbPath});
    EXPECT_EQ(marginPushes, 1);
}

// Every field the save writes comes back from the database at the next start. Each field differs
// from what a start without the key would give, so a key the save leaves out shows.
TEST_F(SettingsSaverTest, SavedValuesLoadBackFromTheDatabase)
{
    const auto loadedForm = [&] {
        const SharedState saved = State();
        State() = SharedState{};
        State().IniFileName = saved.IniFileName;
        State().DatabasePath = saved.DatabasePath;
        State().BackupFolder = saved.BackupFolder; // a setting of this computer, kept in the ini file
        Database db = Database::open(dbPath);
        LoadSettings(db);
        db.close();
        State().ClubName = stored("RegName").value_or(QString()); // the start reads the name for the caption
        return SettingsForm::fromState(State());
    };
    const SettingsForm defaults = loadedForm();
    fillState(dbPath, dir.filePath("v/"));
    SettingsForm form = SettingsForm::fromState(State());
    form.setChecked("chkJasennumero", true);
    form.setText("tMargOik", "4");
    form.setText("tTukiEmail", "tuki@seura.fi");
    const SettingsForm before = form;
    ASSERT_TRUE(save(form));
    const SettingsForm loaded = loadedForm();
    for (const QString& control : SettingsForm::textControls()) {
        if (control == "tTietokanta" || control == "tVarmistus")
            continue; // kept in the ini file
        EXPECT_NE(before.text(control), defaults.text(control)) << control.toStdString();
        EXPECT_EQ(loaded.text(control), before.text(control)) << control.toStdString();
    }
    for (const QString& control : SettingsForm::checkControls()) {
        EXPECT_NE(before.checked(control), defaults.checked(control)) << control.toStdString();
        EXPECT_EQ(loaded.checked(control), before.checked(control)) << control.toStdString();
    }
}

// Every field is checked before anything is stored: a refused field stops the save with nothing
// written, neither into the database nor into the ini file.
TEST_F(SettingsSaverTest, ARefusedFieldStopsTheSaveBeforeAnythingIsWritten)
{
    struct Case {
        const char* control;
        const char* text;
        const char* message; // start of the message
    };
    const Case cases[] = {
        {"tLaskunumero", "", "Syötä laskunumeroksi ainoastaan numeroita."},
        {"tLaskunumero", "0", "Syötä laskunumeroksi ainoastaan numeroita.\r\nNumeron on oltava kokonaisluku"},
        {"tJasennumero", "-4", "Syötä jäsennumeroksi ainoastaan numeroita."},
        {"tSopimusnumero", "2,5", "Syötä sopimusnumeroksi ainoastaan numeroita."},
        {"tSopimusnumero", "99999999999", "Syötä sopimusnumeroksi ainoastaan numeroita."},
        {"tVarmuuskopioPv", "x", "Syötä Varmuuskopiot -kenttään ainoastaan numeroita."},
        {"tMargYla", "abc", "Syötä marginaaliksi ainoastaan numeroita."},
        {"tMargOik", "683", "Syötä marginaaliksi ainoastaan numeroita.\r\nMarginaalin on oltava välillä -682...682."},
        {"tTarMargAla", "-700", "Syötä marginaaliksi ainoastaan numeroita."},
        {"tMuistutuskulut", "", "Syötä muistutuskuluksi ainoastaan numeroita."},
        {"tViivastysKorko", "7 %", "Syötä viivästyskoroksi ainoastaan numeroita."},
        {"tOsoite", nullptr, "Kentän \"Osoite\" teksti on liian pitkä: 256 merkkiä"},
        {"tMuistutusLopputeksti", nullptr, "Kentän \"Lopputeksti\" teksti on liian pitkä"},
        {"tIBAN1", "FI21 1234 5600 0007 84", "Tilinumero (IBAN1) \"FI21 1234 5600 0007 84\" on virheellinen"},
        {"tIBAN2", "FI9440061234567891", "Tilinumero (IBAN2) \"FI9440061234567891\" on virheellinen"},
        {"tEmail", "laskut eramiehet.fi", "Kentän \"Sähköpostiosoite\" sähköpostiosoite \"laskut eramiehet.fi\" ei kelpaa."},
        {"tTukiEmail", "tuki@", "Kentän \"Tuen sähköpostiosoite\" sähköpostiosoite \"tuki@\" ei kelpaa."},
        {"tSMTP", "smtp.example.fi:99999", "SMTP-palvelimen nimi \"smtp.example.fi:99999\" ei kelpaa."},
        {"tSMTP", "smtp palvelin", "SMTP-palvelimen nimi \"smtp palvelin\" ei kelpaa."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.control) + " = " + (c.text ? c.text : "<long>"));
        startOver();
        const SharedState before = State();
        SettingsForm form = SettingsForm::fromState(State());
        form.setText(c.control, c.text ? QString::fromUtf8(c.text) : QString(256, QChar(u'ä')));

        EXPECT_FALSE(save(form));
        EXPECT_EQ(focus, c.control);
        ASSERT_EQ(prompter.messageTexts().size(), 1);
        EXPECT_TRUE(prompter.messageTexts().front().startsWith(QString::fromUtf8(c.message)))
            << prompter.messageTexts().front().toStdString();
        EXPECT_TRUE(settingsRows().isEmpty()) << settingsRows().join(", ").toStdString();
        // Shared state keeps what it was.
        EXPECT_EQ(State().InvoiceNumberCounter, before.InvoiceNumberCounter);
        EXPECT_EQ(State().ClubName, before.ClubName);
        EXPECT_TRUE(captions.isEmpty());
        EXPECT_EQ(iniValue("Database"), "");
        EXPECT_TRUE(upgraded.isEmpty()) << "the file is not even opened";
    }
}

TEST_F(SettingsSaverTest, FontSizeThatIsNoNumberIsSavedAsTen)
{
    for (const char* text : {"iso", "0", "-12", ""}) {
        SettingsForm form = SettingsForm::fromState(State());
        form.setText("cmbFonttiKoko", text);
        ASSERT_TRUE(save(form)) << text;
        EXPECT_EQ(stored("FonttiKoko"), "10") << text;
        EXPECT_EQ(State().ReportFontSize, 10);
    }
}

TEST_F(SettingsSaverTest, PageMarginsReachTheReportEngineAtOnce)
{
    std::map<ReportMargin, int> engine;
    ProgramHooks::SetReportMargin = [&](ReportMargin m, int twips) { engine[m] = twips; };
    services.applyPageMargins = programDefaults.applyPageMargins;
    SettingsForm form = SettingsForm::fromState(State());
    form.setText("tMargYla", "682");
    form.setText("tMargAla", "1");
    form.setText("tMargVas", "-682");
    form.setText("tMargOik", "0");
    ASSERT_TRUE(save(form));
    ProgramHooks::clear();
    EXPECT_EQ(engine[ReportMargin::Top], 32736);
    EXPECT_EQ(engine[ReportMargin::Bottom], 48);
    EXPECT_EQ(engine[ReportMargin::Left], -32736);
    EXPECT_EQ(engine[ReportMargin::Right], 0);
}

TEST_F(SettingsSaverTest, MissingDatabaseStopsBeforeAnyDatabaseWrite)
{
    for (const QString& path :
         {dir.filePath("puuttuu.mdb"), dir.filePath("ei/kansiota/seura.mdb"), QString(), QString("   ")}) {
        prompter.clear();
        SettingsForm form = SettingsForm::fromState(State());
        form.setText("tTietokanta", path);
        EXPECT_FALSE(save(form));
        EXPECT_EQ(prompter.messageTexts(), QStringList{"Tietokantaa ei löydy, korjaa asetuksista tietokannan nimi"});
        EXPECT_EQ(focus, "tTietokanta");
        EXPECT_TRUE(repaired.isEmpty());
        EXPECT_TRUE(captions.isEmpty());
        EXPECT_FALSE(QFile::exists(path)) << "no file is created at the typed path";
        // The ini file and shared state keep naming the database that works.
        EXPECT_EQ(iniValue("Database"), "");
        EXPECT_EQ(State().DatabasePath, dbPath);
    }
    EXPECT_FALSE(stored("AsKannassa").has_value());
}

TEST_F(SettingsSaverTest, DatabaseInUseIsReportedAndNeverRepaired)
{
    services.open = [](const QString&) -> Database { throw DbException(DbErr::InUseOrReadOnly, "lukittu"); };
    SettingsForm form = SettingsForm::fromState(State());
    EXPECT_FALSE(save(form));
    EXPECT_TRUE(repaired.isEmpty());
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(prompter.shown()[0].text.startsWith("Tietokantatiedosto: " + dbPath + " on jo käytössä,\r\ntai\r\n"));
    EXPECT_TRUE(QFile::exists(dbPath));
    EXPECT_FALSE(QFile::exists(dbPath + "OLD"));
}

TEST_F(SettingsSaverTest, DamagedDatabaseGoesThroughTheRepairRoad)
{
    int opens = 0;
    services.open = [&](const QString& path) -> Database {
        if (opens++ == 0)
            throw DbException(DbErr::Damaged, "vioittunut");
        return Database::open(path);
    };
    {
        repairSucceeds = false;
        SettingsForm form = SettingsForm::fromState(State());
        EXPECT_FALSE(save(form));
        EXPECT_EQ(repaired, QStringList{dbPath});
        EXPECT_FALSE(stored("AsKannassa").has_value()) << "a failed repair ends the save";
        EXPECT_TRUE(upgraded.isEmpty());
    }
    {
        // After a successful repair the save opens the repaired file and goes on.
        opens = 0;
        repairSucceeds = true;
        repaired.clear();
        SettingsForm form = SettingsForm::fromState(State());
        EXPECT_TRUE(save(form));
        EXPECT_EQ(repaired, QStringList{dbPath});
        EXPECT_EQ(upgraded, QStringList{dbPath});
        EXPECT_EQ(stored("AsKannassa"), "1");
    }
}

TEST_F(SettingsSaverTest, FileThatIsNoClubDatabaseIsNeverRepaired)
{
    QFile junk(dir.filePath("roska.mdb"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    services.open = [](const QString&) -> Database { throw DbException(DbErr::AccessDatabase, "Access-tietokanta"); };
    SettingsForm form = SettingsForm::fromState(State());
    form.setText("tTietokanta", junk.fileName());
    EXPECT_FALSE(save(form));
    EXPECT_TRUE(repaired.isEmpty());
    EXPECT_TRUE(prompter.anyMessageContains("ei ole Tikkelin tietokanta"));
    EXPECT_EQ(iniValue("Database"), "") << "the ini file never names a file that cannot be used";
    EXPECT_EQ(State().DatabasePath, dbPath);
}

TEST_F(SettingsSaverTest, FailedUpgradeIsReportedAndStops)
{
    services.upgrade = [](Database&) { throw DbException(DbErr::Generic, "levy täynnä"); };
    SettingsForm form = SettingsForm::fromState(State());
    EXPECT_FALSE(save(form));
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts()[0].startsWith("Tietokannan päivitys uuteen versioon ei onnistunut.\r\nlevy täynnä"));
    EXPECT_FALSE(stored("AsKannassa").has_value());
}

TEST_F(SettingsSaverTest, AnotherDatabaseFileIsUpgradedAndBecomesTheDatabase)
{
    const QString other = makeDatabase("toinen.mdb");
    SettingsForm form = SettingsForm::fromState(State());
    form.setText("tTietokanta", other);
    ASSERT_TRUE(save(form));
    EXPECT_EQ(upgraded, QStringList{other});
    EXPECT_EQ(State().DatabasePath, other);
    EXPECT_EQ(iniValue("Database"), other);
    EXPECT_EQ(stored("RegName", other), "Erä-Veikot ry");
    EXPECT_EQ(stored("Laskunro", other), "1001");
    EXPECT_FALSE(stored("AsKannassa", dbPath).has_value()) << "the old database is left as it was";
}

// The database part of the save is one transaction: failing it at a key early, half-way or at
// the very last leaves every key as it was, on a database without settings and on one with them.
TEST_F(SettingsSaverTest, StoreWriteFailureMidwayLeavesTheOldKeys)
{
    struct Case {
        const char* key;
        const char* control;
        bool earlierSave;
    };
    const Case cases[] = {
        {"AsKannassa", "", false},
        {"RegFax", "tFax", false},
        {"Laskunro", "tLaskunumero", true},
        {"RegFax", "tFax", true},
        {"MuistutusOtsake", "tMuistutusOtsake", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + (c.earlierSave ? " over saved settings" : " on an empty table"));
        startOver();
        if (c.earlierSave) {
            SettingsForm first = SettingsForm::fromState(State());
            ASSERT_TRUE(save(first));
        }
        const QStringList before = settingsRows();
        const SharedState stateBefore = State();
        {
            Database db = Database::open(dbPath);
            for (const char* when : {"INSERT", "UPDATE"})
                db.executeScript(QStringLiteral("CREATE TRIGGER no_%1 BEFORE %1 ON Settings WHEN NEW.setKey = '%2' "
                                                "BEGIN SELECT RAISE(ABORT, 'kirjoitus estetty'); END;")
                                     .arg(when, c.key));
            db.close();
        }
        prompter.clear();
        captions.clear();
        SettingsForm form = SettingsForm::fromState(State());
        form.setText("tNimi", "Toinen nimi ry");
        form.setText("tFax", "09 000");
        form.setText("tLaskunumero", "5000");
        form.setText("tMuistutusOtsake", "UUSI");
        EXPECT_FALSE(save(form));
        EXPECT_EQ(focus, c.control);
        ASSERT_EQ(prompter.messageTexts().size(), 1);
        EXPECT_TRUE(
            prompter.messageTexts()[0].startsWith(QStringLiteral("Asetusta %1 ei voitu tallentaa tietokantaan.").arg(c.key)))
            << prompter.messageTexts()[0].toStdString();
        EXPECT_EQ(settingsRows(), before);
        EXPECT_EQ(State().ClubName, stateBefore.ClubName);
        EXPECT_EQ(State().InvoiceNumberCounter, stateBefore.InvoiceNumberCounter);
        EXPECT_TRUE(captions.isEmpty());
    }
}

TEST_F(SettingsSaverTest, UnwritableIniFileIsReported)
{
    qputenv("TIKKELI_INI", dir.filePath("ei/ole/Tikkeli.ini").toUtf8());
    QFile blocker(dir.filePath("ei"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    const QString other = makeDatabase("toinen.mdb");
    SettingsForm form = SettingsForm::fromState(State());
    form.setText("tTietokanta", other);
    EXPECT_FALSE(save(form));
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts()[0].startsWith("Asetustiedostoon ei voitu kirjoittaa."));
    // The ini file comes last: the chosen database holds the settings, the program stays on its own.
    EXPECT_EQ(stored("AsKannassa", other), "1");
    EXPECT_EQ(State().DatabasePath, dbPath);
    EXPECT_TRUE(captions.isEmpty());
}

TEST(SettingsCheck, TypingAcceptsNumbersAndTheirBeginnings)
{
    struct Case {
        const char* control;
        const char* text;
        bool ok;
    };
    const Case cases[] = {
        {"tLaskunumero", "", true},
        {"tLaskunumero", "120", true},
        {"tLaskunumero", "12a", false},
        {"tLaskunumero", "-1", false},
        {"tLaskunumero", "2,5", false},
        {"tVarmuuskopioPv", "30", true},
        {"tMargYla", "-", true},
        {"tMargYla", "-5", true},
        {"tMargYla", "2,", true},
        {"tMargYla", "2,5", true},
        {"tMargYla", "x", false},
        {"tMargYla", "--", false},
        {"tMuistutuskulut", "5,50", true},
        {"tMuistutuskulut", "1 234,50", true},
        {"tMuistutuskulut", "5.50", false},
        {"tViivastysKorko", ",", true},
        {"tViivastysKorko", "7%", false},
        {"tNimi", "mitä vain", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SettingsCheck::acceptableWhileTyping(c.control, QString::fromUtf8(c.text)), c.ok)
            << c.control << " '" << c.text << "'";
}

TEST(SettingsCheck, FolderSeparator)
{
    EXPECT_EQ(SettingsCheck::withFolderSeparator("/home/a/kopiot"), "/home/a/kopiot/");
    EXPECT_EQ(SettingsCheck::withFolderSeparator("/home/a/kopiot/"), "/home/a/kopiot/");
    EXPECT_EQ(SettingsCheck::withFolderSeparator(""), "");
}

// The program's own open and repair road on a file that says it is SQLite and is not.
TEST_F(SettingsSaverTest, UnrepairableFileStopsTheSaveAndStaysWhereItWas)
{
    QByteArray junk("SQLite format 3");
    junk.append('\0');
    junk.append(QByteArray(4096 * 3, char(0x5a)));
    const QString path = dir.filePath("vioittunut.mdb");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(junk);
    }
    services.open = programDefaults.open;
    services.repair = programDefaults.repair;
    SettingsForm form = SettingsForm::fromState(State());
    form.setText("tTietokanta", path);
    EXPECT_FALSE(save(form));
    const QStringList texts = prompter.messageTexts();
    EXPECT_EQ(
        texts.value(0),
        "Tietokanta on vioittunut edellisen käyttökerran lopetuksen yhteydessä, yritän korjata tietokannan. Odota hetki.");
    EXPECT_EQ(texts.value(1),
              "Tietokannan korjaus ei onnistunut. Palauta tietokanta varmuuskopiolta ennen kuin jatkat Tikkelin käyttöä.");
    EXPECT_EQ(texts.size(), 2);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), junk);
    EXPECT_FALSE(QFile::exists(path + "OLD"));
    EXPECT_TRUE(upgraded.isEmpty());
    EXPECT_TRUE(captions.isEmpty());
}

// The load reads the fee back from its text: it must be the amount the save put into shared state.
TEST_F(SettingsSaverTest, ReminderFeeIsStoredAsTheAmountItBecomes)
{
    struct Case {
        const char* typed;
        const char* stored;
        qint64 raw;
    };
    const Case cases[] = {
        {"5", "5,00", 50000},    {"3,5", "3,50", 35000},           {"2,555", "2,555", 25550},
        {"0,0001", "0,0001", 1}, {"1 234,5", "1234,50", 12345000}, {"-1,25", "-1,25", -12500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        SettingsForm form = SettingsForm::fromState(State());
        form.setText("tMuistutuskulut", QString::fromUtf8(c.typed));
        ASSERT_TRUE(save(form));
        EXPECT_EQ(State().ReminderFee, Currency::fromRaw(c.raw));
        const auto text = stored("Muistutuskulut");
        ASSERT_TRUE(text.has_value());
        EXPECT_EQ(*text, c.stored);
        EXPECT_EQ(ParseLocaleCurrency(*text), State().ReminderFee);
    }
}

// Other windows move the counters while the settings window is open. A counter box the user left
// as it was loaded is not written; a changed one is, and a number below the stored one only after
// the user confirms it.
TEST_F(SettingsSaverTest, CountersAreWrittenOnlyWhenChangedAndNeverLoweredSilently)
{
    struct Case {
        const char* name;
        const char* typed;               // nullptr: the box as loaded ("57")
        bool storedBefore;               // the database already holds Jasennro = 60
        std::optional<MsgResult> answer; // the lowering question
        bool saved;
        const char* storedAfter;
    };
    const Case cases[] = {
        {"unchanged box keeps the moved counter", nullptr, true, std::nullopt, true, "60"},
        {"unchanged box on a file without the key", nullptr, false, std::nullopt, true, "57"},
        {"raised by the user", "80", true, std::nullopt, true, "80"},
        {"lowered, user confirms", "58", true, MsgResult::Yes, true, "58"},
        {"lowered, user declines", "58", true, MsgResult::No, false, "60"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startOver();
        const SettingsForm loaded = SettingsForm::fromState(State());
        if (c.storedBefore) {
            Database db = Database::open(dbPath);
            DatabaseSettingsStore(db).write("60", "Jasennro");
            DatabaseSettingsStore(db).write("Vanha nimi", "RegName");
            db.close();
        }
        SettingsForm form = loaded;
        form.setText("tNimi", "Uusi nimi");
        if (c.typed)
            form.setText("tJasennumero", c.typed);
        if (c.answer)
            prompter.answer(*c.answer);
        SettingsSaver saver(services);
        saver.setLoadedForm(loaded);
        EXPECT_EQ(saver.save(form), c.saved);
        EXPECT_EQ(stored("Jasennro"), c.storedAfter);
        EXPECT_TRUE(prompter.scriptExhausted());
        EXPECT_EQ(prompter.unexpected(), 0);
        if (c.answer) {
            ASSERT_EQ(prompter.shown().size(), 1u);
            EXPECT_EQ(prompter.shown()[0].buttons, MsgButtons::YesNo);
            EXPECT_TRUE(prompter.shown()[0].text.contains("60") && prompter.shown()[0].text.contains("58"));
        }
        if (c.saved) {
            EXPECT_EQ(State().MemberNumberCounter, QString(c.storedAfter).toInt());
            EXPECT_EQ(form.text("tJasennumero"), c.storedAfter) << "the form shows the stored counter";
            EXPECT_EQ(stored("RegName"), "Uusi nimi");
        } else {
            EXPECT_EQ(saver.focusControl(), "tJasennumero");
            EXPECT_EQ(stored("RegName"), "Vanha nimi") << "a declined lowering stores nothing";
            EXPECT_EQ(State().MemberNumberCounter, 57);
        }
    }
}

TEST_F(SettingsSaverTest, MissingBackupFolderIsOfferedToBeCreated)
{
    QFile blocker(dir.filePath("tiedosto"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    struct Case {
        const char* name;
        QString folder;
        std::optional<MsgResult> answer;
        bool saved;
        bool exists;
    };
    const Case cases[] = {
        {"created", dir.filePath("uusi/kopiot"), MsgResult::Yes, true, true},
        {"declined", dir.filePath("toinen/kopiot"), MsgResult::No, true, false},
        {"cannot be created", dir.filePath("tiedosto/kopiot"), MsgResult::Yes, false, false},
        {"exists already", dir.filePath("v"), std::nullopt, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startOver();
        SettingsForm form = SettingsForm::fromState(State());
        form.setText("tVarmistus", c.folder);
        if (c.answer)
            prompter.answer(*c.answer);
        SettingsSaver saver(services);
        EXPECT_EQ(saver.save(form), c.saved);
        EXPECT_EQ(QFileInfo(c.folder).isDir(), c.exists);
        EXPECT_EQ(prompter.unexpected(), 0);
        if (c.answer) {
            EXPECT_TRUE(prompter.shown()[0].text.startsWith("Varmistushakemistoa " + c.folder + "/ ei ole olemassa."));
        }
        if (c.saved) {
            EXPECT_EQ(stored("DatabaseBackup"), c.folder + "/");
            EXPECT_EQ(iniValue("DatabaseBackup"), c.folder + "/");
        } else {
            // The message names the folder and the cause; nothing is stored.
            ASSERT_EQ(prompter.messageTexts().size(), 2);
            EXPECT_TRUE(prompter.messageTexts()[1].startsWith("Varmistushakemistoa " + c.folder + "/ ei voitu luoda: "))
                << prompter.messageTexts()[1].toStdString();
            EXPECT_GT(prompter.messageTexts()[1].indexOf(": ") + 3, 0);
            EXPECT_EQ(saver.focusControl(), "tVarmistus");
            EXPECT_FALSE(stored("AsKannassa").has_value());
        }
    }
}
