#include "maps/EstateInfo.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"

#include <QLocale>

namespace tikkeli {

namespace {

QString validityText(const Recordset& vs)
{
    switch (NullToLong(vs.field(QStringLiteral("vsVoimassa")))) {
    case 1: return QStringLiteral("Toistaiseksi");
    case 2: {
        const auto dateText = [&vs](const char* column) {
            const Value v = vs.field(QLatin1String(column));
            const QDate d = NullToDate(v, QDate());
            return d.isValid() ? d.toString(QStringLiteral("d.M.yyyy")) : QString();
        };
        return dateText("vsVoimassaAlkaen") + QStringLiteral(" - ") + dateText("vsVoimassaPaattyy");
    }
    default: return {};
    }
}

QString concernText(const Recordset& vs)
{
    const QString animals = NullToString(vs.field(QStringLiteral("vsEiKoskeSeuraavia")));
    switch (NullToLong(vs.field(QStringLiteral("vsKoskee")))) {
    case 1: return QStringLiteral("Kaikkea metsästystä");
    case 2: return QStringLiteral("Hirvieläinten metsästystä");
    case 3: return QStringLiteral("Ei koske: ") + animals;
    case 4: return QStringLiteral("Koskee: ") + animals;
    default: return {};
    }
}

} // namespace

EstateInfoTexts EstateInfo::load(Database& db, qint64 tlId)
{
    EstateInfoTexts t;
    qint64 vsId = 0;
    double area = 0.0;
    {
        Recordset tl = db.openRecordset(QStringLiteral("SELECT * FROM tl WHERE tlID = ?"), RecordsetType::Snapshot,
                                        {Value(tlId)});
        if (!tl.eof()) {
            t.kunta = NullToString(tl.field(QStringLiteral("tlKunta")));
            t.kyla = NullToString(tl.field(QStringLiteral("tlKyla")));
            t.tilaPalsta = NullToString(tl.field(QStringLiteral("tlTilaPalsta")));
            t.rekNo = NullToString(tl.field(QStringLiteral("tlRekNo")));
            area = NullToDouble(tl.field(QStringLiteral("tlPa")));
            vsId = NullToLong(tl.field(QStringLiteral("tlvsID")));
        }
    }
    t.pintaAla = QLocale(QLocale::Finnish, QLocale::Finland).toString(area, 'f', 2);
    if (vsId == 0)
        return t;
    Recordset vs = db.openRecordset(QStringLiteral("SELECT * FROM vs WHERE vsID = ?"), RecordsetType::Snapshot,
                                    {Value(vsId)});
    if (vs.eof())
        return t;
    t.omistaja = NullToString(vs.field(QStringLiteral("vsNimi")));
    t.voimassaolo = validityText(vs);
    t.koskee = concernText(vs);
    return t;
}

} // namespace tikkeli
