#include "lists/MemberSelection.h"

#include "base/Currency.h"
#include "base/DateInput.h"
#include "base/NullConversions.h"
#include "base/NumericText.h"
#include "db/Transaction.h"
#include "printing/FormulaText.h"

#include <QRegularExpression>

#include <vector>

namespace tikkeli {

namespace {

[[noreturn]] void refuse(const QString& text)
{
    throw MemberCriteriaError(text);
}

// A date criterion as typed: a year pattern ("19*", "198?") or a Finnish date.
struct DateTest {
    bool yearPattern = false;
    QString value; // the GLOB pattern on the four-digit year, or the date as yyyy-MM-dd
};

std::optional<DateTest> readDate(const QString& typed)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    if (text.contains(QLatin1Char('*')) || text.contains(QLatin1Char('?'))) {
        // Digits and the two wildcards only: anything else would be a pattern of its own.
        static const QRegularExpression pattern(QStringLiteral(R"(^[0-9*?]{1,8}$)"));
        if (!pattern.match(text).hasMatch())
            refuse(typed);
        return DateTest{true, text};
    }
    const auto date = ReadDate(text);
    if (!date)
        refuse(typed);
    return DateTest{false, date->toString(QStringLiteral("yyyy-MM-dd"))};
}

std::optional<qint32> readWholeNumber(const QString& typed)
{
    if (typed.trimmed().isEmpty())
        return std::nullopt;
    const auto number = ParseLocaleNumber(typed);
    if (!number)
        refuse(typed);
    const auto whole = RoundToInt32(*number);
    if (!whole)
        refuse(typed);
    return whole;
}

std::optional<Currency> readMoney(const QString& typed)
{
    if (typed.trimmed().isEmpty())
        return std::nullopt;
    const auto money = Currency::parse(typed);
    if (!money)
        refuse(typed);
    return money;
}

// The date test on a column holding "yyyy-MM-dd hh:mm:ss": the day part is compared, the year
// part matched against a pattern.
void addDateTest(MemberCondition& c, const QString& column, const DateTest& t, qint16 op)
{
    if (t.yearPattern)
        c.sql += QStringLiteral(" AND substr(%1, 1, 4) GLOB ?").arg(column);
    else
        c.sql += QStringLiteral(" AND substr(%1, 1, 10) %2 ?").arg(column, FormulaText::comparison(op));
    c.params.push_back(Value(t.value));
}

// A member criterion on a date: a Null date never clears the member.
void addMemberDate(MemberCondition& c, const QString& column, const QString& typed, qint16 op)
{
    const auto t = readDate(typed);
    if (!t)
        return;
    MemberCondition test;
    addDateTest(test, column, *t, op);
    // addDateTest starts with " AND ".
    c.sql += QStringLiteral(" AND (%1 IS NULL OR%2)").arg(column, test.sql.mid(4));
    c.params.insert(c.params.end(), test.params.begin(), test.params.end());
}

std::vector<qint32> chosenFeatures(const MemberCriteria& k)
{
    std::vector<qint32> ids;
    for (int i = 0; i < MemberCriteria::FeatureSlots; ++i)
        if (const qint32 id = k.hepiID(i))
            ids.push_back(id);
    return ids;
}

QString placeholders(std::size_t n)
{
    QStringList marks;
    for (std::size_t i = 0; i < n; ++i)
        marks << QStringLiteral("?");
    return marks.join(QStringLiteral(", "));
}

// The members holding a feature value: the subquery is read once, not once per member (whose
// lookups by member could run through the index of the feature instead and read every holder of
// it per member).
const QString HasValue = QStringLiteral("jr.jrID IN (SELECT pt.ptjrID FROM pt WHERE pt.ptjrID IS NOT NULL AND pt.ptpiID");

// The refinements of the one chosen feature over its values (pt).
void addRefinements(MemberCondition& c, const MemberCriteria& k)
{
    if (const auto date = readDate(k.PvmArvo))
        addDateTest(c, QStringLiteral("pt.ptValDate"), *date, k.PvmVertailu);
    if (const auto number = readWholeNumber(k.LukuArvo)) {
        c.sql += QStringLiteral(" AND pt.ptValLong %1 ?").arg(FormulaText::comparison(k.LukuVertailu));
        c.params.push_back(Value(*number));
    }
    if (const auto money = readMoney(k.ArvoArvo)) {
        // Stored amounts are rounded to four decimals, as Currency holds them.
        c.sql += QStringLiteral(" AND round(pt.ptValCurrency, 4) %1 ?").arg(FormulaText::comparison(k.ArvoVertailu));
        c.params.push_back(Value(*money));
    }
}

void addFeatureStep(MemberCondition& c, const MemberCriteria& k)
{
    const std::vector<qint32> ids = chosenFeatures(k);
    if (k.OminaisuusRajaus) {
        if (ids.empty())
            return;
        c.sql += QStringLiteral(" AND NOT ") + HasValue + QStringLiteral(" IN (") + placeholders(ids.size())
                 + QStringLiteral("))");
        for (qint32 id : ids)
            c.params.push_back(Value(id));
        return;
    }
    if (ids.empty())
        return;
    // The slots fill from the first; features after an empty first slot are no choice the
    // dialog makes, and select nobody for one feature and for "JA".
    const bool firstEmpty = k.hepiID(0) == 0;
    if (ids.size() == 1) {
        if (firstEmpty) {
            c.sql += QStringLiteral(" AND 0");
            return;
        }
        MemberCondition value;
        value.sql = QStringLiteral(" = ?");
        value.params.push_back(Value(ids.front()));
        addRefinements(value, k);
        c.sql += QStringLiteral(" AND ") + HasValue + value.sql + QLatin1Char(')');
        c.params.insert(c.params.end(), value.params.begin(), value.params.end());
        return;
    }
    if (k.OminaisuudetJa) {
        if (firstEmpty) {
            c.sql += QStringLiteral(" AND 0");
            return;
        }
        for (qint32 id : ids) {
            c.sql += QStringLiteral(" AND ") + HasValue + QStringLiteral(" = ?)");
            c.params.push_back(Value(id));
        }
        return;
    }
    c.sql += QStringLiteral(" AND ") + HasValue + QStringLiteral(" IN (") + placeholders(ids.size()) + QStringLiteral("))");
    for (qint32 id : ids)
        c.params.push_back(Value(id));
}

void addMemberFieldStep(MemberCondition& c, const MemberCriteria& k)
{
    switch (k.JasenmaksuValinta) {
    case 0: c.sql += QStringLiteral(" AND coalesce(jr.jrJasenmaksu, 0) <> 0"); break;
    case 1: c.sql += QStringLiteral(" AND coalesce(jr.jrJasenmaksu, 0) = 0"); break;
    default: break;
    }
    switch (k.OmistajaValinta) {
    case 0: c.sql += QStringLiteral(" AND coalesce(jr.jrMaanomistaja, 0) = 0"); break;
    case 1: c.sql += QStringLiteral(" AND coalesce(jr.jrMaanomistaja, 0) <> 0"); break;
    default: break;
    }
    addMemberDate(c, QStringLiteral("jr.jrSyntyma"), k.SyntymaAika, k.SyntymaAikaVertailu);
    addMemberDate(c, QStringLiteral("jr.jrLiittyma"), k.LiittymisAika, k.LiittymisAikaVertailu);
    // Postcodes are text ("00100", a code with a letter): compared character by character.
    if (!k.PostinumeroAlku.trimmed().isEmpty()) {
        c.sql += QStringLiteral(" AND (jr.jrPostinumero IS NULL OR jr.jrPostinumero >= ?)");
        c.params.push_back(Value(k.PostinumeroAlku.trimmed()));
    }
    if (!k.PostinumeroLoppu.trimmed().isEmpty()) {
        c.sql += QStringLiteral(" AND (jr.jrPostinumero IS NULL OR jr.jrPostinumero <= ?)");
        c.params.push_back(Value(k.PostinumeroLoppu.trimmed()));
    }
}

} // namespace

MemberCriteriaError::MemberCriteriaError(const QString& text)
    : NumberedError(DbErr::TypeMismatch, QStringLiteral("Rajauksen arvo ei kelpaa: ") + text)
{
}

MemberCondition MemberSelection::condition(const MemberCriteria& criteria)
{
    MemberCondition c;
    c.sql = QStringLiteral("1");
    addFeatureStep(c, criteria);
    addMemberFieldStep(c, criteria);
    // Refinement values are checked even when they do not apply (several features keep the
    // texts), so a value that cannot be read is never silently passed over.
    readDate(criteria.PvmArvo);
    readWholeNumber(criteria.LukuArvo);
    readMoney(criteria.ArvoArvo);
    return c;
}

std::optional<QString> MemberSelection::check(const MemberCriteria& criteria)
{
    try {
        condition(criteria);
    } catch (const MemberCriteriaError& e) {
        return e.description();
    }
    return std::nullopt;
}

int MemberSelection::Mark(Database& db, const MemberCriteria& criteria)
{
    const MemberCondition c = condition(criteria);
    Transaction t(db);
    db.execute(QStringLiteral("UPDATE jr SET jrMukaan = CASE WHEN ") + c.sql
                   + QStringLiteral(" THEN 1 ELSE 0 END, jrMukaan2 = 0"),
               c.params);
    const int selected = int(NullToLong(db.scalar(QStringLiteral("SELECT count(*) FROM jr WHERE jrMukaan <> 0"))));
    t.commit();
    return selected;
}

qint32 MemberSelection::listedFeature(const MemberCriteria& criteria)
{
    if (criteria.OminaisuusRajaus || criteria.hepiCount() != 1)
        return 0;
    return criteria.hepiID(0);
}

MemberCondition MemberSelection::featureValueCondition(const MemberCriteria& criteria)
{
    MemberCondition c;
    const qint32 id = listedFeature(criteria);
    if (id == 0)
        return c;
    c.sql = QStringLiteral("pt.ptpiID = ?");
    c.params.push_back(Value(id));
    addRefinements(c, criteria);
    return c;
}

QString MemberSelection::orderBy(int sortOrder)
{
    switch (sortOrder) {
    case 1: return QStringLiteral("jrPostinumero, jrSukunimi, jrEtunimi, jrID");
    case 2: return QStringLiteral("jrSyntyma, jrSukunimi, jrEtunimi, jrID");
    default: return QStringLiteral("jrSukunimi, jrEtunimi, jrID");
    }
}

QString MemberSelection::sortField(int sortOrder)
{
    switch (sortOrder) {
    case 1: return QStringLiteral("+{jr.jrPostinumero}");
    case 2: return QStringLiteral("+{jr.jrSyntyma}");
    default: return QStringLiteral("+{jr.jrSukunimi}");
    }
}

int MemberSelection::MarkFeatureGroup(Database& db, qint32 featureId)
{
    Transaction t(db);
    if (featureId == 0)
        db.execute(QStringLiteral("UPDATE jr SET jrMukaan = 1"));
    else
        db.execute(QStringLiteral("UPDATE jr SET jrMukaan = CASE WHEN ") + HasValue
                       + QStringLiteral(" = ?) THEN 1 ELSE 0 END"),
                   {Value(featureId)});
    const int selected = int(NullToLong(db.scalar(QStringLiteral("SELECT count(*) FROM jr WHERE jrMukaan <> 0"))));
    t.commit();
    return selected;
}

QString MemberSelection::selectedMembersSql(int sortOrder, const QString& columns)
{
    return QStringLiteral("SELECT ") + columns + QStringLiteral(" FROM jr WHERE jrMukaan <> 0 ORDER BY ")
           + orderBy(sortOrder);
}

} // namespace tikkeli
