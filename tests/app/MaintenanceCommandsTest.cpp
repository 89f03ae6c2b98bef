#include "support/FailingFileSafety.h"
#include "support/MaintTestDb.h"

#include "app/MaintenanceCommands.h"
#include "base/ScriptedPrompter.h"
#include "db/Database.h"
#include "db/Transaction.h"
#include "base/SharedState.h"

#include <QDir>
#include <QFile>
#include <map>
#include <gtest/gtest.h>

using namespace tikkeli;
using tikkeli::test::FailingFileSafety;
using tikkeli::test::MaintTestDb;

namespace {

std::int64_t raw(MaintTestDb& t, const char* sql)
{
    return t.open().scalar(QString::fromUtf8(sql)).toCurrency().raw();
}

struct ServiceCase {
    const char* typed;
    const char* message;
    QStringList emptied;
};

} // namespace

TEST(ServiceCommandBox, CommandsEmptyTheirGroupsOnly)
{
    const std::vector<ServiceCase> cases = {
        {"poista laskut", "Laskut poistettu!", {"jm", "jmhist", "jmRivi"}},
        {"Poista Ominaisuudet", "Ominaisuudet poistettu!", {"pi", "pt"}},
        {"POISTA SOPIMUKSET", "Sopimukset poistettu!", {"vs", "tl", "mt"}},
        {"POISTA KAIKKI",
         "Kaikki poistettu!",
         {"jr", "pt", "jm", "jmhist", "jmRivi", "pi", "vs", "tl", "mt", "lt", "me", "el", "et", "mvs", "si"}},
        {"poista  laskut", "Komentoa ei löydy, tarkista komento.\n\nAntamasi komento: POISTA  LASKUT", {}},
        {"poista laskut ", "Komentoa ei löydy, tarkista komento.\n\nAntamasi komento: POISTA LASKUT ", {}},
        {" POISTA KAIKKI", "Komentoa ei löydy, tarkista komento.\n\nAntamasi komento:  POISTA KAIKKI", {}},
        {"poista jäsenet", "Komentoa ei löydy, tarkista komento.\n\nAntamasi komento: POISTA JÄSENET", {}},
    };
    for (const ServiceCase& c : cases) {
        SCOPED_TRACE(c.typed);
        MaintTestDb t;
        t.fill();
        std::map<QString, int> before;
        for (const QString& table : test::ClubTables())
            before[table] = t.count(table);

        ScriptedPrompter p;
        p.answerText(QString::fromUtf8(c.typed));
        MaintenanceCommands::serviceCommandBox();

        ASSERT_EQ(p.shown().size(), 2u);
        EXPECT_EQ(p.shown()[0].kind, ScriptedPrompter::Kind::Input);
        EXPECT_EQ(p.shown()[0].text, QStringLiteral("Anna Tikkeli komento"));
        EXPECT_EQ(p.shown()[0].title, QStringLiteral("Tikkeli"));
        EXPECT_EQ(p.shown()[1].text, QString::fromUtf8(c.message));
        EXPECT_EQ(p.shown()[1].icon, MsgIcon::Information);
        for (const QString& table : test::ClubTables()) {
            const bool emptied = c.emptied.contains(table);
            EXPECT_EQ(t.count(table), emptied ? 0 : before[table]) << table.toStdString();
        }
    }
}

TEST(ServiceCommandBox, EmptyAnswerOrCancelDoesNothing)
{
    MaintTestDb t;
    t.fill();
    for (const std::optional<QString>& answer : {std::optional<QString>(QString()), std::optional<QString>()}) {
        ScriptedPrompter p;
        p.answerText(answer);
        MaintenanceCommands::serviceCommandBox();
        EXPECT_EQ(p.shown().size(), 1u);
    }
    EXPECT_EQ(t.count(QStringLiteral("jm")), 2);
}

TEST(ServiceCommandBox, FailureRollsBackTheWholeCommandAndSaysSo)
{
    MaintTestDb t;
    t.fill();
    t.open().execute(
        QStringLiteral("CREATE TRIGGER jmRivi_estetty BEFORE DELETE ON jmRivi BEGIN SELECT RAISE(ABORT, 'estetty'); END"));
    ScriptedPrompter p;
    p.answerText(QStringLiteral("POISTA KAIKKI"));
    MaintenanceCommands::serviceCommandBox();

    ASSERT_EQ(p.messageTexts().size(), 1);
    EXPECT_TRUE(p.messageTexts()[0].startsWith(QStringLiteral("Komennon suorituksessa tapahtui virhe: ")));
    EXPECT_TRUE(p.messageTexts()[0].contains(QStringLiteral("Tietokantaan ei tehty muutoksia.")));
    EXPECT_EQ(t.count(QStringLiteral("jr")), 3); // deleted before the failure, then rolled back
    EXPECT_EQ(t.count(QStringLiteral("jm")), 2);
    EXPECT_EQ(t.count(QStringLiteral("jmRivi")), 3);
    EXPECT_EQ(t.count(QStringLiteral("si")), 1);
}

TEST(ServiceCommandBox, MissingDatabaseIsReported)
{
    MaintTestDb t;
    State().DatabasePath = t.dir() + QStringLiteral("/puuttuu.mdb");
    ScriptedPrompter p;
    p.answerText(QStringLiteral("POISTA LASKUT"));
    MaintenanceCommands::serviceCommandBox();
    ASSERT_EQ(p.messageTexts().size(), 1);
    EXPECT_TRUE(p.messageTexts()[0].startsWith(QStringLiteral("Komennon suorituksessa tapahtui virhe: 3024")));
    EXPECT_FALSE(QFile::exists(State().DatabasePath));
}

TEST(EuroConversion, ToEurosConvertsTotalsAndRowsRoundedToFourDecimals)
{
    MaintTestDb t;
    t.fill();
    ScriptedPrompter p;
    p.answerYes();
    MaintenanceCommands::euroConversion();
    ASSERT_EQ(p.shown().size(), 1u);
    EXPECT_EQ(p.shown()[0].text, QStringLiteral("Muunnetaanko arvokentät euroiksi? (maksut, ominaisuudet)"));
    EXPECT_EQ(p.shown()[0].icon, MsgIcon::Question);
    EXPECT_EQ(p.shown()[0].buttons, MsgButtons::YesNo);

    Database db = t.open();
    EXPECT_DOUBLE_EQ(db.scalar(QStringLiteral("SELECT vsVastikeVuosi FROM vs")).toDouble(), 200.0);
    EXPECT_DOUBLE_EQ(db.scalar(QStringLiteral("SELECT vsVastikeKausi FROM vs")).toDouble(), 2.0);
    EXPECT_EQ(raw(t, "SELECT piCurrency FROM pi WHERE piID = 1"), 168188);
    EXPECT_EQ(raw(t, "SELECT piCurrency FROM pi WHERE piID = 2"), 100000);
    EXPECT_EQ(raw(t, "SELECT ptValCurrency FROM pt WHERE ptID = 2"), 84935);
    EXPECT_TRUE(db.scalar(QStringLiteral("SELECT ptValCurrency FROM pt WHERE ptID = 3")).isNull());
    EXPECT_EQ(raw(t, "SELECT mtValCurrency FROM mt"), 20000);
    EXPECT_EQ(raw(t, "SELECT jmhjmHinta FROM jmhist"), 200000);
    EXPECT_EQ(raw(t, "SELECT jmHinta FROM jm WHERE jmID = 1"), 252282);
    EXPECT_EQ(raw(t, "SELECT jmHinta FROM jm WHERE jmID = 2"), 1000000);
    EXPECT_EQ(raw(t, "SELECT jmRHinta FROM jmRivi WHERE jmRID = 1"), 168188);
    EXPECT_EQ(raw(t, "SELECT jmRHinta FROM jmRivi WHERE jmRID = 2"), 84094);
    EXPECT_EQ(raw(t, "SELECT jmRHinta FROM jmRivi WHERE jmRID = 3"), 1000000);
    // The rows of each invoice still add up to its total.
    EXPECT_EQ(raw(t, "SELECT SUM(jmRHinta) FROM jmRivi WHERE jmRjmID = 1"), 252282);
    // Reminder sums and payments keep their values.
    EXPECT_EQ(raw(t, "SELECT jmhjmMuistutusKulut FROM jmhist"), 50000);
    EXPECT_EQ(raw(t, "SELECT jmhjmAvoinSumma FROM jmhist"), 1189146);
    EXPECT_EQ(raw(t, "SELECT Summa FROM Suoritukset"), 100000);
}

TEST(EuroConversion, BackToMarksAndEveryRunConvertsAgain)
{
    MaintTestDb t;
    t.fill();
    ScriptedPrompter p;
    p.answerYes();
    p.answerYes();
    MaintenanceCommands::reverseEuroConversion();
    EXPECT_EQ(p.shown()[0].text, QStringLiteral("Muunnetaanko arvokentät takaisin markoiksi? (maksut, ominaisuudet)"));
    EXPECT_EQ(raw(t, "SELECT piCurrency FROM pi WHERE piID = 1"), 5945730);
    EXPECT_EQ(raw(t, "SELECT jmHinta FROM jm WHERE jmID = 1"), 8918595);
    EXPECT_EQ(raw(t, "SELECT jmRHinta FROM jmRivi WHERE jmRID = 2"), 2972865);
    EXPECT_EQ(raw(t, "SELECT mtValCurrency FROM mt"), 707036);

    MaintenanceCommands::euroConversion();
    MaintenanceCommands::euroConversion(); // answered No by the empty script: nothing changes
    EXPECT_EQ(raw(t, "SELECT piCurrency FROM pi WHERE piID = 1"), 1000000);
    EXPECT_EQ(raw(t, "SELECT jmHinta FROM jm WHERE jmID = 1"), 1500000);
    EXPECT_EQ(raw(t, "SELECT jmRHinta FROM jmRivi WHERE jmRID = 2"), 500000);
    EXPECT_EQ(raw(t, "SELECT mtValCurrency FROM mt"), 118915);

    ScriptedPrompter again;
    again.answerYes();
    MaintenanceCommands::euroConversion();
    again.answerYes();
    MaintenanceCommands::euroConversion();
    EXPECT_EQ(raw(t, "SELECT piCurrency FROM pi WHERE piID = 2"), 16819); // 59.4573 / 5.94573 / 5.94573
}

TEST(EuroConversion, FailureMidwayLeavesEveryAmountAsItWas)
{
    MaintTestDb t;
    t.fill();
    t.open().execute(
        QStringLiteral("CREATE TRIGGER jm_lukittu BEFORE UPDATE ON jm BEGIN SELECT RAISE(ABORT, 'lukittu'); END"));
    ScriptedPrompter p;
    p.answerYes();
    MaintenanceCommands::euroConversion();
    ASSERT_EQ(p.messageTexts().size(), 2);
    EXPECT_TRUE(p.messageTexts()[1].startsWith(QStringLiteral("Muunnoksen suorituksessa tapahtui virhe: ")));
    EXPECT_TRUE(p.messageTexts()[1].contains(QStringLiteral("Tietokantaan ei tehty muutoksia.")));
    Database db = t.open();
    EXPECT_DOUBLE_EQ(db.scalar(QStringLiteral("SELECT vsVastikeVuosi FROM vs")).toDouble(), 1189.146);
    EXPECT_EQ(raw(t, "SELECT piCurrency FROM pi WHERE piID = 1"), 1000000);
    EXPECT_EQ(raw(t, "SELECT jmhjmHinta FROM jmhist"), 1189146);
    EXPECT_EQ(raw(t, "SELECT jmRHinta FROM jmRivi WHERE jmRID = 1"), 1000000);
}

TEST(SqlStatementRunner, RunsStatementsInEitherDialectAndReportsFailures)
{
    struct Case {
        const char* sql;
        const char* messageStart;
    };
    const std::vector<Case> cases = {
        {"UPDATE jr SET jrEtunimi = 'Maija' WHERE jrID = 1", "SQL-lause suoritettu."},
        {"DELETE * FROM lt", "SQL-lause suoritettu."},
        {"CREATE TABLE Uusi (uID INTEGER PRIMARY KEY, uNimi VARCHAR(20))", "SQL-lause suoritettu."},
        {"SELECT * FROM jr", "SQL-lauseen suorituksessa tapahtui virhe: 3065 / "},
        {"UPDAT jr SET jrEtunimi = 'x'", "SQL-lauseen suorituksessa tapahtui virhe: "},
        {"DELETE FROM eiole", "SQL-lauseen suorituksessa tapahtui virhe: "},
        {"DELETE FROM jr; DELETE FROM pt", "SQL-lauseen suorituksessa tapahtui virhe: "},
        {"BEGIN", "SQL-lauseen suorituksessa tapahtui virhe: 3003 / "},
        {"COMMIT", "SQL-lauseen suorituksessa tapahtui virhe: "},
    };
    MaintTestDb t;
    t.fill();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        ScriptedPrompter p;
        p.answerText(QString::fromUtf8(c.sql));
        MaintenanceCommands::sqlStatement();
        ASSERT_EQ(p.shown().size(), 2u);
        EXPECT_EQ(p.shown()[0].text, QStringLiteral("Kirjoita SQL-lause.\nJos haluat keskeyttää, jätä kenttä tyhjäksi."));
        EXPECT_TRUE(p.shown()[1].text.startsWith(QString::fromUtf8(c.messageStart))) << p.shown()[1].text.toStdString();
        EXPECT_EQ(p.shown()[1].icon, MsgIcon::Information);
    }
    Database db = t.open();
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT jrEtunimi FROM jr WHERE jrID = 1")).toString(), QStringLiteral("Maija"));
    EXPECT_EQ(t.count(QStringLiteral("lt")), 0);
    EXPECT_EQ(t.count(QStringLiteral("Uusi")), 0);
    EXPECT_EQ(t.count(QStringLiteral("jr")), 3);
    EXPECT_EQ(t.count(QStringLiteral("pt")), 3);
    EXPECT_FALSE(t.open().inTransaction());

    ScriptedPrompter empty;
    empty.answerText(QString());
    MaintenanceCommands::sqlStatement();
    EXPECT_EQ(empty.shown().size(), 1u);
}

TEST(DatabaseRepair, AsksThenRepairsAHealthyFileWithoutHarm)
{
    MaintTestDb t;
    t.fill();
    {
        ScriptedPrompter p;
        p.answerNo();
        FailingFileSafety ops;
        MaintenanceCommands::databaseRepair();
        EXPECT_TRUE(ops.calls.isEmpty());
        ASSERT_EQ(p.shown().size(), 1u);
        EXPECT_EQ(p.shown()[0].icon, MsgIcon::None);
        EXPECT_EQ(p.shown()[0].text, QStringLiteral("Tämä toiminto yrittää korjata vahingoittuneen tietokannan.\n"
                                                    "Toiminnosta ei ole vahinkoa täysin kunnossa olevalle tietokannalle.\n\n"
                                                    "Haluatko suorittaa tietokannan korjauksen?"));
    }
    ScriptedPrompter p;
    p.answerYes();
    MaintenanceCommands::databaseRepair();
    ASSERT_EQ(p.messageTexts().size(), 2);
    EXPECT_EQ(p.messageTexts()[1], QStringLiteral("Korjaus valmis."));
    EXPECT_EQ(t.count(QStringLiteral("jr")), 3);
    EXPECT_EQ(t.count(QStringLiteral("jmRivi")), 3);
}

TEST(DatabaseRepair, NeverTouchesAFileThatIsNotADatabase)
{
    MaintTestDb t;
    const QByteArray access = QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20) + QByteArray(2000, 'x');
    const QByteArray junk = QByteArray("tämä ei ole tietokanta\n").repeated(200);
    for (const QByteArray& content : {access, junk}) {
        const QString path = t.dir() + QStringLiteral("/vieras.mdb");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
        f.close();
        State().DatabasePath = path;

        ScriptedPrompter p;
        p.answerYes();
        MaintenanceCommands::databaseRepair();
        ASSERT_EQ(p.messageTexts().size(), 2);
        EXPECT_TRUE(p.messageTexts()[1].startsWith(QStringLiteral("Korjaus ei onnistunut: ")));
        EXPECT_EQ(p.shown()[1].icon, MsgIcon::Warning);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), content);
        f.close();
        EXPECT_EQ(QDir(t.dir()).entryList(QDir::Files).size(), 2); // seura.mdb and vieras.mdb only
    }
}

TEST(DatabaseRepair, RefusedWhileAWindowIsSaving)
{
    MaintTestDb t;
    t.fill();
    Database window = t.open();
    Transaction saving(window);
    window.execute(QStringLiteral("UPDATE jr SET jrEtunimi = 'Kesken' WHERE jrID = 1"));

    FailingFileSafety ops;
    ScriptedPrompter p;
    p.answerYes();
    MaintenanceCommands::databaseRepair();
    EXPECT_TRUE(ops.calls.isEmpty());
    ASSERT_EQ(p.messageTexts().size(), 2);
    EXPECT_TRUE(p.messageTexts()[1].contains(QStringLiteral("Tietokantaan ei tehty muutoksia.")));
    saving.rollback();
}

TEST(EuroConversion, TotalsThatAddedUpStillAddUpToTheirRows)
{
    MaintTestDb t;
    t.fill();
    {
        Database db = t.open();
        // 10 + 20 marks give 1.6819 + 3.3638 euros, while 30 marks alone give 5.0456.
        db.execute(QStringLiteral("INSERT INTO jm (jmID, jmHinta) VALUES (3, 30), (4, 30)"));
        db.execute(QStringLiteral("INSERT INTO jmRivi (jmRjmID, jmRHinta) VALUES (3, 10), (3, 20), (4, 10)"));
        db.execute(QStringLiteral("INSERT INTO jmhist (jmhjmID, jmhjmHinta) VALUES (9, 30)"));
        db.execute(QStringLiteral("INSERT INTO jmRivi (jmRjmID, jmRHinta) VALUES (9, 20), (9, 10)"));
    }
    ScriptedPrompter p;
    p.answerYes();
    MaintenanceCommands::euroConversion();
    EXPECT_EQ(raw(t, "SELECT jmHinta FROM jm WHERE jmID = 3"), 50457);
    EXPECT_EQ(raw(t, "SELECT jmHinta FROM jm WHERE jmID = 4"), 50456); // its rows never added up
    EXPECT_EQ(raw(t, "SELECT jmhjmHinta FROM jmhist WHERE jmhjmID = 9"), 50457);
    EXPECT_EQ(raw(t, "SELECT jmhjmHinta FROM jmhist WHERE jmhjmID = 7"), 200000); // no rows of its own
}

// A stored value that is no amount of money, or one too large to convert, must not come back as
// zero or stop the program: the run is refused as a whole and reported.
TEST(EuroConversion, AValueThatCannotBeConvertedStopsTheRunWithNothingChanged)
{
    struct Case {
        const char* setup;
        bool toEuros;
        const char* numberAndTable;
    };
    const std::vector<Case> cases = {
        {"UPDATE pt SET ptValCurrency = 'paljon' WHERE ptID = 2", true, "13 / Taulun pt kentän ptValCurrency"},
        {"UPDATE mt SET mtValCurrency = X'0102'", true, "13 / Taulun mt kentän mtValCurrency"},
        {"UPDATE vs SET vsVastikeKausi = 1e300", true, "13 / Taulun vs kentän vsVastikeKausi"},
        {"UPDATE jmRivi SET jmRHinta = 900000000000000 WHERE jmRID = 3", false, "6 / Taulun jmRivi kentän jmRHinta"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setup);
        MaintTestDb t;
        t.fill();
        t.open().execute(QString::fromUtf8(c.setup));
        const std::int64_t pi1 = raw(t, "SELECT piCurrency FROM pi WHERE piID = 1");
        const std::int64_t jm1 = raw(t, "SELECT jmHinta FROM jm WHERE jmID = 1");
        const std::int64_t row1 = raw(t, "SELECT jmRHinta FROM jmRivi WHERE jmRID = 1");

        ScriptedPrompter p;
        p.answerYes();
        if (c.toEuros)
            MaintenanceCommands::euroConversion();
        else
            MaintenanceCommands::reverseEuroConversion();

        ASSERT_EQ(p.messageTexts().size(), 2);
        EXPECT_TRUE(p.messageTexts()[1].startsWith(QStringLiteral("Muunnoksen suorituksessa tapahtui virhe: ")
                                                   + QString::fromUtf8(c.numberAndTable)))
            << p.messageTexts()[1].toStdString();
        EXPECT_TRUE(p.messageTexts()[1].endsWith(QStringLiteral("Tietokantaan ei tehty muutoksia.")));
        EXPECT_EQ(raw(t, "SELECT piCurrency FROM pi WHERE piID = 1"), pi1);
        EXPECT_EQ(raw(t, "SELECT jmHinta FROM jm WHERE jmID = 1"), jm1);
        EXPECT_EQ(raw(t, "SELECT jmRHinta FROM jmRivi WHERE jmRID = 1"), row1);
        EXPECT_DOUBLE_EQ(t.open().scalar(QStringLiteral("SELECT vsVastikeVuosi FROM vs")).toDouble(), 1189.146);
    }
}

// Work done on the shared connection inside a window's unfinished save would vanish with that
// save's rollback after being reported done.
TEST(MaintenanceCommands, ConversionAndServiceCommandsWaitForAWindowsSave)
{
    MaintTestDb t;
    t.fill();
    Database window = t.open();
    Transaction saving(window);
    window.execute(QStringLiteral("UPDATE jr SET jrEtunimi = 'Kesken' WHERE jrID = 1"));

    ScriptedPrompter p;
    p.answerText(QStringLiteral("POISTA LASKUT"));
    MaintenanceCommands::serviceCommandBox();
    p.answerYes();
    MaintenanceCommands::euroConversion();
    saving.rollback();

    const QStringList texts = p.messageTexts();
    ASSERT_EQ(texts.size(), 3);
    EXPECT_TRUE(texts[0].startsWith(QStringLiteral("Komennon suorituksessa tapahtui virhe: 3003 / ")));
    EXPECT_TRUE(texts[2].startsWith(QStringLiteral("Muunnoksen suorituksessa tapahtui virhe: 3003 / ")));
    EXPECT_EQ(t.count(QStringLiteral("jm")), 2);
    EXPECT_EQ(raw(t, "SELECT piCurrency FROM pi WHERE piID = 1"), 1000000);
}

TEST(DatabaseRepair, ADamagedFileIsSalvagedAndTheUserToldWhereTheOriginalIs)
{
    MaintTestDb t;
    t.fill();
    {
        Database db = t.open();
        Transaction tx(db);
        for (int i = 0; i < 2000; ++i)
            db.execute(QStringLiteral("INSERT INTO me (meTeksti) VALUES (?)"),
                       {Value(QStringLiteral("Tiedote %1 ").arg(i).repeated(8))});
        tx.commit();
    }
    ConnectionRegistry::closeAll(t.path());
    {
        QFile f(t.path());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_GT(f.size(), 4096 * 60);
        ASSERT_TRUE(f.seek(qint64(50) * 4096 + 8));
        f.write(QByteArray(4000, '\x5a'));
    }

    ScriptedPrompter p;
    p.answerYes();
    MaintenanceCommands::databaseRepair();
    ASSERT_EQ(p.messageTexts().size(), 2);
    const QString kept = t.dir() + QStringLiteral("/seura_vioittunut.mdb");
    // Rows were lost with the damaged page: the repair is not called done, and the table is named.
    EXPECT_TRUE(p.messageTexts()[1].startsWith(
        QStringLiteral("Korjaus tehty, mutta tietoja menetettiin.\n\nTietokanta oli vioittunut")))
        << p.messageTexts()[1].toStdString();
    EXPECT_TRUE(p.messageTexts()[1].contains(QStringLiteral("Taulu me: "))) << p.messageTexts()[1].toStdString();
    EXPECT_TRUE(p.messageTexts()[1].contains(kept));
    EXPECT_TRUE(QFile::exists(kept));
    EXPECT_EQ(t.open().scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(t.count(QStringLiteral("jr")), 3);
}
