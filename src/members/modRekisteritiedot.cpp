#include "members/modRekisteritiedot.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"

namespace tikkeli {

namespace {

const QString CrLf = QStringLiteral("\r\n");
const QString DashLine = QString(31, QLatin1Char('-'));
const QString EqualsLine = QString(31, QLatin1Char('='));
const QString ItemEnd = QStringLiteral(" --- --- ");

QString Line(const QString& text)
{
    return text + CrLf;
}

// Memos typed on this system break lines with LF alone; the text's own lines all end in CR LF,
// and so must the lines of a memo inside it.
QString Text(const Value& v)
{
    QString s = NullToString(v);
    s.replace(CrLf, QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    s.replace(QLatin1Char('\n'), CrLf);
    return s;
}

QString YesNoOrEmpty(const Value& v)
{
    if (v.isNull())
        return {};
    return NullToBoolean(v) ? QStringLiteral("Kyllä") : QStringLiteral("Ei");
}

QString DefinitionField(Database& db, qint32 featureId, const QString& field)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM pi WHERE piID = ?"), RecordsetType::Snapshot, {featureId});
    return rs.eof() ? QString() : Text(rs[field]);
}

} // namespace

std::optional<QString> ComposeMemberData(Database& db, qint32 memberId)
{
    const auto contact = ComposeContactSection(db, memberId);
    if (!contact)
        return std::nullopt;
    QString text;
    text += Line(QStringLiteral("Yhteystiedot:")) + Line(DashLine) + *contact + Line(EqualsLine);
    text += Line(QStringLiteral("Ominaisuustiedot:")) + Line(DashLine) + ComposeFeatureSection(db, memberId)
            + Line(EqualsLine);
    text += Line(QStringLiteral("Maksutiedot:")) + Line(DashLine) + ComposeInvoiceSection(db, memberId) + Line(EqualsLine);
    return text;
}

std::optional<QString> ComposeContactSection(Database& db, qint32 memberId)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM jr WHERE jrID = ?"), RecordsetType::Snapshot, {memberId});
    if (rs.eof())
        return std::nullopt;
    static const std::pair<const char*, const char*> TextLines[] = {
        {"Jäsennumero: ", "jrJasennumero"},
        {"Titteli: ", "jrTitteli"},
        {"Sukunimi: ", "jrSukunimi"},
        {"Etunimi: ", "jrEtunimi"},
        {"Osoite: ", "jrOsoite"},
        {"Postinumero: ", "jrPostinumero"},
        {"Postitoimipaikka: ", "jrPostitoimipaikka"},
        {"Puhelin: ", "jrPuhelin"},
        {"Matkapuhelin: ", "jrMatkapuhelin"},
        {"Email: ", "jrEmail"},
        {"Syntymäpäivä: ", "jrSyntyma"},
        {"Liittymispäivä: ", "jrLiittyma"},
        {"Viitenumero: ", "jrViitenumero"},
        {"Muistio: ", "jrMuistio"},
    };
    static const std::pair<const char*, const char*> FlagLines[] = {
        {"Email lasku: ", "jrEmailLasku"},
        {"Jäsenmaksu OK: ", "jrJasenmaksu"},
        {"Maanomistaja: ", "jrMaanomistaja"},
    };
    QString text;
    for (const auto& [label, field] : TextLines)
        text += Line(QString::fromUtf8(label) + Text(rs[QString::fromLatin1(field)]));
    for (const auto& [label, field] : FlagLines)
        text += Line(QString::fromUtf8(label) + YesNoOrEmpty(rs[QString::fromLatin1(field)]));
    return text;
}

QString ComposeFeatureSection(Database& db, qint32 memberId)
{
    QString text;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM pt WHERE ptjrID = ? ORDER BY ptID"),
                                    RecordsetType::Snapshot, {memberId});
    for (; !rs.eof(); rs.moveNext()) {
        const qint32 featureId = NullToLong(rs[QStringLiteral("ptpiID")]);
        text += Line(ReadFeatureName(db, featureId));
        text += Line(QStringLiteral("(") + ReadFeatureDescription(db, featureId) + QStringLiteral(")"));
        text += Line(QStringLiteral("Päivämäärä: ") + Text(rs[QStringLiteral("ptValDate")]));
        text += Line(QStringLiteral("Luku: ") + Text(rs[QStringLiteral("ptValLong")]));
        text += Line(QStringLiteral("Arvo: ") + Text(rs[QStringLiteral("ptValCurrency")]));
        text += Line(QStringLiteral("Muistio: ") + Text(rs[QStringLiteral("ptValMemo")]));
        text += Line(ItemEnd);
    }
    return text;
}

QString ComposeInvoiceSection(Database& db, qint32 memberId)
{
    QString text;
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT * FROM jmhist WHERE jmhjmjrID = ? ORDER BY jmhjmLaskupaiva, jmhID"), RecordsetType::Snapshot,
        {memberId});
    for (; !rs.eof(); rs.moveNext()) {
        text += Line(Text(rs[QStringLiteral("jmhjmOtsake")]));
        text += Line(QStringLiteral("Aihe: ") + Text(rs[QStringLiteral("jmhjmTeksti")]));
        text += Line(QStringLiteral("Laskupäivä: ") + Text(rs[QStringLiteral("jmhjmLaskupaiva")]));
        text += Line(QStringLiteral("Eräpäivä: ") + Text(rs[QStringLiteral("jmhjmErapaiva")]));
        text += Line(QStringLiteral("Loppusumma: ") + Text(rs[QStringLiteral("jmhjmHinta")]));
        text += Line(QStringLiteral("Laskunumero: ") + Text(rs[QStringLiteral("jmhjmLaskunumero")]));
        text += Line(QStringLiteral("Viitenumero: ") + Text(rs[QStringLiteral("jmhjmViitenumero")]));
        text += Line(
            QStringLiteral("Maksettu: ")
            + (NullToBoolean(rs[QStringLiteral("jmhjmMaksettu")]) ? QStringLiteral("Kyllä") : QStringLiteral("Ei")));
        text += Line(ItemEnd);
    }
    return text;
}

QString ReadFeatureName(Database& db, qint32 featureId)
{
    return DefinitionField(db, featureId, QStringLiteral("piNimi"));
}

QString ReadFeatureDescription(Database& db, qint32 featureId)
{
    return DefinitionField(db, featureId, QStringLiteral("piKuvaus"));
}

QString ComposeContactCopy(const QString& surname, const QString& firstName, const QString& address,
                           const QString& postalCode, const QString& town)
{
    return surname + QLatin1Char(' ') + firstName + CrLf + address + CrLf + postalCode + QLatin1Char(' ') + town;
}

} // namespace tikkeli
