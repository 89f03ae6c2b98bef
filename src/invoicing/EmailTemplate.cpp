#include "invoicing/EmailTemplate.h"

#include "base/NullConversions.h"
#include "base/FileSafety.h"
#include "base/OutsideTextFile.h"
#include "base/Prompter.h"
#include "base/SharedState.h"
#include "db/Recordset.h"
#include "settings/SettingsLoader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <QHash>

#include <functional>

namespace tikkeli {

namespace {

const QString crlf = QStringLiteral("\r\n");

// A template read whole, or the reason it could not be: a read that fails or comes back short
// would send every e-mail without its rows, total, reference and account.
std::optional<QString> readTemplateFile(const QString& path, QString* why)
{
    if (path.isEmpty())
        return std::nullopt;
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return std::nullopt;
    QByteArray bytes;
    if (const auto e = FileSafety::instance().readFile(path, bytes, EmailTemplate::MaxTemplateBytes)) {
        if (why)
            *why = QStringLiteral("Tiedostoa %1 ei voitu lukea: %2.").arg(QDir::toNativeSeparators(path), e->text());
        return std::nullopt;
    }
    const QString text = EmailTemplate::decodeTemplate(bytes);
    if (const auto wide = EmailTemplate::tooWideField(text)) {
        if (why)
            *why = QStringLiteral("Tiedostossa %1 kentän %2 leveys on liian suuri; kentän leveys voi olla enintään %3 "
                                  "merkkiä.")
                       .arg(QDir::toNativeSeparators(path), *wide)
                       .arg(EmailTemplate::MaxFieldWidth);
        return std::nullopt;
    }
    return text;
}

struct TemplateKind {
    QString SharedState::*path;
    QString (*defaultPath)();
    void (*resetPath)();
    const char* question;
};

bool loadTemplate(const TemplateKind& kind, QString& text, QString* why)
{
    QString& path = State().*kind.path;
    if (QFileInfo::exists(path)) {
        // A file that is there but cannot be read is a failure of its own, not a missing file.
        if (auto t = readTemplateFile(path, why)) {
            text = *t;
            return true;
        }
        return false;
    }
    if (Prompter::instance().message(QString::fromUtf8(kind.question), MsgIcon::Question, MsgButtons::YesNo,
                                     State().ProgramTitle)
        != MsgResult::Yes)
        return false;
    const QString fallback = kind.defaultPath();
    auto t = readTemplateFile(fallback, why);
    if (!t)
        return false;
    kind.resetPath();
    path = fallback;
    text = *t;
    return true;
}

QString fieldText(const Recordset& rs, const QString& name)
{
    return rs.field(name).isNull() ? QString() : NullToString(rs.field(name));
}

QString dateText(const Value& v)
{
    return v.isNull() ? QString() : EmailTemplate::formatShortDate(v.toDate());
}

QString amountOrZero(const Value& v)
{
    return EmailTemplate::formatAmount(v.isNull() ? Currency() : v.toCurrency());
}

// The values of one fill by field name in capitals. Each occurrence of a field takes the value as
// the previous occurrence left it (cut or padded to its width), as templates have always been filled.
using FieldValues = QHash<QString, QString>;

struct Placeholder {
    QString name; // in capitals
    int width = 0;
    qsizetype end = 0; // just past the '>'
};

// The placeholder "<NAME:width>" that starts at text[at] ('<'), when it is one: a name of letters
// and digits, a width of one to six digits with blanks around it allowed. The scan stops at the
// first character that cannot belong to it, so a pass over the text stays linear.
std::optional<Placeholder> placeholderAt(QStringView text, qsizetype at)
{
    const qsizetype n = text.size();
    qsizetype i = at + 1;
    while (i < n && text[i].isLetterOrNumber())
        ++i;
    if (i == at + 1 || i >= n || text[i] != u':')
        return std::nullopt;
    Placeholder p;
    p.name = text.mid(at + 1, i - at - 1).toString().toUpper();
    ++i;
    while (i < n && text[i].isSpace())
        ++i;
    const qsizetype digits = i;
    while (i < n && i - digits < 7 && text[i].unicode() >= u'0' && text[i].unicode() <= u'9')
        ++i;
    if (i == digits || i - digits > 6)
        return std::nullopt;
    p.width = text.mid(digits, i - digits).toInt();
    while (i < n && text[i].isSpace())
        ++i;
    if (i >= n || text[i] != u'>')
        return std::nullopt;
    p.end = i + 1;
    return p;
}

// One pass over the text: every placeholder of a field in values becomes its value; anything else
// stays as written, and an inserted value is never read again.
void fillInto(QString& out, QStringView text, FieldValues& values)
{
    qsizetype i = 0;
    for (;;) {
        const qsizetype at = text.indexOf(u'<', i);
        if (at < 0)
            break;
        out += text.mid(i, at - i);
        const auto p = placeholderAt(text, at);
        const auto value = p ? values.find(p->name) : values.end();
        if (value == values.end()) {
            out += u'<';
            i = at + 1;
            continue;
        }
        if (value->size() > p->width)
            value->truncate(p->width);
        else
            *value = value->leftJustified(p->width, u' ');
        out += *value;
        i = p->end;
    }
    out += text.mid(i);
}

QString filled(QStringView text, FieldValues values)
{
    QString out;
    out.reserve(text.size());
    fillInto(out, text, values);
    return out;
}

// The text with its row block repeated for each row and every other field filled, in one pass.
// The block's tags stand on lines of their own: the opening tag's line break and the break ending
// the last row line belong to no row, and the closing tag takes its line break and one empty line.
QString fillWithRows(const QString& text, FieldValues values, const QList<cInvoiceRow>& rows)
{
    const QString openTag = QStringLiteral("<LASKURIVIT>");
    const QString closeTag = QStringLiteral("</LASKURIVIT>");
    const qsizetype p = text.indexOf(openTag, 0, Qt::CaseInsensitive);
    const qsizetype q = text.indexOf(closeTag, 0, Qt::CaseInsensitive);
    QString out;
    out.reserve(text.size());
    if (p < 0 || q < 0 || q <= p) {
        fillInto(out, text, values);
        return out;
    }
    const QStringView view(text);
    const qsizetype rowStart = p + openTag.size() + 2;
    const qsizetype rowLength = q - 2 - rowStart;
    fillInto(out, view.left(p), values);
    QString rowTemplate;
    if (rowLength > 0)
        fillInto(rowTemplate, view.mid(rowStart, rowLength), values);
    for (const cInvoiceRow& row : rows) {
        FieldValues rowValues{{QStringLiteral("RIVIPVM"), row.RiviPvm},
                              {QStringLiteral("RIVIAIHE"), row.RiviAihe},
                              {QStringLiteral("SUMMA"), row.RiviSumma}};
        fillInto(out, rowTemplate, rowValues);
        out += crlf + crlf;
    }
    const qsizetype tail = q + closeTag.size() + 4;
    if (tail < text.size())
        fillInto(out, view.mid(tail), values);
    return out;
}

void addInvoicerFields(FieldValues& v)
{
    const SharedState& s = State();
    v.insert(QStringLiteral("LASKUTTAJANNIMI"), s.ClubName);
    v.insert(QStringLiteral("LASKUTTAJANOSOITE"), s.ClubAddress);
    v.insert(QStringLiteral("LASKUTTAJANPOSTINRO"), s.ClubPostalCode);
    v.insert(QStringLiteral("LASKUTTAJANPOSTITOIMI"), s.ClubPostOffice);
    v.insert(QStringLiteral("LASKUTTAJANPUH"), s.ClubPhone);
    v.insert(QStringLiteral("LASKUTTAJANFAX"), s.ClubFax);
    v.insert(QStringLiteral("LASKUTTAJANEMAIL"), s.SenderEmail);
}

void addPayerFields(FieldValues& v, const QString (&address)[6], const QString& memberNumber)
{
    for (int i = 0; i < 6; ++i)
        v.insert(QStringLiteral("MAKSAJANOSOITE") + QString::number(i + 1), address[i]);
    v.insert(QStringLiteral("JASENNRO"), memberNumber);
}

void addAccountFields(FieldValues& v, const QString& account1, const QString& account2)
{
    v.insert(QStringLiteral("LASKUTTAJANTILI1"), account1);
    v.insert(QStringLiteral("LASKUTTAJANTILI2"), account2);
}

void addInvoiceFields(FieldValues& v, const QString& dueDate, const QString& invoiceDate, const QString& invoiceNumber,
                      const QString& reference, const QString& title, const QString& total)
{
    v.insert(QStringLiteral("LASKUOTSAKE"), title);
    v.insert(QStringLiteral("LOPPUSUMMA"), total);
    v.insert(QStringLiteral("LASKUPAIVA"), invoiceDate);
    v.insert(QStringLiteral("ERAPAIVA"), dueDate);
    v.insert(QStringLiteral("VIITENUMERO"), reference);
    v.insert(QStringLiteral("LASKUNUMERO"), invoiceNumber);
}

void addReminderFields(FieldValues& v, const QString& openAmount, const QString& fee, const QString& interest,
                       const QString& total)
{
    v.insert(QStringLiteral("AVOINSUMMA"), openAmount);
    v.insert(QStringLiteral("HUOMAUTUSKULUT"), fee);
    v.insert(QStringLiteral("VIIVASTYSKORKO"), interest);
    v.insert(QStringLiteral("MUISTUTUKSENLOPPUSUMMA"), total);
}

// A line that holds nothing but an empty address line is left out, so the address stands whole
// whichever of its six lines an invoice uses.
QString dropEmptyAddressLines(QString text, const QString (&address)[6])
{
    for (int i = 0; i < 6; ++i) {
        if (!address[i].trimmed().isEmpty())
            continue;
        const QRegularExpression alone(
            QStringLiteral("(?:(?<=\\r\\n)|^)[ \\t]*<MAKSAJANOSOITE%1:[0-9]+>[ \\t]*\\r\\n").arg(i + 1),
            QRegularExpression::CaseInsensitiveOption);
        text.replace(alone, QString());
    }
    return text;
}

QString fillCommon(const QString& templ, const Recordset& rs, const QString& prefix, Database& db,
                   const std::function<void(FieldValues&)>& reminderFields, qint64 rowsOf)
{
    FieldValues values;
    addInvoicerFields(values);
    QString address[6];
    for (int i = 0; i < 6; ++i)
        address[i] = fieldText(rs, prefix + QStringLiteral("LaskOsoite") + QString::number(i + 1));
    const QString text = dropEmptyAddressLines(templ, address);
    addPayerFields(values, address, fieldText(rs, prefix + QStringLiteral("LaskJasennumero")));
    addAccountFields(values, EmailTemplate::accountText(State().BankAccount1, State().Iban1),
                     EmailTemplate::accountText(State().BankAccount2, State().Iban2));
    const Value number = rs.field(prefix + QStringLiteral("Laskunumero"));
    addInvoiceFields(values, dateText(rs.field(prefix + QStringLiteral("Erapaiva"))),
                     dateText(rs.field(prefix + QStringLiteral("Laskupaiva"))),
                     number.isNull() ? QString() : QString::number(number.toInt64()),
                     fieldText(rs, prefix + QStringLiteral("Viitenumero")), fieldText(rs, prefix + QStringLiteral("Otsake")),
                     amountOrZero(rs.field(prefix + QStringLiteral("Hinta"))));
    if (reminderFields)
        reminderFields(values);
    values.insert(QStringLiteral("LISATIETOTEKSTI"),
                  EmailTemplate::ReadInvoiceMessage(NullToLong(rs.field(prefix + QStringLiteral("meID"))), db));
    return EmailTemplate::withoutTrailingBlanks(
        fillWithRows(text, std::move(values), EmailTemplate::LoadInvoiceRows(rowsOf, db)));
}

} // namespace

bool EmailTemplate::LoadInvoiceTemplate(QString& text, QString* why)
{
    static const TemplateKind kind{&SharedState::InvoiceTemplatePath, &DefaultInvoiceTemplatePath, &ResetInvoiceTemplatePath,
                                   "Laskupohjaa ei löydy, yritetäänkö avata oletuslaskupohja?"};
    return loadTemplate(kind, text, why);
}

bool EmailTemplate::LoadReminderTemplate(QString& text, QString* why)
{
    static const TemplateKind kind{&SharedState::ReminderTemplatePath, &DefaultReminderTemplatePath,
                                   &ResetReminderTemplatePath,
                                   "Muistutuspohjaa ei löydy, yritetäänkö avata oletusmuistutuspohja?"};
    return loadTemplate(kind, text, why);
}

QString EmailTemplate::decodeTemplate(const QByteArray& bytes)
{
    // The row block's offsets count a two-character line break, so a file saved with bare LF
    // line ends is read as if it had CR LF ones.
    const QString text = OutsideTextFile::decode(bytes);
    QString out;
    out.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r'))
            out += u'\r';
        out += text[i];
    }
    return out;
}

QString EmailTemplate::ReplaceField(const QString& text, const QString& name, QString value)
{
    return filled(text, FieldValues{{name.toUpper(), std::move(value)}});
}

QString EmailTemplate::ExpandRowBlock(const QString& text, const QList<cInvoiceRow>& rows)
{
    return fillWithRows(text, {}, rows);
}

std::optional<QString> EmailTemplate::tooWideField(const QString& text)
{
    FieldValues known;
    addInvoicerFields(known);
    addPayerFields(known, {}, {});
    addAccountFields(known, {}, {});
    addInvoiceFields(known, {}, {}, {}, {}, {}, {});
    addReminderFields(known, {}, {}, {}, {});
    for (const char* name : {"LISATIETOTEKSTI", "RIVIPVM", "RIVIAIHE", "SUMMA"})
        known.insert(QLatin1String(name), {});
    for (qsizetype at = text.indexOf(u'<'); at >= 0; at = text.indexOf(u'<', at + 1)) {
        const auto p = placeholderAt(text, at);
        if (p && p->width > MaxFieldWidth && known.contains(p->name))
            return text.mid(at, p->end - at);
    }
    return std::nullopt;
}

QList<cInvoiceRow> EmailTemplate::LoadInvoiceRows(qint64 invoiceId, Database& db)
{
    QList<cInvoiceRow> rows;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM jmRivi WHERE jmRjmID = ? ORDER BY jmRID"),
                                    RecordsetType::Snapshot, {Value(invoiceId)});
    for (; !rs.eof(); rs.moveNext()) {
        cInvoiceRow row;
        row.RiviPvm = dateText(rs.field(QStringLiteral("jmRPaiva")));
        row.RiviAihe = fieldText(rs, QStringLiteral("jmRTeksti"));
        const Value amount = rs.field(QStringLiteral("jmRHinta"));
        row.RiviSumma = amount.isNull() ? QString() : formatAmount(amount.toCurrency());
        rows.push_back(row);
    }
    return rows;
}

QString EmailTemplate::ReadInvoiceMessage(qint64 messageId, Database& db)
{
    if (messageId == 0)
        return {};
    const Value v = db.scalar(QStringLiteral("SELECT meTeksti FROM me WHERE meID = ?"), {Value(messageId)});
    return v.isNull() ? QString() : v.toString();
}

QString EmailTemplate::ReplaceInvoicerFields(QString text)
{
    FieldValues v;
    addInvoicerFields(v);
    return filled(text, std::move(v));
}

QString EmailTemplate::ReplacePayerFields(QString text, const QString (&address)[6], const QString& memberNumber)
{
    FieldValues v;
    addPayerFields(v, address, memberNumber);
    return filled(dropEmptyAddressLines(text, address), std::move(v));
}

QString EmailTemplate::accountText(const QString& bankConnection, const QString& iban)
{
    const auto compact = [](QString t) { return t.remove(u' ').toUpper(); };
    const QString account = iban.trimmed();
    if (account.isEmpty() || compact(bankConnection).contains(compact(account)))
        return bankConnection;
    return bankConnection.trimmed().isEmpty() ? account : bankConnection.trimmed() + QLatin1Char(' ') + account;
}

QString EmailTemplate::withoutTrailingBlanks(const QString& text)
{
    static const QRegularExpression trailing(QStringLiteral("[ \t]+(?=\r\n|$)"));
    QString out = text;
    return out.replace(trailing, QString());
}

QString EmailTemplate::ReplaceAccountFields(QString text, const QString& account1, const QString& account2)
{
    FieldValues v;
    addAccountFields(v, account1, account2);
    return filled(text, std::move(v));
}

QString EmailTemplate::ReplaceInvoiceFields(QString text, const QString& dueDate, const QString& invoiceDate,
                                            const QString& invoiceNumber, const QString& reference, const QString& title,
                                            const QString& total)
{
    FieldValues v;
    addInvoiceFields(v, dueDate, invoiceDate, invoiceNumber, reference, title, total);
    return filled(text, std::move(v));
}

QString EmailTemplate::ReplaceReminderFields(QString text, const QString& openAmount, const QString& fee,
                                             const QString& interest, const QString& total)
{
    FieldValues v;
    addReminderFields(v, openAmount, fee, interest, total);
    return filled(text, std::move(v));
}

QString EmailTemplate::ReplaceMessageField(QString text, const QString& message)
{
    return ReplaceField(text, QStringLiteral("LISATIETOTEKSTI"), message);
}

QString EmailTemplate::FillInvoiceTemplate(const QString& templ, qint64 jmID, Database& db)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM jm WHERE jmID = ?"), RecordsetType::Snapshot,
                                    {Value(jmID)});
    if (rs.eof())
        return {};
    return fillCommon(templ, rs, QStringLiteral("jm"), db, {}, jmID);
}

QString EmailTemplate::FillReminderTemplate(const QString& templ, qint64 jmhID, Database& db)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM jmhist WHERE jmhID = ?"), RecordsetType::Snapshot,
                                    {Value(jmhID)});
    if (rs.eof())
        return {};
    const auto reminder = [&rs](FieldValues& v) {
        addReminderFields(v, amountOrZero(rs.field(QStringLiteral("jmhjmAvoinSumma"))),
                          amountOrZero(rs.field(QStringLiteral("jmhjmMuistutusKulut"))),
                          amountOrZero(rs.field(QStringLiteral("jmhjmMuistutusKorkoSumma"))),
                          amountOrZero(rs.field(QStringLiteral("jmhjmMuistutusYhteensa"))));
    };
    // The history row keeps the invoice's own id; its rows still point at it.
    return fillCommon(templ, rs, QStringLiteral("jmhjm"), db, reminder, NullToLong(rs.field(QStringLiteral("jmhjmID"))));
}

QString EmailTemplate::formatAmount(Currency amount)
{
    const Currency cents = amount.rounded(2);
    const std::int64_t raw = cents.raw();
    const bool negative = raw < 0;
    const std::uint64_t magnitude = negative ? std::uint64_t(-(raw + 1)) + 1 : std::uint64_t(raw);
    const std::uint64_t units = magnitude / std::uint64_t(Currency::Scale);
    const std::uint64_t hundredths = (magnitude % std::uint64_t(Currency::Scale)) / 100;
    QString digits = QString::number(units);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QChar(0x00A0));
    return (negative ? QStringLiteral("-") : QString()) + digits + QLatin1Char(',')
           + QStringLiteral("%1").arg(hundredths, 2, 10, QLatin1Char('0'));
}

QString EmailTemplate::formatShortDate(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("d.M.yyyy")) : QString();
}

} // namespace tikkeli
