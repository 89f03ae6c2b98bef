#include "contracts/cTila.h"

#include "base/NullConversions.h"
#include "contracts/RecordFields.h"
#include "db/Recordset.h"

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

void cTila::reset()
{
    m_id = 0;
    m_f = Fields{};
    takeSnapshot();
}

void cTila::takeSnapshot()
{
    if (!m_empty)
        m_snapshot = m_f;
}

void cTila::Undo()
{
    if (!m_empty)
        m_f = m_snapshot;
}

bool cTila::Read(qint64 id)
{
    if (m_empty)
        return false;
    Recordset rs = m_db.openRecordset(QStringLiteral("SELECT * FROM tl WHERE tlID = ?"), RecordsetType::Snapshot,
                                      {Value(id)});
    if (rs.eof()) {
        reset();
        return false;
    }
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
    takeSnapshot();
    return true;
}

bool cTila::Save(bool force)
{
    if (m_empty)
        return false;
    if (!force && !m_dirty)
        return true;
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
    m_dirty = false;
    takeSnapshot();
    return true;
}

bool cTila::Delete()
{
    if (m_empty)
        return false;
    m_db.execute(QStringLiteral("DELETE FROM tl WHERE tlID = ?"), {Value(m_id)});
    reset();
    // The row is gone: nothing of it is left to store when the record is released.
    m_dirty = false;
    return true;
}

bool cTila::Release()
{
    if (m_empty)
        return false;
    return Save(false);
}

} // namespace tikkeli
