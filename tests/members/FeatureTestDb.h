#pragma once

#include "db/Database.h"
#include "support/TempProgramEnvironment.h"

#include <gtest/gtest.h>

namespace tikkeli::test {

// A fresh copy of the empty club template in a throw-away installation, with helpers to fill it.
class FeatureTestDb : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = env.copyOfShipped(QStringLiteral("mallit/malli.mdb"), QStringLiteral("ominaisuudet.mdb"));
        db = Database::open(path);
        State().DatabasePath = path;
    }
    void TearDown() override { db.close(); }

    qint64 definition(const Value& name, int type = 1)
    {
        db.execute(QStringLiteral("INSERT INTO pi (piNimi, piType) VALUES (?, ?)"), {name, type});
        return db.lastInsertId();
    }
    qint64 member(const Value& surname, const Value& firstName = QStringLiteral("Matti"))
    {
        db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi, jrEtunimi) VALUES (?, ?)"), {surname, firstName});
        return db.lastInsertId();
    }
    void memberValue(qint64 memberId, qint64 piID)
    {
        db.execute(QStringLiteral("INSERT INTO pt (ptjrID, ptpiID) VALUES (?, ?)"), {memberId, piID});
    }
    void contractValue(qint64 contractId, qint64 piID)
    {
        db.execute(QStringLiteral("INSERT INTO mt (mtvsID, mtpiID) VALUES (?, ?)"), {contractId, piID});
    }
    qint64 count(const QString& sql, const Params& params = {}) { return db.scalar(sql, params).toInt64(); }

    TempProgramEnvironment env;
    QString path;
    Database db;
};

} // namespace tikkeli::test
