#include "platform/ReferencePaymentReader.h"
#include "support/BankFiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <malloc.h>

using namespace tikkeli;
using tikkeli::test::camtDocument;
using tikkeli::test::camtEntry;
using tikkeli::test::camtNotification;
using tikkeli::test::CamtTx;

namespace {

QString refusalOf(const QString& path)
{
    try {
        ReferencePaymentReader().readFile(path);
    } catch (const ReferencePaymentError& e) {
        return e.message();
    }
    return {};
}

QString write(const QTemporaryDir& dir, const QByteArray& bytes)
{
    const QString path = dir.filePath(QStringLiteral("pankki.xml"));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    return path;
}

QByteArray entriesDocument(const QString& entryAmount, const QString& txAmount, int transactions)
{
    QList<CamtTx> txs;
    for (int i = 0; i < transactions; ++i)
        txs << CamtTx{txAmount, QStringLiteral("1232"), QStringLiteral("A")};
    return camtDocument(camtNotification(QStringLiteral("2026-12-07T10:15:00"), camtEntry(entryAmount, txs)));
}

TEST(ReferencePaymentLimits, AFileLargerThanAnyBankFileIsRefusedUnread)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("suuri.dat"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("0");
        ASSERT_TRUE(f.resize(ReferencePaymentReader::MaxFileBytes + 1)); // sparse: nothing to read in it
    }
    QElapsedTimer clock;
    clock.start();
    const QString message = refusalOf(path);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_TRUE(message.contains(QStringLiteral("on liian suuri (33 Mt)"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("enintään 32 Mt"))) << message.toStdString();
}

// The process's resident memory (kB) as the kernel reports it.
qint64 statusKb(const char* key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qsizetype(strlen(key))).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// How much more memory the process held at its peak while reading, from a peak reset just before.
struct PeakMemory {
    qint64 before = 0;
    PeakMemory()
    {
        malloc_trim(0);
        QFile reset(QStringLiteral("/proc/self/clear_refs"));
        if (reset.open(QIODevice::WriteOnly))
            reset.write("5");
        before = statusKb("VmRSS:");
    }
    qint64 grownBytes() const { return (statusKb("VmHWM:") - before) * 1024; }
};

TEST(ReferencePaymentLimits, ANotificationIsHeldInASmallMultipleOfItsSize)
{
    QTemporaryDir dir;
    struct Case {
        const char* name;
        QByteArray bytes;
        bool refused;
    };
    const QByteArray head = camtDocument(camtNotification(QStringLiteral("2026-12-07T10:15:00"), QStringLiteral("@")));
    const qsizetype at = head.indexOf('@');
    const auto around = [&](const QByteArray& middle) { return head.left(at) + middle + head.mid(at + 1); };
    const Case cases[] = {
        // Elements the reader never looks at are read past; a file of little but empty entries is no bank's.
        {"unknown empty elements", around(QByteArray("<Ohje/>").repeated(1'500'000)), false},
        {"empty entries", around(QByteArray("<Ntry/>").repeated(1'500'000)), true},
        {"many real payments", entriesDocument(QStringLiteral("30000.00"), QStringLiteral("1.00"), 30000), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = write(dir, c.bytes);
        [[maybe_unused]] const qint64 size = QFileInfo(path).size();
        QString refusal;
        const PeakMemory memory;
        try {
            ReferencePaymentReader().readFile(path);
        } catch (const ReferencePaymentError& e) {
            refusal = e.message();
        }
        EXPECT_EQ(!refusal.isEmpty(), c.refused) << refusal.toStdString();
#ifndef __SANITIZE_ADDRESS__ // the sanitizer's own bookkeeping would be counted too
        EXPECT_LT(memory.grownBytes(), 5 * size) << "file of " << size << " bytes";
#endif
    }
}

TEST(ReferencePaymentLimits, AmountsPastAnyPaymentAndSumsThatWouldWrapAreRefused)
{
    QTemporaryDir dir;
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* mentions; // "" when the file is read
    };
    const Case cases[] = {
        {"the largest payment", entriesDocument(QStringLiteral("99999999.99"), QStringLiteral("99999999.99"), 1), ""},
        {"a cent more", entriesDocument(QStringLiteral("100000000.00"), QStringLiteral("100000000.00"), 1),
         "ristiriitainen"},
        // 18,447 transactions of 9,999,999,999,999.99 wrap a 64-bit sum of cents around to 1.00.
        {"huge transactions against a one euro entry",
         entriesDocument(QStringLiteral("1.00"), QStringLiteral("9999999999999.99"), 18447), "ristiriitainen"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString message = refusalOf(write(dir, c.bytes));
        if (*c.mentions == '\0')
            EXPECT_TRUE(message.isEmpty()) << message.toStdString();
        else
            EXPECT_TRUE(message.contains(QString::fromUtf8(c.mentions))) << message.toStdString();
    }
}

} // namespace
