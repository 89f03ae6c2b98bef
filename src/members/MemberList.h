#pragma once

#include "db/Database.h"
#include "db/Recordset.h"

#include <QString>
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

} // namespace tikkeli
