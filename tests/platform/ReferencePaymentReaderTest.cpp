#include "platform/ReferencePaymentReader.h"
#include "support/BankFiles.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <random>

using namespace tikkeli;
using tikkeli::test::camtDocument;
using tikkeli::test::camtEntry;
using tikkeli::test::camtNotification;
using tikkeli::test::CamtTx;
using tikkeli::test::DomesticBankFile;

namespace {

class ReferencePaymentReaderTest : public ::testing::Test {
protected:
    std::vector<ReferencePaymentBatch> read(const QByteArray& bytes)
    {
        const QString path = dir.filePath(QStringLiteral("pankki.dat"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        return ReferencePaymentReader().readFile(path);
    }
    // The message of the refusal; empty when the file was read.
    QString refusal(const QByteArray& bytes)
    {
        try {
            read(bytes);
        } catch (const ReferencePaymentError& e) {
            return e.message();
        }
        return {};
    }
    QTemporaryDir dir;
};

TEST_F(ReferencePaymentReaderTest, TwoBatchesKeepFileOrderAndTheirOwnValues)
{
    DomesticBankFile f;
    f.batch("261207", "1030", "47", "123456789")
        .payment(QStringLiteral("00000000000000012345"), QStringLiteral("Virtanen"), 1234)
        .payment(QStringLiteral("00000000000000000013"), QStringLiteral("Laine"), 5)
        .summary();
    f.batch("261208", "0905", "31", "987654321").payment(QStringLiteral("1232"), QStringLiteral("Nieminen"), 4550).summary();
    const auto batches = read(f.bytes());
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[0].BatchDate, QStringLiteral("7.12.2026"));
    EXPECT_EQ(batches[0].BatchTime, QStringLiteral("10.30"));
    EXPECT_EQ(batches[0].BankGroupId, QStringLiteral("47"));
    EXPECT_EQ(batches[0].BillerId, QStringLiteral("123456789"));
    ASSERT_EQ(batches[0].Payments.size(), 2u);
    EXPECT_EQ(batches[0].Payments[0].Reference, QStringLiteral("00000000000000012345"));
    EXPECT_EQ(batches[0].Payments[0].AmountCents, QStringLiteral("1234"));
    EXPECT_EQ(batches[0].Payments[0].PayerName, QStringLiteral("Virtanen"));
    EXPECT_EQ(batches[0].Payments[0].PaymentDate, QStringLiteral("4.12.2026"));
    EXPECT_EQ(batches[0].Payments[1].AmountCents, QStringLiteral("5"));
    EXPECT_EQ(batches[0].Summary.PaymentCount, QStringLiteral("2"));
    EXPECT_EQ(batches[0].Summary.PaymentSum, QStringLiteral("1239"));
    EXPECT_EQ(batches[1].BatchDate, QStringLiteral("8.12.2026"));
    EXPECT_EQ(batches[1].BatchTime, QStringLiteral("09.05"));
    EXPECT_EQ(batches[1].BillerId, QStringLiteral("987654321"));
    ASSERT_EQ(batches[1].Payments.size(), 1u);
    EXPECT_EQ(batches[1].Payments[0].Reference, QStringLiteral("00000000000000001232"));
}

TEST_F(ReferencePaymentReaderTest, ReferencesKeepBlanksAndLeadingZerosAsWritten)
{
    DomesticBankFile f;
    f.batch().payment(QStringLiteral("        12 34 5"), QStringLiteral("A"), 100).summary();
    const auto batches = read(f.bytes());
    ASSERT_EQ(batches.size(), 1u);
    ASSERT_EQ(batches[0].Payments.size(), 1u);
    EXPECT_EQ(batches[0].Payments[0].Reference, QStringLiteral("00000        12 34 5"));
}

TEST_F(ReferencePaymentReaderTest, CorrectionsGoToTheSummaryNeverToThePayments)
{
    DomesticBankFile f;
    f.batch()
        .payment(QStringLiteral("12345"), QStringLiteral("Maksaja"), 2000)
        .correction(QStringLiteral("12345"), QStringLiteral("Maksaja"), 2000)
        .summary();
    const auto batches = read(f.bytes());
    ASSERT_EQ(batches.size(), 1u);
    ASSERT_EQ(batches[0].Payments.size(), 1u);
    EXPECT_EQ(batches[0].Summary.PaymentCount, QStringLiteral("1"));
    EXPECT_EQ(batches[0].Summary.CorrectionCount, QStringLiteral("1"));
    EXPECT_EQ(batches[0].Summary.CorrectionSum, QStringLiteral("2000"));
}

TEST_F(ReferencePaymentReaderTest, RecordTypesAndTheCorrectionFlagAsBanksWriteThem)
{
    // Batch 1: a reference payment, a direct-debit payment, and a correction of type 3 (flag at
    // position 88). Batch 2: a correction written as a direct-debit record, and one payment.
    DomesticBankFile f;
    f.batch()
        .payment(QStringLiteral("12345"), QStringLiteral("Viite"), 2000)
        .payment(QStringLiteral("1232"), QStringLiteral("Suora"), 4550, '5')
        .correction(QStringLiteral("12345"), QStringLiteral("Viite"), 2000)
        .summary();
    f.batch("261208").correction(QStringLiteral("1232"), QStringLiteral("Suora"), 4550, '5');
    f.payment(QStringLiteral("1245"), QStringLiteral("Kolmas"), 700).summary();
    const auto batches = read(f.bytes());
    ASSERT_EQ(batches.size(), 2u);
    const struct {
        std::vector<std::pair<const char*, const char*>> payments; // reference digits, cents
        const char *count, *sum, *corrections, *correctionSum;
    } expected[] = {
        {{{"12345", "2000"}, {"1232", "4550"}}, "2", "6550", "1", "2000"},
        {{{"1245", "700"}}, "1", "700", "1", "4550"},
    };
    for (std::size_t b = 0; b < 2; ++b) {
        const auto& batch = batches[b];
        ASSERT_EQ(batch.Payments.size(), expected[b].payments.size()) << b;
        for (std::size_t k = 0; k < batch.Payments.size(); ++k) {
            EXPECT_EQ(batch.Payments[k].Reference.toLongLong(), QByteArray(expected[b].payments[k].first).toLongLong());
            EXPECT_EQ(batch.Payments[k].AmountCents, QString::fromLatin1(expected[b].payments[k].second));
        }
        EXPECT_EQ(batch.Summary.PaymentCount, QString::fromLatin1(expected[b].count)) << b;
        EXPECT_EQ(batch.Summary.PaymentSum, QString::fromLatin1(expected[b].sum)) << b;
        EXPECT_EQ(batch.Summary.CorrectionCount, QString::fromLatin1(expected[b].corrections)) << b;
        EXPECT_EQ(batch.Summary.CorrectionSum, QString::fromLatin1(expected[b].correctionSum)) << b;
    }

    // A flag that is neither 0 nor 1 is refused, naming the line and the position.
    QByteArray odd = DomesticBankFile().batch().payment(QStringLiteral("12345"), QStringLiteral("X"), 100).lastLine();
    odd[87] = '7';
    DomesticBankFile bad;
    bad.batch().raw(odd).summary(1, 100);
    try {
        read(bad.bytes());
        ADD_FAILURE() << "a flag of 7 was read";
    } catch (const ReferencePaymentError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("rivillä 2 kohdassa 88"))) << e.message().toStdString();
    }
}

TEST_F(ReferencePaymentReaderTest, LineBreaksOfEveryKindAndNoneAtTheEnd)
{
    DomesticBankFile f;
    f.batch().payment(QStringLiteral("12345"), QStringLiteral("A"), 100).summary();
    for (const char* br : {"\r\n", "\n", "\r"}) {
        for (bool finalBreak : {true, false}) {
            const auto batches = read(f.bytes(br, finalBreak));
            ASSERT_EQ(batches.size(), 1u) << br << finalBreak;
            EXPECT_EQ(batches[0].Payments.size(), 1u);
            EXPECT_EQ(batches[0].Summary.PaymentSum, QStringLiteral("100"));
        }
    }
}

TEST_F(ReferencePaymentReaderTest, NamesInWindows1252SevenBitAndUtf8)
{
    struct Case {
        QByteArray name;
        QString expected;
    };
    const Case cases[] = {
        {QByteArray("\xC4ij\xE4l\xE4 \xD6"), QStringLiteral("Äijälä Ö")},      // Windows-1252
        {QByteArray("[ij{l{ \\\x5D}"), QStringLiteral("Äijälä ÖÅå")},          // 7-bit national
        {QByteArray("\xC3\x84ij\xC3\xA4l\xC3\xA4"), QStringLiteral("Äijälä")}, // UTF-8
    };
    for (const Case& c : cases) {
        DomesticBankFile f;
        f.batch();
        QByteArray record = QByteArray("3") + QByteArray("12345600012345261205261204") + QByteArray("2612041234AB5678")
                            + QByteArray("00000000000000012345");
        QByteArray name = c.name;
        // The field is 12 characters; a UTF-8 letter takes two bytes but one character.
        const int characters = QString::fromUtf8(c.name).size() < c.name.size() && c.expected == QStringLiteral("Äijälä")
                                   ? c.expected.size()
                                   : c.name.size();
        name += QByteArray(12 - characters, ' ');
        record += name + "1A" + "0000000100" + "0A ";
        f.raw(record).raw(QByteArray("9000001000000001000000000000000000000000000000000000").leftJustified(90, ' '));
        const auto batches = read(f.bytes());
        ASSERT_EQ(batches.size(), 1u);
        ASSERT_EQ(batches[0].Payments.size(), 1u);
        EXPECT_EQ(batches[0].Payments[0].PayerName, c.expected);
    }
}

TEST_F(ReferencePaymentReaderTest, DamagedFilesAreRefusedNamingTheLine)
{
    struct Case {
        const char* what;
        std::function<QByteArray()> file;
        int line;
    };
    const auto good = [] {
        DomesticBankFile f;
        f.batch()
            .payment(QStringLiteral("12345"), QStringLiteral("A"), 100)
            .payment(QStringLiteral("1232"), QStringLiteral("B"), 200);
        return f;
    };
    // The good file with its summary, one byte changed.
    const auto changed = [&](int at, char c) {
        return [=] {
            QByteArray b = good().summary().bytes();
            b[at] = c;
            return b;
        };
    };
    const Case cases[] = {
        {"truncated record",
         [&] {
             QByteArray b = good().summary().bytes();
             b.remove(91 + 92 + 60, 30);
             return b;
         },
         3},
        {"amount not digits", changed(92 + 92 + 80, 'x'), 3},
        {"reference not digits", changed(92 + 50, 'K'), 2},
        {"payment date no date", changed(92 + 23, '9'), 2},
        {"summary count wrong", [&] { return good().summary(3, 300).bytes(); }, 4},
        {"summary sum wrong", [&] { return good().summary(2, 299).bytes(); }, 4},
        {"no summary", [&] { return good().bytes(); }, 1},
        {"second batch before the summary", [&] { return good().batch().summary().bytes(); }, 4},
        {"payment before a batch",
         [&] {
             DomesticBankFile f;
             f.batch().summary().payment(QStringLiteral("1"), {}, 1);
             return f.bytes();
         },
         3},
        {"unknown record", [&] { return good().raw(QByteArray(90, '7')).summary().bytes(); }, 4},
        {"too long", [&] { return good().raw(QByteArray("3") + QByteArray(95, '1')).summary().bytes(); }, 4},
        // Every break ends one line: LF CR is two, CR LF one; blank lines count too.
        {"after blank lines and mixed breaks",
         [&] {
             QByteArray b = good().bytes("\n");
             b.replace("\n3", "\n\r\n \r3");
             return b + "\r\n" + QByteArray(90, '7') + "\r\n";
         },
         9},
    };
    for (const Case& c : cases) {
        const QString message = refusal(c.file());
        ASSERT_FALSE(message.isEmpty()) << c.what;
        EXPECT_TRUE(message.contains(QRegularExpression(QStringLiteral("rivi\\S* %1\\b").arg(c.line))))
            << c.what << ": " << message.toStdString();
    }
}

TEST_F(ReferencePaymentReaderTest, EmptyFileHasNoBatchesAndOtherFilesAreRefused)
{
    EXPECT_TRUE(read(QByteArray()).empty());
    EXPECT_TRUE(read(QByteArray("\r\n  \r\n")).empty());
    EXPECT_FALSE(refusal("Nimi;Summa\r\nVirtanen;12,34\r\n").isEmpty());
    EXPECT_THROW(ReferencePaymentReader().readFile(dir.filePath(QStringLiteral("puuttuu.dat"))), ReferencePaymentError);
}

// ---- camt.054

TEST_F(ReferencePaymentReaderTest, CamtNotificationsAreBatchesAndEntriesPayments)
{
    const QString first = camtNotification(
        QStringLiteral("2026-12-07T10:15:00+02:00"),
        camtEntry(QStringLiteral("12.34"),
                  {{QStringLiteral("12.34"), QStringLiteral("12345"), QStringLiteral("Äijälä Olli")}})
            + camtEntry(QStringLiteral("45.5"),
                        {{QStringLiteral("45.5"), QStringLiteral("RF18 1232"), QStringLiteral("Laine")}}));
    const QString second = camtNotification(
        QStringLiteral("2026-12-08T07:05:00"),
        camtEntry(QStringLiteral("1.00"), {{QStringLiteral("1.00"), QStringLiteral("00001232"), QStringLiteral("X")}}));
    const auto batches = read(camtDocument(first + second));
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[0].BatchDate, QStringLiteral("7.12.2026"));
    EXPECT_EQ(batches[0].BatchTime, QStringLiteral("10.15"));
    EXPECT_EQ(batches[0].BillerId, QStringLiteral("FI2112345600000785"));
    EXPECT_EQ(batches[0].BankGroupId, QStringLiteral("NDEAFIHH"));
    ASSERT_EQ(batches[0].Payments.size(), 2u);
    EXPECT_EQ(batches[0].Payments[0].Reference, QStringLiteral("12345"));
    EXPECT_EQ(batches[0].Payments[0].AmountCents, QStringLiteral("1234"));
    EXPECT_EQ(batches[0].Payments[0].PayerName, QStringLiteral("Äijälä Olli"));
    EXPECT_EQ(batches[0].Payments[1].Reference, QStringLiteral("RF18 1232"));
    EXPECT_EQ(batches[0].Payments[1].AmountCents, QStringLiteral("4550"));
    EXPECT_EQ(batches[0].Summary.PaymentCount, QStringLiteral("2"));
    EXPECT_EQ(batches[0].Summary.PaymentSum, QStringLiteral("5784"));
    ASSERT_EQ(batches[1].Payments.size(), 1u);
    EXPECT_EQ(batches[1].BatchDate, QStringLiteral("8.12.2026"));
}

TEST_F(ReferencePaymentReaderTest, CamtBatchBookingGivesEachTransaction)
{
    const QString entry = camtEntry(QStringLiteral("60.00"),
                                    {{QStringLiteral("10.00"), QStringLiteral("12345"), QStringLiteral("A")},
                                     {QStringLiteral("20.00"), QStringLiteral("1232"), QStringLiteral("B")},
                                     {QStringLiteral("30.00"), QStringLiteral("13"), QStringLiteral("C")}},
                                    true);
    const auto batches = read(camtDocument(camtNotification(QStringLiteral("2026-12-07T10:15:00"), entry)));
    ASSERT_EQ(batches.size(), 1u);
    ASSERT_EQ(batches[0].Payments.size(), 3u);
    EXPECT_EQ(batches[0].Payments[2].AmountCents, QStringLiteral("3000"));
    EXPECT_EQ(batches[0].Payments[2].PayerName, QStringLiteral("C"));
    EXPECT_EQ(batches[0].Summary.PaymentSum, QStringLiteral("6000"));
}

TEST_F(ReferencePaymentReaderTest, CamtReversalsAndDebitsAreNoPayments)
{
    const QString entries =
        camtEntry(QStringLiteral("10.00"), {{QStringLiteral("10.00"), QStringLiteral("12345"), QStringLiteral("A")}})
        + camtEntry(QStringLiteral("10.00"), {{QStringLiteral("10.00"), QStringLiteral("12345"), QStringLiteral("A")}},
                    false, QStringLiteral("DBIT"), true)
        + camtEntry(QStringLiteral("5.00"), {{QStringLiteral("5.00"), QStringLiteral("1232"), QStringLiteral("B")}}, false,
                    QStringLiteral("DBIT"));
    const auto batches = read(camtDocument(camtNotification(QStringLiteral("2026-12-07T10:15:00"), entries)));
    ASSERT_EQ(batches.size(), 1u);
    ASSERT_EQ(batches[0].Payments.size(), 1u);
    EXPECT_EQ(batches[0].Summary.CorrectionCount, QStringLiteral("1"));
    EXPECT_EQ(batches[0].Summary.CorrectionSum, QStringLiteral("1000"));
}

TEST_F(ReferencePaymentReaderTest, CamtDamageAndUnknownVersionsAreRefused)
{
    const QString ok = camtNotification(
        QStringLiteral("2026-12-07T10:15:00"),
        camtEntry(QStringLiteral("10.00"), {{QStringLiteral("10.00"), QStringLiteral("12345"), QStringLiteral("A")}}));
    struct Case {
        const char* what;
        QByteArray document;
        const char* mentions;
    };
    QByteArray broken = camtDocument(ok);
    broken.chop(30);
    const Case cases[] = {
        {"unknown version", camtDocument(ok, QStringLiteral("99")), "camt.054.001.99"},
        {"another message",
         QString::fromUtf8(camtDocument(ok)).replace(QStringLiteral("camt.054"), QStringLiteral("camt.053")).toUtf8(),
         "camt.053"},
        {"cut off", broken, "rivillä"},
        {"entry sum differs",
         camtDocument(camtNotification(
             QStringLiteral("2026-12-07T10:15:00"),
             camtEntry(QStringLiteral("10.00"), {{QStringLiteral("9.00"), QStringLiteral("1"), QStringLiteral("A")}}))),
         "ei täsmää"},
        {"transaction count differs",
         QString::fromUtf8(camtDocument(camtNotification(
                               QStringLiteral("2026-12-07T10:15:00"),
                               camtEntry(QStringLiteral("10.00"),
                                         {{QStringLiteral("10.00"), QStringLiteral("1"), QStringLiteral("A")}}, true))))
             .replace(QStringLiteral("<NbOfTxs>1"), QStringLiteral("<NbOfTxs>2"))
             .toUtf8(),
         "NbOfTxs"},
        {"amount no number",
         camtDocument(camtNotification(
             QStringLiteral("2026-12-07T10:15:00"),
             camtEntry(QStringLiteral("10,00"), {{QStringLiteral("10.00"), QStringLiteral("1"), QStringLiteral("A")}}))),
         "10,00"},
        {"foreign currency",
         QString::fromUtf8(camtDocument(ok)).replace(QStringLiteral("EUR"), QStringLiteral("SEK")).toUtf8(), "SEK"},
    };
    for (const Case& c : cases) {
        const QString message = refusal(c.document);
        ASSERT_FALSE(message.isEmpty()) << c.what;
        EXPECT_TRUE(message.contains(QString::fromUtf8(c.mentions))) << c.what << ": " << message.toStdString();
    }
}

TEST_F(ReferencePaymentReaderTest, NewerCamtVersionsNameTheDebtorInsideAParty)
{
    QString entry = camtEntry(QStringLiteral("10.00"),
                              {{QStringLiteral("10.00"), QStringLiteral("12345"), QStringLiteral("Virtanen")}});
    entry.replace(QStringLiteral("<Dbtr><Nm>Virtanen</Nm></Dbtr>"),
                  QStringLiteral("<Dbtr><Pty><Nm>Virtanen</Nm></Pty></Dbtr>"));
    const auto batches = read(
        camtDocument(camtNotification(QStringLiteral("2026-12-07T10:15:00"), entry), QStringLiteral("08")));
    ASSERT_EQ(batches.size(), 1u);
    ASSERT_EQ(batches[0].Payments.size(), 1u);
    EXPECT_EQ(batches[0].Payments[0].PayerName, QStringLiteral("Virtanen"));
}

// Random damage to valid files: every outcome is either batches whose values keep their promises
// or a refusal; nothing else escapes and nothing is read beyond a record.
TEST_F(ReferencePaymentReaderTest, FuzzedFilesAreReadOrRefusedNeverAnythingElse)
{
    DomesticBankFile d;
    d.batch()
        .payment(QStringLiteral("12345"), QStringLiteral("Äijälä"), 1234)
        .correction(QStringLiteral("1232"), QStringLiteral("B"), 5, '5')
        .summary();
    d.batch("261208").payment(QStringLiteral(" 1 2 3 2"), QStringLiteral("C"), 99).summary();
    const QByteArray camt = camtDocument(
        camtNotification(QStringLiteral("2026-12-07T10:15:00"),
                         camtEntry(QStringLiteral("30.00"),
                                   {{QStringLiteral("10.00"), QStringLiteral("RF18 1232"), QStringLiteral("A")},
                                    {QStringLiteral("20.00"), QStringLiteral("12345"), QStringLiteral("B")}},
                                   true)));
    const QByteArray samples[] = {d.bytes(), camt};
    std::mt19937 random(20261207);
    const auto pick = [&](int n) { return int(random() % unsigned(std::max(1, n))); };
    static const char alphabet[] = "0123456789 <>/\r\n9x\xC4\x80\xFF";
    const ReferencePaymentReader reader;
    int read = 0;
    for (int round = 0; round < 40000; ++round) {
        QByteArray b = samples[round % 2];
        for (int k = 1 + pick(4); k > 0 && !b.isEmpty(); --k) {
            switch (pick(5)) {
            case 0: b[pick(b.size())] = alphabet[pick(sizeof alphabet - 1)]; break;
            case 1: b.remove(pick(b.size()), 1 + pick(40)); break;
            case 2: b.insert(pick(b.size()), QByteArray(1 + pick(3), alphabet[pick(sizeof alphabet - 1)])); break;
            case 3: b.truncate(pick(b.size())); break;
            default: b.insert(pick(b.size()), b.mid(pick(b.size()), pick(120))); break;
            }
        }
        try {
            for (const ReferencePaymentBatch& batch : reader.readBytes(b)) {
                for (const ReferencePayment& p : batch.Payments) {
                    ASSERT_FALSE(p.AmountCents.isEmpty());
                    for (QChar c : p.AmountCents)
                        ASSERT_TRUE(c.isDigit());
                    ASSERT_LE(p.PayerName.size(), 140);
                }
            }
            ++read;
        } catch (const ReferencePaymentError& e) {
            ASSERT_FALSE(e.message().isEmpty());
        }
    }
    EXPECT_GT(read, 0);
}

} // namespace
