#include "lists/TemplateCriteria.h"

#include "lists/DataPrinterFields.h"
#include "lists/DataPrinterSettings.h"
#include "lists/MemberSelection.h"
#include "members/FeatureName.h"
#include "members/MemberCriteria.h"
#include "printing/FieldFormatter.h"

#include <QStringList>

namespace tikkeli {

namespace {

QString op(int code)
{
    switch (code) {
    case 0: return QStringLiteral("<");
    case 2: return QStringLiteral(">");
    default: return QStringLiteral("=");
    }
}

// A date in the short form after its operator; a year pattern ("19*", "19?5") after "~", which
// the pattern is matched with whatever operator is chosen.
QString dateCriterion(const QString& label, const DateCriterion& d, int code)
{
    if (d.isYearPattern())
        return label + QStringLiteral("~") + d.yearPattern;
    return label + op(code) + FieldFormatter::date(d.date);
}

QStringList chosenFeatureNames(Database& db, const MemberCriteria& c)
{
    QStringList names;
    for (int i = 0; i < MemberCriteria::FeatureSlots; ++i) {
        if (c.hepiID(i) != 0)
            names << FeatureName(db, c.hepiID(i));
    }
    return names;
}

} // namespace

QString FeatureCriteriaText(Database& db, const MemberCriteria& c)
{
    const QStringList names = chosenFeatureNames(db, c);
    if (c.OminaisuusRajaus)
        return QStringLiteral("EI (") + names.join(QStringLiteral(" JA ")) + QStringLiteral(")");
    return names.join(c.OminaisuudetJa ? QStringLiteral(" JA ") : QStringLiteral(" TAI "));
}

QString TemplateCriteriaText(Database& db, const MemberCriteria& c)
{
    QStringList parts;
    if (c.hepiCount() >= 1) {
        const bool single = c.hepiCount() == 1 && !c.OminaisuusRajaus;
        QString features = single ? chosenFeatureNames(db, c).value(0) : FeatureCriteriaText(db, c);
        // Refinements narrow one feature's values only; with several they are not applied.
        if (single) {
            QStringList refinements;
            if (c.PvmArvo)
                refinements << dateCriterion(QStringLiteral("Pvm "), *c.PvmArvo, c.PvmVertailu);
            if (c.LukuArvo)
                refinements << QStringLiteral("Luku: ") + op(c.LukuVertailu) + QString::number(*c.LukuArvo);
            if (c.ArvoArvo)
                refinements << QStringLiteral("Arvo: ") + op(c.ArvoVertailu) + c.ArvoArvo->toString();
            if (!refinements.isEmpty())
                features += QStringLiteral(" rajauksin ") + refinements.join(QStringLiteral(" JA "));
        }
        parts << features;
    }
    if (c.JasenmaksuValinta == 0)
        parts << QStringLiteral("Jäsenmaksu maksettu");
    else if (c.JasenmaksuValinta == 1)
        parts << QStringLiteral("Jäsenmaksu maksamatta");
    if (c.SyntymaAika)
        parts << dateCriterion(QStringLiteral("Syntymäaika: "), *c.SyntymaAika, c.SyntymaAikaVertailu);
    if (c.LiittymisAika)
        parts << dateCriterion(QStringLiteral("Liittymisaika: "), *c.LiittymisAika, c.LiittymisAikaVertailu);
    if (!c.PostinumeroAlku.isEmpty() && !c.PostinumeroLoppu.isEmpty())
        parts << QStringLiteral("Postinumero välillä: ") + c.PostinumeroAlku + QStringLiteral(" - ") + c.PostinumeroLoppu;
    else if (!c.PostinumeroAlku.isEmpty())
        parts << QStringLiteral("Postinumero >") + c.PostinumeroAlku;
    else if (!c.PostinumeroLoppu.isEmpty())
        parts << QStringLiteral("Postinumero <") + c.PostinumeroLoppu;
    if (c.OmistajaValinta == 0)
        parts << QStringLiteral("Omistajalaji: Jäsen");
    else if (c.OmistajaValinta == 1)
        parts << QStringLiteral("Omistajalaji: Maanomistaja");
    return parts.join(QStringLiteral(" JA "));
}

TemplateQuery TemplateCriteriaSql(const DataPrinterSettings& settings, const MemberCriteria& c, int sortOrder)
{
    QStringList columns{QStringLiteral("jr.jrID")};
    bool featureColumns = false;
    const QStringList fields = TemplateFieldList(settings).split(QStringLiteral(", "), Qt::SkipEmptyParts);
    for (const QString& f : fields) {
        // Only names of the fixed table reach the statement, each qualified by its own table.
        if (f == QLatin1String("piNimi"))
            columns << QStringLiteral("pi.piNimi");
        else if (IsFeatureField(f))
            columns << QStringLiteral("pt.") + f;
        else
            columns << QStringLiteral("jr.") + f;
        featureColumns = featureColumns || IsFeatureField(f);
    }
    TemplateQuery q;
    q.sql = QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) + QStringLiteral(" FROM jr");
    if (featureColumns) {
        // The values of the one chosen feature that pass its refinements, as the member lists
        // show them; with no single feature chosen, every value of the member's.
        q.sql += QStringLiteral(" LEFT JOIN pt ON pt.ptjrID = jr.jrID");
        const MemberCondition values = MemberSelection::featureValueCondition(c);
        if (!values.sql.isEmpty()) {
            q.sql += QStringLiteral(" AND ") + values.sql;
            q.params.insert(q.params.end(), values.params.begin(), values.params.end());
        }
        q.sql += QStringLiteral(" LEFT JOIN pi ON pi.piID = pt.ptpiID");
    }
    q.sql += QStringLiteral(" WHERE jr.jrMukaan = True ORDER BY ") + MemberSelection::orderBy(sortOrder);
    if (featureColumns)
        q.sql += QStringLiteral(", pi.piNimi, pt.ptID");
    return q;
}

} // namespace tikkeli
