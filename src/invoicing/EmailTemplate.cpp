#include "invoicing/EmailTemplate.h"

#include "base/NullConversions.h"
#include "base/OutsideTextFile.h"
#include "base/Prompter.h"
#include "base/SharedState.h"
#include "db/Recordset.h"
#include "settings/SettingsLoader.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <functional>

namespace tikkeli {

namespace {

const QString crlf = QStringLiteral("\r\n");

std::optional<QString> readTemplateFile(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return std::nullopt;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return EmailTemplate::decodeTemplate(f.readAll());
}

struct TemplateKind {
    QString SharedState::*path;
    QString (*defaultPath)();
    void (*resetPath)();
    const char* question;
};

bool loadTemplate(const TemplateKind& kind, QString& text)
{
    QString& path = State().*kind.path;
    if (QFileInfo::exists(path)) {
        // A file that is there but cannot be read is a failure of its own, not a missing file.
        if (auto t = readTemplateFile(path)) {
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
    auto t = readTemplateFile(fallback);
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

QString fillCommon(QString text, const Recordset& rs, const QString& prefix, Database& db,
                   const std::function<QString(QString)>& reminderStep, qint64 rowsOf)
{
    const QString message = EmailTemplate::ReadInvoiceMessage(NullToLong(rs.field(prefix + QStringLiteral("meID"))), db);
    text = EmailTemplate::ReplaceInvoicerFields(text);
    QString address[6];
    for (int i = 0; i < 6; ++i)
        address[i] = fieldText(rs, prefix + QStringLiteral("LaskOsoite") + QString::number(i + 1));
    text = EmailTemplate::ReplacePayerFields(text, address, fieldText(rs, prefix + QStringLiteral("LaskJasennumero")));
    text = EmailTemplate::ReplaceAccountFields(text, EmailTemplate::accountText(State().BankAccount1, State().Iban1),
                                               EmailTemplate::accountText(State().BankAccount2, State().Iban2));
    const Value number = rs.field(prefix + QStringLiteral("Laskunumero"));
    text = EmailTemplate::ReplaceInvoiceFields(text, dateText(rs.field(prefix + QStringLiteral("Erapaiva"))),
                                               dateText(rs.field(prefix + QStringLiteral("Laskupaiva"))),
                                               number.isNull() ? QString() : QString::number(number.toInt64()),
                                               fieldText(rs, prefix + QStringLiteral("Viitenumero")),
                                               fieldText(rs, prefix + QStringLiteral("Otsake")),
                                               amountOrZero(rs.field(prefix + QStringLiteral("Hinta"))));
    if (reminderStep)
        text = reminderStep(text);
    text = EmailTemplate::ExpandRowBlock(text, EmailTemplate::LoadInvoiceRows(rowsOf, db));
    return EmailTemplate::withoutTrailingBlanks(EmailTemplate::ReplaceMessageField(text, message));
}

} // namespace

bool EmailTemplate::LoadInvoiceTemplate(QString& text)
{
    static const TemplateKind kind{&SharedState::InvoiceTemplatePath, &DefaultInvoiceTemplatePath, &ResetInvoiceTemplatePath,
                                   "Laskupohjaa ei löydy, yritetäänkö avata oletuslaskupohja?"};
    return loadTemplate(kind, text);
}

bool EmailTemplate::LoadReminderTemplate(QString& text)
{
    static const TemplateKind kind{&SharedState::ReminderTemplatePath, &DefaultReminderTemplatePath,
                                   &ResetReminderTemplatePath,
                                   "Muistutuspohjaa ei löydy, yritetäänkö avata oletusmuistutuspohja?"};
    return loadTemplate(kind, text);
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
    const QString opening = QLatin1Char('<') + name + QLatin1Char(':');
    QString out = text;
    qsizetype from = 0;
    for (;;) {
        const qsizetype start = out.indexOf(opening, from, Qt::CaseInsensitive);
        if (start < 0)
            return out;
        const qsizetype close = out.indexOf(u'>', start);
        // An unfinished placeholder: the rest of the text stays as it is.
        if (close < 0)
            return out;
        const qsizetype widthAt = start + opening.size();
        const QString widthText = out.mid(widthAt, close - widthAt).trimmed();
        bool ok = !widthText.isEmpty();
        for (QChar c : widthText)
            ok = ok && c.unicode() >= u'0' && c.unicode() <= u'9';
        const int width = ok && widthText.size() <= 6 ? widthText.toInt() : -1;
        if (width < 0) {
            // Not a width we can honour: keep the placeholder as written and go on after it.
            from = close + 1;
            continue;
        }
        if (value.size() > width)
            value.truncate(width);
        else
            value = value.leftJustified(width, u' ');
        out = out.left(start) + value + out.mid(close + 1);
        // Go on after the inserted value, so a value that holds its own placeholder is not
        // filled again (and again).
        from = start + value.size();
    }
}

QString EmailTemplate::ExpandRowBlock(const QString& text, const QList<cInvoiceRow>& rows)
{
    const QString openTag = QStringLiteral("<LASKURIVIT>");
    const QString closeTag = QStringLiteral("</LASKURIVIT>");
    const qsizetype p = text.indexOf(openTag, 0, Qt::CaseInsensitive);
    const qsizetype q = text.indexOf(closeTag, 0, Qt::CaseInsensitive);
    if (p < 0 || q < 0 || q <= p)
        return text;
    // The tags stand on lines of their own: the opening tag's line break and the break ending the
    // last row line belong to no row, and the closing tag takes its line break and one empty line.
    const qsizetype rowStart = p + openTag.size() + 2;
    const qsizetype rowLength = q - 2 - rowStart;
    const QString rowTemplate = rowLength > 0 ? text.mid(rowStart, rowLength) : QString();
    QString block;
    for (const cInvoiceRow& row : rows) {
        QString copy = ReplaceField(rowTemplate, QStringLiteral("RIVIPVM"), row.RiviPvm);
        copy = ReplaceField(copy, QStringLiteral("RIVIAIHE"), row.RiviAihe);
        copy = ReplaceField(copy, QStringLiteral("SUMMA"), row.RiviSumma);
        block += copy + crlf + crlf;
    }
    const qsizetype tail = q + closeTag.size() + 4;
    return text.left(p) + block + (tail < text.size() ? text.mid(tail) : QString());
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
    const SharedState& s = State();
    const std::pair<const char*, QString> fields[] = {
        {"LASKUTTAJANNIMI", s.ClubName},           {"LASKUTTAJANOSOITE", s.ClubAddress},
        {"LASKUTTAJANPOSTINRO", s.ClubPostalCode}, {"LASKUTTAJANPOSTITOIMI", s.ClubPostOffice},
        {"LASKUTTAJANPUH", s.ClubPhone},           {"LASKUTTAJANFAX", s.ClubFax},
        {"LASKUTTAJANEMAIL", s.SenderEmail},
    };
    for (const auto& [name, value] : fields)
        text = ReplaceField(text, QLatin1String(name), value);
    return text;
}

QString EmailTemplate::ReplacePayerFields(QString text, const QString (&address)[6], const QString& memberNumber)
{
    // A line that holds nothing but an empty address line is left out, so the address stands
    // whole whichever of its six lines an invoice uses.
    for (int i = 0; i < 6; ++i) {
        if (!address[i].trimmed().isEmpty())
            continue;
        const QRegularExpression alone(
            QStringLiteral("(?:(?<=\\r\\n)|^)[ \\t]*<MAKSAJANOSOITE%1:[0-9]+>[ \\t]*\\r\\n").arg(i + 1),
            QRegularExpression::CaseInsensitiveOption);
        text.replace(alone, QString());
    }
    for (int i = 0; i < 6; ++i)
        text = ReplaceField(text, QStringLiteral("MAKSAJANOSOITE") + QString::number(i + 1), address[i]);
    return ReplaceField(text, QStringLiteral("JASENNRO"), memberNumber);
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
    text = ReplaceField(text, QStringLiteral("LASKUTTAJANTILI1"), account1);
    return ReplaceField(text, QStringLiteral("LASKUTTAJANTILI2"), account2);
}

QString EmailTemplate::ReplaceInvoiceFields(QString text, const QString& dueDate, const QString& invoiceDate,
                                            const QString& invoiceNumber, const QString& reference, const QString& title,
                                            const QString& total)
{
    text = ReplaceField(text, QStringLiteral("LASKUOTSAKE"), title);
    text = ReplaceField(text, QStringLiteral("LOPPUSUMMA"), total);
    text = ReplaceField(text, QStringLiteral("LASKUPAIVA"), invoiceDate);
    text = ReplaceField(text, QStringLiteral("ERAPAIVA"), dueDate);
    text = ReplaceField(text, QStringLiteral("VIITENUMERO"), reference);
    return ReplaceField(text, QStringLiteral("LASKUNUMERO"), invoiceNumber);
}

QString EmailTemplate::ReplaceReminderFields(QString text, const QString& openAmount, const QString& fee,
                                             const QString& interest, const QString& total)
{
    text = ReplaceField(text, QStringLiteral("AVOINSUMMA"), openAmount);
    text = ReplaceField(text, QStringLiteral("HUOMAUTUSKULUT"), fee);
    text = ReplaceField(text, QStringLiteral("VIIVASTYSKORKO"), interest);
    return ReplaceField(text, QStringLiteral("MUISTUTUKSENLOPPUSUMMA"), total);
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
    const auto reminder = [&rs](QString text) {
        return ReplaceReminderFields(text, amountOrZero(rs.field(QStringLiteral("jmhjmAvoinSumma"))),
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
