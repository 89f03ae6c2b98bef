#include "contracts/ContractReportCriteria.h"

#include "base/NullConversions.h"
#include "members/CriteriaValues.h"
#include "members/DateRefinement.h"
#include "printing/FormulaText.h"

namespace tikkeli {

namespace ContractReportText {

namespace {

QString shortDate(const QDate& d)
{
    return d.isValid() ? d.toString(QStringLiteral("d.M.yyyy")) : QString();
}

QString formulaDate(const QDate& d)
{
    return QStringLiteral("Date(%1,%2,%3)").arg(d.year()).arg(d.month()).arg(d.day());
}

} // namespace

ContractQuery validityQuery(const ContractCriteria::Validity& v)
{
    const Value day(v.TarkastelupaivaValinta);
    switch (v.VoimassaoloValinta) {
    case 1:
        return {QStringLiteral("SELECT vsID FROM vs WHERE vsVoimassa = 1 OR (vsVoimassa = 2 AND vsVoimassaPaattyy >= ?)"),
                {day}};
    case 2: return {QStringLiteral("SELECT vsID FROM vs WHERE vsVoimassa = 2 AND vsVoimassaPaattyy < ?"), {day}};
    default: return {};
    }
}

ContractQuery validityFeatureQuery(const ContractCriteria::Validity& v)
{
    if (v.VoimassaoloOminaisuus == 0)
        return {};
    return {QStringLiteral("SELECT vs.vsID FROM vs, mt WHERE vs.vsID = mt.mtvsID AND mt.mtpiID = ?"),
            {Value(v.VoimassaoloOminaisuus)}};
}

QString ValidityFilterText(const ContractCriteria::Validity& v, const QString& featureName)
{
    QString text;
    if (v.VoimassaoloOminaisuus != 0)
        text = featureName + QStringLiteral(": ");
    switch (v.VoimassaoloValinta) {
    case 0: text += QStringLiteral("Kaikki sopimukset"); break;
    case 1: text += QStringLiteral("Voimassa olevat sopimukset: ") + shortDate(v.TarkastelupaivaValinta); break;
    case 2: text += QStringLiteral("Erääntyneet sopimukset: ") + shortDate(v.TarkastelupaivaValinta); break;
    default: break;
    }
    return text;
}

QString AnimalGroupText(const ContractCriteria::Animals& a)
{
    const QString cervids = QStringLiteral(" ja hirvieläinten metsästystä");
    switch (a.KoskeeValinta) {
    case 1: return QStringLiteral("Koskee kaikkea metsästytstä") + (a.MyosHirvielaimia ? cervids : QString());
    case 2:
        return a.MyosKaikkea ? QStringLiteral("Koskee kaikkea metsästystä ja hirvieläinten metsästystä")
                             : QStringLiteral("Koskee hirvieläinten metsästystä");
    case 3: return QStringLiteral("Ei seuraavia eläimiä: ") + a.ElainNimet();
    case 4:
        return QStringLiteral("Seuraavia eläimiä:") + a.ElainNimet()
               + (a.MyosKaikkea ? QStringLiteral(" ja kaikkea metsästystä") : QString())
               + (a.MyosHirvielaimia ? cervids : QString());
    default: return QString();
    }
}

FeatureTests featureTests(const ContractCriteria::Feature& f)
{
    // The member criteria's readers: a text reads here as the criteria dialog's check reads it.
    FeatureTests t;
    t.date = ReadDateCriterion(f.PvmArvo).value;
    if (const auto number = ReadWholeNumberCriterion(f.LukuArvo).value)
        t.number = *number;
    t.money = ReadMoneyCriterion(f.ArvoArvo).value;
    return t;
}

QString featureFormula(const ContractCriteria::Feature& f)
{
    const FeatureTests t = featureTests(f);
    QString formula = QStringLiteral("{mt.mtvsID} = {vs.vsID} and {pi.piID} = {mt.mtpiID} and {mt.mtpiID} = ")
                      + QString::number(f.RaporttiOminaisuus);
    if (t.date)
        formula += DateRefinement::formula(QStringLiteral("{mt.mtValDate}"), *t.date, f.PvmVertailu);
    if (t.number)
        formula += QStringLiteral(" and {mt.mtValLong} ") + FormulaText::comparison(f.LukuVertailu) + QLatin1Char(' ')
                   + QString::number(*t.number);
    if (t.money)
        formula += QStringLiteral(" and {mt.mtValCurrency} ") + FormulaText::comparison(f.ArvoVertailu) + QLatin1Char(' ')
                   + t.money->toStorageText();
    return formula;
}

ContractQuery featureSummaryQuery(const ContractCriteria::Feature& f)
{
    const FeatureTests t = featureTests(f);
    ContractQuery q;
    q.sql = QStringLiteral("SELECT vs.* FROM vs LEFT JOIN mt ON vs.vsID = mt.mtvsID WHERE ((mt.mtpiID = ?");
    q.params.push_back(Value(f.RaporttiOminaisuus));
    if (t.date) {
        const DateRefinement::SqlTest test = DateRefinement::sql(QStringLiteral("mt.mtValDate"), *t.date, f.PvmVertailu);
        q.sql += test.sql;
        q.params.push_back(Value(test.value));
    }
    if (t.number) {
        q.sql += QStringLiteral(" AND mt.mtValLong ") + FormulaText::comparison(f.LukuVertailu) + QStringLiteral(" ?");
        q.params.push_back(Value(*t.number));
    }
    if (t.money) {
        q.sql += QStringLiteral(" AND mt.mtValCurrency ") + FormulaText::comparison(f.ArvoVertailu) + QStringLiteral(" ?");
        q.params.push_back(Value(*t.money));
    }
    // By name, a contract's repeated rows next to each other.
    q.sql += QStringLiteral(")) ORDER BY vs.vsNimi, vs.vsID");
    return q;
}

std::pair<QString, QString> rentFormula(const ContractCriteria::Rent& r)
{
    QString formula = QStringLiteral("{vs.vsVastike} = ") + QString::number(r.VastikeRajaus);
    QString field;
    if (r.VastikeRajaus == 2)
        field = QStringLiteral("{vs.vsVastikeVuosiErapaiva}");
    else if (r.VastikeRajaus == 3)
        field = QStringLiteral("{vs.vsVastikeKausiErapaiva}");
    else
        return {formula, QString()};
    if (r.ErapaivaAlku.isValid())
        formula += QStringLiteral(" and ") + field + QStringLiteral(" >= ") + formulaDate(r.ErapaivaAlku);
    if (r.ErapaivaLoppu.isValid())
        formula += QStringLiteral(" and ") + field + QStringLiteral(" <= ") + formulaDate(r.ErapaivaLoppu);
    return {formula, QLatin1Char('+') + field};
}

} // namespace ContractReportText

ContractCriteria::Animals BuildAnimalCriteria(const AnimalChoice& choice)
{
    ContractCriteria::Animals a;
    const bool listed = choice.option == 2 || choice.option == 3;
    // "Not the listed animals" takes no other kinds along.
    a.MyosKaikkea = choice.option != 3 && choice.kaikkea;
    a.MyosHirvielaimia = choice.option != 3 && choice.hirvi;
    const auto orKind = [&a](int code) {
        a.RajausKaava += QStringLiteral(" or {vs.vsKoskee} = ") + QString::number(code);
        a.RajausSQL.sql += QStringLiteral(" OR vs.vsKoskee = ") + QString::number(code);
    };
    if (!listed) {
        const int code = choice.option == 1 ? 2 : 1;
        a.KoskeeValinta = code;
        a.RajausKaava = QStringLiteral("{vs.vsKoskee} = ") + QString::number(code);
        a.RajausSQL.sql = QStringLiteral("SELECT * FROM vs WHERE vs.vsKoskee = ") + QString::number(code);
        if (code == 1 && a.MyosHirvielaimia)
            orKind(2);
        if (code == 2 && a.MyosKaikkea)
            orKind(1);
        return a;
    }
    const int code = choice.option == 2 ? 4 : 3;
    a.KoskeeValinta = code;
    a.RajausKaava = (code == 4 ? QStringLiteral("({vs.vsKoskee} = ") : QStringLiteral("{vs.vsKoskee} = "))
                    + QString::number(code);
    a.RajausSQL.sql = QStringLiteral("SELECT vs.* FROM vs LEFT JOIN et ON vs.vsID = et.etvsID WHERE (vs.vsKoskee = ")
                      + QString::number(code) + QStringLiteral(" and ");
    if (choice.animals.empty()) {
        a.Keskeytetty = true;
        if (code == 3)
            return a;
    } else {
        QStringList ids;
        QStringList tests;
        for (const auto& [id, name] : choice.animals) {
            a.elIDs.push_back(id);
            a.names.push_back(name);
            ids.push_back(QString::number(id));
            tests.push_back(QStringLiteral("et.etelID = ?"));
            a.RajausSQL.params.push_back(Value(id));
        }
        a.RajausKaava += QStringLiteral(" and ({el.elID} in [") + ids.join(QStringLiteral(", ")) + QStringLiteral("])");
        a.RajausSQL.sql += QLatin1Char('(') + tests.join(QStringLiteral(" OR "));
        if (code == 3) {
            a.RajausSQL.sql += QStringLiteral("))");
            return a;
        }
    }
    a.RajausKaava += QLatin1Char(')');
    a.RajausSQL.sql += QStringLiteral("))");
    if (a.MyosKaikkea) {
        a.RajausKaava += QStringLiteral(" OR {vs.vsKoskee} = 1");
        a.RajausSQL.sql += QStringLiteral(" OR vs.vsKoskee = 1");
    }
    if (a.MyosHirvielaimia) {
        a.RajausKaava += QStringLiteral(" OR {vs.vsKoskee} = 2");
        a.RajausSQL.sql += QStringLiteral(" OR vs.vsKoskee = 2");
    }
    return a;
}

} // namespace tikkeli
