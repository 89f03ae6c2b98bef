#pragma once

#include "db/Database.h"
#include "db/Recordset.h"
#include "base/SharedState.h"
#include "support/TempProgramEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QString>
#include <vector>

namespace tikkeli::test {

// A club database in a throw-away installation, configured as the program's database: the empty
// template (the default) or the sample club with its contracts.
class ContractTestDb {
public:
    enum class Source { Template, Sample };
    explicit ContractTestDb(Source source = Source::Template)
    {
        path = source == Source::Sample ? env.copyOfShipped(QStringLiteral("demo1.mdb"), QStringLiteral("demo.mdb"))
                                        : env.copyOfShipped(QStringLiteral("mallit/malli.mdb"), QStringLiteral("club.mdb"));
        db = Database::open(path);
        State().DatabasePath = path;
        // The contract forms as the build stages them.
        QDir().mkpath(env.programFolder() + QStringLiteral("/reports"));
        for (const char* form : {"vse.rpt", "vsempty.rpt"})
            QFile::copy(QStringLiteral(TIKKELI_PROGRAM_DIR "/reports/") + QLatin1String(form),
                        env.programFolder() + QStringLiteral("/reports/") + QLatin1String(form));
    }

    // Every report file of the build, for the tests that print the contract lists.
    void stageAllReports() const
    {
        QDirIterator files(QStringLiteral(TIKKELI_PROGRAM_DIR "/reports"), {QStringLiteral("*.rpt")});
        while (files.hasNext()) {
            files.next();
            QFile::copy(files.filePath(), env.programFolder() + QStringLiteral("/reports/") + files.fileName());
        }
    }

    qint64 contract(const QString& name, const QString& number = QString())
    {
        db.execute(QStringLiteral("INSERT INTO vs (vsNimi, vsSopimusNo) VALUES (?, ?)"),
                   {Value(name), number.isNull() ? Value() : Value(number)});
        return db.lastInsertId();
    }
    qint64 estate(qint64 vsId, const QString& name, const QString& rekNo = QString())
    {
        db.execute(QStringLiteral("INSERT INTO tl (tlvsID, tlTilaPalsta, tlRekNo) VALUES (?, ?, ?)"),
                   {Value(vsId), Value(name), rekNo.isEmpty() ? Value() : Value(rekNo)});
        return db.lastInsertId();
    }
    qint64 animal(const QString& name)
    {
        db.execute(QStringLiteral("INSERT INTO el (elNimi) VALUES (?)"), {Value(name)});
        return db.lastInsertId();
    }
    void link(qint64 vsId, qint64 elId)
    {
        db.execute(QStringLiteral("INSERT INTO et (etvsID, etelID) VALUES (?, ?)"), {Value(vsId), Value(elId)});
    }
    qint64 feature(const QString& name)
    {
        db.execute(QStringLiteral("INSERT INTO pi (piNimi, piType, piEnbldDate, piEnbldMemo) VALUES (?, 2, 1, 1)"),
                   {Value(name)});
        return db.lastInsertId();
    }
    qint64 value(qint64 vsId, qint64 piId)
    {
        db.execute(QStringLiteral("INSERT INTO mt (mtvsID, mtpiID) VALUES (?, ?)"), {Value(vsId), Value(piId)});
        return db.lastInsertId();
    }
    qint64 count(const QString& sql, const Params& p = {}) { return db.scalar(sql, p).toInt64(); }
    // The animals a contract links to, in the order the links were written.
    std::vector<qint64> animalLinks(qint64 vsId)
    {
        std::vector<qint64> ids;
        Recordset rs = db.openRecordset(QStringLiteral("SELECT etelID FROM et WHERE etvsID = ? ORDER BY etID"),
                                        RecordsetType::Snapshot, {vsId});
        for (; !rs.eof(); rs.moveNext())
            ids.push_back(rs.field(0).toInt64());
        return ids;
    }
    Value animalNamesText(qint64 vsId)
    {
        return db.scalar(QStringLiteral("SELECT vsEiKoskeSeuraavia FROM vs WHERE vsID = ?"), {vsId});
    }

    TempProgramEnvironment env;
    QString path;
    Database db;
};

// Two contracts and three animals of the catalogue, no links yet.
class AnimalTestDb : public ContractTestDb {
public:
    qint64 aho = contract(QStringLiteral("Aho"));
    qint64 berg = contract(QStringLiteral("Berg"));
    qint64 susi = animal(QStringLiteral("Susi"));
    qint64 karhu = animal(QStringLiteral("Karhu"));
    qint64 ilves = animal(QStringLiteral("Ilves"));
};

} // namespace tikkeli::test
