#include "contracts/ContractCardFields.h"

#include "base/DateInput.h"
#include "base/NullConversions.h"
#include "db/DbError.h"

#include <QLocale>
#include <limits>

namespace tikkeli {

namespace {

using K = ContractCardFields::Kind;

const std::array<ContractCardFields::BoxDef, ContractCardFields::Count> kBoxes = {{
    {"tSopimusNo", "vsSopimusNo", K::Text, 30, "Sopimusno"},
    {"tNimi", "vsNimi", K::Text, 50, "Nimi"},
    {"tOsoite_0", "vsOsoite", K::Text, 50, "Osoite"},
    {"tOsoite_1", "vsPostinumero", K::Text, 5, "Postinumero"},
    {"tOsoite_2", "vsPostitoimipaikka", K::Text, 50, "Postitoimipaikka"},
    {"tOsoite_3", "vsPuhelinnumero", K::Text, 50, "Puhelin"},
    {"tElaimet", "vsEiKoskeSeuraavia", K::Text, 255, "Eläimet"},
    {"tSopimIrtisAika", "vsVoimassaIrtisanomisaika", K::Months, 3, "Irtisanomisaika"},
    {"tAlkaa", "vsVoimassaAlkaen", K::Date, 0, "Voimassa alkaen"},
    {"tPaattyy", "vsVoimassaPaattyy", K::Date, 0, "Voimassa päättyy"},
    {"tVuosiVastike", "vsVastikeVuosi", K::Money, 0, "Vuosivastike"},
    {"tVuosiErapaiva", "vsVastikeVuosiErapaiva", K::Date, 0, "Vuosivastikkeen eräpäivä"},
    {"tKausiVastike", "vsVastikeKausi", K::Money, 0, "Kausivastike"},
    {"tKausiErapaiva", "vsVastikeKausiErapaiva", K::Date, 0, "Kausivastikkeen eräpäivä"},
    {"tPankkiyhteys", "vsVastikePankkiYhteys", K::Text, 50, "Pankkiyhteys"},
    {"tMetsOikSiirto", "vsOikeusSiirtaminen", K::Text, 255, "Siirtäminen"},
    {"tMuutokset", "vsOmistusmuutos", K::Months, 3, "Omistusmuutoksen ilmoitusaika"},
    {"tMetsastysOikeus", "vsVuokranantajanMetsastysOikeus", K::Text, 255, "Vuokranantajan metsästysoikeus"},
    {"tYleisetEhdot", "vsYleisetEhdot", K::Memo, 0, "Yleiset ehdot"},
    {"tMuutEhdot", "vsMuutEhdot", K::Memo, 0, "Muut ehdot"},
    {"tPaikkaJaAika", "vsPaikkaJaAika", K::Text, 100, "Paikka ja aika"},
}};

QString label(int index)
{
    return QString::fromUtf8(kBoxes[std::size_t(index)].label);
}

[[noreturn]] void refuse(int index, const QString& text)
{
    throw DbException(DbErr::TypeMismatch, QStringLiteral("%1: \"%2\" ei ole kelvollinen luku.").arg(label(index), text));
}

} // namespace

const ContractCardFields::BoxDef& ContractCardFields::box(int index)
{
    return kBoxes.at(std::size_t(index));
}

QString ContractCardFields::textOf(int index, const Value& value)
{
    if (value.isNull())
        return QString();
    switch (box(index).kind) {
    case Kind::Date: {
        const QDate d = NullToDate(value, QDate());
        return d.isValid() ? QLocale().toString(d, QLocale::ShortFormat) : QString();
    }
    case Kind::Money: return NullToCurrency(value).toString();
    default: return NullToString(value);
    }
}

Value ContractCardFields::valueOf(int index, const QString& text)
{
    const QString trimmed = text.trimmed();
    switch (box(index).kind) {
    case Kind::Date: {
        if (trimmed.isEmpty())
            return Value();
        const auto date = ReadDate(trimmed);
        if (!date)
            throw DbException(DbErr::TypeMismatch, notADateMessage(index, text));
        return Value(*date);
    }
    case Kind::Months: {
        if (trimmed.isEmpty())
            return Value();
        const auto n = ParseLocaleNumber(trimmed);
        if (!n || *n < 0 || *n > std::numeric_limits<quint8>::max() || *n != qint64(*n))
            refuse(index, text);
        return Value(qint64(*n));
    }
    case Kind::Money: {
        if (trimmed.isEmpty())
            return Value();
        const auto amount = ParseLocaleCurrency(trimmed);
        if (!amount)
            refuse(index, text);
        // A rent is paid to the lessor, never by them.
        if (*amount < Currency())
            throw DbException(DbErr::TypeMismatch,
                              QStringLiteral("%1: vastike ei voi olla negatiivinen (\"%2\").").arg(label(index), text));
        return Value(*amount);
    }
    default: return text.isEmpty() ? Value() : Value(text);
    }
}

QString ContractCardFields::normalisedDateText(const QString& text, bool* valid)
{
    *valid = true;
    if (text.trimmed().isEmpty())
        return QString();
    const auto date = ReadDate(text.trimmed());
    if (!date) {
        // A text that is no date stays as typed, for the user to correct.
        *valid = false;
        return text;
    }
    return QLocale().toString(*date, QLocale::ShortFormat);
}

QString ContractCardFields::notADateMessage(int index, const QString& text)
{
    return label(index) + QStringLiteral(": \"") + text
           + QStringLiteral("\" ei ole päivämäärä. Kirjoita päivämäärä muodossa p.k.vvvv.");
}

const std::array<ContractCardFields::OptionGroup, ContractCardFields::GroupCount>& ContractCardFields::optionGroups()
{
    static const std::array<OptionGroup, GroupCount> groups = {{
        {"optKoskee", "vsKoskee", 4, 1},
        {"optVoimassa", "vsVoimassa", 2, 1},
        {"optVastike", "vsVastike", 4, 2},
        {"optOikeus", "vsOikeus", 3, 2},
        {"optKoira", "vsKoirat", 3, 1},
    }};
    return groups;
}

int ContractCardFields::shownOption(int group, const Value& stored)
{
    const OptionGroup& g = optionGroups().at(std::size_t(group));
    if (stored.isNull())
        return g.shownForNull;
    const qint64 code = stored.toInt64();
    return code >= 1 && code <= g.count ? int(code) : 0;
}

QString ContractCardFields::defaultClauses()
{
    return QStringLiteral(
               "Ellei muuta sovita, vuokralaisella on oikeus pyytää vuokra-alueelta metsästyslaissa mainittuja "
               "rauhoittamattomia eläimiä, myöntää vuokra-alueelle lyhytaikaisia metsästys- ja rauhoittamattomien "
               "eläinten pyyntilupia sekä harjoittaa riistanhoitotoimenpiteitä.")
           + QStringLiteral("\r\n")
           + QStringLiteral("Vuokralaisella on oikeus koirien kouluttamiseen ja irtipitoon vuokra-alueella "
                            "metsästyslain mukaisesti.")
           + QStringLiteral("\r\n")
           + QStringLiteral("Vuokralaisella on oikeus tehdä arvottomasta puuaineksesta nuotio sellaisena aikana, "
                            "jolloin mahdollisuutta tulen leviämiseen ei ole.")
           + QStringLiteral("\r\n")
           + QStringLiteral("Vuokralainen saa käyttää vuokra-alueella moottorikäyttöistä ajoneuvoa kaadettujen "
                            "suurikokoisten riistaeläinten noutamiseen ja riistanhoitotöiden suorittamiseen siten, "
                            "ettei maa- ja metsätaloudelle aiheudu vahinkoa.");
}

QString ContractCardFields::newContractHint()
{
    return QStringLiteral("Aloita uuden sopimuksen syöttö kilkkaamalla 'Uusi' painiketta.\r\n"
                          "Tallenna ensin nimi ja osoitetiedot.\r\n"
                          "Tämän jälkeen voit jatkaa tietojen syöttämistä normaalisti.");
}

QString ContractCardFields::contactBlock(const QString& name, const QString& street, const QString& postalCode,
                                         const QString& postOffice)
{
    return name + QStringLiteral("\r\n") + street + QStringLiteral("\r\n") + postalCode + QLatin1Char(' ') + postOffice;
}

} // namespace tikkeli
