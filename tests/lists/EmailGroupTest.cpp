#include "members/MemberTestDb.h"

#include "base/SharedState.h"
#include "db/Recordset.h"
#include "lists/GroupEmail.h"
#include "support/SmtpTestServer.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tikkeli;
using tikkeli::test::SmtpTestServer;
using tikkeli::test::waitUntil;

namespace {

class EmailGroupTest : public ::testing::Test {
protected:
    test::MemberTestDb club;

    qint32 member(const Value& surname, const Value& first, const Value& email)
    {
        club.db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi, jrEtunimi, jrEmail) VALUES (?, ?, ?)"),
                        {surname, first, email});
        return qint32(club.db.lastInsertId());
    }
    int count(const QString& sql, const Params& p = {}) { return int(club.db.scalar(sql, p).toInt64()); }

    void run(GroupEmailRun& r, const EmailRecipients& to, const QString& server, int limitMs = 60000)
    {
        bool done = false;
        QObject::connect(&r, &GroupEmailRun::finished, [&] { done = true; });
        ASSERT_TRUE(r.start(
            {server, QStringLiteral("seura@eramiehet.fi"), QStringLiteral("Kokous"), QStringLiteral("Tervetuloa"), {}}, to));
        ASSERT_TRUE(waitUntil([&] { return done; }, limitMs));
    }
};

TEST_F(EmailGroupTest, TheListDeletesNothingAndShowsNamelessMembersByTheirOtherFields)
{
    const qint32 nameless = member(Value(), Value(QStringLiteral("Matti")), Value(QStringLiteral("m@example.fi")));
    const qint32 aho = member(Value(QStringLiteral("Aho")), Value(), Value());
    club.db.execute(QStringLiteral("INSERT INTO pi (piNimi, piType) VALUES (NULL, 1)"));
    const auto list = GroupEmail::Members(club.db);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].id, nameless);
    EXPECT_EQ(list[0].text, QStringLiteral("Matti - m@example.fi"));
    EXPECT_EQ(list[1].id, aho);
    EXPECT_EQ(list[1].text, QStringLiteral("Aho - "));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM jr")), 2);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM pi WHERE piNimi IS NULL")), 1);
}

TEST_F(EmailGroupTest, TheTallyQuestionHasTheCountsOnALineOfItsOwn)
{
    EmailRunReport report;
    report.sent = 3;
    report.failed = 2;
    EXPECT_EQ(GroupEmail::TallyQuestion(report),
              QStringLiteral("Sähköpostin lähetys ei onnistunut kaikille.\r\nOnnistui: 3  Epäonnistui: 2\r\n\r\n"
                             "Luodaanko uusi ryhmä niistä joille lähetys epäonnistui?"));
}

TEST_F(EmailGroupTest, TheFailedGroupIsOneFeatureWithItsMembersAndALongSubjectIsCut)
{
    const qint32 a = member(Value(QStringLiteral("A")), Value(), Value());
    const qint32 b = member(Value(QStringLiteral("B")), Value(), Value());
    const QString subject = QStringLiteral("Syyskokouksen kutsu ja esityslista sekä hirviporukan jakoperusteet 2027");
    const qint64 id = GroupEmail::CreateFailedGroup(club.db, subject, {a, b}, QDateTime(QDate(2027, 9, 1), QTime(18, 5)));
    Recordset pi = club.db.openRecordset(QStringLiteral("SELECT piNimi, piKuvaus, piType FROM pi WHERE piID = ?"),
                                         RecordsetType::Snapshot, {Value(id)});
    ASSERT_FALSE(pi.eof());
    EXPECT_EQ(pi.field(0).toString(), (QStringLiteral("Epäonn. email:") + subject).left(50));
    EXPECT_EQ(pi.field(1).toString(), QStringLiteral("Epäonnistunut ryhmäsähköposti otsakkeella: ") + subject
                                          + QStringLiteral(" lähetetty: 1.9.2027 18:05:00"));
    EXPECT_EQ(pi.field(2).toInt64(), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM pt WHERE ptpiID = ? AND ptjrID IN (?, ?)"),
                    {Value(id), Value(a), Value(b)}),
              2);

    // A member row that cannot be written takes the whole group with it.
    club.db.execute(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON pt WHEN NEW.ptjrID = 999 BEGIN "
                                   "SELECT RAISE(ABORT, 'refused'); END"));
    const int features = count(QStringLiteral("SELECT COUNT(*) FROM pi"));
    EXPECT_THROW(GroupEmail::CreateFailedGroup(club.db, QStringLiteral("x"), {a, 999}, QDateTime::currentDateTime()),
                 DbException);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM pi")), features);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM pt WHERE ptjrID = ?"), {Value(a)}), 1);
}

TEST_F(EmailGroupTest, FiveWithTwoRefusedGiveThreeAndTwoAndAnAddresslessMemberFailsWithoutAConnection)
{
    SmtpTestServer smtp({QStringLiteral("torjuttu1@example.fi"), QStringLiteral("torjuttu2@example.fi")});
    ASSERT_TRUE(smtp.started()) << smtp.startError().toStdString();
    QList<qint32> ids;
    for (const char* address :
         {"a@example.fi", "torjuttu1@example.fi", "b@example.fi", "torjuttu2@example.fi", "c@example.fi"})
        ids << member(Value(QStringLiteral("Jäsen")), Value(QString::fromUtf8(address)), Value(QString::fromUtf8(address)));
    GroupEmailRun r;
    std::vector<std::pair<int, int>> steps;
    QObject::connect(&r, &GroupEmailRun::progress, [&](int done, int total) { steps.emplace_back(done, total); });
    run(r, GroupEmail::Recipients(club.db, ids), smtp.server());
    EXPECT_EQ(r.succeeded(), 3);
    EXPECT_EQ(r.failedIds(), (QList<qint32>{ids[1], ids[3]}));
    EXPECT_EQ(steps.back(), std::make_pair(5, 5));
    const auto messages = smtp.messages();
    ASSERT_EQ(messages.size(), 3);
    for (const QJsonObject& m : messages) {
        // One addressee per message: no member sees another's address.
        EXPECT_EQ(m[QStringLiteral("rcpt_tos")].toArray().size(), 1);
        EXPECT_EQ(m[QStringLiteral("subject")].toString(), QStringLiteral("Kokous"));
    }

    // No address at all: failed, and no connection is made for it.
    const qint32 none = member(Value(QStringLiteral("Osoitteeton")), Value(), Value());
    GroupEmailRun alone;
    run(alone, GroupEmail::Recipients(club.db, {none}), QStringLiteral("127.0.0.1:1"));
    EXPECT_EQ(alone.failedIds(), QList<qint32>{none});
    EXPECT_EQ(alone.results().first().Error, QStringLiteral("Jäsenellä ei ole sähköpostiosoitetta."));
}

TEST_F(EmailGroupTest, TheTallyNamesWhyTheRunStoppedAndEachRefusalAndCountsTheAddresslessApart)
{
    // Six refused addresses, each answered with a line of its own; the server closes after three messages.
    QStringList refused;
    for (int i = 1; i <= 6; ++i)
        refused << QStringLiteral("x%1@example.fi").arg(i);
    SmtpTestServer smtp(refused, {}, 3);
    ASSERT_TRUE(smtp.started()) << smtp.startError().toStdString();
    QList<qint32> ids;
    const auto add = [&](const QString& surname, const QString& address) {
        ids << member(Value(surname), Value(QStringLiteral("Matti")), address.isEmpty() ? Value() : Value(address));
    };
    add(QStringLiteral("Aho"), QStringLiteral("a@example.fi"));
    for (int i = 1; i <= 6; ++i)
        add(QStringLiteral("Torjuttu%1").arg(i), refused[i - 1]);
    add(QStringLiteral("Osoitteeton"), QString());
    add(QStringLiteral("Bäck"), QStringLiteral("b@example.fi"));
    add(QStringLiteral("Cedergren"), QStringLiteral("c@example.fi"));
    add(QStringLiteral("Dahl"), QStringLiteral("d@example.fi"));
    add(QStringLiteral("Ek"), QStringLiteral("e@example.fi"));
    add(QStringLiteral("Forss"), QStringLiteral("f@example.fi"));
    GroupEmailRun r;
    run(r, GroupEmail::Recipients(club.db, ids), smtp.server());
    ASSERT_EQ(smtp.messages().size(), 3);
    const QString line = QStringLiteral(
        "Torjuttu%1 Matti: Palvelin ei hyväksynyt vastaanottajaa: 550 5.1.1 <x%1@example.fi>:"
        " Mailbox unavailable\r\n");
    const QString closed =
        QStringLiteral("SMTP-palvelin %1 sulki yhteyden: 421 4.3.2 Service shutting down").arg(smtp.server());
    EXPECT_EQ(GroupEmail::TallyQuestion(r.report()),
              QStringLiteral("Sähköpostin lähetys ei onnistunut kaikille.\r\nOnnistui: 3  Epäonnistui: 7\r\n"
                             "Ilman sähköpostiosoitetta: 1\r\nLähettämättä jäi: 2\r\n\r\n")
                  + QStringLiteral("Lähetys keskeytyi: ") + closed + QStringLiteral("\r\n") + line.arg(1) + line.arg(2)
                  + line.arg(3) + line.arg(4) + line.arg(5)
                  + QStringLiteral("... ja 2 muuta.\r\n\r\n"
                                   "Luodaanko uusi ryhmä niistä joille lähetys epäonnistui? Ryhmään tulevat myös jäsenet,"
                                   " joilla ei ole sähköpostiosoitetta."));
    // The failed group: the refused, the one without an address and the one the server closed on.
    EXPECT_EQ(r.failedIds(), ids.mid(1, 7) + QList<qint32>{ids[10]});
}

TEST_F(EmailGroupTest, ASilentServerTimesOutWhileEventsRunAndCancelStopsTheRun)
{
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    QList<QTcpSocket*> held;
    QObject::connect(&silent, &QTcpServer::newConnection, [&] { held << silent.nextPendingConnection(); });
    const QString server = QStringLiteral("127.0.0.1:%1").arg(silent.serverPort());
    QList<qint32> ids;
    for (int i = 0; i < 3; ++i)
        ids << member(Value(QStringLiteral("H%1").arg(i)), Value(), Value(QStringLiteral("h%1@example.fi").arg(i)));
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    GroupEmailRun r;
    r.setTimeoutMs(800);
    run(r, GroupEmail::Recipients(club.db, {ids[0]}), server);
    EXPECT_EQ(r.failedIds(), QList<qint32>{ids[0]});
    EXPECT_FALSE(r.results().first().Error.isEmpty());
    EXPECT_GT(ticks, 5);

    GroupEmailRun cancelled;
    cancelled.setTimeoutMs(20000);
    QTimer::singleShot(300, &cancelled, [&] { cancelled.cancel(); });
    QElapsedTimer clock;
    clock.start();
    run(cancelled, GroupEmail::Recipients(club.db, ids), server);
    EXPECT_LT(clock.elapsed(), 15000);
    EXPECT_TRUE(cancelled.wasCancelled());
    EXPECT_EQ(cancelled.succeeded(), 0);
    // Stopped by the user: nobody failed, all three were left unsent.
    EXPECT_TRUE(cancelled.failedIds().isEmpty());
    EXPECT_EQ(cancelled.leftUnsent(), 3);
    ASSERT_TRUE(test::waitUntilSendsEnd(30000));
}

} // namespace
