#include "lists/ListsTestDb.h"

#include "lists/MemberSelection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sqlite3.h>

namespace tikkeli::test {
namespace {

using Setup = std::function<void(MemberCriteria&, const ListsTestDb&)>;

struct SelectionCase {
    const char* name;
    Setup setup;
    QStringList expected;
};

void features(MemberCriteria& c, std::initializer_list<qint64> ids)
{
    int slot = 0;
    for (qint64 id : ids)
        c.setHepiID(slot++, qint32(id));
}

QStringList L(std::initializer_list<const char*> names)
{
    QStringList list;
    for (const char* n : names)
        list << QString::fromUtf8(n);
    return list;
}

class MemberSelectionTest : public ::testing::Test {
protected:
    ListsTestDb club;
};

TEST_F(MemberSelectionTest, SelectsTheMembersEachCriterionNames)
{
    const std::vector<SelectionCase> cases = {
        {"no criteria", [](auto&, auto&) {}, club.all()},
        {"EI without features", [](auto& c, auto&) { c.OminaisuusRajaus = true; }, club.all()},
        {"EI with A and B",
         [](auto& c, auto& d) {
             c.OminaisuusRajaus = true;
             features(c, {d.A, d.B});
         },
         L({"Eerola"})},
        {"EI keeps no refinement",
         [](auto& c, auto& d) {
             c.OminaisuusRajaus = true;
             features(c, {d.A});
             c.LukuArvo = ReadWholeNumberCriterion(QStringLiteral("5")).value;
         },
         L({"Coll'", "Eerola"})},
        {"one feature", [](auto& c, auto& d) { features(c, {d.A}); }, L({"Aho", "Björk", "Ö'Brien", "Fager"})},
        {"date before",
         [](auto& c, auto& d) {
             features(c, {d.A});
             c.PvmArvo = ReadDateCriterion(QStringLiteral("1.1.2000")).value;
             c.PvmVertailu = 0;
         },
         L({"Björk"})},
        {"date equal",
         [](auto& c, auto& d) {
             features(c, {d.A});
             c.PvmArvo = ReadDateCriterion(QStringLiteral("1.5.2020")).value;
             c.PvmVertailu = 1;
         },
         L({"Aho"})},
        {"date after",
         [](auto& c, auto& d) {
             features(c, {d.A});
             c.PvmArvo = ReadDateCriterion(QStringLiteral("1.1.1990")).value;
             c.PvmVertailu = 2;
         },
         L({"Aho"})},
        {"year pattern on the feature date",
         [](auto& c, auto& d) {
             features(c, {d.A});
             c.PvmArvo = ReadDateCriterion(QStringLiteral("198*")).value;
         },
         L({"Björk"})},
        {"number greater (a member with two values)",
         [](auto& c, auto& d) {
             features(c, {d.A});
             c.LukuArvo = ReadWholeNumberCriterion(QStringLiteral("9")).value;
             c.LukuVertailu = 2;
         },
         L({"Björk", "Fager"})},
        {"number equal",
         [](auto& c, auto& d) {
             features(c, {d.A});
             c.LukuArvo = ReadWholeNumberCriterion(QStringLiteral("5")).value;
             c.LukuVertailu = 1;
         },
         L({"Aho"})},
        {"number less",
         [](auto& c, auto& d) {
             features(c, {d.A});
             c.LukuArvo = ReadWholeNumberCriterion(QStringLiteral("4,6")).value;
             c.LukuVertailu = 0;
         },
         L({"Fager"})},
        {"money with a comma",
         [](auto& c, auto& d) {
             features(c, {d.A});
             c.ArvoArvo = ReadMoneyCriterion(QStringLiteral("12,50")).value;
             c.ArvoVertailu = 1;
         },
         L({"Aho"})},
        {"money less",
         [](auto& c, auto& d) {
             features(c, {d.A});
             c.ArvoArvo = ReadMoneyCriterion(QStringLiteral("12,5")).value;
             c.ArvoVertailu = 0;
         },
         L({"Björk"})},
        {"money greater",
         [](auto& c, auto& d) {
             features(c, {d.A});
             c.ArvoArvo = ReadMoneyCriterion(QStringLiteral("7")).value;
             c.ArvoVertailu = 2;
         },
         L({"Aho"})},
        {"empty first slot, one feature", [](auto& c, auto& d) { c.setHepiID(3, qint32(d.A)); }, {}},
        {"empty first slot, JA",
         [](auto& c, auto& d) {
             c.setHepiID(1, qint32(d.A));
             c.setHepiID(2, qint32(d.B));
         },
         {}},
        {"TAI",
         [](auto& c, auto& d) {
             c.OminaisuudetJa = false;
             features(c, {d.B, d.C});
         },
         L({"Aho", "Björk", "Coll'", "Ö'Brien"})},
        {"refinements ignored with several features",
         [](auto& c, auto& d) {
             c.OminaisuudetJa = false;
             features(c, {d.A, d.B});
             c.LukuArvo = ReadWholeNumberCriterion(QStringLiteral("5")).value;
             c.PvmArvo = ReadDateCriterion(QStringLiteral("1.1.1900")).value;
         },
         L({"Aho", "Björk", "Coll'", "Ö'Brien", "Fager"})},
        {"fee paid", [](auto& c, auto&) { c.JasenmaksuValinta = 0; }, L({"Aho", "Coll'", "Ö'Brien", "Fager"})},
        {"fee unpaid", [](auto& c, auto&) { c.JasenmaksuValinta = 1; }, L({"Björk", "Eerola"})},
        {"owner Jäsen: not a landowner", [](auto& c, auto&) { c.OmistajaValinta = 0; },
         L({"Aho", "Ö'Brien", "Eerola", "Fager"})},
        {"owner Maanomistaja", [](auto& c, auto&) { c.OmistajaValinta = 1; }, L({"Björk", "Coll'"})},
        {"born before, Null kept",
         [](auto& c, auto&) {
             c.SyntymaAika = ReadDateCriterion(QStringLiteral("1.1.1960")).value;
             c.SyntymaAikaVertailu = 0;
         },
         L({"Aho", "Coll'", "Fager"})},
        {"born on",
         [](auto& c, auto&) {
             c.SyntymaAika = ReadDateCriterion(QStringLiteral("1.1.1960")).value;
             c.SyntymaAikaVertailu = 1;
         },
         L({"Coll'", "Ö'Brien"})},
        {"birth year pattern", [](auto& c, auto&) { c.SyntymaAika = ReadDateCriterion(QStringLiteral("19?5")).value; },
         L({"Coll'", "Eerola"})},
        {"joined after, Null kept",
         [](auto& c, auto&) {
             c.LiittymisAika = ReadDateCriterion(QStringLiteral("1.1.2005")).value;
             c.LiittymisAikaVertailu = 2;
         },
         L({"Björk", "Coll'", "Eerola"})},
        {"postcode ends included, a letter, Null kept",
         [](auto& c, auto&) {
             c.PostinumeroAlku = QStringLiteral("00100");
             c.PostinumeroLoppu = QStringLiteral("00990");
         },
         L({"Aho", "Björk", "Ö'Brien", "Eerola"})},
        {"postcode start only", [](auto& c, auto&) { c.PostinumeroAlku = QStringLiteral("00991"); },
         L({"Coll'", "Eerola", "Fager"})},
        {"postcode with an apostrophe is only text", [](auto& c, auto&) { c.PostinumeroLoppu = QStringLiteral("0'"); },
         L({"Eerola"})},
        {"everything at once",
         [](auto& c, auto& d) {
             features(c, {d.A});
             c.LukuArvo = ReadWholeNumberCriterion(QStringLiteral("1")).value;
             c.LukuVertailu = 2;
             c.JasenmaksuValinta = 1;
             c.OmistajaValinta = 1;
             c.SyntymaAika = ReadDateCriterion(QStringLiteral("199*")).value;
         },
         L({"Björk"})},
    };
    for (const SelectionCase& t : cases) {
        SCOPED_TRACE(t.name);
        MemberCriteria c = NoCriteria();
        t.setup(c, club);
        const int count = MemberSelection::Mark(club.db, c);
        EXPECT_EQ(club.selected(), t.expected);
        EXPECT_EQ(count, t.expected.size());
        EXPECT_EQ(club.db.scalar(QStringLiteral("SELECT count(*) FROM jr WHERE jrMukaan2 <> 0")).toInt64(), 0);
    }
}

TEST_F(MemberSelectionTest, AndOfThreeSelectsTheSameWhateverTheSlotOrder)
{
    std::vector<qint64> ids = {club.A, club.B, club.C};
    std::sort(ids.begin(), ids.end());
    do {
        MemberCriteria c = NoCriteria();
        for (int i = 0; i < 3; ++i)
            c.setHepiID(i, qint32(ids[std::size_t(i)]));
        MemberSelection::Mark(club.db, c);
        EXPECT_EQ(club.selected(), L({"Ö'Brien"}));
    } while (std::next_permutation(ids.begin(), ids.end()));
}

// The selection takes values as the criteria dialog read them; a text that does not read is refused
// by the dialog's reader, so it never reaches the selection as a criterion.
TEST(MemberSelectionValues, TextsThatDoNotReadAreRefusedBeforeTheSelection)
{
    for (const char* number : {"99999999999", "viisi", "1e3"})
        EXPECT_FALSE(ReadWholeNumberCriterion(QString::fromUtf8(number)).readable) << number;
    EXPECT_FALSE(ReadMoneyCriterion(QStringLiteral("12,5e")).readable);
    for (const char* date : {"31.2.2024", "19'*", "eilen"})
        EXPECT_FALSE(ReadDateCriterion(QString::fromUtf8(date)).readable) << date;
}

TEST_F(MemberSelectionTest, AFailureMidSelectionLeavesThePreviousFlags)
{
    club.db.execute(QStringLiteral("UPDATE jr SET jrMukaan = (jrSukunimi IN ('Aho', 'Fager')), jrMukaan2 = 1"));
    club.db.execute(QStringLiteral("CREATE TRIGGER jr_stop BEFORE UPDATE OF jrMukaan ON jr WHEN NEW.jrID = ")
                    + QString::number(club.ids.at(QStringLiteral("Eerola")))
                    + QStringLiteral(" BEGIN SELECT RAISE(ABORT, 'injected'); END"));
    MemberCriteria c = NoCriteria();
    c.OminaisuusRajaus = true;
    EXPECT_THROW(MemberSelection::Mark(club.db, c), NumberedError);
    EXPECT_EQ(club.selected(), L({"Aho", "Fager"}));
    EXPECT_EQ(club.db.scalar(QStringLiteral("SELECT count(*) FROM jr WHERE jrMukaan2 <> 0")).toInt64(), 6);
    EXPECT_FALSE(club.db.inTransaction());
    EXPECT_THROW(MemberSelection::MarkFeatureGroup(club.db, qint32(club.A)), NumberedError);
    EXPECT_EQ(club.selected(), L({"Aho", "Fager"}));
}

// Another program (or connection) on the same file: no waiting for a lock.
struct OtherConnection {
    sqlite3* h = nullptr;
    explicit OtherConnection(const QString& path)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &h, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~OtherConnection() { sqlite3_close_v2(h); }
    int write(const char* sql) { return sqlite3_exec(h, sql, nullptr, nullptr, nullptr); }
    // The members it sees marked; "busy" when the file's lock keeps it from reading.
    QString marked()
    {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(
            h, "SELECT group_concat(jrSukunimi, '|') FROM (SELECT jrSukunimi FROM jr WHERE jrMukaan <> 0 ORDER BY jrID)", -1,
            &st, nullptr);
        const int rc = sqlite3_step(st);
        const QString seen = rc == SQLITE_ROW ? QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)))
                                              : QStringLiteral("busy");
        sqlite3_finalize(st);
        return seen;
    }
};

TEST_F(MemberSelectionTest, NoOtherWriterSlipsBetweenMarkingAndReadingTheMarked)
{
    club.db.execute(QStringLiteral("UPDATE jr SET jrMukaan = (jrSukunimi = 'Eerola')"));
    OtherConnection other(club.path);
    MemberCriteria c = NoCriteria();
    features(c, {club.B});
    const QStringList read = MemberSelection::WithMarked(club.db, c, [&](Database&) {
        // The marks are not in the file before the read is done: another program sees the flags
        // as they were, or waits, and cannot write flags of its own.
        const QString seen = other.marked();
        EXPECT_TRUE(seen == QStringLiteral("Eerola") || seen == QStringLiteral("busy")) << seen.toStdString();
        EXPECT_EQ(other.write("UPDATE jr SET jrMukaan = 1"), SQLITE_BUSY);
        return club.selected();
    });
    EXPECT_EQ(read, L({"Aho", "Coll'", "Ö'Brien"}));
    EXPECT_EQ(other.marked(), QStringLiteral("Aho|Coll'|Ö'Brien"));
    EXPECT_EQ(other.write("UPDATE jr SET jrMukaan = 1"), SQLITE_OK) << "the lock ends with the read";
}

TEST_F(MemberSelectionTest, FeatureGroupSelectsEveryoneOrTheHolders)
{
    EXPECT_EQ(MemberSelection::MarkFeatureGroup(club.db, qint32(club.B)), 3);
    EXPECT_EQ(club.selected(), L({"Aho", "Coll'", "Ö'Brien"}));
    EXPECT_EQ(MemberSelection::MarkFeatureGroup(club.db, 0), 6);
    EXPECT_EQ(club.selected(), club.all());
}

TEST_F(MemberSelectionTest, ListsTheChosenFeatureOnlyWithOneFeatureWithoutEi)
{
    MemberCriteria c = NoCriteria();
    EXPECT_EQ(MemberSelection::listedFeature(c), 0);
    c.setHepiID(0, qint32(club.A));
    c.LukuArvo = ReadWholeNumberCriterion(QStringLiteral("2")).value;
    c.LukuVertailu = 2;
    EXPECT_EQ(MemberSelection::listedFeature(c), club.A);
    const MemberCondition values = MemberSelection::featureValueCondition(c);
    Recordset rs = club.db.openRecordset(QStringLiteral("SELECT ptValLong FROM pt WHERE ") + values.sql
                                             + QStringLiteral(" ORDER BY ptValLong"),
                                         RecordsetType::Snapshot, values.params);
    QStringList got;
    for (; !rs.eof(); rs.moveNext())
        got << rs.field(0).toString();
    EXPECT_EQ(got, QStringList({"5", "10", "20"}));
    c.OminaisuusRajaus = true;
    EXPECT_EQ(MemberSelection::listedFeature(c), 0);
    EXPECT_TRUE(MemberSelection::featureValueCondition(c).sql.isEmpty());
    c.OminaisuusRajaus = false;
    c.setHepiID(1, qint32(club.B));
    EXPECT_EQ(MemberSelection::listedFeature(c), 0);
}

TEST_F(MemberSelectionTest, SelectedMembersComeInTheChosenOrder)
{
    club.db.execute(QStringLiteral("UPDATE jr SET jrMukaan = 1"));
    const auto order = [&](int sort) {
        QStringList names;
        Recordset rs = club.db.openRecordset(MemberSelection::selectedMembersSql(sort, QStringLiteral("jrSukunimi")),
                                             RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext())
            names << rs.field(0).toString();
        return names;
    };
    EXPECT_EQ(order(0), L({"Aho", "Björk", "Coll'", "Eerola", "Fager", "Ö'Brien"}));
    EXPECT_EQ(order(1), L({"Eerola", "Aho", "Ö'Brien", "Björk", "Coll'", "Fager"}));
    EXPECT_EQ(order(2), L({"Coll'", "Fager", "Aho", "Ö'Brien", "Eerola", "Björk"}));
    EXPECT_EQ(MemberSelection::sortField(2), QStringLiteral("+{jr.jrSyntyma}"));
}

} // namespace
} // namespace tikkeli::test
