#include "contracts/ContractEstates.h"

#include "base/NullConversions.h"
#include "contracts/cTila.h"
#include "db/Recordset.h"

#include <QStringList>

namespace tikkeli {

const QStringList& ContractEstates::captions()
{
    static const QStringList c = {QStringLiteral("Kunta"), QStringLiteral("Kylä"), QStringLiteral("Tila / palsta"),
                                  QStringLiteral("Rek. Nro"), QStringLiteral("Pinta-ala")};
    return c;
}

std::vector<ContractEstates::Row> ContractEstates::rows(Database& db, qint64 vsId)
{
    std::vector<Row> out;
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT tlID, tlKunta, tlKyla, tlTilaPalsta, tlRekNo, tlPa FROM tl WHERE tlvsID = ? ORDER BY tlID"),
        RecordsetType::Snapshot, {Value(vsId)});
    for (; !rs.eof(); rs.moveNext()) {
        Row r;
        r.id = rs.field(0).toInt64();
        for (int c = 0; c < PintaAla; ++c)
            r.texts[c] = NullToString(rs.field(c + 1));
        const Value area = rs.field(5);
        r.texts[PintaAla] = area.isNull() ? QString() : FormatLocaleNumber(area.toDouble());
        out.push_back(r);
    }
    return out;
}

bool ContractEstates::areaTextIsWrong(const QString& text)
{
    return !text.trimmed().isEmpty() && !ParseLocaleNumber(text.trimmed());
}

void ContractEstates::apply(cTila& estate, const Row& row)
{
    const QString areaText = row.texts[PintaAla].trimmed();
    double area = 0.0;
    if (!areaText.isEmpty()) {
        const auto parsed = ParseLocaleNumber(areaText);
        if (!parsed)
            throw DbException(DbErr::TypeMismatch,
                              QStringLiteral("Pinta-ala: \"%1\" ei ole kelvollinen luku.").arg(row.texts[PintaAla]));
        area = *parsed;
    }
    estate.setKunta(row.texts[Kunta]);
    estate.setKyla(row.texts[Kyla]);
    estate.setTila(row.texts[TilaPalsta]);
    estate.setRekNo(row.texts[RekNo]);
    estate.setPintaAla(area);
}

qint64 ContractEstates::write(Database& db, qint64 vsId, const Row& row)
{
    cTila estate(db);
    if (row.id != 0)
        estate.Read(row.id);
    apply(estate, row);
    estate.setVsId(vsId);
    estate.Save(false);
    return estate.id();
}

void ContractEstates::remove(Database& db, qint64 tlId)
{
    cTila::DeleteEstate(db, tlId);
}

} // namespace tikkeli
