#include "contracts/cTila.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"
#include "db/Transaction.h"

namespace tikkeli {

void cTila::setKunta(const QString& v)
{
    record::assignText(m_f.kunta, v, TextWidth, m_dirty);
}

void cTila::setKyla(const QString& v)
{
    record::assignText(m_f.kyla, v, TextWidth, m_dirty);
}

void cTila::setTila(const QString& v)
{
    record::assignText(m_f.tila, v, TextWidth, m_dirty);
}

void cTila::setRekNo(const QString& v)
{
    record::assignText(m_f.rekNo, v, TextWidth, m_dirty);
}

QString cTila::rekNoToStore() const
{
    const bool typed = m_f.rekNo != m_snapshot.rekNo;
    const bool partsChanged = m_f.taloNo != m_snapshot.taloNo || m_f.tilaNo != m_snapshot.tilaNo;
    if (!typed && partsChanged && (m_f.taloNo != 0 || m_f.tilaNo != 0))
        return QString::number(m_f.taloNo) + QLatin1Char(':') + QString::number(m_f.tilaNo);
    return m_f.rekNo;
}

bool cTila::readRow(qint64 id)
{
    Recordset rs = m_db.openRecordset(QStringLiteral("SELECT * FROM tl WHERE tlID = ?"), RecordsetType::Snapshot,
                                      {Value(id)});
    if (rs.eof())
        return false;
    m_id = rs.field(QStringLiteral("tlID")).toInt64();
    m_f.vsId = rs.field(QStringLiteral("tlvsID")).toInt64();
    m_f.kunta = NullToString(rs.field(QStringLiteral("tlKunta")));
    m_f.kuntaNo = NullToInteger(rs.field(QStringLiteral("tlKuntaNo")));
    m_f.kyla = NullToString(rs.field(QStringLiteral("tlKyla")));
    m_f.kylaNo = NullToInteger(rs.field(QStringLiteral("tlKylaNo")));
    m_f.taloNo = NullToInteger(rs.field(QStringLiteral("tlTaloNo")));
    m_f.tila = NullToString(rs.field(QStringLiteral("tlTilaPalsta")));
    m_f.tilaNo = NullToInteger(rs.field(QStringLiteral("tlTilaNo")));
    m_f.pintaAla = NullToDouble(rs.field(QStringLiteral("tlPa")));
    m_f.rekNo = NullToString(rs.field(QStringLiteral("tlRekNo")));
    return true;
}

void cTila::writeRow(bool)
{
    const Params values = {Value(m_f.vsId),
                           record::textValue(m_f.kunta),
                           Value(m_f.kuntaNo),
                           record::textValue(m_f.kyla),
                           Value(m_f.kylaNo),
                           Value(m_f.taloNo),
                           record::textValue(m_f.tila),
                           Value(m_f.tilaNo),
                           Value(m_f.pintaAla),
                           record::textValue(rekNoToStore())};
    if (m_id != 0) {
        Params p = values;
        p.push_back(Value(m_id));
        m_db.execute(QStringLiteral("UPDATE tl SET tlvsID = ?, tlKunta = ?, tlKuntaNo = ?, tlKyla = ?, tlKylaNo = ?, "
                                    "tlTaloNo = ?, tlTilaPalsta = ?, tlTilaNo = ?, tlPa = ?, tlRekNo = ? WHERE tlID = ?"),
                     p);
    } else {
        m_db.execute(QStringLiteral("INSERT INTO tl (tlvsID, tlKunta, tlKuntaNo, tlKyla, tlKylaNo, tlTaloNo, "
                                    "tlTilaPalsta, tlTilaNo, tlPa, tlRekNo) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                     values);
        m_id = m_db.lastInsertId();
    }
    m_f.rekNo = values.back().toString();
}

void cTila::DeleteEstate(Database& db, qint64 id)
{
    Transaction t(db);
    // The estate's boundary points on the map go with it.
    db.execute(QStringLiteral("DELETE FROM rj WHERE rjtlID = ?"), {Value(id)});
    db.execute(QStringLiteral("DELETE FROM tl WHERE tlID = ?"), {Value(id)});
    t.commit();
}

void cTila::deleteRow()
{
    DeleteEstate(m_db, m_id);
}

} // namespace tikkeli
