#include "lists/DataPrinterFields.h"

#include "lists/DataPrinterSettings.h"

#include <QStringList>

namespace tikkeli {

const std::vector<DataPrinterField>& TemplateFieldTable()
{
    static const std::vector<DataPrinterField> table = {
        {QStringLiteral("Sukunimi"), QStringLiteral("jrSukunimi")},
        {QStringLiteral("Etunimi"), QStringLiteral("jrEtunimi")},
        {QStringLiteral("Osoite"), QStringLiteral("jrOsoite")},
        {QStringLiteral("Postinumero"), QStringLiteral("jrPostinumero")},
        {QStringLiteral("Postitoimipaikka"), QStringLiteral("jrPostitoimipaikka")},
        {QStringLiteral("Puhelin"), QStringLiteral("jrPuhelin")},
        {QStringLiteral("Matkapuhelin"), QStringLiteral("jrMatkapuhelin")},
        {QStringLiteral("Jäsenmaksu OK"), QStringLiteral("jrJasenmaksu")},
        {QStringLiteral("Jäsennumero"), QStringLiteral("jrJasennumero")},
        {QStringLiteral("Email"), QStringLiteral("jrEmail")},
        {QStringLiteral("Viitenumero"), QStringLiteral("jrViitenumero")},
        {QStringLiteral("Titteli"), QStringLiteral("jrTitteli")},
        {QStringLiteral("Syntymäaika"), QStringLiteral("jrSyntyma")},
        {QStringLiteral("Liittymisaika"), QStringLiteral("jrLiittyma")},
        {QStringLiteral("Email laskutus"), QStringLiteral("jrEmailLasku")},
        {QStringLiteral("Maanomistaja"), QStringLiteral("jrMaanomistaja")},
        {QStringLiteral("Ominaisuus"), QStringLiteral("piNimi")},
        {QStringLiteral("Om. päivä"), QStringLiteral("ptValDate")},
        {QStringLiteral("Om. luku"), QStringLiteral("ptValLong")},
        {QStringLiteral("Om. arvo"), QStringLiteral("ptValCurrency")},
        {QStringLiteral("Om. muistio"), QStringLiteral("ptValMemo")},
    };
    return table;
}

int TemplateFieldIndex(const QString& field)
{
    const auto& table = TemplateFieldTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].field == field)
            return int(i);
    }
    return -1;
}

bool IsFeatureField(const QString& field)
{
    return field.startsWith(QLatin1String("pi")) || field.startsWith(QLatin1String("pt"));
}

QString TemplateFieldList(const DataPrinterSettings& settings)
{
    QStringList fields;
    for (int i = 1; i <= settings.columnCount(); ++i) {
        const QString f = settings.Columns(i).fieldName();
        if (TemplateFieldIndex(f) >= 0 && !fields.contains(f))
            fields << f;
    }
    return fields.join(QStringLiteral(", "));
}

} // namespace tikkeli
