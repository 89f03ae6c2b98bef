#include "db/Database.h"
#include "base/SharedState.h"
#include "db/Recordset.h"
#include "members/MemberImport.h"
#include "members/MemberImportFields.h"
#include "support/TempProgramEnvironment.h"

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

using F = MemberImportFields;

class MemberImportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_path = m_env.copyOfShipped(QStringLiteral("demo1.mdb"), QStringLiteral("club.mdb"));
        m_db = Database::open(m_path);
        m_before = members();
        m_lastId = m_db.scalar(QStringLiteral("SELECT MAX(jrID) FROM jr")).toInt64();
        m_counter = State().MemberNumberCounter;
        m_autoNumbers = State().AutoMemberNumbers;
        State().AutoMemberNumbers = false;
    }
    void TearDown() override
    {
        // The import moves the shared counter: other tests must not see it moved.
        State().MemberNumberCounter = m_counter;
        State().AutoMemberNumbers = m_autoNumbers;
    }
    QString storedCounter()
    {
        return m_db
            .scalar(QStringLiteral("SELECT setString FROM Settings WHERE setSection = 'TIKKELI' AND setKey = 'Jasennro'"))
            .toString();
    }

    int members() { return int(m_db.scalar(QStringLiteral("SELECT COUNT(*) FROM jr")).toInt64()); }

    // The members the import added, in order: the values of one field.
    std::vector<Value> added(const QString& field)
    {
        std::vector<Value> out;
        Recordset rs = m_db.openRecordset(QStringLiteral("SELECT %1 FROM jr WHERE jrID > ? ORDER BY jrID").arg(field),
                                          RecordsetType::Snapshot, {Value(qint64(m_lastId))});
        for (; !rs.eof(); rs.moveNext())
            out.push_back(rs.field(0));
        return out;
    }

    MemberImport::Result import(const QStringList& lines, const std::vector<int>& codes,
                                const QString& quote = QStringLiteral("\""))
    {
        QString error;
        auto file = MemberImportFile::fromLines(lines, MemberImportFormat(QStringLiteral(";"), quote), &error);
        EXPECT_TRUE(file) << error.toStdString();
        return MemberImport::run(m_db, *file, codes);
    }

    test::TempProgramEnvironment m_env;
    QString m_path;
    Database m_db;
    int m_before = 0;
    qint64 m_lastId = 0;
    qint32 m_counter = 1;
    bool m_autoNumbers = false;
};

TEST_F(MemberImportTest, EveryLineBecomesANewMemberWithItsMappedFields)
{
    const auto r = import({"\"Matti\";\"Virtanen\";\"Kuja 1\"", "Liisa;Laine;Tie 2"},
                          {F::FirstName, F::Surname, F::Address});
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.imported, 2);
    EXPECT_EQ(members(), m_before + 2);
    EXPECT_EQ(added("jrEtunimi"), (std::vector<Value>{"Matti", "Liisa"}));
    EXPECT_EQ(added("jrSukunimi"), (std::vector<Value>{"Virtanen", "Laine"}));
    EXPECT_EQ(added("jrOsoite"), (std::vector<Value>{"Kuja 1", "Tie 2"}));
}

struct FitCase {
    const char* name;
    int code;
    QString text;
    Value stored;
};

class MemberImportFit : public MemberImportTest, public ::testing::WithParamInterface<FitCase> {};

TEST_P(MemberImportFit, ValueIsCutOrConvertedForItsField)
{
    const FitCase& c = GetParam();
    const auto r = import({QStringLiteral("x;") + c.text}, {F::Title, c.code});
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(added(F::fieldName(c.code)), std::vector<Value>{c.stored}) << c.name;
    EXPECT_EQ(added("jrTitteli"), std::vector<Value>{"x"}) << "the rest of the line is imported";
}

INSTANTIATE_TEST_SUITE_P(Cases, MemberImportFit,
                         ::testing::Values(FitCase{"postal code of six", F::PostalCode, "001001", "00100"},
                                           FitCase{"leading zeros stay", F::PostalCode, "00100", "00100"},
                                           FitCase{"member number of twelve", F::MemberNumber, "123456789012", "1234567890"},
                                           FitCase{"member number stays text", F::MemberNumber, "0007", "0007"},
                                           FitCase{"surname over fifty", F::Surname, QString(60, u'ä'), QString(50, u'ä')},
                                           FitCase{"phone over thirty", F::Phone, QString(35, u'1'), QString(30, u'1')},
                                           FitCase{"email", F::Email, "a@b.fi", "a@b.fi"},
                                           FitCase{"values are not trimmed", F::PostOffice, " Pori ", " Pori "},
                                           FitCase{"finnish date", F::BirthDate, "5.3.1970", Value(QDate(1970, 3, 5))},
                                           FitCase{"date with zeros", F::JoinDate, "05.03.2001", Value(QDate(2001, 3, 5))},
                                           FitCase{"iso date", F::JoinDate, "2001-03-05", Value(QDate(2001, 3, 5))},
                                           FitCase{"no date", F::BirthDate, "Syntymäpäivä", Value()},
                                           FitCase{"impossible date", F::BirthDate, "31.2.1970", Value()},
                                           FitCase{"empty keeps the default", F::Surname, "", Value()}),
                         [](const auto& info) { return std::to_string(info.index); });

TEST_F(MemberImportTest, ColumnsBeyondTheMappedOnesAreIgnoredAndMissingOnesStayEmpty)
{
    const auto r = import({"a;b", "c;d;e;f", "g"}, {F::FirstName, F::Surname});
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(added("jrEtunimi"), (std::vector<Value>{"a", "c", "g"}));
    EXPECT_EQ(added("jrSukunimi"), (std::vector<Value>{"b", "d", Value()}));
}

TEST_F(MemberImportTest, LaterColumnWinsAndUnmappedLinesStillAddAMember)
{
    const auto r = import({"a;b;c", "a;;c", ";x;"}, {F::Surname, F::NotImported, F::Surname});
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(added("jrSukunimi"), (std::vector<Value>{"c", "c", Value()}));
    EXPECT_EQ(added("jrMukaan"), (std::vector<Value>{false, false, false}));
}

TEST_F(MemberImportTest, QuotesAndSqlInValuesAreStoredAsText)
{
    const QString nasty = QStringLiteral("O'Brien'); DELETE FROM jr; --");
    QString quoted = nasty;
    quoted.replace(QStringLiteral("'"), QStringLiteral("''"));
    const auto r = import({QStringLiteral("'%1';x").arg(quoted)}, {F::Surname}, QStringLiteral("'"));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(members(), m_before + 1);
    EXPECT_EQ(added("jrSukunimi"), std::vector<Value>{nasty});
}

TEST_F(MemberImportTest, ARefusedLineMidwayLeavesTheRegisterUnchanged)
{
    m_db.execute(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON jr WHEN NEW.jrSukunimi = 'Kielletty' "
                                "BEGIN SELECT RAISE(ABORT, 'ei kelpaa'); END"));
    int progressCalls = 0;
    QString error;
    auto file = MemberImportFile::fromLines({"Aalto", "", "Berg", "Kielletty", "Carlsson"},
                                            MemberImportFormat(QStringLiteral(";"), {}), &error);
    ASSERT_TRUE(file);
    const auto r = MemberImport::run(m_db, *file, {F::Surname}, [&](int done, int total) {
        ++progressCalls;
        EXPECT_EQ(total, 4);
        EXPECT_LE(done, total);
    });
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failedLine, 4);
    EXPECT_EQ(r.imported, 0);
    EXPECT_TRUE(r.error.startsWith(QStringLiteral("Tapahtui virhe: "))) << r.error.toStdString();
    EXPECT_TRUE(r.error.contains(QStringLiteral("rivi 4"))) << r.error.toStdString();
    EXPECT_EQ(progressCalls, 2);
    EXPECT_EQ(members(), m_before);
    EXPECT_FALSE(m_db.inTransaction());
}

TEST_F(MemberImportTest, ImportingTwiceAddsTheMembersAgain)
{
    ASSERT_TRUE(import({"a"}, {F::Surname}).ok);
    ASSERT_TRUE(import({"a"}, {F::Surname}).ok);
    EXPECT_EQ(added("jrSukunimi"), (std::vector<Value>{"a", "a"}));
}

TEST_F(MemberImportTest, AMemberNumberTakenOrRepeatedRefusesTheWholeFileNamingTheLine)
{
    m_db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi, jrJasennumero) VALUES ('Vanha', 'A7')"));
    m_before = members();
    const struct {
        const char* what;
        QStringList lines;
        const char* error;
        int line;
    } cases[] = {
        {"three members numbered 7",
         {"Aalto;7", "Berg;7", "Carlsson;7"},
         "Jäsennumero 7 on tiedostossa kahdesti: rivit 1 ja 2. Tietokantaan ei tuotu yhtään jäsentä.",
         2},
        {"a number in the register, in another case",
         {"Aalto;1", "Berg;a7"},
         "Jäsennumero a7 (tiedoston rivi 2) on jo toisella jäsenellä. Tietokantaan ei tuotu yhtään jäsentä.",
         2},
        {"repeated after cutting to the width",
         {"Aalto;12345678901", "Berg;12345678902"},
         "Jäsennumero 1234567890 on tiedostossa kahdesti: rivit 1 ja 2. Tietokantaan ei tuotu yhtään jäsentä.",
         2},
    };
    for (const auto& c : cases) {
        const auto r = import(c.lines, {F::Surname, F::MemberNumber});
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_EQ(r.error, QString::fromUtf8(c.error)) << c.what;
        EXPECT_EQ(r.failedLine, c.line) << c.what;
        EXPECT_EQ(members(), m_before) << c.what;
        EXPECT_EQ(State().MemberNumberCounter, m_counter) << c.what;
    }
}

TEST_F(MemberImportTest, CounterMovesPastTheLargestImportedNumber)
{
    State().MemberNumberCounter = 5;
    const auto r = import({"Aalto;12", "Berg;x3", "Carlsson;40", "Dahl;"}, {F::Surname, F::MemberNumber});
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(added("jrJasennumero"), (std::vector<Value>{"12", "x3", "40", Value()}));
    EXPECT_EQ(State().MemberNumberCounter, 41);
    EXPECT_EQ(storedCounter(), QStringLiteral("41"));

    // Numbers below the counter leave it where it is.
    ASSERT_TRUE(import({"Eklund;2"}, {F::Surname, F::MemberNumber}).ok);
    EXPECT_EQ(State().MemberNumberCounter, 41);
}

TEST_F(MemberImportTest, AutomaticNumberingNumbersTheMembersWithoutOne)
{
    State().AutoMemberNumbers = true;
    State().MemberNumberCounter = 700;
    // A number typed by hand ahead of the counter is not given again.
    m_db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi, jrJasennumero) VALUES ('Vanha', '701')"));
    m_lastId = m_db.scalar(QStringLiteral("SELECT MAX(jrID) FROM jr")).toInt64();
    const auto r = import({"Aalto;", "Berg;702", "Carlsson;", "Dahl;"}, {F::Surname, F::MemberNumber});
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(added("jrJasennumero"), (std::vector<Value>{"703", "702", "704", "705"}));
    EXPECT_EQ(State().MemberNumberCounter, 706);
    EXPECT_EQ(storedCounter(), QStringLiteral("706"));
}

TEST_F(MemberImportTest, AHeadingLineOfTheChosenFieldNamesIsSkipped)
{
    const struct {
        const char* what;
        QStringList lines;
        std::vector<int> codes;
        bool heading;
    } cases[] = {
        {"field list names", {"Sukunimi;Etunimi", "Virtanen;Matti"}, {F::Surname, F::FirstName}, true},
        {"case and blanks", {" sukunimi ;ETUNIMI;muuta", "Virtanen;Matti;x"}, {F::Surname, F::FirstName}, true},
        {"unmapped columns do not count", {"x;Sukunimi", "y;Virtanen"}, {F::NotImported, F::Surname}, true},
        {"a real member", {"Virtanen;Matti", "Laine;Liisa"}, {F::Surname, F::FirstName}, false},
        {"one name only", {"Sukunimi;Matti", "Laine;Liisa"}, {F::Surname, F::FirstName}, false},
        {"nothing mapped", {"a;b"}, {F::NotImported}, false},
    };
    for (const auto& c : cases) {
        m_lastId = m_db.scalar(QStringLiteral("SELECT MAX(jrID) FROM jr")).toInt64();
        const auto r = import(c.lines, c.codes);
        ASSERT_TRUE(r.ok) << c.what;
        EXPECT_EQ(r.headingSkipped, c.heading) << c.what;
        EXPECT_EQ(r.imported, int(c.lines.size()) - (c.heading ? 1 : 0)) << c.what;
    }
}

TEST_F(MemberImportTest, SummaryNamesTheLinesWhoseValuesWereCutOrLeftEmpty)
{
    const auto r = import({"Aalto;001001;1.1.1970", "Berg;00100;huomenna", QStringLiteral("%1;1;").arg(QString(51, u'x'))},
                          {F::Surname, F::PostalCode, F::BirthDate});
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.summary(), QStringLiteral("Tietokantaan lisättiin 3 jäsentä.\n"
                                          "Kentän pituuteen lyhennettiin arvot riveillä: 1 (Postinumero), 3 (Sukunimi).\n"
                                          "Päivämäärää ei voitu lukea, kenttä jäi tyhjäksi riveillä: 2 (Syntymäpäivä)."));
}

} // namespace
