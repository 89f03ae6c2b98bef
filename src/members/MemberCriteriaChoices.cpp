#include "members/MemberCriteriaChoices.h"

#include "base/Clock.h"
#include "base/DateInput.h"
#include "base/NullConversions.h"
#include "db/Recordset.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

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
    if (text.isEmpty() || text.contains(QLatin1Char('*')))
        return text;
    // Day and month alone mean this year's date, as the system reads them; a time alone is no
    // date (it would read as 30.12.1899 and exclude everyone).
    static const QRegularExpression dayMonth(QStringLiteral(R"(^\s*(\d{1,2})\.(\d{1,2})\.?\s*$)"));
    if (const auto m = dayMonth.match(text); m.hasMatch()) {
        const QDate date(Today().year(), m.captured(2).toInt(), m.captured(1).toInt());
        if (!date.isValid())
            return std::nullopt;
        return NullToString(Value(date));
    }
    const auto date = ReadDate(text);
    if (!date)
        return std::nullopt;
    return NullToString(Value(*date));
}

std::optional<QString> MemberCriteriaChoices::checkWholeNumber(const QString& text)
{
    if (text.isEmpty())
        return text;
    const auto number = ParseLocaleNumber(text);
    if (!number)
        return std::nullopt;
    const double whole = std::nearbyint(*number); // the default rounding: half to even
    if (whole < double(std::numeric_limits<qint32>::min()) || whole > double(std::numeric_limits<qint32>::max()))
        return text;
    return QString::number(qint32(whole));
}

std::optional<QString> MemberCriteriaChoices::checkAmount(const QString& text)
{
    if (text.isEmpty() || ParseLocaleNumber(text))
        return text;
    return std::nullopt;
}

} // namespace tikkeli
