#include "InvoiceTestDb.h"

#include "base/ScriptedPrompter.h"
#include "base/SharedState.h"
#include "invoicing/EmailTemplate.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

const QString nbsp = QString(QChar(0x00A0));

QString crlf(const char* text)
{
    return QString::fromUtf8(text).replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
}

TEST(EmailTemplateReplaceField, FillsCutsPadsAndKeepsWhatItDoesNotKnow)
{
    struct Case {
        const char* text;
        const char* name;
        const char* value;
        const char* expected;
    };
    const Case cases[] = {
        {"Nro <LASKUNUMERO:6>.", "LASKUNUMERO", "123", "Nro 123   ."},
        {"<VIITENUMERO:5>", "VIITENUMERO", "12345678", "12345"},
        {"<laskunumero:3>|", "LASKUNUMERO", "123", "123|"},
        {"<LaskuNumero:4>", "LASKUNUMERO", "1", "1   "},
        {"a<LASKUNUMERO:0>b", "LASKUNUMERO", "123", "ab"},
        // Each occurrence takes the value as the previous one left it.
        {"<X:10>|<X:5>", "X", "abcdefgh", "abcdefgh  |abcde"},
        {"<X:5>|<X:10>", "X", "abcdefgh", "abcde|abcde     "},
        // Widths count letters, not bytes.
        {"<X:6>|", "X", "Äänekoski", "Ääneko|"},
        {"<X:8>|", "X", "Hämeenä", "Hämeenä |"},
        // Names not asked for stay, also longer names that end in the asked one.
        {"<LOPPUSUMMA:8> <SUMMA:4>", "SUMMA", "1,00", "<LOPPUSUMMA:8> 1,00"},
        {"<TUNTEMATON:4>", "LASKUNUMERO", "1", "<TUNTEMATON:4>"},
        // A value holding its own placeholder is inserted once and not filled again.
        {"<LISATIETOTEKSTI:40>!", "LISATIETOTEKSTI", "<LISATIETOTEKSTI:40>", "<LISATIETOTEKSTI:40>                    !"},
        {"<A:30><A:30>", "A", "x<A:2>", "x<A:2>                        x<A:2>                        "},
        // An unfinished placeholder leaves the rest as it is.
        {"<X:4> ja <X:5 loppu", "X", "ab", "ab   ja <X:5 loppu"},
        {"<X:abc> <X:2>", "X", "abc", "<X:abc> ab"},
        {"<X:-1> <X:2>", "X", "abc", "<X:-1> ab"},
        {"<X: 3>", "X", "a", "a  "},
        {"", "X", "a", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(
            EmailTemplate::ReplaceField(QString::fromUtf8(c.text), QString::fromUtf8(c.name), QString::fromUtf8(c.value)),
            QString::fromUtf8(c.expected))
            << c.text;
}

TEST(EmailTemplateRowBlock, RepeatsTheRowTemplateAndConsumesTheTagLines)
{
    const QString templ = crlf("Alku\n<LASKURIVIT>\n<RIVIAIHE:20><SUMMA:10>\n</LASKURIVIT>\n\nLoppu");
    const QList<cInvoiceRow> rows = {{QString(), QStringLiteral("Jäsenmaksu"), QStringLiteral("40,00")},
                                     {QString(), QStringLiteral("Lehti"), QStringLiteral("5,50")}};
    EXPECT_EQ(EmailTemplate::ExpandRowBlock(templ, rows),
              QStringLiteral("Alku\r\nJäsenmaksu          40,00     \r\n\r\nLehti               5,50      \r\n\r\nLoppu"));
    EXPECT_EQ(EmailTemplate::ExpandRowBlock(templ, {}), QStringLiteral("Alku\r\nLoppu"));
    // Tags in small letters, a row without date or amount gives spaces.
    const QString small = crlf("<laskurivit>\n[<RIVIPVM:4>][<SUMMA:3>]\n</laskurivit>\n\n");
    EXPECT_EQ(EmailTemplate::ExpandRowBlock(small, {{QString(), QStringLiteral("x"), QString()}}),
              QStringLiteral("[    ][   ]\r\n\r\n"));
}

TEST(EmailTemplateRowBlock, IncompleteBlocksStayAsWritten)
{
    const char* texts[] = {
        "Ei lohkoa <SUMMA:5>",
        "</LASKURIVIT>\n\n<LASKURIVIT>\nrivi\n",
        "<LASKURIVIT>\nrivi ilman loppua\n",
        "rivi ilman alkua\n</LASKURIVIT>\n",
    };
    for (const char* t : texts)
        EXPECT_EQ(EmailTemplate::ExpandRowBlock(crlf(t),
                                                {{QStringLiteral("1.1.2026"), QStringLiteral("a"), QStringLiteral("1,00")}}),
                  crlf(t))
            << t;
    // Tags with nothing between them: an empty row template, nothing left behind.
    EXPECT_EQ(EmailTemplate::ExpandRowBlock(QStringLiteral("<LASKURIVIT></LASKURIVIT>"), {{}}), QStringLiteral("\r\n\r\n"));
    EXPECT_EQ(EmailTemplate::ExpandRowBlock(QStringLiteral("a<LASKURIVIT></LASKURIVIT>\r\n\r\nb"), {}),
              QStringLiteral("ab"));
}

TEST(EmailTemplateFile, ReadsUtf8AndWindows1252AndMakesLineEndsCrLf)
{
    struct Case {
        QByteArray bytes;
        QString expected;
    };
    const Case cases[] = {
        {QByteArray("Summa \x80 ja \xe4\xe4ni\n", 16), QStringLiteral("Summa € ja ääni\r\n")},
        {QByteArray("Summa \xe2\x82\xac ja \xc3\xa4\xc3\xa4ni\n"), QStringLiteral("Summa € ja ääni\r\n")},
        {QByteArray("\xef\xbb\xbf"
                    "a\r\nb\nc\n\n"),
         QStringLiteral("a\r\nb\r\nc\r\n\r\n")},
        {QByteArray("a\r\n"), QStringLiteral("a\r\n")},
        {QByteArray(""), QString()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EmailTemplate::decodeTemplate(c.bytes), c.expected) << c.bytes.toHex().constData();
    // An LF file's row block lines up as a CR LF one does.
    const QString lf = EmailTemplate::decodeTemplate("A\n<LASKURIVIT>\n<RIVIAIHE:3>\n</LASKURIVIT>\n\nB\n");
    EXPECT_EQ(EmailTemplate::ExpandRowBlock(lf, {{QString(), QStringLiteral("xy"), QString()}}),
              QStringLiteral("A\r\nxy \r\n\r\nB\r\n"));
}

TEST(EmailTemplateValues, AmountsAndDatesInFinnishForm)
{
    const std::pair<std::int64_t, QString> amounts[] = {
        {0, QStringLiteral("0,00")},
        {455000, QStringLiteral("45,50")},
        {12345678900, QStringLiteral("1") + nbsp + QStringLiteral("234") + nbsp + QStringLiteral("567,89")},
        {-1234500, QStringLiteral("-123,45")},
        {6575, QStringLiteral("0,66")},
        {1250, QStringLiteral("0,12")}, // a half goes to the even cent
        {1350, QStringLiteral("0,14")},
    };
    for (const auto& [raw, text] : amounts)
        EXPECT_EQ(EmailTemplate::formatAmount(Currency::fromRaw(raw)), text) << raw;
    EXPECT_EQ(EmailTemplate::formatShortDate(QDate(2026, 3, 5)), QStringLiteral("5.3.2026"));
    EXPECT_EQ(EmailTemplate::formatShortDate(QDate()), QString());
}

class EmailTemplateDbTest : public ::testing::Test {
protected:
    test::InvoiceTestDb club;
    qint64 invoice = 0;
    qint64 history = 0;

    void SetUp() override
    {
        SharedState& s = State();
        s.ClubName = QStringLiteral("Erämiehet ry");
        s.SenderEmail = QStringLiteral("laskut@eramiehet.fi");
        s.BankAccount1 = QStringLiteral("FI12 3456 7890 1234 56");
        s.BankAccount2 = QString();
        club.db.execute(QStringLiteral("INSERT INTO me (meTeksti) VALUES ('Tervetuloa peijaisiin!')"));
        const qint64 me = club.db.lastInsertId();
        club.db.execute(
            QStringLiteral(
                "INSERT INTO jm (jmjrID, jmErapaiva, jmLaskupaiva, jmLaskunumero, jmViitenumero, jmHinta, jmmeID,"
                " jmOtsake, jmLaskOsoite1, jmLaskOsoite2, jmLaskJasennumero) VALUES (1, '2027-02-15 00:00:00',"
                " '2027-01-15 00:00:00', 123, '1232', 45.5, ?, 'Jäsenmaksu 2027', 'Sören Hirvonen', 'Koivukuja 30',"
                " '1001')"),
            {Value(me)});
        invoice = club.db.lastInsertId();
        club.db.execute(QStringLiteral("INSERT INTO jmRivi (jmRjmID, jmRPaiva, jmRHinta, jmRTeksti) VALUES"
                                       " (?, '2027-01-15 00:00:00', 40, 'Jäsenmaksu'), (?, NULL, NULL, 'Lehti')"),
                        {Value(invoice), Value(invoice)});
        club.db.execute(
            QStringLiteral("INSERT INTO jmhist (jmhjmID, jmhjmErapaiva, jmhjmLaskupaiva, jmhjmLaskunumero, jmhjmHinta,"
                           " jmhjmmeID, jmhjmOtsake, jmhjmMaksettu, jmhjmAvoinSumma, jmhjmMuistutusKulut,"
                           " jmhjmMuistutusKorkoSumma, jmhjmMuistutusYhteensa) VALUES (?, '2027-02-15 00:00:00',"
                           " '2027-01-15 00:00:00', 123, 45.5, 0, 'Jäsenmaksu 2027', 0, 45.5, 5, 0.6575, 51.1575)"),
            {Value(invoice)});
        history = club.db.lastInsertId();
    }
};

TEST_F(EmailTemplateDbTest, InvoiceFillTakesTheRowTheClubAndTheRunText)
{
    const QString templ = crlf(
        "<LASKUTTAJANNIMI:12>|<LASKUTTAJANEMAIL:5>|<LASKUTTAJANTILI2:3>|\n"
        "<MAKSAJANOSOITE1:15>|<MAKSAJANOSOITE3:2>|<JASENNRO:4>\n"
        "<LASKUNUMERO:6>|<VIITENUMERO:5>|<LASKUPAIVA:10>|<ERAPAIVA:10>|<LOPPUSUMMA:6>|<LASKUOTSAKE:10>\n"
        "<AVOINSUMMA:5>|<LISATIETOTEKSTI:8>\n"
        "<LASKURIVIT>\n<RIVIPVM:10>|<RIVIAIHE:10>|<SUMMA:6>|<LASKUNUMERO:3>|<LISATIETOTEKSTI:5>\n</LASKURIVIT>\n\n"
        "<SUMMA:3>");
    EXPECT_EQ(EmailTemplate::FillInvoiceTemplate(templ, invoice, club.db),
              crlf("Erämiehet ry|lasku|   |\n"
                   "Sören Hirvonen |  |1001\n"
                   "123   |1232 |15.1.2027 |15.2.2027 |45,50 |Jäsenmaksu\n"
                   "<AVOINSUMMA:5>|Tervetul\n"
                   "15.1.2027 |Jäsenmaksu|40,00 |123|Terve\n\n"
                   "          |Lehti     |      |123|Terve\n\n"
                   "<SUMMA:3>"));
    EXPECT_EQ(EmailTemplate::FillInvoiceTemplate(templ, invoice + 1000, club.db), QString());
}

TEST_F(EmailTemplateDbTest, ReminderFillAddsTheReminderAmountsAndTheInvoiceRows)
{
    const QString templ = crlf(
        "<LASKUNUMERO:4>|<AVOINSUMMA:6>|<HUOMAUTUSKULUT:5>|<VIIVASTYSKORKO:5>|"
        "<MUISTUTUKSENLOPPUSUMMA:6>|<LISATIETOTEKSTI:3>|\n<LASKURIVIT>\n<RIVIAIHE:10>\n</LASKURIVIT>\n\n.");
    EXPECT_EQ(EmailTemplate::FillReminderTemplate(templ, history, club.db),
              crlf("123 |45,50 |5,00 |0,66 |51,16 |   |\nJäsenmaksu\n\nLehti\n\n."));
    club.db.execute(
        QStringLiteral("UPDATE jmhist SET jmhjmAvoinSumma = NULL, jmhjmMuistutusYhteensa = NULL WHERE jmhID = ?"),
        {Value(history)});
    EXPECT_TRUE(EmailTemplate::FillReminderTemplate(templ, history, club.db).startsWith(QStringLiteral("123 |0,00  |")));
    EXPECT_EQ(EmailTemplate::FillReminderTemplate(templ, history + 1000, club.db), QString());
}

TEST_F(EmailTemplateDbTest, MissingTemplateOffersTheDefaultOnceAndRemembersIt)
{
    ScriptedPrompter prompter;
    QFile::copy(QStringLiteral(TIKKELI_SOURCE_DIR "/data/lasku.txt"),
                club.env.programFolder() + QStringLiteral("/lasku.txt"));
    const QString defaultPath = club.env.programFolder() + QStringLiteral("/lasku.txt");
    for (const QString& configured : {club.env.root() + QStringLiteral("/puuttuu.txt"), QString()}) {
        State().InvoiceTemplatePath = configured;
        QString text;
        prompter.answerNo();
        EXPECT_FALSE(EmailTemplate::LoadInvoiceTemplate(text));
        prompter.answerYes();
        ASSERT_TRUE(EmailTemplate::LoadInvoiceTemplate(text));
        EXPECT_TRUE(text.contains(QStringLiteral("<LASKURIVIT>\r\n")));
        EXPECT_EQ(State().InvoiceTemplatePath, defaultPath);
        EXPECT_EQ(club.field(QStringLiteral("SELECT setString FROM Settings WHERE setKey = 'EmailPohja'")).toString(),
                  defaultPath);
        // The next load reads the default without asking.
        const std::size_t asked = prompter.shown().size();
        ASSERT_TRUE(EmailTemplate::LoadInvoiceTemplate(text));
        EXPECT_EQ(prompter.shown().size(), asked);
    }
    EXPECT_EQ(prompter.shown().front().text, QStringLiteral("Laskupohjaa ei löydy, yritetäänkö avata oletuslaskupohja?"));
    EXPECT_EQ(prompter.shown().front().buttons, MsgButtons::YesNo);
    // No default file either: a failure without a message of its own.
    QFile::remove(defaultPath);
    State().ReminderTemplatePath = club.env.root() + QStringLiteral("/puuttuu.txt");
    prompter.clear();
    prompter.answerYes();
    QString text;
    EXPECT_FALSE(EmailTemplate::LoadReminderTemplate(text));
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text, QStringLiteral("Muistutuspohjaa ei löydy, yritetäänkö avata oletusmuistutuspohja?"));
}

TEST_F(EmailTemplateDbTest, ShippedTemplatesFillWithoutLeftOverPlaceholders)
{
    // The run writes the name, street and postcode on lines 2, 3 and 5; the sample's history on 1-3.
    club.db.execute(QStringLiteral("UPDATE jm SET jmLaskOsoite1 = NULL, jmLaskOsoite2 = 'Sören Hirvonen',"
                                   " jmLaskOsoite3 = 'Koivukuja 30', jmLaskOsoite5 = '44500 Viitasaari' WHERE jmID = ?"),
                    {Value(invoice)});
    club.db.execute(QStringLiteral("UPDATE jmhist SET jmhjmViitenumero = '1232', jmhjmLaskOsoite1 = 'Sören Hirvonen',"
                                   " jmhjmLaskOsoite2 = 'Koivukuja 30', jmhjmLaskOsoite3 = '44500 Viitasaari'"
                                   " WHERE jmhID = ?"),
                    {Value(history)});
    State().BankAccount1 = QStringLiteral("Hirvilahden Osuuspankki");
    State().Iban1 = QStringLiteral("FI40 4799 1020 3040 50");
    for (const char* name : {"lasku.txt", "karhu.txt"}) {
        QFile f(QStringLiteral(TIKKELI_SOURCE_DIR "/data/") + QLatin1String(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        EXPECT_FALSE(bytes.contains(" \r\n")) << name << ": a trailing blank in the file";
        const QString templ = EmailTemplate::decodeTemplate(bytes);
        const bool invoiceTemplate = QLatin1String(name) == QLatin1String("lasku.txt");
        const QString text = invoiceTemplate ? EmailTemplate::FillInvoiceTemplate(templ, invoice, club.db)
                                             : EmailTemplate::FillReminderTemplate(templ, history, club.db);
        EXPECT_FALSE(text.contains(u'<')) << name;
        EXPECT_TRUE(text.contains(QStringLiteral("Jäsenmaksu 2027"))) << name;
        // The payer's address whole, with no empty lines in it.
        EXPECT_TRUE(text.contains(QStringLiteral("Maksaja:\r\nSören Hirvonen\r\nKoivukuja 30\r\n44500 Viitasaari\r\n"
                                                 "Jäsennumero:")))
            << name << "\n"
            << text.toStdString();
        // The account with its IBAN, the reference, the amount to pay.
        EXPECT_TRUE(text.contains(QStringLiteral("Maksu tilille:\r\nHirvilahden Osuuspankki FI40 4799 1020 3040 50\r\n")))
            << name;
        EXPECT_TRUE(text.contains(QStringLiteral("Viitenumero:   1232\r\n"))) << name;
        EXPECT_TRUE(text.contains(invoiceTemplate ? QStringLiteral("Maksettava, euroa: 45,50\r\n")
                                                  : QStringLiteral("Maksettava, euroa: 51,16\r\n")))
            << name;
        EXPECT_TRUE(text.contains(QStringLiteral("Eräpäivä:      15.2.2027\r\n"))) << name;
        EXPECT_FALSE(text.contains(QStringLiteral(" \r\n"))) << name << ": a trailing blank in the message";
    }
    State().Iban1.clear();
}

TEST(EmailTemplateAccount, TheIbanFollowsABankConnectionThatLacksIt)
{
    const struct {
        const char *connection, *iban, *expected;
    } cases[] = {
        {"Hirvilahden Osuuspankki", "FI40 4799 1020 3040 50", "Hirvilahden Osuuspankki FI40 4799 1020 3040 50"},
        {"Hirvilahden Osuuspankki FI4047991020304050", "FI40 4799 1020 3040 50",
         "Hirvilahden Osuuspankki FI4047991020304050"},
        {"OP fi40 4799 1020 3040 50", "FI40 4799 1020 3040 50", "OP fi40 4799 1020 3040 50"},
        {"", "FI40 4799 1020 3040 50", "FI40 4799 1020 3040 50"},
        {"Hirvilahden Osuuspankki", "", "Hirvilahden Osuuspankki"},
        {"", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EmailTemplate::accountText(QString::fromUtf8(c.connection), QString::fromUtf8(c.iban)),
                  QString::fromUtf8(c.expected))
            << c.connection;
}

TEST(EmailTemplatePayer, EmptyAddressLinesStandingAloneAreLeftOut)
{
    const QString address[6] = {QString(),
                                QStringLiteral("Aho Eeva"),
                                QStringLiteral("Tie 1"),
                                QStringLiteral("  "),
                                QStringLiteral("00100 Helsinki"),
                                QString()};
    EXPECT_EQ(EmailTemplate::ReplacePayerFields(crlf("<MAKSAJANOSOITE1:9>\n<MAKSAJANOSOITE2:9>\n<MAKSAJANOSOITE3:9>\n"
                                                     "  <MAKSAJANOSOITE4:9> \n<MAKSAJANOSOITE5:20>\n<MAKSAJANOSOITE6:9>\n"
                                                     "x<MAKSAJANOSOITE1:2>x\n<MAKSAJANOSOITE6:3>"),
                                                address, QString()),
              crlf("Aho Eeva \nTie 1    \n00100 Helsinki      \nx  x\n   "));
}

} // namespace
