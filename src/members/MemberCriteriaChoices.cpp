#include "members/MemberCriteriaChoices.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"

namespace tikkeli {

void MemberCriteriaChoices::writeTo(MemberCriteria& block) const
{
    block.PvmVertailu = qint16(dateOperator);
    block.LukuVertailu = qint16(numberOperator);
    block.ArvoVertailu = qint16(valueOperator);
    block.SyntymaAikaVertailu = qint16(birthOperator);
    block.LiittymisAikaVertailu = qint16(joiningOperator);
    block.PvmArvo = date;
    block.LukuArvo = number;
    block.ArvoArvo = value;
    int slot = 0;
    for (qint32 id : features) {
        if (slot >= MaxFeatures)
            break;
        block.setHepiID(slot++, id);
    }
    for (; slot < MemberCriteria::FeatureSlots; ++slot)
        block.setHepiID(slot, 0);
    block.JasenmaksuValinta = fee;
    block.OmistajaValinta = owner;
    block.OminaisuusRajaus = negateFeatures;
    block.LiittymisAika = joiningDate;
    block.SyntymaAika = birthDate;
    block.OminaisuudetJa = allFeatures;
    block.PostinumeroAlku = postalStart;
    block.PostinumeroLoppu = postalEnd;
}

std::vector<MemberSearchEntry> MemberCriteriaChoices::memberFeatures(Database& db)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM pi WHERE piType = 1 ORDER BY piNimi"),
                                    RecordsetType::Snapshot);
    std::vector<MemberSearchEntry> list;
    for (; !rs.eof(); rs.moveNext()) {
        const Value name = rs.field(QStringLiteral("piNimi"));
        if (!name.isNull())
            list.push_back({NullToString(name), NullToLong(rs.field(QStringLiteral("piID")))});
    }
    return list;
}

std::optional<QString> MemberCriteriaChoices::checkDate(const QString& text)
{
    const auto r = ReadDateCriterion(text);
    if (!r.readable)
        return std::nullopt;
    return r.value ? r.value->text() : QString();
}

std::optional<QString> MemberCriteriaChoices::checkWholeNumber(const QString& text)
{
    const auto r = ReadWholeNumberCriterion(text);
    if (!r.readable)
        return std::nullopt;
    return r.value ? QString::number(*r.value) : QString();
}

std::optional<QString> MemberCriteriaChoices::checkAmount(const QString& text)
{
    if (!ReadMoneyCriterion(text).readable)
        return std::nullopt;
    return text;
}

} // namespace tikkeli
