#include "contracts/ContractSearch.h"

#include "db/Recordset.h"

namespace tikkeli {

namespace {

std::vector<ContractSearch::Entry> entries(Database& db, const QString& sql, bool skipEmpty)
{
    std::vector<ContractSearch::Entry> out;
    Recordset rs = db.openRecordset(sql, RecordsetType::Snapshot);
    for (; !rs.eof(); rs.moveNext()) {
        const Value text = rs.field(1);
        if (text.isNull() || (skipEmpty && text.toString().isEmpty()))
            continue;
        out.push_back({text.toString(), rs.field(0).toInt64()});
    }
    return out;
}

qint64 firstId(Database& db, const QString& sql, const Value& param)
{
    return db.scalar(sql, {param}).toInt64();
}

} // namespace

std::vector<ContractSearch::Entry> ContractSearch::contractNumbers(Database& db)
{
    return entries(db, QStringLiteral("SELECT vsID, vsSopimusNo FROM vs ORDER BY vsSopimusNo"), true);
}

std::vector<ContractSearch::Entry> ContractSearch::registerNumbers(Database& db)
{
    return entries(db, QStringLiteral("SELECT tlID, tlRekNo FROM vs, tl WHERE tlvsID = vsID ORDER BY tlRekNo"), false);
}

qint64 ContractSearch::byContractNumber(Database& db, const QString& number)
{
    return firstId(db, QStringLiteral("SELECT vsID FROM vs WHERE vsSopimusNo = ? ORDER BY vsID"), Value(number));
}

qint64 ContractSearch::byRegisterNumber(Database& db, const QString& number)
{
    return firstId(db, QStringLiteral("SELECT tlvsID FROM tl WHERE tlRekNo = ? ORDER BY tlID"), Value(number));
}

qint64 ContractSearch::byEstate(Database& db, qint64 tlId)
{
    return firstId(db, QStringLiteral("SELECT tlvsID FROM tl WHERE tlID = ?"), Value(tlId));
}

} // namespace tikkeli
