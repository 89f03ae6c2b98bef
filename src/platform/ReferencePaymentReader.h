#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <stdexcept>
#include <vector>

namespace tikkeli {

// The totals a bank states for one batch: whole numbers as digit text, sums in cents.
struct ReferencePaymentSummary {
    QString PaymentCount = QStringLiteral("0");
    QString PaymentSum = QStringLiteral("0");
    QString CorrectionCount = QStringLiteral("0");
    QString CorrectionSum = QStringLiteral("0");
    QString FailedCount = QStringLiteral("0");
    QString FailedSum = QStringLiteral("0");
};

// One incoming payment. Reference is as the bank wrote it (leading zeros, blanks, or an RF
// reference); AmountCents holds digits only.
struct ReferencePayment {
    QString Reference;
    QString PayerName;
    QString AmountCents;
    QString ArchiveId;
    QString PaymentDate; // d.M.yyyy
};

struct ReferencePaymentBatch {
    QString BatchDate; // d.M.yyyy
    QString BatchTime; // hh.mm
    QString BankGroupId;
    QString BillerId;
    ReferencePaymentSummary Summary;
    // Only payments to be booked: corrections and reversals are counted in Summary and never
    // appear here, so they can never mark an invoice paid.
    std::vector<ReferencePayment> Payments;
};

// A file that cannot be read whole; what() is a Finnish message naming the line or element.
class ReferencePaymentError : public std::runtime_error {
public:
    explicit ReferencePaymentError(const QString& message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// Reads the files Finnish banks deliver incoming reference payments in: the domestic
// reference-payment file (90-character records: 0 batch, 3 reference payment, 5 direct-debit
// payment, 9 summary; position 88 marks a correction) and the ISO 20022 camt.054
// notification. The format is told by the content, not by the name. A file is read whole or not
// at all: any damage throws ReferencePaymentError and no batch is returned.
class ReferencePaymentReader {
public:
    // Larger than any file a bank delivers (tens of thousands of payments): refused unread.
    static constexpr qint64 MaxFileBytes = qint64(32) << 20;

    std::vector<ReferencePaymentBatch> readFile(const QString& path) const;
    std::vector<ReferencePaymentBatch> readBytes(const QByteArray& bytes) const;

    static std::vector<ReferencePaymentBatch> readDomestic(const QString& text);
    static std::vector<ReferencePaymentBatch> readCamt054(const QByteArray& bytes);
};

} // namespace tikkeli
