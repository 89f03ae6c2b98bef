#include "members/MemberCardFields.h"
#include "members/MemberNavigation.h"
#include "members/MemberRecords.h"
#include "settings/DatabaseSettingsStore.h"
#include "MemberTestDb.h"

#include <gtest/gtest.h>

using namespace tikkeli;
using Move = MemberNavigation::Move;

TEST(MemberRecords, DuplicateNumberIsRefusedWithoutWritingAndAFreeOneIsAccepted)
{
    test::MemberTestDb t;
    t.member(QStringLiteral("Aho"), {}, QStringLiteral("12"));
    MemberRecords r;
    r.open(t.path);
    r.addNew();
    r.recordset().setField(QStringLiteral("jrSukunimi"), QStringLiteral("Berg"));
    r.recordset().setField(QStringLiteral("jrJasennumero"), QStringLiteral("12"));
    try {
        r.write();
        FAIL() << "duplicate accepted";
    } catch (const DbException& e) {
        EXPECT_EQ(e.number(), DbErr::DuplicateKey);
    }
    EXPECT_EQ(r.editMode(), EditMode::Add);
    EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT COUNT(*) FROM jr")).toInt64(), 1);
    r.recordset().setField(QStringLiteral("jrJasennumero"), QStringLiteral("13"));
    r.write();
    EXPECT_EQ(r.editMode(), EditMode::None);
    EXPECT_EQ(r.recordset().field(QStringLiteral("jrSukunimi")).toString(), QStringLiteral("Berg"));
}

TEST(MemberRecords, KeepingOnesOwnNumberIsNoDuplicateEvenWhereOldDataHasTwins)
{
    test::MemberTestDb t;
    const qint64 a = t.member(QStringLiteral("Aho"), {}, QStringLiteral("7"));
    t.member(QStringLiteral("Berg"), {}, QStringLiteral("7"));
    MemberRecords r;
    r.open(t.path);
    ASSERT_TRUE(r.findId(a));
    r.beginEdit();
    r.recordset().setField(QStringLiteral("jrEtunimi"), QStringLiteral("Eeva"));
    EXPECT_NO_THROW(r.write());
    r.beginEdit();
    r.recordset().setField(QStringLiteral("jrJasennumero"), QStringLiteral("8"));
    EXPECT_NO_THROW(r.write());
}

TEST(MemberRecords, DeleteRemovesFeatureRowsButKeepsInvoices)
{
    test::MemberTestDb t;
    const qint64 f = t.feature(QStringLiteral("Koira"));
    const qint64 a = t.member(QStringLiteral("Aho"));
    const qint64 b = t.member(QStringLiteral("Berg"));
    t.give(a, f);
    t.give(b, f);
    t.db.execute(QStringLiteral("INSERT INTO jm (jmjrID) VALUES (?)"), {Value(a)});
    MemberRecords r;
    r.open(t.path);
    ASSERT_TRUE(r.findId(a));
    r.deleteCurrent();
    EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT COUNT(*) FROM jr")).toInt64(), 1);
    EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT COUNT(*) FROM pt WHERE ptjrID = ?"), {Value(a)}).toInt64(), 0);
    EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT COUNT(*) FROM pt")).toInt64(), 1);
    EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT COUNT(*) FROM jm")).toInt64(), 1);
    EXPECT_EQ(r.currentId(), b);
}

TEST(MemberRecords, DeleteIsAllOrNothing)
{
    // Either statement of the deletion failing leaves the member and every feature row in place.
    for (const char* failing : {"BEFORE DELETE ON pt", "BEFORE DELETE ON jr"}) {
        SCOPED_TRACE(failing);
        test::MemberTestDb t;
        const qint64 f = t.feature(QStringLiteral("Koira"));
        const qint64 a = t.member(QStringLiteral("Aho"));
        t.give(a, f);
        t.give(a, f);
        t.db.execute(QStringLiteral("CREATE TRIGGER refuse %1 BEGIN SELECT RAISE(ABORT, 'lukittu'); END")
                         .arg(QLatin1String(failing)));
        MemberRecords r;
        r.open(t.path);
        ASSERT_TRUE(r.findId(a));
        EXPECT_THROW(r.deleteCurrent(), DbException);
        EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT COUNT(*) FROM jr WHERE jrID = ?"), {Value(a)}).toInt64(), 1);
        EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT COUNT(*) FROM pt WHERE ptjrID = ?"), {Value(a)}).toInt64(), 2);
        EXPECT_FALSE(r.database().inTransaction());
    }
}

TEST(MemberRecords, NextMemberNumberUsesTheCounterAndStoresTheNextOne)
{
    test::MemberTestDb t;
    State().MemberNumberCounter = 41;
    MemberRecords r;
    r.open(t.path);
    EXPECT_EQ(r.NextMemberNumber(), QStringLiteral("41"));
    EXPECT_EQ(State().MemberNumberCounter, 42);
    DatabaseSettingsStore store(t.db);
    EXPECT_EQ(store.read(QStringLiteral("Jasennro")), QStringLiteral("42"));

    State().MemberNumberCounter = std::numeric_limits<qint32>::max();
    EXPECT_THROW(r.NextMemberNumber(), DbException);
    EXPECT_EQ(store.read(QStringLiteral("Jasennro")), QStringLiteral("42"));
}

TEST(MemberNavigation, UnfilteredEndsBeepAndStay)
{
    test::MemberTestDb t;
    const qint64 a = t.member(QStringLiteral("Ö"));
    const qint64 b = t.member(QStringLiteral("A"));
    const qint64 c = t.member(QStringLiteral("M"));
    MemberRecords r;
    r.open(t.path);
    // The table's own order, not the alphabet.
    struct Step {
        Move move;
        bool moves;
        qint64 then;
    };
    const Step steps[] = {{Move::Previous, false, a}, {Move::Next, true, b},  {Move::Next, true, c},
                          {Move::Next, false, c},     {Move::First, true, a}, {Move::Last, true, c},
                          {Move::Previous, true, b}};
    for (const Step& s : steps) {
        EXPECT_EQ(MemberNavigation::go(r, s.move, 0), s.moves) << int(s.move);
        EXPECT_EQ(r.currentId(), s.then) << int(s.move);
    }
}

TEST(MemberNavigation, FilteredFollowsTheAlphabeticalHoldersAndPassesTwins)
{
    test::MemberTestDb t;
    const qint64 f = t.feature(QStringLiteral("Koira"));
    const qint64 c = t.member(QStringLiteral("Cee"));
    const qint64 outside = t.member(QStringLiteral("Bee"));
    const qint64 a = t.member(QStringLiteral("Aa"));
    t.give(c, f);
    t.give(a, f);
    t.give(a, f); // twice: must not trap "next" on the same member
    MemberRecords r;
    r.open(t.path);
    ASSERT_TRUE(r.findId(a));
    EXPECT_TRUE(MemberNavigation::go(r, Move::Next, f));
    EXPECT_EQ(r.currentId(), c);
    EXPECT_FALSE(MemberNavigation::go(r, Move::Next, f));
    EXPECT_EQ(r.currentId(), c);
    EXPECT_TRUE(MemberNavigation::go(r, Move::First, f));
    EXPECT_EQ(r.currentId(), a);
    EXPECT_FALSE(MemberNavigation::go(r, Move::Previous, f));

    ASSERT_TRUE(r.findId(outside));
    for (Move m : {Move::First, Move::Previous, Move::Next, Move::Last})
        EXPECT_FALSE(MemberNavigation::go(r, m, f));
    EXPECT_EQ(r.currentId(), outside);

    EXPECT_TRUE(MemberNavigation::showFirstListed(r, f));
    EXPECT_EQ(r.currentId(), a);
    const qint64 nobody = t.feature(QStringLiteral("Ase"));
    EXPECT_FALSE(MemberNavigation::showFirstListed(r, nobody));
}

TEST(MemberCardFields, TextAndValueConversions)
{
    EXPECT_EQ(MemberCardFields::valueOf(1, QString()), std::optional<Value>(Value()));
    EXPECT_EQ(MemberCardFields::valueOf(1, QStringLiteral("Aho")), std::optional<Value>(Value(QStringLiteral("Aho"))));
    EXPECT_EQ(MemberCardFields::valueOf(11, QString()), std::optional<Value>(Value()));
    // A typing error is no value at all: it must never be stored as Null over the date.
    for (const char* text : {"31.2.2001", "10:30", "10.30", "kissa"})
        EXPECT_FALSE(MemberCardFields::valueOf(11, QString::fromUtf8(text)).has_value()) << text;
    ASSERT_TRUE(MemberCardFields::valueOf(11, QStringLiteral("1.2.2001")).has_value());
    EXPECT_EQ(MemberCardFields::valueOf(11, QStringLiteral("1.2.2001"))->toDate(), QDate(2001, 2, 1));
    EXPECT_EQ(MemberCardFields::valueOf(12, QStringLiteral("1.1.30"))->toDate(), QDate(1930, 1, 1));
    EXPECT_EQ(MemberCardFields::valueOf(12, QStringLiteral("1.1.29"))->toDate(), QDate(2029, 1, 1));
    EXPECT_EQ(MemberCardFields::textOf(12, Value(QDate(2001, 2, 1))), QStringLiteral("1.2.2001"));
    EXPECT_EQ(MemberCardFields::normalisedDateText(QStringLiteral("kissa")), std::nullopt);
    EXPECT_EQ(MemberCardFields::normalisedDateText(QStringLiteral("10:30")), std::nullopt);
    EXPECT_EQ(MemberCardFields::normalisedDateText(QString()), std::optional<QString>(QString()));
    EXPECT_EQ(MemberCardFields::normalisedDateText(QStringLiteral("01.02.2001")),
              std::optional<QString>(QStringLiteral("1.2.2001")));
    EXPECT_EQ(MemberCardFields::notADateMessage(11, QStringLiteral("31.2.2024")),
              QStringLiteral("Syntymäpäivä: \"31.2.2024\" ei ole päivämäärä. Kirjoita päivämäärä muodossa p.k.vvvv."));
    const std::pair<const char*, bool> surnames[] = {{"Aho", false}, {"aho", false}, {"Öhman", false},
                                                     {"1Aho", true}, {" Aho", true}, {"", false}};
    for (const auto& [s, needs] : surnames)
        EXPECT_EQ(MemberCardFields::surnameNeedsLetter(QString::fromUtf8(s)), needs) << s;
}

TEST(MemberCardFields, BoxesHoldWhatTheirFieldsHoldAndARefusalNamesTheField)
{
    test::MemberTestDb t;
    const std::pair<int, int> widths[] = {{0, 10}, {1, 50}, {2, 50}, {3, 50}, {4, 5},  {5, 50},
                                          {6, 30}, {7, 30}, {8, 50}, {9, 30}, {10, 50}};
    for (const auto& [index, width] : widths)
        EXPECT_EQ(MemberCardFields::maxLength(index), width) << index;
    // What the database says when a value is too long is turned into words about the field.
    for (const auto& [field, caption, width] :
         {std::tuple{"jrSukunimi", "Sukunimi", 50}, std::tuple{"jrPostitoimipaikka", "Postitoimipaikka", 50},
          std::tuple{"jrJasennumero", "Jäsennumero", 10}}) {
        QString refusal;
        try {
            t.db.execute(QStringLiteral("INSERT INTO jr (%1) VALUES (?)").arg(QLatin1String(field)),
                         {Value(QString(width + 1, QLatin1Char('x')))});
        } catch (const DbException& e) {
            refusal = e.description();
        }
        EXPECT_EQ(MemberCardFields::refusalMessage(refusal),
                  QStringLiteral("Kentän \"%1\" arvo on liian pitkä (enintään %2 merkkiä).")
                      .arg(QString::fromUtf8(caption))
                      .arg(width))
            << refusal.toStdString();
    }
    EXPECT_EQ(MemberCardFields::refusalMessage(QStringLiteral("disk I/O error")), QString());
}
