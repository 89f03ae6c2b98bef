#include "CardTestDb.h"

#include "base/Currency.h"
#include "members/modRekisteritiedot.h"

#include <gtest/gtest.h>

namespace tikkeli {

using test::CardTestDb;

namespace {

const QString Dashes(31, QLatin1Char('-'));
const QString Equals(31, QLatin1Char('='));

} // namespace

TEST(modRekisteritiedotTest, MemberWithoutFeaturesOrInvoices)
{
    CardTestDb t;
    const qint32 m = t.addMember(QStringLiteral("Virtanen"), QStringLiteral("Matti"));
    t.db().execute(QStringLiteral("UPDATE jr SET jrJasennumero = '12', jrSyntyma = ?, jrMuistio = ?, "
                                  "jrEmailLasku = 1, jrJasenmaksu = 0 WHERE jrID = ?"),
                   {QDate(1970, 5, 4), QStringLiteral("eka\r\ntoka"), m});
    const auto text = ComposeMemberData(t.db(), m);
    ASSERT_TRUE(text);
    const QString expected =
        QStringLiteral(
            "Yhteystiedot:\r\n%1\r\n"
            "Jäsennumero: 12\r\nTitteli: \r\nSukunimi: Virtanen\r\nEtunimi: Matti\r\nOsoite: \r\nPostinumero: \r\n"
            "Postitoimipaikka: \r\nPuhelin: \r\nMatkapuhelin: \r\nEmail: \r\nSyntymäpäivä: 4.5.1970\r\n"
            "Liittymispäivä: \r\nViitenumero: \r\nMuistio: eka\r\ntoka\r\nEmail lasku: Kyllä\r\n"
            "Jäsenmaksu OK: Ei\r\nMaanomistaja: Ei\r\n%2\r\n"
            "Ominaisuustiedot:\r\n%1\r\n%2\r\n"
            "Maksutiedot:\r\n%1\r\n%2\r\n")
            .arg(Dashes, Equals);
    EXPECT_EQ(*text, expected);
}

TEST(modRekisteritiedotTest, FeaturesAndInvoices)
{
    CardTestDb t;
    const qint32 m = t.addMember(QStringLiteral("Virtanen"));
    const qint32 p = t.addDefinition(QStringLiteral("Ase"), QStringLiteral("Kivääri"));
    const qint32 f = t.addFeature(m, p);
    t.db().execute(QStringLiteral("UPDATE pt SET ptValLong = 3, ptValCurrency = 12.5 WHERE ptID = ?"), {f});
    t.addFeature(m, 999); // its definition is gone
    const qint32 inv = t.addInvoice(m, 1, QStringLiteral("13"), QDate(2025, 2, 1), Value(Currency::fromUnits(20)),
                                    Value(QStringLiteral("Vuosimaksu")));
    t.db().execute(QStringLiteral("UPDATE jmhist SET jmhjmOtsake = 'Lasku', jmhjmLaskunumero = 1 WHERE jmhID = ?"), {inv});

    EXPECT_EQ(ComposeFeatureSection(t.db(), m),
              QStringLiteral("Ase\r\n(Kivääri)\r\nPäivämäärä: \r\nLuku: 3\r\nArvo: 12,5\r\nMuistio: \r\n --- --- \r\n"
                             "\r\n()\r\nPäivämäärä: \r\nLuku: \r\nArvo: \r\nMuistio: \r\n --- --- \r\n"));
    EXPECT_EQ(ComposeInvoiceSection(t.db(), m),
              QStringLiteral("Lasku\r\nAihe: Vuosimaksu\r\nLaskupäivä: 1.2.2025\r\nEräpäivä: \r\nLoppusumma: 20\r\n"
                             "Laskunumero: 1\r\nViitenumero: 13\r\nMaksettu: Ei\r\n --- --- \r\n"));
    const auto all = ComposeMemberData(t.db(), m);
    ASSERT_TRUE(all);
    EXPECT_TRUE(all->endsWith(Equals + QStringLiteral("\r\n")));
}

TEST(modRekisteritiedotTest, EveryLineOfAMemoEndsInCrLf)
{
    CardTestDb t;
    const qint32 m = t.addMember(QStringLiteral("Virtanen"));
    // The card's memo box breaks lines with LF alone.
    t.db().execute(QStringLiteral("UPDATE jr SET jrMuistio = ? WHERE jrID = ?"), {QStringLiteral("eka\ntoka\r\nkolmas"), m});
    const qint32 f = t.addFeature(m, t.addDefinition(QStringLiteral("Ase")));
    t.db().execute(QStringLiteral("UPDATE pt SET ptValMemo = ? WHERE ptID = ?"), {QStringLiteral("a\nb"), f});
    const auto text = ComposeMemberData(t.db(), m);
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->contains(QStringLiteral("\r\nMuistio: eka\r\ntoka\r\nkolmas\r\nEmail lasku: ")));
    EXPECT_TRUE(text->contains(QStringLiteral("\r\nMuistio: a\r\nb\r\n --- --- \r\n")));
    EXPECT_EQ(text->count(QLatin1Char('\n')), text->count(QStringLiteral("\r\n")));
    EXPECT_EQ(text->count(QLatin1Char('\r')), text->count(QStringLiteral("\r\n")));
}

TEST(modRekisteritiedotTest, NullFlagGivesLabelAlone)
{
    CardTestDb t;
    const qint32 m = t.addMember(QStringLiteral("Virtanen"));
    // A database of an older version may hold Null in a flag field.
    const bool nullable = t.db()
                              .scalar(QStringLiteral("SELECT \"notnull\" FROM pragma_table_info('jr') "
                                                     "WHERE name = 'jrMaanomistaja'"))
                              .toInt64()
                          == 0;
    if (nullable) {
        t.db().execute(QStringLiteral("UPDATE jr SET jrMaanomistaja = NULL WHERE jrID = ?"), {m});
        EXPECT_TRUE(ComposeContactSection(t.db(), m)->contains(QStringLiteral("\r\nMaanomistaja: \r\n")));
    }
    EXPECT_TRUE(ComposeContactSection(t.db(), m)->contains(QStringLiteral("Jäsennumero: \r\n")));
}

TEST(modRekisteritiedotTest, MissingMemberComposesNothing)
{
    CardTestDb t;
    EXPECT_FALSE(ComposeMemberData(t.db(), 12345));
    EXPECT_EQ(ReadFeatureName(t.db(), 5), QString());
    EXPECT_EQ(ReadFeatureDescription(t.db(), 5), QString());
}

TEST(modRekisteritiedotTest, ContactCopyLines)
{
    EXPECT_EQ(ComposeContactCopy(QStringLiteral("Virtanen"), QString(), QStringLiteral("Tie 1"), QStringLiteral("00100"),
                                 QStringLiteral("Helsinki")),
              QStringLiteral("Virtanen \r\nTie 1\r\n00100 Helsinki"));
}

} // namespace tikkeli
