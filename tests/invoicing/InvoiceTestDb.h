#pragma once

#include "db/Database.h"
#include "invoicing/InvoiceRun.h"
#include "settings/DatabaseSettingsStore.h"
#include "support/TempProgramEnvironment.h"

#include <QString>

namespace tikkeli::test {

// A throw-away copy of the sample club (or of the empty template) configured as the program's
// database, with the shared invoice counter loaded from it as start-up does.
class InvoiceTestDb {
public:
    enum Source { Sample, Template };
    explicit InvoiceTestDb(Source source = Sample)
        : path(env.copyOfShipped(source == Sample ? QStringLiteral("demo1.mdb") : QStringLiteral("mallit/malli.mdb"),
                                 QStringLiteral("club.mdb"))),
          db(Database::open(path))
    {
        State().DatabasePath = path;
        State().InvoiceNumberCounter = storedCounter();
        // The payee data start-up loads from the club's settings; invoices go out only with it.
        State().ClubName = QStringLiteral("Erämiehet ry");
        State().Iban1 = QStringLiteral("FI40 4799 1020 3040 50");
        State().SettingsFile = db.path(); // the settings above stand for the ones read from the file
    }

    qint32 storedCounter()
    {
        DatabaseSettingsStore store(db, QStringLiteral("TIKKELI"));
        return store.read(QStringLiteral("Laskunro"), QStringLiteral("1")).toInt();
    }
    void setCounter(qint32 value)
    {
        DatabaseSettingsStore store(db, QStringLiteral("TIKKELI"));
        store.write(QString::number(value), QStringLiteral("Laskunro"));
        State().InvoiceNumberCounter = value;
    }
    qint64 count(const QString& table, const QString& where = {}, const Params& params = {})
    {
        return db
            .scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table
                        + (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where),
                    params)
            .toInt64();
    }
    Value field(const QString& sql, const Params& params = {}) { return db.scalar(sql, params); }

    qint64 member(const Value& surname, const Value& firstName = {}, const Value& street = {}, const Value& postcode = {},
                  const Value& postOffice = {}, const Value& number = {})
    {
        db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi, jrEtunimi, jrOsoite, jrPostinumero, jrPostitoimipaikka,"
                                  " jrJasennumero) VALUES (?, ?, ?, ?, ?, ?)"),
                   {surname, firstName, street, postcode, postOffice, number});
        return db.lastInsertId();
    }
    void give(qint64 memberId, qint64 featureId)
    {
        db.execute(QStringLiteral("INSERT INTO pt (ptjrID, ptpiID) VALUES (?, ?)"), {Value(memberId), Value(featureId)});
    }

    // A complete form: two ticked rows, 40,00 + 5,50.
    static InvoiceRunRequest request(RecipientKind kind = RecipientKind::All, qint64 id = 0)
    {
        InvoiceRunRequest r;
        r.kind = kind;
        r.id = id;
        r.title = QStringLiteral("Jäsenmaksu 2027");
        r.invoiceDate = QStringLiteral("15.1.2027");
        r.dueDate = QStringLiteral("15.2.2027");
        r.giroText = QStringLiteral("Jäsenmaksu ja lehti");
        r.runText = QStringLiteral("Kiitos tuesta!");
        r.rows[0] = {true, QStringLiteral("Jäsenmaksu"), QStringLiteral("40,00")};
        r.rows[1] = {true, QStringLiteral("Lehti"), QStringLiteral("5,50")};
        r.total = QStringLiteral("45,50 €");
        return r;
    }

    TempProgramEnvironment env;
    QString path;
    Database db;
};

} // namespace tikkeli::test
