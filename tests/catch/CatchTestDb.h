#pragma once

#include "db/Database.h"
#include "db/Recordset.h"
#include "base/SharedState.h"
#include "support/TempProgramEnvironment.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QString>

namespace tikkeli::test {

// A club database in a throw-away installation, configured as the program's database: the empty
// template (the default) or the sample club with its season's catch. The catch report is staged.
class CatchTestDb {
public:
    enum class Source { Template, Sample };
    explicit CatchTestDb(Source source = Source::Template)
    {
        path = source == Source::Sample ? env.copyOfShipped(QStringLiteral("demo1.mdb"), QStringLiteral("demo.mdb"))
                                        : env.copyOfShipped(QStringLiteral("mallit/malli.mdb"), QStringLiteral("club.mdb"));
        db = Database::open(path);
        State().DatabasePath = path;
        QDir().mkpath(env.programFolder() + QStringLiteral("/reports"));
        QFile::copy(QStringLiteral(TIKKELI_PROGRAM_DIR "/reports/si.rpt"),
                    env.programFolder() + QStringLiteral("/reports/si.rpt"));
    }

    // A catch row; a null text is stored as Null.
    qint64 add(const QString& laji, const QDate& pvm, bool aikuinen = true, bool uros = true, const QString& paikka = {},
               const QString& kaataja = {})
    {
        const auto text = [](const QString& s) { return s.isNull() ? Value() : Value(s); };
        db.execute(QStringLiteral("INSERT INTO si (siLaji, siPvm, siIka, siSukupuoli, siPaikka, siKaataja) "
                                  "VALUES (?, ?, ?, ?, ?, ?)"),
                   {text(laji), Value(pvm), Value(aikuinen), Value(uros), text(paikka), text(kaataja)});
        return db.lastInsertId();
    }
    qint64 count(const QString& sql, const Params& p = {}) { return db.scalar(sql, p).toInt64(); }
    Value field(const QString& sql, const Params& p = {}) { return db.scalar(sql, p); }
    qint64 catches() { return count(QStringLiteral("SELECT COUNT(*) FROM si")); }

    TempProgramEnvironment env;
    QString path;
    Database db;
};

} // namespace tikkeli::test
