#include "CardTestDb.h"

#include "base/ScriptedPrompter.h"
#include "db/Schema.h"
#include "db/UpdateDatabase.h"

namespace tikkeli::test {

CardTestDb::CardTestDb()
{
    m_db = Database::create(path());
    Schema::createBaseTables(m_db);
    ScriptedPrompter quiet;
    quiet.answerYes();
    UpdateDatabase(m_db);
}

qint32 CardTestDb::addMember(const QString& surname, const QString& firstName)
{
    m_db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi, jrEtunimi) VALUES (?, ?)"), {surname, firstName});
    return qint32(m_db.lastInsertId());
}

qint32 CardTestDb::addDefinition(const QString& name, const QString& description, int type)
{
    m_db.execute(QStringLiteral("INSERT INTO pi (piNimi, piKuvaus, piType) VALUES (?, ?, ?)"),
                 {name.isNull() ? Value() : Value(name), description.isEmpty() ? Value() : Value(description), type});
    return qint32(m_db.lastInsertId());
}

qint32 CardTestDb::addFeature(qint32 memberId, qint32 definitionId)
{
    m_db.execute(QStringLiteral("INSERT INTO pt (ptjrID, ptpiID) VALUES (?, ?)"), {memberId, definitionId});
    return qint32(m_db.lastInsertId());
}

qint32 CardTestDb::addInvoice(qint32 memberId, qint32 runId, const QString& reference, const QDate& invoiceDate,
                              const Value& amount, const Value& text, const Value& jasMak)
{
    m_db.execute(QStringLiteral("INSERT INTO jmhist (jmhjmjrID, jmhjmID, jmhjmViitenumero, jmhjmLaskupaiva, "
                                "jmhjmHinta, jmhjmTeksti, jmhjmJasMak) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                 {memberId, runId, reference.isEmpty() ? Value() : Value(reference), invoiceDate, amount, text,
                  jasMak.isNull() ? Value(false) : jasMak});
    return qint32(m_db.lastInsertId());
}

} // namespace tikkeli::test
