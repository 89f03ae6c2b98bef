#include "contracts/cOminaisuus.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"
#include "members/FeatureValues.h"

namespace tikkeli {

void cOminaisuus::setVsId(qint64 v)
{
    record::assign(m_f.vsId, v, m_dirty);
}
void cOminaisuus::setPiId(qint64 v)
{
    record::assign(m_f.piId, v, m_dirty);
}
void cOminaisuus::setValMemo(const QString& v)
{
    record::assign(m_f.memo, v, m_dirty);
}
void cOminaisuus::setValLong(qint32 v)
{
    record::assign(m_f.number, v, m_dirty);
}
void cOminaisuus::setValDate(const QDate& v)
{
    record::assignDate(m_f.date, v, m_dirty);
}
void cOminaisuus::setValCurrency(Currency v)
{
    record::assign(m_f.amount, v, m_dirty);
}

void cOminaisuus::ReadPiData()
{
    m_def = Definition{};
    const auto d = FeatureValues::definition(m_db, qint32(m_f.piId));
    if (!d)
        return;
    m_def.nimi = d->name;
    m_def.kuvaus = d->description;
    m_def.currency = d->enabled.testFlag(FeatureValues::Amount);
    m_def.date = d->enabled.testFlag(FeatureValues::Date);
    m_def.number = d->enabled.testFlag(FeatureValues::Number);
    m_def.memo = d->enabled.testFlag(FeatureValues::Memo);
}

bool cOminaisuus::readRow(qint64 id)
{
    Recordset rs = m_db.openRecordset(QStringLiteral("SELECT * FROM mt WHERE mtID = ?"), RecordsetType::Snapshot,
                                      {Value(id)});
    if (rs.eof())
        return false;
    m_id = rs.field(QStringLiteral("mtID")).toInt64();
    m_f.vsId = rs.field(QStringLiteral("mtvsID")).toInt64();
    m_f.piId = rs.field(QStringLiteral("mtpiID")).toInt64();
    m_f.date = NullToDate(rs.field(QStringLiteral("mtValDate")), QDate());
    m_f.number = NullToLong(rs.field(QStringLiteral("mtValLong")));
    m_f.memo = NullToString(rs.field(QStringLiteral("mtValMemo")));
    m_f.amount = NullToCurrency(rs.field(QStringLiteral("mtValCurrency")));
    ReadPiData();
    return true;
}

void cOminaisuus::writeRow(bool)
{
    Params p = {
        Value(m_f.vsId),  Value(m_f.piId), record::dateValue(m_f.date), Value(m_f.number), record::textValue(m_f.memo),
        Value(m_f.amount)};
    if (m_id != 0) {
        p.push_back(Value(m_id));
        m_db.execute(QStringLiteral("UPDATE mt SET mtvsID = ?, mtpiID = ?, mtValDate = ?, mtValLong = ?, "
                                    "mtValMemo = ?, mtValCurrency = ? WHERE mtID = ?"),
                     p);
    } else {
        m_db.execute(QStringLiteral("INSERT INTO mt (mtvsID, mtpiID, mtValDate, mtValLong, mtValMemo, mtValCurrency) "
                                    "VALUES (?, ?, ?, ?, ?, ?)"),
                     p);
        m_id = m_db.lastInsertId();
    }
}

void cOminaisuus::deleteRow()
{
    m_db.execute(QStringLiteral("DELETE FROM mt WHERE mtID = ?"), {Value(m_id)});
}

} // namespace tikkeli
