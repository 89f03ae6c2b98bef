#include "contracts/ContractFeatureAttach.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"

namespace tikkeli {

std::vector<AttachListEntry> ContractFeatureAttach::contracts(Database& db)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT vsID, vsNimi, vsPostitoimipaikka FROM vs ORDER BY vsNimi, vsID"),
                                    RecordsetType::Snapshot);
    std::vector<AttachListEntry> list;
    list.reserve(std::size_t(rs.recordCount()));
    for (; !rs.eof(); rs.moveNext())
        list.push_back(
            {rs.field(0).toInt64(), NullToString(rs.field(1)) + QStringLiteral(" - ") + NullToString(rs.field(2))});
    return list;
}

} // namespace tikkeli
