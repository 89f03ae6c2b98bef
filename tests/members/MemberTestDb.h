#pragma once

#include "db/Database.h"
#include "support/TempProgramEnvironment.h"

#include <QString>

namespace tikkeli::test {

// An empty club database (a copy of the template) in a throw-away installation, configured as the
// program's database, with helpers to add members and member features.
class MemberTestDb {
public:
    MemberTestDb()
    {
        path = env.copyOfShipped(QStringLiteral("mallit/malli.mdb"), QStringLiteral("club.mdb"));
        db = Database::open(path);
        db.execute(QStringLiteral("DELETE FROM pt"));
        db.execute(QStringLiteral("DELETE FROM jr"));
        State().DatabasePath = path;
    }

    qint64 member(const Value& surname, const Value& firstName = Value(), const Value& number = Value())
    {
        db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi, jrEtunimi, jrJasennumero) VALUES (?, ?, ?)"),
                   {surname, firstName, number});
        return db.lastInsertId();
    }
    qint64 feature(const QString& name)
    {
        db.execute(QStringLiteral("INSERT INTO pi (piNimi, piType) VALUES (?, 1)"), {Value(name)});
        return db.lastInsertId();
    }
    void give(qint64 memberId, qint64 featureId)
    {
        db.execute(QStringLiteral("INSERT INTO pt (ptjrID, ptpiID) VALUES (?, ?)"), {Value(memberId), Value(featureId)});
    }

    TempProgramEnvironment env;
    QString path;
    Database db;
};

} // namespace tikkeli::test
