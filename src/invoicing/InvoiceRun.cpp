#include "invoicing/InvoiceRun.h"

#include "base/NullConversions.h"
#include "db/ClubChanges.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "db/Transaction.h"
#include "invoicing/InvoiceHistory.h"
#include "invoicing/InvoiceInput.h"
#include "invoicing/InvoiceNumbering.h"
#include "invoicing/InvoiceRecords.h"
#include "invoicing/ReferencePaymentMatcher.h"
#include "base/ReferenceNumber.h"
#include "base/SharedState.h"
#include "members/FeatureHolders.h"

#include <limits>
#include <unordered_set>

namespace tikkeli {

namespace {

QString rowMessage(int row, const char* tail)
{
    return QStringLiteral("Laskurivillä: #") + QString::number(row) + QString::fromUtf8(tail);
}

// Members without a surname are kept out of every run, as they are out of the recipient list.
const QString OrderByName = QStringLiteral(" ORDER BY jrSukunimi, jrEtunimi, jrID");

} // namespace

QString InvoiceRun::addedMessage(int count)
{
    if (count == 1)
        return QStringLiteral("Lisätty 1 lasku.");
    return QStringLiteral("Lisätty ") + QString::number(count) + QStringLiteral(" laskua.");
}

const QString& InvoiceRun::noRecipientsMessage()
{
    static const QString text = QStringLiteral("Ei löydy jäseniä, joille voi tehdä laskun.");
    return text;
}

bool InvoiceRun::dueBeforeInvoiceDate(const InvoiceRunRequest& r)
{
    const auto invoiceDate = InvoiceInput::parseDate(r.invoiceDate);
    const auto dueDate = InvoiceInput::parseDate(r.dueDate);
    return invoiceDate && dueDate && *dueDate < *invoiceDate;
}

const QString& InvoiceRun::dueBeforeInvoiceDateQuestion()
{
    static const QString text = QStringLiteral("Eräpäivä on ennen laskun päivää. Lisätäänkö laskut silti?");
    return text;
}

const QString& InvoiceRun::otherRunFirstMessage()
{
    static const QString text = QStringLiteral("Toinen ohjelma lisäsi juuri laskuja samaan tietokantaan, joten tätä "
                                               "laskuajoa ei tehty.\r\n\r\n");
    return text;
}

const QString& InvoiceRun::shortReferenceNote()
{
    static const QString text = QStringLiteral("Huom: viitteitä alle 4 numeroa (laskut 1-99), pankki ei hyväksy.");
    return text;
}

RunCheck InvoiceRun::checkNumbers()
{
    if (InvoiceHistory::CountRunInvoices(m_db) != 0)
        return {QStringLiteral("Siirrä jo tehdyt maksut ensin historiaan tai poista maksut ennen lisäystä!")};
    const qint32 largest = InvoiceNumbering::LargestInvoiceNumber(m_db);
    const qint32 counter = InvoiceNumbering::storedCounter(m_db);
    if (counter <= largest)
        return {QStringLiteral("Tietokannasta löytyy jo isompi laskunumero (") + QString::number(largest)
                + QStringLiteral(") kuin numero jota ollaan lisäämässä (") + QString::number(counter)
                + QStringLiteral(
                    ")\r\n\r\nMuuta laskunumero Tikkelin asetuksiin ennen laskujen lisäystä, ensimmäinen kelvollinen on ")
                + QString::number(qint64(largest) + 1)};
    return {};
}

RunCheck InvoiceRun::check(const InvoiceRunRequest& r)
{
    if (RunCheck numbers = checkNumbers(); !numbers.ok())
        return numbers;
    if (r.title.size() > 30)
        return {QStringLiteral("Otsaketekstin tulee olla korkeintaan 30 merkkiä pitkä."), RunField::Title};
    if (!InvoiceInput::parseDate(r.invoiceDate))
        return {QStringLiteral("Laskun päivämäärä on väärin kirjoitettu."), RunField::InvoiceDate};
    if (!InvoiceInput::parseDate(r.dueDate))
        return {QStringLiteral("Laskun eräpäivä on väärin kirjoitettu."), RunField::DueDate};
    bool anyRow = false;
    for (int i = 0; i < int(r.rows.size()); ++i) {
        const auto& row = r.rows[std::size_t(i)];
        if (!row.ticked)
            continue;
        anyRow = true;
        if (row.text.isEmpty())
            return {rowMessage(i + 1, " pitää olla aiheteksti.")};
        if (!InvoiceInput::parseMoney(row.price))
            return {rowMessage(i + 1, " pitää olla hinta.")};
    }
    if (!anyRow)
        return {QStringLiteral("Laskua ei voida tehdä ilman laskurivitietoa.")};
    // A total typed over by hand is checked with the rest, before anything is written.
    const std::optional<Currency> total = InvoiceInput::parseMoney(r.total);
    if (!total)
        return {QStringLiteral("Syötetyn summan muoto ei ole kelvollinen."), RunField::Total};
    // A transfer form and its bar code cannot ask for a negative sum.
    if (*total < Currency())
        return {QStringLiteral("Laskun summa ei voi olla negatiivinen."), RunField::Total};
    return {};
}

InvoiceRunResult InvoiceRun::run(const InvoiceRunRequest& r, const Progress& progress)
{
    InvoiceRunResult result;
    const RunCheck refused = check(r);
    if (!refused.ok()) {
        result.message = refused.message;
        return result;
    }
    const QDate invoiceDate = *InvoiceInput::parseDate(r.invoiceDate);
    const QDate dueDate = *InvoiceInput::parseDate(r.dueDate);
    const Currency total = *InvoiceInput::parseMoney(r.total);

    Transaction transaction(m_db);
    // The checks above ran before the write lock was taken; another program on the same database
    // may have made its run since. Checked again under the lock, the counter read here is the one
    // this run steps, so two programs never hand out the same numbers.
    if (const RunCheck numbers = checkNumbers(); !numbers.ok()) {
        result.message = otherRunFirstMessage() + numbers.message;
        return result;
    }
    const qint64 runTextId = InvoiceRecords::CreateRunText(m_db, r.runText);
    InvoiceNumbering::AdvanceInvoiceIdSeed(m_db);

    std::vector<InvoiceMember> recipients;
    const auto take = [&](const QString& where, const Params& params = {}) {
        Recordset rs = m_db.openRecordset(QStringLiteral("SELECT ") + InvoiceRecords::memberColumns()
                                              + QStringLiteral(" FROM jr WHERE jrSukunimi IS NOT NULL AND ") + where
                                              + OrderByName,
                                          RecordsetType::Snapshot, params);
        for (; !rs.eof(); rs.moveNext())
            recipients.push_back(InvoiceRecords::memberFromRow(rs));
    };
    switch (r.kind) {
    case RecipientKind::All: take(QStringLiteral("1 = 1")); break;
    case RecipientKind::Landowners:
        take(r.others ? QStringLiteral("jrMaanomistaja = False") : QStringLiteral("jrMaanomistaja = True"));
        break;
    case RecipientKind::Feature: {
        // The run leaves its choice in the selection flags, as the member lists read them.
        m_db.execute(QStringLiteral("UPDATE jr SET jrMukaan = True"));
        const Params feature{Value(r.id)};
        if (r.others) {
            m_db.execute(QStringLiteral("UPDATE jr SET jrMukaan = False WHERE ") + FeatureHolders::condition(), feature);
            take(QStringLiteral("jrMukaan = True"));
        } else {
            // One row per member, however many values of the feature the member holds.
            take(QStringLiteral("jrMukaan = True AND ") + FeatureHolders::condition(), feature);
        }
        break;
    }
    case RecipientKind::Member:
        if (auto m = InvoiceRecords::readMember(m_db, r.id))
            recipients.push_back(*m);
        break;
    }
    if (recipients.empty()) {
        result.message = noRecipientsMessage();
        return result; // rolled back: a run without invoices leaves no trace
    }

    qint32 counter = InvoiceNumbering::storedCounter(m_db);
    std::unordered_set<qint64> invoiced;
    int done = 0;
    for (const InvoiceMember& member : recipients) {
        if (!invoiced.insert(member.id).second)
            continue;
        InvoiceRecord invoice;
        invoice.memberId = member.id;
        invoice.dueDate = dueDate;
        invoice.invoiceDate = invoiceDate;
        invoice.number = counter;
        const QString personal = NullToString(member.reference);
        // The own reference as the card holds it may carry blanks or leading zeros; the invoice
        // keeps it as the bank will send it back.
        const QString own = ReferencePaymentMatcher::historyReference(personal);
        invoice.reference = r.personalReference && !own.isEmpty() ? own : ReferenceNumber::fromInvoiceNumber(counter);
        invoice.total = total;
        invoice.giroText = r.giroText;
        invoice.title = r.title;
        invoice.runTextId = runTextId;
        invoice.noReference = r.noReference;
        invoice.feeInvoice = r.feeInvoice;
        if (!r.noReference && invoice.reference.size() < 4)
            result.shortReferences = true;
        const qint64 invoiceId = InvoiceRecords::CreateInvoiceRecord(m_db, invoice, member);
        for (const auto& row : r.rows)
            if (row.ticked)
                InvoiceRecords::CreateInvoiceRow(m_db, member.id, invoiceId, runTextId, invoiceDate,
                                                 InvoiceInput::parseMoney(row.price), row.text);
        if (r.feeInvoice) {
            m_db.execute(QStringLiteral("UPDATE jr SET jrJasenmaksu = False WHERE jrID = ?"), {Value(member.id)});
            ClubChanges::announce(m_db, ClubChanges::Kind::Members);
        }
        if (counter == std::numeric_limits<qint32>::max())
            throw DbException(DbErr::Overflow, QStringLiteral("Ylivuoto"));
        ++counter;
        ++done;
        if (progress)
            progress(done, int(recipients.size()));
    }
    InvoiceNumbering::storeCounter(m_db, counter);
    const int count = InvoiceHistory::CountRunInvoices(m_db);
    transaction.commit();
    State().InvoiceNumberCounter = counter;
    result.added = count;
    result.message = addedMessage(count);
    return result;
}

} // namespace tikkeli
