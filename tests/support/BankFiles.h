#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tikkeli::test {

// Writes domestic reference-payment files record by record, the way a bank lays them out
// (90 characters, 1-based positions, Windows-1252), keeping the batch's totals for its summary.
class DomesticBankFile {
public:
    DomesticBankFile& batch(const char* yymmdd = "261207", const char* hhmm = "1030", const char* bank = "47",
                            const char* biller = "123456789")
    {
        QByteArray r = blank();
        put(r, 1, "0");
        put(r, 2, yymmdd);
        put(r, 8, hhmm);
        put(r, 12, bank);
        put(r, 14, biller);
        put(r, 23, "1");
        line(r);
        m_count = m_sum = m_ccount = m_csum = 0;
        return *this;
    }
    // reference: the 20-character field as written (zero-filled, or with blanks). type '3' is a
    // reference payment, '5' a direct-debit payment; a correction has "1" at position 88.
    DomesticBankFile& payment(const QString& reference, const QString& name, qint64 cents, char type = '3',
                              bool correction = false)
    {
        QByteArray r = blank();
        put(r, 1, QByteArray(1, type));
        put(r, 2, "12345600012345");
        put(r, 16, "261205");
        put(r, 22, "261204");
        put(r, 28, "2612041234AB5678");
        put(r, 44, reference.rightJustified(20, QLatin1Char('0')).toLatin1());
        put(r, 64, name.left(12).toLatin1());
        put(r, 76, "1");
        put(r, 77, "A");
        put(r, 78, QByteArray::number(cents).rightJustified(10, '0'));
        put(r, 88, correction ? "1" : "0");
        put(r, 89, "A");
        put(r, 90, " ");
        line(r);
        if (correction) {
            ++m_ccount;
            m_csum += cents;
        } else {
            ++m_count;
            m_sum += cents;
        }
        return *this;
    }
    // The summary of the batch; a negative value takes the true total.
    DomesticBankFile& summary(qint64 count = -1, qint64 sum = -1, qint64 failed = 0)
    {
        QByteArray r = blank();
        put(r, 1, "9");
        put(r, 2, QByteArray::number(count < 0 ? m_count : count).rightJustified(6, '0'));
        put(r, 8, QByteArray::number(sum < 0 ? m_sum : sum).rightJustified(11, '0'));
        put(r, 19, QByteArray::number(m_ccount).rightJustified(6, '0'));
        put(r, 25, QByteArray::number(m_csum).rightJustified(11, '0'));
        put(r, 36, QByteArray::number(failed).rightJustified(6, '0'));
        put(r, 42, QByteArray::number(failed * 100).rightJustified(11, '0'));
        line(r);
        return *this;
    }
    DomesticBankFile& correction(const QString& reference, const QString& name, qint64 cents, char type = '3')
    {
        return payment(reference, name, cents, type, true);
    }
    DomesticBankFile& raw(const QByteArray& record)
    {
        line(record);
        return *this;
    }
    QByteArray bytes(const char* lineBreak = "\r\n", bool finalBreak = true) const
    {
        QByteArray out = m_lines.join(lineBreak);
        if (finalBreak)
            out += lineBreak;
        return out;
    }
    QByteArray lastLine() const { return m_lines.last(); }

private:
    static QByteArray blank() { return QByteArray(90, ' '); }
    static void put(QByteArray& r, int position, const QByteArray& text) { r.replace(position - 1, text.size(), text); }
    void line(const QByteArray& r) { m_lines.append(r); }

    QByteArrayList m_lines;
    qint64 m_count = 0, m_sum = 0, m_ccount = 0, m_csum = 0;
};

// A camt.054 notification document around the given Ntfctn elements.
inline QByteArray camtDocument(const QString& notifications, const QString& version = QStringLiteral("02"))
{
    return (QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.054.001.%1\">\n"
                           "<BkToCstmrDbtCdtNtfctn>\n"
                           "<GrpHdr><MsgId>M1</MsgId><CreDtTm>2026-12-07T08:00:00</CreDtTm></GrpHdr>\n")
                .arg(version)
            + notifications + QStringLiteral("</BkToCstmrDbtCdtNtfctn>\n</Document>\n"))
        .toUtf8();
}

inline QString camtNotification(const QString& created, const QString& entries)
{
    return QStringLiteral("<Ntfctn><Id>N</Id><CreDtTm>%1</CreDtTm>\n"
                          "<Acct><Id><IBAN>FI2112345600000785</IBAN></Id>"
                          "<Svcr><FinInstnId><BIC>NDEAFIHH</BIC></FinInstnId></Svcr></Acct>\n")
               .arg(created)
           + entries + QStringLiteral("</Ntfctn>\n");
}

struct CamtTx {
    QString amount;
    QString reference;
    QString name;
};

// One credit entry; several transactions make a batch booking.
inline QString camtEntry(const QString& amount, const QList<CamtTx>& txs, bool batchCount = false,
                         const QString& direction = QStringLiteral("CRDT"), bool reversal = false)
{
    QString s = QStringLiteral("<Ntry><Amt Ccy=\"EUR\">%1</Amt><CdtDbtInd>%2</CdtDbtInd>%3<Sts>BOOK</Sts>"
                               "<BookgDt><Dt>2026-12-05</Dt></BookgDt><AcctSvcrRef>A1</AcctSvcrRef>\n<NtryDtls>")
                    .arg(amount, direction, reversal ? QStringLiteral("<RvslInd>true</RvslInd>") : QString());
    if (batchCount)
        s += QStringLiteral("<Btch><NbOfTxs>%1</NbOfTxs></Btch>").arg(txs.size());
    for (const CamtTx& tx : txs)
        s += QStringLiteral("<TxDtls><Refs><AcctSvcrRef>T-%1</AcctSvcrRef></Refs>"
                            "<AmtDtls><TxAmt><Amt Ccy=\"EUR\">%2</Amt></TxAmt></AmtDtls>"
                            "<RltdPties><Dbtr><Nm>%3</Nm></Dbtr></RltdPties>"
                            "<RmtInf><Strd><CdtrRefInf><Tp><CdOrPrtry><Cd>SCOR</Cd></CdOrPrtry></Tp>"
                            "<Ref>%1</Ref></CdtrRefInf></Strd></RmtInf></TxDtls>\n")
                 .arg(tx.reference, tx.amount, tx.name);
    return s + QStringLiteral("</NtryDtls></Ntry>\n");
}

} // namespace tikkeli::test
