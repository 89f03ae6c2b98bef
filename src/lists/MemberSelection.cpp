#include "lists/MemberSelection.h"

#include "base/NullConversions.h"
#include "db/Transaction.h"
#include "members/DateRefinement.h"
#include "members/FeatureHolders.h"
#include "printing/FormulaText.h"

#include <vector>

namespace tikkeli {

namespace {

// The date test on a column holding "yyyy-MM-dd hh:mm:ss".
void addDateTest(MemberCondition& c, const QString& column, const DateCriterion& t, qint16 op)
{
    DateRefinement::SqlTest test = DateRefinement::sql(column, t, op);
    c.sql += test.sql;
    c.params.push_back(Value(test.value));
}

// A member criterion on a date: a Null date never clears the member.
void addMemberDate(MemberCondition& c, const QString& column, const std::optional<DateCriterion>& t, qint16 op)
{
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

// The refinements of the one chosen feature over its values (pt).
void addRefinements(MemberCondition& c, const MemberCriteria& k)
{
    if (k.PvmArvo)
        addDateTest(c, QStringLiteral("pt.ptValDate"), *k.PvmArvo, k.PvmVertailu);
    if (k.LukuArvo) {
        c.sql += QStringLiteral(" AND pt.ptValLong %1 ?").arg(FormulaText::comparison(k.LukuVertailu));
        c.params.push_back(Value(*k.LukuArvo));
    }
    if (const auto& money = k.ArvoArvo) {
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
        c.sql += QStringLiteral(" AND NOT ") + FeatureHolders::conditionAnyOf(ids.size());
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
        value.params.push_back(Value(ids.front()));
        addRefinements(value, k);
        c.sql += QStringLiteral(" AND ") + FeatureHolders::condition(value.sql);
        c.params.insert(c.params.end(), value.params.begin(), value.params.end());
        return;
    }
    if (k.OminaisuudetJa) {
        if (firstEmpty) {
            c.sql += QStringLiteral(" AND 0");
            return;
        }
        for (qint32 id : ids) {
            c.sql += QStringLiteral(" AND ") + FeatureHolders::condition();
            c.params.push_back(Value(id));
        }
        return;
    }
    c.sql += QStringLiteral(" AND ") + FeatureHolders::conditionAnyOf(ids.size());
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

MemberCondition MemberSelection::condition(const MemberCriteria& criteria)
{
    MemberCondition c;
    c.sql = QStringLiteral("1");
    addFeatureStep(c, criteria);
    addMemberFieldStep(c, criteria);
    return c;
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

QString MemberSelection::featureValueFormula(const MemberCriteria& criteria)
{
    const qint32 id = listedFeature(criteria);
    if (id == 0)
        return {};
    // The refinements of addRefinements, in the report's formula language.
    QString f = QStringLiteral("{pt.ptpiID} = ") + QString::number(id);
    if (const auto& d = criteria.PvmArvo)
        f += DateRefinement::formula(QStringLiteral("{pt.ptValDate}"), *d, criteria.PvmVertailu);
    if (criteria.LukuArvo)
        f += QStringLiteral(" and {pt.ptValLong} %1 %2")
                 .arg(FormulaText::comparison(criteria.LukuVertailu))
                 .arg(*criteria.LukuArvo);
    if (criteria.ArvoArvo)
        f += QStringLiteral(" and {pt.ptValCurrency} %1 %2")
                 .arg(FormulaText::comparison(criteria.ArvoVertailu), criteria.ArvoArvo->toStorageText());
    return f;
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

QStringList MemberSelection::sortFields(int sortOrder)
{
    const QString surname = QStringLiteral("+{jr.jrSukunimi}");
    const QString firstName = QStringLiteral("+{jr.jrEtunimi}");
    if (sortField(sortOrder) == surname)
        return {surname, firstName};
    return {sortField(sortOrder), surname, firstName};
}

int MemberSelection::MarkFeatureGroup(Database& db, qint32 featureId)
{
    Transaction t(db);
    if (featureId == 0)
        db.execute(QStringLiteral("UPDATE jr SET jrMukaan = 1"));
    else
        db.execute(QStringLiteral("UPDATE jr SET jrMukaan = CASE WHEN ") + FeatureHolders::condition()
                       + QStringLiteral(" THEN 1 ELSE 0 END"),
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
