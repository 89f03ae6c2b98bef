#include "InvoiceTestDb.h"

#include "base/ReferenceNumber.h"
#include "base/SharedState.h"
#include "invoicing/PayeeCheck.h"

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

TEST(PayeeCheckRules, IbansAndReferencesAsWritten)
{
    const std::pair<const char*, bool> ibans[] = {
        {"FI40 4799 1020 3040 50", true},
        {"fi4047991020304050", true},
        {"FI2112345600000785", true},
        {"FI40 4799 1020 3040 51", false},
        {"FI12 3456 7890 1234 56", false},
        {"4047991020304050", false},
        {"FI40 4799", false},
        {"FI40-4799-1020-3040-50", false},
        {"", false},
    };
    for (const auto& [iban, holds] : ibans)
        EXPECT_EQ(ReferenceNumber::ibanHolds(QString::fromLatin1(iban)), holds) << iban;
    const std::pair<const char*, bool> references[] = {
        {"1232", true},         {"21238", true},
        {"1234 5672 0", false}, {"12345 67907", true},
        {"13", true},           {"1233", false},
        {"3", false},           {"", false},
        {"12a2", false},        {"123456789012345678902", false},
    };
    for (const auto& [reference, holds] : references)
        EXPECT_EQ(ReferenceNumber::holds(QString::fromLatin1(reference)), holds) << reference;
}

TEST(PayeeCheckMessage, NamesEverythingThatFailsInOneMessage)
{
    const QString head = QStringLiteral(
        "Laskuja ja muistutuksia ei voi tulostaa eikä lähettää, ennen kuin tiedot ovat kunnossa:\r\n");
    const QString tail = QStringLiteral("\r\n\r\nKorjaa tiedot asetuksiin tai jäsenen viitenumeroon ja yritä uudelleen.");
    const struct {
        const char* name;
        const char* club;
        const char* iban;
        QStringList references;
        QString expected; // the lines between head and tail; empty: no message
    } cases[] = {
        {"all in order", "Erämiehet ry", "FI40 4799 1020 3040 50", {"21238", "1232", ""}, {}},
        {"no club data at all",
         "",
         "",
         {},
         "- yhdistyksen nimi puuttuu asetuksista\r\n- tilinumero (IBAN1) puuttuu asetuksista"},
        {"a mistyped IBAN",
         "Erämiehet ry",
         "FI40 4799 1020 3040 51",
         {},
         "- tilinumero (IBAN1) \"FI40 4799 1020 3040 51\" on virheellinen: sen tarkiste ei täsmää"},
        {"wrong check digits",
         "Erämiehet ry",
         "FI40 4799 1020 3040 50",
         {"1233", "21238", "10350", "1", "2", "3", "4", "5"},
         "- viitenumeron tarkiste ei täsmää: 1233, 10350, 1, 2, 3 ja 2 muuta"},
    };
    for (const auto& c : cases) {
        State().ClubName = QString::fromUtf8(c.club);
        State().Iban1 = QString::fromLatin1(c.iban);
        const QString message = PayeeCheck::problems(c.references);
        EXPECT_EQ(message, c.expected.isEmpty() ? QString() : head + c.expected + tail) << c.name;
    }
}

TEST(PayeeCheckReferences, TheRunsAndTheRemindersOwn)
{
    test::InvoiceTestDb club;
    ASSERT_EQ(InvoiceRun(club.db).run(club.request(RecipientKind::Feature, 7)).added, 8);
    EXPECT_EQ(PayeeCheck::runReferences(club.db).size(), 8);
    const qint64 member = club.field(QStringLiteral("SELECT jmjrID FROM jm WHERE jmLaskunumero = 2125")).toInt64();
    EXPECT_EQ(PayeeCheck::runReferences(club.db, member), QStringList{QStringLiteral("21254")});
    EXPECT_TRUE(PayeeCheck::problems(PayeeCheck::runReferences(club.db)).isEmpty());
    club.db.execute(QStringLiteral("UPDATE jm SET jmViitenumero = '21253' WHERE jmLaskunumero = 2125"));
    EXPECT_TRUE(PayeeCheck::problems(PayeeCheck::runReferences(club.db)).contains(QStringLiteral("21253")));

    // The reminders' references: only those of invoices the range would remind.
    const QDate today(2027, 3, 17);
    club.db.execute(QStringLiteral("INSERT INTO jmhist (jmhjmLaskunumero, jmhjmViitenumero, jmhjmErapaiva, jmhjmjrID)"
                                   " VALUES (9001, '90010', '2027-03-01 00:00:00', 1), (9002, '90023',"
                                   " '2027-04-01 00:00:00', 1)"));
    EXPECT_EQ(PayeeCheck::reminderReferences(club.db, {9001, 9002}, today), QStringList{QStringLiteral("90010")});
}

} // namespace
