#pragma once

#include "base/Currency.h"
#include "db/Database.h"

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

namespace tikkeli {

// One invoice row as the row block of a template shows it.
struct cInvoiceRow {
    QString RiviPvm; // short date, or empty
    QString RiviAihe;
    QString RiviSumma; // amount text, or empty
};

// The club's plain-text e-mail invoices and reminders: template files with fixed-width
// placeholders "<NAME:width>" filled from one invoice (jm) or one history row (jmhist).
class EmailTemplate {
public:
    // Reads the template named by the settings; when it is missing, offers the default file of the
    // program folder and, when accepted and present, stores its path in the settings. False when
    // no template could be read (the caller reports it, with why: the file and the reason when a
    // template is there but could not be read whole, or names a field too wide).
    static bool LoadInvoiceTemplate(QString& text, QString* why = nullptr);
    static bool LoadReminderTemplate(QString& text, QString* why = nullptr);
    // Larger than any e-mail template: refused unread.
    static constexpr qint64 MaxTemplateBytes = qint64(4) << 20;
    // The widest field a template may ask for; the shipped templates use up to 400.
    static constexpr int MaxFieldWidth = 1000;
    // The first placeholder of a known field wider than MaxFieldWidth, as written ("<LASKUOTSAKE:5000>").
    static std::optional<QString> tooWideField(const QString& text);
    // The text of a template file's bytes: UTF-8, else Windows-1252, with every line ending CR LF.
    static QString decodeTemplate(const QByteArray& bytes);

    // The filled text, each line without trailing blanks; empty when no row has the id.
    static QString FillInvoiceTemplate(const QString& templ, qint64 jmID, Database& db);
    static QString FillReminderTemplate(const QString& templ, qint64 jmhID, Database& db);

    static QList<cInvoiceRow> LoadInvoiceRows(qint64 invoiceId, Database& db);
    static QString ExpandRowBlock(const QString& text, const QList<cInvoiceRow>& rows);
    // Replaces every "<name:width>" (name without regard to case) by the value cut or padded to
    // width; each occurrence gets the value as the previous one left it.
    static QString ReplaceField(const QString& text, const QString& name, QString value);
    static QString ReadInvoiceMessage(qint64 messageId, Database& db);

    static QString ReplaceInvoicerFields(QString text);
    static QString ReplacePayerFields(QString text, const QString (&address)[6], const QString& memberNumber);
    static QString ReplaceAccountFields(QString text, const QString& account1, const QString& account2);
    static QString ReplaceInvoiceFields(QString text, const QString& dueDate, const QString& invoiceDate,
                                        const QString& invoiceNumber, const QString& reference, const QString& title,
                                        const QString& total);
    static QString ReplaceReminderFields(QString text, const QString& openAmount, const QString& fee,
                                         const QString& interest, const QString& total);
    static QString ReplaceMessageField(QString text, const QString& message);
    // What "Maksu tilille:" shows: the bank connection text of the settings, followed by the
    // account's IBAN when the text does not hold it already, so a payer always gets the account.
    static QString accountText(const QString& bankConnection, const QString& iban);
    static QString withoutTrailingBlanks(const QString& text);

    // Value forms: amounts with two decimals, a decimal comma and groups of three split by a
    // no-break space ("1 234,50"); dates as "5.3.2026" (empty for none).
    static QString formatAmount(Currency amount);
    static QString formatShortDate(const QDate& date);
};

} // namespace tikkeli
