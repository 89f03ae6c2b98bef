#include "BackupTestDb.h"

#include "backup/SupportFileSender.h"
#include "platform/EmailSender.h"
#include "base/SharedState.h"
#include "support/SmtpTestServer.h"

#include <QFile>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <gtest/gtest.h>

#include <zip.h>

using namespace tikkeli;
using tikkeli::test::BackupTestDb;
using tikkeli::test::SmtpTestServer;
using tikkeli::test::waitUntilSendsEnd;

namespace {

// The single entry of a zip archive given as bytes, with its name.
std::pair<QString, QByteArray> unzipSingle(const QByteArray& zipBytes)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src = zip_source_buffer_create(zipBytes.constData(), static_cast<zip_uint64_t>(zipBytes.size()), 0,
                                                 &error);
    zip_t* zip = src ? zip_open_from_source(src, ZIP_RDONLY, &error) : nullptr;
    if (!zip) {
        zip_source_free(src);
        return {};
    }
    std::pair<QString, QByteArray> result;
    if (zip_get_num_entries(zip, 0) == 1) {
        zip_stat_t st;
        zip_stat_index(zip, 0, 0, &st);
        result.first = QString::fromUtf8(st.name);
        result.second.resize(static_cast<qsizetype>(st.size));
        zip_file_t* f = zip_fopen_index(zip, 0, 0);
        zip_fread(f, result.second.data(), st.size);
        zip_fclose(f);
    }
    zip_close(zip);
    return result;
}

} // namespace

TEST(SupportFileSender, IdentificationTextNamesClubProgramAndVersion)
{
    State() = SharedState{};
    State().ClubName = QStringLiteral("Erämiehet");
    EXPECT_EQ(SupportFileSender::IdentificationText(), QStringLiteral("Erämiehet-Tikkeli:7.0.24"));
    State() = SharedState{};
}

TEST(SupportFileSender, MailsTheZippedDatabaseWithTheMessage)
{
    BackupTestDb club;
    SmtpTestServer smtp;
    ASSERT_TRUE(smtp.started()) << smtp.startError().toStdString();
    Database live = Database::open(club.path());

    SupportFileSender sender;
    sender.SetRecipient(QStringLiteral("tuki@example.fi"));
    sender.SetSender(QStringLiteral("sihteeri@eramiehet.fi"));
    sender.SetSmtpServer(smtp.server());
    QSignalSpy done(&sender, &SupportFileSender::SendCompletedSuccessfully);
    QSignalSpy failed(&sender, &SupportFileSender::SendFailed);
    QList<int> progress;
    QObject::connect(&sender, &SupportFileSender::SendProgress, [&](int v) { progress.append(v); });

    const QString id = SupportFileSender::IdentificationText();
    ASSERT_TRUE(sender.Send(QStringLiteral("Jäsenrekisteri näyttää oudolta."), id, club.path()));
    EXPECT_FALSE(sender.Send(QString(), id, club.path()));
    ASSERT_TRUE(done.wait(20000)) << (failed.isEmpty() ? "" : failed.first().at(0).toString().toStdString());
    EXPECT_TRUE(failed.isEmpty());
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.last(), 100);

    const auto messages = smtp.messages();
    ASSERT_EQ(messages.size(), 1);
    const QJsonObject m = messages[0];
    EXPECT_EQ(m[QStringLiteral("rcpt_tos")].toArray().at(0).toString(), QStringLiteral("tuki@example.fi"));
    EXPECT_TRUE(m[QStringLiteral("subject")].toString().contains(QStringLiteral("Erämiehet-Tikkeli:7.0.24")));
    const QString text = m[QStringLiteral("text")].toString();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Jäsenrekisteri näyttää oudolta."))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Erämiehet-Tikkeli:7.0.24")));
    const QJsonArray att = m[QStringLiteral("attachments")].toArray();
    ASSERT_EQ(att.size(), 1);
    EXPECT_EQ(att[0][QStringLiteral("filename")].toString(), QStringLiteral("Erämiehet.mdb.zip"));

    const auto [entry, bytes] = unzipSingle(QByteArray::fromBase64(att[0][QStringLiteral("data")].toString().toLatin1()));
    EXPECT_EQ(entry, QStringLiteral("Erämiehet.mdb"));
    QTemporaryDir out;
    const QString unpacked = out.filePath(QStringLiteral("purettu.mdb"));
    QFile f(unpacked);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    EXPECT_EQ(BackupTestDb::members(unpacked), 3);
    Database copy = Database::open(unpacked);
    EXPECT_EQ(copy.scalar(QStringLiteral("SELECT Nimi FROM jr WHERE jrID = 2")).toString(), QStringLiteral("Äijälä"));
    copy.close();
    live.close();
}

TEST(SupportFileSender, FailuresArriveAsTheFailedEvent)
{
    BackupTestDb club;
    SupportFileSender sender;
    sender.SetRecipient(QStringLiteral("tuki@example.fi"));
    sender.SetSender(QStringLiteral("sihteeri@eramiehet.fi"));
    sender.SetSmtpServer(QStringLiteral("127.0.0.1:1"));
    QSignalSpy failed(&sender, &SupportFileSender::SendFailed);
    QSignalSpy done(&sender, &SupportFileSender::SendCompletedSuccessfully);

    ASSERT_TRUE(sender.Send(QString(), QString(), club.dir() + QStringLiteral("/ei-ole.mdb")));
    EXPECT_TRUE(failed.isEmpty()); // never during the call
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_TRUE(failed.first().at(0).toString().contains(QStringLiteral("ei-ole.mdb")));

    ASSERT_TRUE(sender.Send(QString(), QString(), club.path()));
    ASSERT_TRUE(failed.wait(10000));
    EXPECT_TRUE(failed.last().at(0).toString().contains(QStringLiteral("Yhteyttä")))
        << failed.last().at(0).toString().toStdString();
    EXPECT_TRUE(done.isEmpty());
}

TEST(SupportFileSender, DestroyedWhileSendingStaysSilent)
{
    BackupTestDb club;
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    int calls = 0;
    QObject witness;
    auto* sender = new SupportFileSender;
    sender->SetRecipient(QStringLiteral("tuki@example.fi"));
    sender->SetSender(QStringLiteral("sihteeri@eramiehet.fi"));
    sender->SetSmtpServer(QStringLiteral("127.0.0.1:%1").arg(silent.serverPort()));
    QObject::connect(sender, &SupportFileSender::SendFailed, &witness, [&] { ++calls; });
    QObject::connect(sender, &SupportFileSender::SendCompletedSuccessfully, &witness, [&] { ++calls; });
    ASSERT_TRUE(sender->Send(QString(), QString(), club.path()));
    QTest::qWait(300);
    delete sender;
    EXPECT_TRUE(waitUntilSendsEnd(5000));
    QTest::qWait(50);
    EXPECT_EQ(calls, 0);
}
