#include "catch/CatchEntry.h"

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

CatchEntry with(void (*change)(CatchEntry&))
{
    CatchEntry e;
    change(e);
    return e;
}

} // namespace

TEST(CatchFieldsTest, ValuesTheRowCannotHoldAreRefusedWithTheirReason)
{
    const std::pair<const char*, CatchEntry> cases[] = {
        {"", CatchEntry{}},
        {"", with([](CatchEntry& e) { e.sarvipiikkiV = QStringLiteral("255"); })},
        {"", with([](CatchEntry& e) { e.sarvipiikkiO = QStringLiteral(" 0 "); })},
        {"Sarvipiikit, vasen: \"300\" ei ole kokonaisluku 0-255.",
         with([](CatchEntry& e) { e.sarvipiikkiV = QStringLiteral("300"); })},
        {"Sarvipiikit, oikea: \"2,5\" ei ole kokonaisluku 0-255.",
         with([](CatchEntry& e) { e.sarvipiikkiO = QStringLiteral("2,5"); })},
        {"Sarvipiikit, oikea: \"-1\" ei ole kokonaisluku 0-255.",
         with([](CatchEntry& e) { e.sarvipiikkiO = QStringLiteral("-1"); })},
        {"Päivämäärä: \"31.2.2026\" ei ole päivämäärä.", with([](CatchEntry& e) { e.pvm = QStringLiteral("31.2.2026"); })},
        {"Päivämäärä: \"x\" ei ole päivämäärä.", with([](CatchEntry& e) { e.pvm = QStringLiteral("x"); })},
        {"", with([](CatchEntry& e) { e.pvm = QStringLiteral("5.11.2006"); })},
        {"Hirvieläinlaji on liian pitkä: enintään 30 merkkiä.",
         with([](CatchEntry& e) { e.laji = QString(31, QLatin1Char('h')); })},
        {"", with([](CatchEntry& e) { e.paikka = QString(255, QLatin1Char('p')); })},
        {"Pyyntipaikka on liian pitkä: enintään 255 merkkiä.",
         with([](CatchEntry& e) { e.paikka = QString(256, QLatin1Char('p')); })},
        {"Kaataja on liian pitkä: enintään 50 merkkiä.",
         with([](CatchEntry& e) { e.kaataja = QString(51, QLatin1Char('k')); })},
    };
    for (const auto& [expected, entry] : cases) {
        const std::optional<QString> problem = CatchFields::problem(entry);
        EXPECT_EQ(problem.value_or(QString()), QString::fromUtf8(expected)) << expected;
    }
}

TEST(CatchFieldsTest, DateBoxTextsAreRewrittenInTheShortForm)
{
    const std::pair<const char*, std::optional<QString>> cases[] = {
        {"5.11.2006", QStringLiteral("5.11.2006")},
        {"05.11.06", QStringLiteral("5.11.2006")},
        {"2006-11-05", QStringLiteral("5.11.2006")},
        {"", QString()},
        {"  ", QString()},
        {"x", std::nullopt},
        {"31.2.2026", std::nullopt},
        {"10:30", std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(CatchFields::normalisedDate(QString::fromUtf8(text)), expected) << text;
}

TEST(CatchFieldsTest, EmptyBoxesAreWrittenAsNullAndTheChoicesAsFlags)
{
    CatchEntry e;
    e.sarvipiikkiV = QStringLiteral("12");
    e.pvm = QStringLiteral("5.11.2006");
    e.aikuinen = false;
    const auto values = CatchFields::values(e);
    const auto value = [&](const char* name) {
        for (const auto& [n, v] : values)
            if (n == QLatin1String(name))
                return v;
        ADD_FAILURE() << name;
        return Value();
    };
    EXPECT_TRUE(value("siLaji").isNull());
    EXPECT_TRUE(value("siPaikka").isNull());
    EXPECT_TRUE(value("siKaataja").isNull());
    EXPECT_TRUE(value("siSarvipiikkiO").isNull());
    EXPECT_EQ(value("siSarvipiikkiV"), Value(12));
    EXPECT_EQ(value("siPvm"), Value(QDate(2006, 11, 5)));
    EXPECT_EQ(value("siIka"), Value(false));
    EXPECT_EQ(value("siSukupuoli"), Value(true));
    EXPECT_EQ(value("siPuolitoista"), Value(false));
    EXPECT_EQ(value("siKelvoton"), Value(false));
    EXPECT_TRUE(CatchFields::values(CatchEntry{})[1].second.isNull()) << "an empty date box stores Null";
}
