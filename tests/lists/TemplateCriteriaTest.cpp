#include "members/MemberTestDb.h"

#include "db/Recordset.h"
#include "lists/DataPrinterSettings.h"
#include "lists/TemplateCriteria.h"
#include "lists/cRapMaaritys.h"
#include "members/MemberCriteria.h"

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

class TemplateCriteriaTest : public ::testing::Test {
protected:
    test::MemberTestDb club;
    qint64 a = 0, b = 0;

    void SetUp() override
    {
        a = club.feature(QStringLiteral("Ampumakoe"));
        b = club.feature(QStringLiteral("Hirviporukka"));
    }
    // Criteria that narrow nothing, as the dialog leaves them untouched.
    static MemberCriteria none()
    {
        MemberCriteria c;
        c.JasenmaksuValinta = 2;
        c.OmistajaValinta = 2;
        return c;
    }
    std::vector<std::vector<QString>> read(const DataPrinterSettings& s, const MemberCriteria& c, int order = 0)
    {
        const TemplateQuery q = TemplateCriteriaSql(s, c, order);
        Recordset rs = club.db.openRecordset(q.sql, RecordsetType::Snapshot, q.params);
        std::vector<std::vector<QString>> rows;
        for (; !rs.eof(); rs.moveNext()) {
            std::vector<QString> row;
            for (int i = 1; i < rs.fieldCount(); ++i)
                row.push_back(rs.field(i).toString());
            rows.push_back(row);
        }
        return rows;
    }
};

TEST_F(TemplateCriteriaTest, TheCriteriaLineNamesEachCriterionThatIsSet)
{
    struct Case {
        const char* name;
        std::function<void(MemberCriteria&)> set;
        QString expected;
    };
    const Case cases[] = {
        {"nothing", [](MemberCriteria&) {}, QString()},
        {"A or B and the fee paid",
         [&](MemberCriteria& c) {
             c.setHepiID(0, qint32(a));
             c.setHepiID(1, qint32(b));
             c.JasenmaksuValinta = 0;
         },
         QStringLiteral("Ampumakoe TAI Hirviporukka JA Jäsenmaksu maksettu")},
        {"not A",
         [&](MemberCriteria& c) {
             c.setHepiID(0, qint32(a));
             c.OminaisuusRajaus = true;
         },
         QStringLiteral("EI (Ampumakoe)")},
        {"A and B",
         [&](MemberCriteria& c) {
             c.setHepiID(0, qint32(a));
             c.setHepiID(1, qint32(b));
             c.OminaisuudetJa = true;
         },
         QStringLiteral("Ampumakoe JA Hirviporukka")},
        {"one feature with its refinements",
         [&](MemberCriteria& c) {
             c.setHepiID(0, qint32(b));
             c.PvmArvo = ReadDateCriterion(QStringLiteral("01.02.2020")).value;
             c.PvmVertailu = 0;
             c.LukuArvo = ReadWholeNumberCriterion(QStringLiteral("5")).value;
             c.LukuVertailu = 2;
             c.ArvoArvo = ReadMoneyCriterion(QStringLiteral("12,50")).value;
             c.ArvoVertailu = 1;
         },
         QStringLiteral("Hirviporukka rajauksin Pvm <1.2.2020 JA Luku: >5 JA Arvo: =12,50")},
        {"dates, a year pattern and the postcodes",
         [](MemberCriteria& c) {
             c.JasenmaksuValinta = 1;
             c.SyntymaAika = ReadDateCriterion(QStringLiteral("19*")).value;
             c.LiittymisAika = ReadDateCriterion(QStringLiteral("1.1.2000")).value;
             c.LiittymisAikaVertailu = 2;
             c.PostinumeroAlku = QStringLiteral("00100");
             c.PostinumeroLoppu = QStringLiteral("00990");
             c.OmistajaValinta = 1;
         },
         QStringLiteral("Jäsenmaksu maksamatta JA Syntymäaika: ~19* JA Liittymisaika: >1.1.2000 JA Postinumero välillä: "
                        "00100 - 00990 JA Omistajalaji: Maanomistaja")},
        // A year pattern with ? is a pattern too, whatever operator is left chosen.
        {"year patterns with one-digit wildcards",
         [&](MemberCriteria& c) {
             c.setHepiID(0, qint32(b));
             c.PvmArvo = ReadDateCriterion(QStringLiteral("198?")).value;
             c.PvmVertailu = 1;
             c.SyntymaAika = ReadDateCriterion(QStringLiteral("19?5")).value;
             c.SyntymaAikaVertailu = 0;
         },
         QStringLiteral("Hirviporukka rajauksin Pvm ~198? JA Syntymäaika: ~19?5")},
        {"only the first postcode", [](MemberCriteria& c) { c.PostinumeroAlku = QStringLiteral("40100"); },
         QStringLiteral("Postinumero >40100")},
    };
    for (const Case& c : cases) {
        MemberCriteria criteria = none();
        c.set(criteria);
        EXPECT_EQ(TemplateCriteriaText(club.db, criteria), c.expected) << c.name;
    }
}

TEST_F(TemplateCriteriaTest, OnlyTheTableFieldsReachTheStatement)
{
    DataPrinterSettings s;
    s.AddColumn({}, QStringLiteral("jrSukunimi"), 0);
    s.AddColumn({}, QStringLiteral("jrSukunimi FROM jr; DELETE FROM jr; --"), 0);
    s.AddColumn({}, QStringLiteral("jrMukaan"), 0);
    const TemplateQuery q = TemplateCriteriaSql(s, none(), 0);
    EXPECT_FALSE(q.sql.contains(QLatin1String("DELETE")));
    EXPECT_FALSE(q.sql.contains(QLatin1String("jrMukaan,")));
    EXPECT_TRUE(q.sql.startsWith(QLatin1String("SELECT jr.jrID, jr.jrSukunimi FROM jr WHERE")));
}

TEST_F(TemplateCriteriaTest, OneRowPerMemberOrPerMemberAndValue)
{
    // Same surname and postcode, no birth date: two members, two rows.
    const qint64 m1 = club.member(Value(QStringLiteral("Virtanen")));
    const qint64 m2 = club.member(Value(QStringLiteral("Virtanen")));
    const qint64 m3 = club.member(Value(QStringLiteral("Aho")));
    club.db.execute(QStringLiteral("UPDATE jr SET jrPostinumero = '41990', jrMukaan = True"));
    club.give(m1, a);
    club.give(m1, b);
    club.give(m2, a);
    DataPrinterSettings names;
    names.AddColumn({}, QStringLiteral("jrSukunimi"), 0);
    names.AddColumn({}, QStringLiteral("jrPostinumero"), 0);
    EXPECT_EQ(read(names, none()).size(), 3u);

    DataPrinterSettings values;
    values.FromText(names.ToText());
    values.AddColumn({}, QStringLiteral("piNimi"), 0);
    using Rows = std::vector<std::vector<QString>>;
    EXPECT_EQ(read(values, none()), (Rows{{"Aho", "41990", ""},
                                          {"Virtanen", "41990", "Ampumakoe"},
                                          {"Virtanen", "41990", "Hirviporukka"},
                                          {"Virtanen", "41990", "Ampumakoe"}}));
    // With one feature chosen its values only.
    MemberCriteria one = none();
    one.setHepiID(0, qint32(b));
    EXPECT_EQ(read(values, one),
              (Rows{{"Aho", "41990", ""}, {"Virtanen", "41990", "Hirviporukka"}, {"Virtanen", "41990", ""}}));
    EXPECT_NE(m3, 0);
}

TEST_F(TemplateCriteriaTest, TheSampleTemplatesRunOnTheSampleClubInEveryOrder)
{
    const QString path = club.env.copyOfShipped(QStringLiteral("demo1.mdb"), QStringLiteral("demo.mdb"));
    Database demo = Database::open(path);
    demo.execute(QStringLiteral("UPDATE jr SET jrMukaan = True"));
    const qint64 members = demo.scalar(QStringLiteral("SELECT COUNT(*) FROM jr")).toInt64();
    const auto templates = cRapMaaritys::List(demo);
    ASSERT_EQ(templates.size(), 2u);
    EXPECT_EQ(templates[0].name, QStringLiteral("Puhelinluettelo"));
    EXPECT_EQ(templates[1].name, QStringLiteral("Jäsenmaksutilanne"));
    for (const auto& t : templates) {
        cRapMaaritys r(demo);
        ASSERT_TRUE(r.Read(t.id));
        for (int order = 0; order < 3; ++order) {
            const TemplateQuery q = TemplateCriteriaSql(r.RepSettings(), none(), order);
            Recordset rs = demo.openRecordset(q.sql, RecordsetType::Snapshot, q.params);
            EXPECT_EQ(rs.recordCount(), members) << t.name.toStdString() << " order " << order;
        }
    }
}

} // namespace
