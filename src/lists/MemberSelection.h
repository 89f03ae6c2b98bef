#pragma once

#include "db/Database.h"
#include "db/Transaction.h"
#include "members/MemberCriteria.h"

#include <QString>
#include <QStringList>

namespace tikkeli {

// A condition written as SQL with its values bound in order (never pasted into the text).
struct MemberCondition {
    QString sql;
    Params params;
};

// The one member selection every member output uses (lists, labels, the address export and the
// report templates): the flag jr.jrMukaan marks exactly the members that meet the criteria of
// the dialog "Jäsenistön rajaus". Rules:
// - Features: "EI" selects the members with none of the chosen features (everyone when none is
//   chosen); no feature selects everyone; one feature with its refinements (date, number,
//   amount); several features with "JA" (every one) or "TAI" (any one). The refinements apply
//   only with exactly one feature and no "EI". An empty first slot with features after it
//   selects nobody for one feature and for "JA".
// - Values come typed, as the criteria dialog read them (CriteriaValues): a day or a year
//   pattern such as 19* on a date, a whole number, money as Currency; they are bound, never
//   pasted into SQL.
// - Fee (0 paid, 1 unpaid), owner type (0 "Jäsen": not a landowner, 1 "Maanomistaja"),
//   birth and joining date, postcode range compared as text with both ends included. A member
//   whose date or postcode is Null is not cleared by a criterion on it.
class MemberSelection {
public:
    // Writes jrMukaan (and clears jrMukaan2) for every member in one transaction. Returns the
    // number of members selected. A failing statement throws the database's error and leaves the
    // previous flags as they were. The marks are the outputs' own: no window shows them, so they
    // are announced to nobody (the member window would read its set and tree again at each list).
    static int Mark(Database& db, const MemberCriteria& criteria);
    // Marks the members and hands the database to read while the marks stand, both in one
    // transaction: the invoice run writes the same flag, so no other run's marks slip in between.
    // Returns what read returns; a failure leaves the previous flags as they were.
    template <class Read>
    static auto WithMarked(Database& db, const MemberCriteria& criteria, Read&& read)
    {
        Transaction t(db);
        Mark(db, criteria);
        auto result = read(db);
        t.commit();
        return result;
    }

    // The condition over jr (the table named jr) that Mark writes into the flag.
    static MemberCondition condition(const MemberCriteria& criteria);

    // The feature whose values an output lists beside each member: the chosen feature when
    // exactly one is chosen without "EI", else 0 (the outputs then list every feature value).
    static qint32 listedFeature(const MemberCriteria& criteria);
    // For listedFeature() != 0: the condition over feature values (the table named pt) of that
    // feature passing the refinements, for an output that joins the values to the members.
    // Empty sql when no feature is listed.
    static MemberCondition featureValueCondition(const MemberCriteria& criteria);
    // The same values as a report selection formula over {pt.*}, for a report that joins the
    // feature values to the members (the list with feature values). Empty when none is listed.
    static QString featureValueFormula(const MemberCriteria& criteria);

    // The order of the outputs by TulostusJarjestys: 0 surname, 1 postcode, 2 birth date.
    // orderBy gives the column list of an ORDER BY over jr, sortField the report sort field.
    static QString orderBy(int sortOrder);
    static QString sortField(int sortOrder);
    // The report sort fields of the same order: the chosen field, then surname and first name, so
    // that members of one surname come by first name as in every other output.
    static QStringList sortFields(int sortOrder);

    // The group payment history's selection: every member (featureId 0) or the members having
    // the feature, in one statement in one transaction. Returns the number selected.
    static int MarkFeatureGroup(Database& db, qint32 featureId);

    // The selected members in the order of sortOrder.
    static QString selectedMembersSql(int sortOrder, const QString& columns = QStringLiteral("*"));
};

} // namespace tikkeli
