#include "catch/CatchEntry.h"

#include "base/DateInput.h"
#include "base/NullConversions.h"
#include "db/Recordset.h"

namespace tikkeli {

namespace {

const QString kDateFormat = QStringLiteral("d.M.yyyy");

Value textValue(const QString& text)
{
    return text.isEmpty() ? Value() : Value(text);
}

QString antlerText(const Value& stored)
{
    return stored.isNull() ? QString() : QString::number(stored.toInt64());
}

// The antler points of a box: nullopt for an empty box, -1 for what is no whole number 0..255.
std::optional<int> antlerPoints(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const int n = t.toInt(&ok);
    return ok && n >= 0 && n <= CatchFields::MaxAntlerPoints ? n : -1;
}

} // namespace

QString CatchFields::dateText(const Value& stored)
{
    const QDate d = NullToDate(stored, QDate());
    return d.isValid() ? d.toString(kDateFormat) : QString();
}

std::optional<QString> CatchFields::normalisedDate(const QString& text)
{
    if (text.trimmed().isEmpty())
        return QString();
    const std::optional<QDate> d = ReadDate(text);
    if (!d)
        return std::nullopt;
    return d->toString(kDateFormat);
}

CatchEntry CatchFields::fromRow(const Recordset& rs)
{
    CatchEntry e;
    e.laji = NullToString(rs.field(QStringLiteral("siLaji")));
    e.pvm = dateText(rs.field(QStringLiteral("siPvm")));
    e.aikuinen = NullToBoolean(rs.field(QStringLiteral("siIka")), true);
    e.uros = NullToBoolean(rs.field(QStringLiteral("siSukupuoli")), true);
    e.puolitoista = NullToBoolean(rs.field(QStringLiteral("siPuolitoista")), false);
    e.paikka = NullToString(rs.field(QStringLiteral("siPaikka")));
    e.sarvipiikkiV = antlerText(rs.field(QStringLiteral("siSarvipiikkiV")));
    e.sarvipiikkiO = antlerText(rs.field(QStringLiteral("siSarvipiikkiO")));
    e.kaataja = NullToString(rs.field(QStringLiteral("siKaataja")));
    e.kelvoton = NullToBoolean(rs.field(QStringLiteral("siKelvoton")), false);
    return e;
}

std::optional<QString> CatchFields::problem(const CatchEntry& e)
{
    const std::pair<const QString&, std::pair<const char*, int>> texts[] = {
        {e.laji, {"Hirvieläinlaji", LajiWidth}},
        {e.paikka, {"Pyyntipaikka", PaikkaWidth}},
        {e.kaataja, {"Kaataja", KaatajaWidth}},
    };
    for (const auto& [text, limit] : texts) {
        if (text.size() > limit.second)
            return QStringLiteral("%1 on liian pitkä: enintään %2 merkkiä.")
                .arg(QString::fromUtf8(limit.first))
                .arg(limit.second);
    }
    if (!normalisedDate(e.pvm))
        return QStringLiteral("Päivämäärä: \"%1\" ei ole päivämäärä.").arg(e.pvm);
    const std::pair<const QString&, const char*> antlers[] = {{e.sarvipiikkiV, "vasen"}, {e.sarvipiikkiO, "oikea"}};
    for (const auto& [text, side] : antlers) {
        if (antlerPoints(text).value_or(0) < 0)
            return QStringLiteral("Sarvipiikit, %1: \"%2\" ei ole kokonaisluku 0-%3.")
                .arg(QString::fromUtf8(side), text)
                .arg(MaxAntlerPoints);
    }
    return std::nullopt;
}

std::vector<std::pair<QString, Value>> CatchFields::values(const CatchEntry& e)
{
    const auto antler = [](const QString& text) {
        const std::optional<int> n = antlerPoints(text);
        return n ? Value(*n) : Value();
    };
    const std::optional<QDate> date = e.pvm.trimmed().isEmpty() ? std::nullopt : ReadDate(e.pvm);
    return {
        {QStringLiteral("siLaji"), textValue(e.laji)},
        {QStringLiteral("siPvm"), date ? Value(*date) : Value()},
        {QStringLiteral("siIka"), Value(e.aikuinen)},
        {QStringLiteral("siSukupuoli"), Value(e.uros)},
        {QStringLiteral("siPuolitoista"), Value(e.puolitoista)},
        {QStringLiteral("siPaikka"), textValue(e.paikka)},
        {QStringLiteral("siSarvipiikkiV"), antler(e.sarvipiikkiV)},
        {QStringLiteral("siSarvipiikkiO"), antler(e.sarvipiikkiO)},
        {QStringLiteral("siKaataja"), textValue(e.kaataja)},
        {QStringLiteral("siKelvoton"), Value(e.kelvoton)},
    };
}

} // namespace tikkeli
