#pragma once

#include "db/Database.h"
#include "members/MemberSearchEntry.h"

#include <vector>

namespace tikkeli {

// The member chosen in the name search (jrID), 0 for none. The member window reads it after the
// search dialog closes; the dialog does not reset it when it opens.
inline qint32 SelectedMemberId = 0;

// Members whose surname and first name hold the typed parts anywhere (without regard to case). An
// empty part sets no condition; the parts are bound as typed, untrimmed, and a * in them stays a
// wildcard. Rows come in the order the database yields them.
class MemberNameSearch {
public:
    // Both parts empty: nothing to search, the caller asks for a name.
    static bool hasCriteria(const QString& surname, const QString& firstName);
    static std::vector<MemberSearchEntry> find(Database& db, const QString& surname, const QString& firstName);
    // "Virta Anna - Oulu"; Null fields count as empty text.
    static QString entryText(const Value& surname, const Value& firstName, const Value& town);
};

} // namespace tikkeli
