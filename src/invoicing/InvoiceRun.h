#pragma once

#include "db/Database.h"
#include "invoicing/InvoiceRecipients.h"

#include <QString>
#include <array>
#include <functional>

namespace tikkeli {

// What the invoicing window hands to a run: its boxes as typed.
struct InvoiceRunRequest {
    RecipientKind kind = RecipientKind::All;
    qint64 id = 0;                  // piID for a feature, jrID for a member
    bool others = false;            // "Muille kuin ...": the members without the feature / not landowners
    bool personalReference = false; // the member's own reference where one is stored
    bool noReference = false;       // "Ilman viitettä": the invoice stores no reference
    bool feeInvoice = false;        // "Tee jäsenmaksuna"
    QString title;
    QString invoiceDate;
    QString dueDate;
    QString giroText;
    QString runText;
    QString total;
    struct Row {
        bool ticked = false;
        QString text;
        QString price;
    };
    std::array<Row, 4> rows;
};

// The box a refused request sends the focus to.
enum class RunField { None, Title, InvoiceDate, DueDate, Total };

struct RunCheck {
    QString message; // empty when the request may run
    RunField focus = RunField::None;
    bool ok() const { return message.isEmpty(); }
};

struct InvoiceRunResult {
    int added = 0;
    QString message;              // "Lisätty 3 laskua." or why nothing was written
    bool shortReferences = false; // some reference is shorter than the banks' four digits
};

// The invoice run: one invoice with its rows per recipient, numbered from the counter, all in one
// transaction with the counter, the fee flags and the selection flags: either all of it is written
// or nothing.
class InvoiceRun {
public:
    explicit InvoiceRun(Database db) : m_db(std::move(db)) {}

    // The checks before anything is written, in order; the first refusal.
    RunCheck check(const InvoiceRunRequest& request);

    // Called after each invoice with the number done and the number of recipients.
    using Progress = std::function<void(int done, int total)>;
    // Checks first (a refusal comes back as the message, nothing written). A storage error throws
    // DbException after the transaction was rolled back; the shared counter moves only when the
    // run was committed.
    InvoiceRunResult run(const InvoiceRunRequest& request, const Progress& progress = {});

    // "Lisätty 1 lasku." / "Lisätty N laskua."
    static QString addedMessage(int count);
    static const QString& noRecipientsMessage();
    static const QString& shortReferenceNote();
    // A due date before the invoice date is no error, but seldom meant: the window asks first.
    static bool dueBeforeInvoiceDate(const InvoiceRunRequest& request);
    static const QString& dueBeforeInvoiceDateQuestion();
    // Heads the refusal of a run whose numbers another program took while this one waited.
    static const QString& otherRunFirstMessage();

private:
    // The checks that depend on the database rather than on the form: an empty jm, and a stored
    // counter above every number in use.
    RunCheck checkNumbers();

    Database m_db;
};

} // namespace tikkeli
