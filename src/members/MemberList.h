#pragma once

#include "db/Database.h"
#include "db/Recordset.h"
#include "db/DatabaseStamp.h"

#include <QString>
#include <unordered_map>
#include <vector>

namespace tikkeli {

// The members in alphabetical order (surname, first name), all of them or only those who have one
// member feature. A member who has the feature twice is listed once, so a walk through the list
// never stands still on the same member.
class MemberList {
public:
    // columns: the select list over table jr ("jr.*", "jr.jrID, jr.jrSukunimi").
    static Recordset open(Database& db, qint64 featureId, const QString& columns);
    // The ids in list order.
    static std::vector<qint64> ids(Database& db, qint64 featureId);
    // How many members the list holds.
    static int count(Database& db, qint64 featureId);
};

// One list kept between commands, so that a walk through it does not read and sort it at every
// step, since a change of a name or of a member's features can change it: it is read again when
// another list is asked for, after clear(), after any write through this program's connection to
// the file (a save, a deletion, an import or an attach in any window), and, once recheck() was
// called, when another program has committed to the file since the list was read. A plain step of
// the walk asks no query: another program's change is looked for only after recheck(), which the
// window calls at F5, after a save, an import and an attach.
class MemberListCache {
public:
    const std::vector<qint64>& ids(Database& db, qint64 featureId);
    // The member's place in the list ids() gave last, -1 when it is not listed.
    int indexOf(qint64 id) const;
    void clear();
    // The next ids() compares the whole database stamp, another program's commits included.
    void recheck() { m_recheck = true; }

private:
    void refresh(Database& db, qint64 featureId);

    bool m_valid = false;
    bool m_recheck = false;
    qint64 m_featureId = 0;
    DatabaseStamp m_stamp;
    std::vector<qint64> m_ids;
    std::unordered_map<qint64, int> m_index;
};

} // namespace tikkeli
