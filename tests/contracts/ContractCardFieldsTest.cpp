#include "contracts/ContractCardFields.h"
#include "db/DbError.h"

#include <gtest/gtest.h>

using namespace tikkeli;
using F = ContractCardFields;

TEST(ContractCardFields, BoxTextsBecomeFieldValues)
{
    struct Case {
        int box;
        const char* text;
        Value expected;
    };
    const Case cases[] = {
        {F::Alkaa, "1.5.2013", Value(QDate(2013, 5, 1))},
        {F::Alkaa, "2013-05-01", Value(QDate(2013, 5, 1))},
        {F::VuosiErapaiva, "", Value()},
        {F::SopimIrtisAika, "3", Value(3)},
        {F::SopimIrtisAika, "", Value()},
        {F::VuosiVastike, "80,50", Value(Currency::fromRaw(805000))},
        {F::Nimi, "", Value()},
        {F::Nimi, "O'Brien", Value(QStringLiteral("O'Brien"))},
    };
    for (const Case& c : cases)
        EXPECT_EQ(F::valueOf(c.box, QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(ContractCardFields, ANumberBoxRefusesWhatIsNoNumberInItsRange)
{
    struct Case {
        int box;
        const char* text;
    };
    // Dates are read as the member card reads them: a day and month alone or a time of day is no
    // date (they were once stored as 30.12.1899), and neither is an impossible day.
    for (const Case c :
         {Case{F::SopimIrtisAika, "kolme"}, Case{F::Muutokset, "300"}, Case{F::Muutokset, "-1"}, Case{F::Muutokset, "2,5"},
          Case{F::KausiVastike, "12e"}, Case{F::VuosiVastike, "-80"}, Case{F::KausiVastike, "-0,01"},
          Case{F::Alkaa, "15.12"}, Case{F::Paattyy, "1.10"}, Case{F::VuosiErapaiva, "12:30"},
          Case{F::KausiErapaiva, "31.2.2024"}, Case{F::Paattyy, "huomenna"}}) {
        try {
            F::valueOf(c.box, QString::fromUtf8(c.text));
            ADD_FAILURE() << c.text << " accepted";
        } catch (const DbException& e) {
            EXPECT_EQ(e.number(), DbErr::TypeMismatch);
            EXPECT_TRUE(e.description().contains(QString::fromUtf8(c.text)));
        }
    }
}

TEST(ContractCardFields, DateBoxesAreNormalisedWhenLeft)
{
    bool valid = false;
    EXPECT_EQ(F::normalisedDateText(QStringLiteral("01.05.2013"), &valid), QStringLiteral("1.5.2013"));
    EXPECT_TRUE(valid);
    // A text that is no date stays as typed, for the user to correct.
    for (const char* text : {"31.2.2024", "abc", "15.12", "12:30"}) {
        EXPECT_EQ(F::normalisedDateText(QString::fromUtf8(text), &valid), QString::fromUtf8(text));
        EXPECT_FALSE(valid) << text;
    }
    EXPECT_EQ(F::normalisedDateText(QString(), &valid), QString());
    EXPECT_TRUE(valid);
}

TEST(ContractCardFields, StoredCodesChooseTheShownOption)
{
    struct Case {
        int group;
        Value stored;
        int shown;
    };
    const Case cases[] = {
        {F::Koskee, Value(), 1},  {F::Voimassa, Value(), 1},  {F::Vastike, Value(), 2},
        {F::Oikeus, Value(), 2},  {F::Koira, Value(), 1},     {F::Koskee, Value(0), 0},
        {F::Koskee, Value(4), 4}, {F::Voimassa, Value(3), 0}, {F::Koira, Value(3), 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(F::shownOption(c.group, c.stored), c.shown) << c.group;
}

TEST(ContractCardFields, DefaultClausesAndContactBlock)
{
    const QStringList clauses = F::defaultClauses().split(QStringLiteral("\r\n"));
    ASSERT_EQ(clauses.size(), 4);
    EXPECT_TRUE(clauses[0].startsWith(QStringLiteral("Ellei muuta sovita")));
    EXPECT_TRUE(clauses[3].endsWith(QStringLiteral("aiheudu vahinkoa.")));
    EXPECT_FALSE(F::defaultClauses().endsWith(QStringLiteral("\n")));

    EXPECT_EQ(
        F::contactBlock(QStringLiteral("Aho"), QStringLiteral("Tie 1"), QStringLiteral("00100"), QStringLiteral("Helsinki")),
        QStringLiteral("Aho\r\nTie 1\r\n00100 Helsinki"));
    EXPECT_EQ(F::contactBlock(QStringLiteral("Aho"), QString(), QString(), QStringLiteral("Kylä")),
              QStringLiteral("Aho\r\n\r\n Kylä"));
}
