#include "platform/MailServerLookup.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

class FakeResolver : public MailServerLookup::MxResolver {
public:
    explicit FakeResolver(QStringList answer, QStringList* asked) : m_answer(std::move(answer)), m_asked(asked) {}
    QStringList mailExchangers(const QString& domain) override
    {
        if (m_asked)
            *m_asked << domain;
        return m_answer;
    }

private:
    QStringList m_answer;
    QStringList* m_asked;
};

void writeFile(const QString& name, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(name).absolutePath());
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

const QByteArray Prefs = R"(// Mozilla User Preferences
user_pref("mail.account.account1.identities", "id1,id3");
user_pref("mail.account.account2.identities", "id2");
user_pref("mail.accountmanager.accounts", "account1,account2");
user_pref("mail.accountmanager.defaultaccount", "account1");
user_pref("mail.identity.id1.useremail", "matti@koti.fi");
user_pref("mail.identity.id1.smtpServer", "smtp2");
user_pref("mail.identity.id2.useremail", "Sihteeri@Seura.FI");
user_pref("mail.identity.id2.smtpServer", "smtp1");
user_pref("mail.smtp.defaultserver", "smtp1");
user_pref("mail.smtpserver.smtp1.hostname", "smtp.seura.fi");
user_pref("mail.smtpserver.smtp2.hostname", "mail.koti.fi");
user_pref("mail.smtpservers", "smtp1,smtp2");
)";

struct Fixture {
    QTemporaryDir dir;
    QStringList asked;
    MailServerLookup lookup;

    explicit Fixture(QStringList mx = {})
    {
        lookup.setMailClientFolders({dir.filePath(QStringLiteral("tb"))});
        lookup.setResolver(std::make_unique<FakeResolver>(std::move(mx), &asked));
    }
    void profile(const QByteArray& profilesIni, const QString& profileDir, const QByteArray& prefs)
    {
        writeFile(dir.filePath(QStringLiteral("tb/profiles.ini")), profilesIni);
        writeFile(QDir(dir.filePath(QStringLiteral("tb"))).filePath(profileDir + QStringLiteral("/prefs.js")), prefs);
    }
};

} // namespace

TEST(MailServerLookup, MailClientServerOfTheDefaultIdentity)
{
    Fixture f({QStringLiteral("mx.seura.fi")});
    f.profile("[Profile0]\nName=default\nIsRelative=1\nPath=abc.default\nDefault=1\n", QStringLiteral("abc.default"), Prefs);
    EXPECT_EQ(f.lookup.lookup(QString()), QStringLiteral("mail.koti.fi"));
    EXPECT_TRUE(f.asked.isEmpty()) << "the client's own server needs no DNS";
}

TEST(MailServerLookup, IdentityMatchingTheSenderWins)
{
    Fixture f;
    f.profile("[Profile0]\nIsRelative=1\nPath=abc.default\nDefault=1\n", QStringLiteral("abc.default"), Prefs);
    EXPECT_EQ(f.lookup.lookup(QStringLiteral("Seura <sihteeri@seura.fi>")), QStringLiteral("smtp.seura.fi"));
}

TEST(MailServerLookup, InstallSectionChoosesTheProfile)
{
    Fixture f;
    const QByteArray ini = "[Install4F96D1932A9F858E]\nDefault=new.profile\nLocked=1\n\n"
                           "[Profile1]\nIsRelative=1\nPath=old.profile\nDefault=1\n\n"
                           "[Profile0]\nIsRelative=1\nPath=new.profile\n";
    f.profile(ini, QStringLiteral("old.profile"),
              "user_pref(\"mail.smtp.defaultserver\", \"s\");\n"
              "user_pref(\"mail.smtpserver.s.hostname\", \"old.example\");\n");
    writeFile(f.dir.filePath(QStringLiteral("tb/new.profile/prefs.js")),
              "user_pref(\"mail.smtpservers\", \"a,b\");\nuser_pref(\"mail.smtpserver.b.hostname\", \"new.example\");\n");
    EXPECT_EQ(f.lookup.lookup(QString()), QStringLiteral("new.example"));
}

TEST(MailServerLookup, FallsBackToTheMailExchangerOfTheSenderDomain)
{
    Fixture f({QStringLiteral("mx1.seura.fi."), QStringLiteral("mx2.seura.fi.")});
    f.profile("[Profile0]\nIsRelative=1\nPath=p\n", QStringLiteral("p"), "user_pref(\"mail.smtpservers\", \"\");\n");
    EXPECT_EQ(f.lookup.lookup(QStringLiteral("posti@seura.fi")), QStringLiteral("mx1.seura.fi"));
    EXPECT_EQ(f.asked, QStringList{QStringLiteral("seura.fi")});
}

TEST(MailServerLookup, NothingFoundGivesEmpty)
{
    {
        Fixture f; // no profile, resolver has no answer
        EXPECT_EQ(f.lookup.lookup(QStringLiteral("posti@seura.fi")), QString());
    }
    {
        Fixture f({QStringLiteral("mx.example")}); // no address to take a domain from: no DNS at all
        EXPECT_EQ(f.lookup.lookup(QString()), QString());
        EXPECT_EQ(f.lookup.lookup(QStringLiteral("ei osoite")), QString());
        EXPECT_TRUE(f.asked.isEmpty());
    }
    {
        Fixture f({QStringLiteral(".")}); // null MX: the domain takes no mail
        EXPECT_EQ(f.lookup.lookup(QStringLiteral("a@b.fi")), QString());
    }
}

TEST(MailServerLookup, DomainOf)
{
    const std::pair<const char*, const char*> cases[] = {
        {"posti@seura.fi", "seura.fi"}, {"  Jaktklubb <info@jakt.ålands.ax> ", "jakt.ålands.ax"},
        {"a@b@c.fi", "c.fi"},           {"seura.fi", ""},
        {"posti@localhost", ""},        {"posti@", ""},
        {"x@evil.fi; rm -rf", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(MailServerLookup::domainOf(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}
