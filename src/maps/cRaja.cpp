#include "maps/cRaja.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"

namespace tikkeli {

cRaja::cRaja(const Database& db, qint64 id, const cRajaFields& fields) : RecordObject(db)
{
    m_id = id;
    m_f = fields;
    takeSnapshot();
}

bool cRaja::readRow(qint64 id)
{
    Recordset rs = m_db.openRecordset(QStringLiteral("SELECT * FROM rj WHERE rjID = ?"), RecordsetType::Snapshot,
                                      {Value(id)});
    if (rs.eof())
        return false;
    m_id = rs.field(QStringLiteral("rjID")).toInt64();
    m_f.tlId = NullToLong(rs.field(QStringLiteral("rjtlID")));
    m_f.orderId = NullToLong(rs.field(QStringLiteral("rjOrderID")));
    m_f.x = NullToSingle(rs.field(QStringLiteral("rjX")));
    m_f.y = NullToSingle(rs.field(QStringLiteral("rjY")));
    m_f.mukaan = NullToBoolean(rs.field(QStringLiteral("rjMukaan")));
    return true;
}

void cRaja::writeRow(bool)
{
    Params p = {Value(m_f.tlId), Value(m_f.orderId), Value(double(m_f.x)), Value(double(m_f.y)), Value(m_f.mukaan)};
    if (m_id != 0) {
        p.push_back(Value(m_id));
        m_db.execute(
            QStringLiteral("UPDATE rj SET rjtlID = ?, rjOrderID = ?, rjX = ?, rjY = ?, rjMukaan = ? WHERE rjID = ?"), p);
        return;
    }
    m_db.execute(QStringLiteral("INSERT INTO rj (rjtlID, rjOrderID, rjX, rjY, rjMukaan) VALUES (?, ?, ?, ?, ?)"), p);
    m_id = m_db.lastInsertId();
}

void cRaja::deleteRow()
{
    m_db.execute(QStringLiteral("DELETE FROM rj WHERE rjID = ?"), {Value(m_id)});
}

} // namespace tikkeli
