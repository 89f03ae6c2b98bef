#include "MemberSearchTestDb.h"

#include "base/SharedState.h"

#include <gtest/gtest.h>

namespace tikkeli::test {

namespace {

Value textOrNull(const QString& s)
{
    return s.isEmpty() ? Value() : Value(s);
}

} // namespace

MemberSearchTestDb::MemberSearchTestDb()
{
    m_path = m_env.copyOfShipped(QStringLiteral("mallit/malli.mdb"), QStringLiteral("haku.mdb"));
    m_db = Database::open(m_path);
    m_db.execute(QStringLiteral("DELETE FROM pt"));
    m_db.execute(QStringLiteral("DELETE FROM pi"));
    m_db.execute(QStringLiteral("DELETE FROM jr"));
    State().DatabasePath = m_path;
}

qint32 MemberSearchTestDb::addMember(const QString& number, const QString& surname, const QString& firstName,
                                     const QString& town, const QString& address, const QString& phone,
                                     const QString& mobile, const QString& email)
{
    m_db.execute(QStringLiteral("INSERT INTO jr (jrJasennumero, jrSukunimi, jrEtunimi, jrPostitoimipaikka, jrOsoite, "
                                "jrPuhelin, jrMatkapuhelin, jrEmail) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                 {textOrNull(number), textOrNull(surname), textOrNull(firstName), textOrNull(town), textOrNull(address),
                  textOrNull(phone), textOrNull(mobile), textOrNull(email)});
    return qint32(m_db.lastInsertId());
}

qint32 MemberSearchTestDb::addFeature(const Value& name, int type)
{
    m_db.execute(QStringLiteral("INSERT INTO pi (piNimi, piType) VALUES (?, ?)"), {name, type});
    return qint32(m_db.lastInsertId());
}

void MemberSearchTestDb::addMemo(qint32 jrID, qint32 piID, const QString& memo)
{
    m_db.execute(QStringLiteral("INSERT INTO pt (ptjrID, ptpiID, ptValMemo) VALUES (?, ?, ?)"), {jrID, piID, memo});
}

} // namespace tikkeli::test
