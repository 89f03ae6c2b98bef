#pragma once

#include "db/Database.h"
#include "support/TempProgramEnvironment.h"

#include <QString>

namespace tikkeli::test {

// An empty club database (a copy of the template) in a throw-away installation, with helpers to
// add members, feature definitions and feature values. DatabasePath points at it.
class MemberSearchTestDb {
public:
    MemberSearchTestDb();

    Database& db() { return m_db; }
    QString path() const { return m_path; }

    qint32 addMember(const QString& number, const QString& surname, const QString& firstName, const QString& town = {},
                     const QString& address = {}, const QString& phone = {}, const QString& mobile = {},
                     const QString& email = {});
    qint32 addFeature(const Value& name, int type = 1);
    void addMemo(qint32 jrID, qint32 piID, const QString& memo);

private:
    TempProgramEnvironment m_env;
    QString m_path;
    Database m_db;
};

} // namespace tikkeli::test
