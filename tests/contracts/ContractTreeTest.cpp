#include "contracts/ContractTree.h"
#include "ContractTestDb.h"

#include <gtest/gtest.h>

#include <optional>

using namespace tikkeli;
using test::ContractTestDb;

namespace {

const QDate kToday(2026, 3, 10);

// A branch as "group: name key, name key" lines.
QStringList lines(const std::vector<ContractTree::Group>& groups, bool keys = false)
{
    QStringList out;
    for (const ContractTree::Group& g : groups) {
        QStringList nodes;
        for (const ContractTree::Node& n : g.nodes)
            nodes << (keys ? n.text + QLatin1Char(' ') + n.key : n.text);
        out << g.text + QStringLiteral(": ") + nodes.join(QStringLiteral(", "));
    }
    return out;
}

struct ValidityCase {
    int validity;
    std::optional<int> days; // end date this many days from today; none: no end date
    const char* group;       // "" when the contract is not in the validity branch
};

class ValidityBuckets : public ::testing::TestWithParam<ValidityCase> {};

TEST_P(ValidityBuckets, ContractLandsInItsGroup)
{
    const ValidityCase& c = GetParam();
    ContractTree::Contract row;
    row.id = 7;
    row.name = QStringLiteral("Aho");
    row.validity = c.validity;
    if (c.days)
        row.end = kToday.addDays(*c.days);
    const ContractTree::Tree tree = ContractTree::build({row}, {}, kToday);
    if (*c.group == '\0') {
        EXPECT_TRUE(tree.validity.empty());
        return;
    }
    ASSERT_EQ(tree.validity.size(), 1u);
    EXPECT_EQ(tree.validity[0].text, QString::fromUtf8(c.group));
    ASSERT_EQ(tree.validity[0].nodes.size(), 1u);
    EXPECT_EQ(tree.validity[0].nodes[0].key, QStringLiteral("7ID2"));
}

INSTANTIATE_TEST_SUITE_P(Days, ValidityBuckets,
                         ::testing::Values(ValidityCase{2, -400, "Umpeutuneet"}, ValidityCase{2, -1, "Umpeutuneet"},
                                           ValidityCase{2, 0, " 1 kk"}, ValidityCase{2, 29, " 1 kk"},
                                           ValidityCase{2, 30, " 2 kk"}, ValidityCase{2, 59, " 2 kk"},
                                           ValidityCase{2, 330, " 12 kk"}, ValidityCase{2, 359, " 12 kk"},
                                           ValidityCase{2, 360, "Yli vuosi"}, ValidityCase{2, 5000, "Yli vuosi"},
                                           ValidityCase{2, std::nullopt, "Tarkista!!"}, ValidityCase{1, -10, "Toistaiseksi"},
                                           ValidityCase{1, std::nullopt, "Toistaiseksi"}, ValidityCase{0, 10, ""},
                                           ValidityCase{3, 10, ""}));

TEST(ContractTree, ValidityGroupsComeInTheirOrderAndByDateThenName)
{
    const auto c = [](qint64 id, const char* name, int validity, std::optional<int> days) {
        ContractTree::Contract row{id, QString::fromUtf8(name), validity, {}};
        if (days)
            row.end = kToday.addDays(*days);
        return row;
    };
    // In name order, as the database gives them.
    const std::vector<ContractTree::Contract> rows = {c(1, "Aho", 2, 400),   c(2, "Berg", 1, std::nullopt),
                                                      c(3, "Eklund", 2, 31), c(4, "Heino", 2, std::nullopt),
                                                      c(5, "Kivi", 2, -5),   c(6, "Laine", 2, 31),
                                                      c(7, "Mäki", 2, 2),    c(8, "Salo", 2, std::nullopt),
                                                      c(9, "Toivo", 1, 10),  c(10, "Ylä", 2, 30)};
    const ContractTree::Tree tree = ContractTree::build(rows, {}, kToday);
    EXPECT_EQ(lines(tree.validity),
              (QStringList{QStringLiteral("Tarkista!!: Heino, Salo"), QStringLiteral("Umpeutuneet: Kivi"),
                           QStringLiteral(" 1 kk: Mäki"), QStringLiteral(" 2 kk: Ylä, Eklund, Laine"),
                           QStringLiteral("Yli vuosi: Aho"), QStringLiteral("Toistaiseksi: Berg, Toivo")}));
}

TEST(ContractTree, KeysGiveTheContractId)
{
    const std::pair<const char*, qint64> cases[] = {{"12ID", 12}, {"12ID2", 12},      {"12ID345", 12}, {"12id3", 12},
                                                    {"", 0},      {"Aakkostettu", 0}, {"ID", 0}};
    for (const auto& [key, id] : cases)
        EXPECT_EQ(ContractTree::idFromKey(QString::fromUtf8(key)), id) << key;
}

class ContractTreeDb : public ::testing::Test {
protected:
    qint64 contract(const QString& name, int validity = 0, const QDate& end = {})
    {
        t.db.execute(QStringLiteral("INSERT INTO vs (vsNimi, vsVoimassa, vsVoimassaPaattyy) VALUES (?, ?, ?)"),
                     {name.isNull() ? Value() : Value(name), validity ? Value(validity) : Value(), Value(end)});
        return t.db.lastInsertId();
    }
    qint64 estate(qint64 vsId, const QString& village)
    {
        t.db.execute(QStringLiteral("INSERT INTO tl (tlvsID, tlKyla) VALUES (?, ?)"),
                     {Value(vsId), village.isNull() ? Value() : Value(village)});
        return t.db.lastInsertId();
    }
    ContractTestDb t;
};

TEST_F(ContractTreeDb, NoContractsGiveNoGroups)
{
    const ContractTree::Tree tree = ContractTree::build(t.db, kToday);
    EXPECT_TRUE(tree.alphabetical.empty());
    EXPECT_TRUE(tree.validity.empty());
    EXPECT_TRUE(tree.villages.empty());
}

TEST_F(ContractTreeDb, EveryNameHasItsLetterInFinnishOrderAndOddInitialsGoToOthers)
{
    for (const char* name : {"Öhman", "wallin", "Virtanen", "3M Oy", "Zetterberg", "Ärväs", "Åberg", "ahonen", "Vaara",
                             "-Seppo", "Élise", "Über", "Oksanen", " Blank", "Westö", "Aalto"})
        contract(QString::fromUtf8(name));
    contract(QString()); // no name at all: listed among the others, and kept
    const ContractTree::Tree tree = ContractTree::build(t.db, kToday);
    QStringList got = lines(tree.alphabetical);
    ASSERT_FALSE(got.isEmpty());
    // The other group's inner order is the collation's; its members are what counts here.
    const QString others = got.takeLast();
    EXPECT_EQ(got, (QStringList{QStringLiteral("A: Aalto, ahonen"), QStringLiteral("O: Oksanen"),
                                QStringLiteral("V: Vaara, Virtanen"), QStringLiteral("W: wallin, Westö"),
                                QStringLiteral("Z: Zetterberg"), QStringLiteral("Å: Åberg"), QStringLiteral("Ä: Ärväs"),
                                QStringLiteral("Ö: Öhman")}));
    ASSERT_TRUE(others.startsWith(QStringLiteral("Muut: ")));
    QStringList rest = others.mid(6).split(QStringLiteral(", "));
    rest.sort();
    QStringList expected = {QStringLiteral(" Blank"), QStringLiteral("-Seppo"), QStringLiteral("3M Oy"),
                            QStringLiteral("Élise"),  QStringLiteral("Über"),   ContractTree::unnamed()};
    expected.sort();
    EXPECT_EQ(rest, expected);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM vs WHERE vsNimi IS NULL")), 1);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM vs")), 17);
}

TEST_F(ContractTreeDb, AlphabeticalKeysAndDatesFromTheDatabase)
{
    const qint64 a = contract(QStringLiteral("Aho"), 2, kToday.addDays(29));
    const qint64 b = contract(QStringLiteral("Berg"), 2, kToday.addDays(30));
    const qint64 c = contract(QStringLiteral("Carlsson"), 2);
    const ContractTree::Tree tree = ContractTree::build(t.db, kToday);
    const QString sa = QString::number(a), sb = QString::number(b), sc = QString::number(c);
    EXPECT_EQ(lines(tree.alphabetical, true),
              (QStringList{QStringLiteral("A: Aho %1ID").arg(sa), QStringLiteral("B: Berg %1ID").arg(sb),
                           QStringLiteral("C: Carlsson %1ID").arg(sc)}));
    EXPECT_EQ(lines(tree.validity, true),
              (QStringList{QStringLiteral("Tarkista!!: Carlsson %1ID2").arg(sc), QStringLiteral(" 1 kk: Aho %1ID2").arg(sa),
                           QStringLiteral(" 2 kk: Berg %1ID2").arg(sb)}));
}

TEST_F(ContractTreeDb, VillagesListEachContractOnceEvenWhenLessorsShareAName)
{
    const qint64 first = contract(QStringLiteral("Mäkinen"));
    const qint64 second = contract(QStringLiteral("Mäkinen"));
    const qint64 aho = contract(QStringLiteral("Aho"));
    contract(QStringLiteral("Nieminen")); // no estates: not under any village
    const qint64 f1 = estate(first, QStringLiteral("Kylä1"));
    estate(first, QStringLiteral("Kylä1"));
    const qint64 f2 = estate(first, QStringLiteral("Kylä2"));
    const qint64 s1 = estate(second, QStringLiteral("Kylä1"));
    const qint64 a0 = estate(aho, QString());
    const ContractTree::Tree tree = ContractTree::build(t.db, kToday);
    const auto k = [](qint64 vs, qint64 tl) { return QStringLiteral("%1ID3%2").arg(vs).arg(tl); };
    EXPECT_EQ(lines(tree.villages, true),
              (QStringList{QStringLiteral(": Aho ") + k(aho, a0),
                           QStringLiteral("Kylä1: Mäkinen %1, Mäkinen %2").arg(k(first, f1), k(second, s1)),
                           QStringLiteral("Kylä2: Mäkinen ") + k(first, f2)}));
}

} // namespace
