#include "contracts/cSopimus.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"
#include "db/Transaction.h"

#include <algorithm>

namespace tikkeli {

using record::assign;
using record::assignDate;
using record::assignText;

void cSopimus::setNimi(const QString& v)
{
    assignText(m_f.nimi, v, NameWidth, m_dirty);
}
void cSopimus::setOsoite(const QString& v)
{
    assignText(m_f.osoite, v, NameWidth, m_dirty);
}
void cSopimus::setPostinumero(const QString& v)
{
    assignText(m_f.postinumero, v, PostalCodeWidth, m_dirty);
}
void cSopimus::setPostitoimipaikka(const QString& v)
{
    assignText(m_f.postitoimipaikka, v, NameWidth, m_dirty);
}
void cSopimus::setKoskee(quint8 v)
{
    assign(m_f.koskee, v, m_dirty);
}
void cSopimus::setEiKoskeSeuraavia(const QString& v)
{
    assignText(m_f.eiKoske, v, LongTextWidth, m_dirty);
}
void cSopimus::setVoimassa(quint8 v)
{
    assign(m_f.voimassa, v, m_dirty);
}
void cSopimus::setVoimassaIrtisanomisaika(quint8 v)
{
    assign(m_f.irtisanomisaika, v, m_dirty);
}
void cSopimus::setVoimassaAlkaen(const QDate& v)
{
    assignDate(m_f.alkaen, v, m_dirty);
}
void cSopimus::setVoimassaPaattyy(const QDate& v)
{
    assignDate(m_f.paattyy, v, m_dirty);
}
void cSopimus::setVastike(quint8 v)
{
    assign(m_f.vastike, v, m_dirty);
}
void cSopimus::setVastikeVuosi(Currency v)
{
    assign(m_f.vastikeVuosi, v, m_dirty);
}
void cSopimus::setVastikeKausi(Currency v)
{
    assign(m_f.vastikeKausi, v, m_dirty);
}
void cSopimus::setVastikeVuosiErapaiva(const QDate& v)
{
    assignDate(m_f.vuosiErapaiva, v, m_dirty);
}
void cSopimus::setVastikeKausiErapaiva(const QDate& v)
{
    assignDate(m_f.kausiErapaiva, v, m_dirty);
}
void cSopimus::setVastikePankkiYhteys(const QString& v)
{
    assignText(m_f.pankkiyhteys, v, NameWidth, m_dirty);
}
void cSopimus::setOikeus(quint8 v)
{
    assign(m_f.oikeus, v, m_dirty);
}
void cSopimus::setOikeusSiirtaminen(const QString& v)
{
    assignText(m_f.siirtaminen, v, LongTextWidth, m_dirty);
}
void cSopimus::setKoirat(quint8 v)
{
    assign(m_f.koirat, v, m_dirty);
}
void cSopimus::setOmistusmuutos(quint8 v)
{
    assign(m_f.omistusmuutos, v, m_dirty);
}
void cSopimus::setVuokranantajanMetsastysOikeus(const QString& v)
{
    assignText(m_f.metsastysOikeus, v, LongTextWidth, m_dirty);
}
void cSopimus::setYleisetEhdot(const QString& v)
{
    assignText(m_f.yleisetEhdot, v, 0, m_dirty);
}
void cSopimus::setMuutEhdot(const QString& v)
{
    assignText(m_f.muutEhdot, v, 0, m_dirty);
}
void cSopimus::setPaikkaJaAika(const QString& v)
{
    assignText(m_f.paikkaJaAika, v, PlaceWidth, m_dirty);
}
void cSopimus::setPuhelinnumero(const QString& v)
{
    assignText(m_f.puhelinnumero, v, NameWidth, m_dirty);
}

void cSopimus::resetExtras()
{
    m_animals.clear();
    m_estates.clear();
    m_features.clear();
    m_estatesLoaded = false;
    m_featuresLoaded = false;
}

bool cSopimus::readRow(qint64 id)
{
    Recordset rs = m_db.openRecordset(QStringLiteral("SELECT * FROM vs WHERE vsID = ?"), RecordsetType::Snapshot,
                                      {Value(id)});
    // Not found: the record is reset, key included, so a later Save cannot write defaults over the
    // previous contract.
    if (rs.eof())
        return false;
    reset();
    const auto f = [&rs](const char* name) { return rs.field(QLatin1String(name)); };
    m_id = f("vsID").toInt64();
    m_f.nimi = NullToString(f("vsNimi"));
    m_f.osoite = NullToString(f("vsOsoite"));
    m_f.postinumero = NullToString(f("vsPostinumero"));
    m_f.postitoimipaikka = NullToString(f("vsPostitoimipaikka"));
    m_f.koskee = NullToByte(f("vsKoskee"), 1);
    m_f.eiKoske = NullToString(f("vsEiKoskeSeuraavia"));
    m_f.voimassa = NullToByte(f("vsVoimassa"), 1);
    m_f.irtisanomisaika = NullToByte(f("vsVoimassaIrtisanomisaika"));
    m_f.alkaen = NullToDate(f("vsVoimassaAlkaen"), QDate());
    m_f.paattyy = NullToDate(f("vsVoimassaPaattyy"), QDate());
    m_f.vastike = NullToByte(f("vsVastike"), 1);
    m_f.vastikeVuosi = NullToCurrency(f("vsVastikeVuosi"));
    m_f.vuosiErapaiva = NullToDate(f("vsVastikeVuosiErapaiva"), QDate());
    m_f.vastikeKausi = NullToCurrency(f("vsVastikeKausi"));
    m_f.kausiErapaiva = NullToDate(f("vsVastikeKausiErapaiva"), QDate());
    m_f.pankkiyhteys = NullToString(f("vsVastikePankkiYhteys"));
    m_f.oikeus = NullToByte(f("vsOikeus"), 1);
    m_f.siirtaminen = NullToString(f("vsOikeusSiirtaminen"));
    m_f.koirat = NullToByte(f("vsKoirat"), 1);
    m_f.omistusmuutos = NullToByte(f("vsOmistusmuutos"));
    m_f.metsastysOikeus = NullToString(f("vsVuokranantajanMetsastysOikeus"));
    m_f.yleisetEhdot = NullToString(f("vsYleisetEhdot"));
    m_f.muutEhdot = NullToString(f("vsMuutEhdot"));
    m_f.paikkaJaAika = NullToString(f("vsPaikkaJaAika"));
    m_f.puhelinnumero = NullToString(f("vsPuhelinnumero"));
    loadAnimals();
    return true;
}

void cSopimus::loadAnimals()
{
    m_animals.clear();
    Recordset rs = m_db.openRecordset(
        QStringLiteral("SELECT et.etelID, el.elNimi FROM et LEFT JOIN el ON el.elID = et.etelID "
                       "WHERE et.etvsID = ? ORDER BY et.etID"),
        RecordsetType::Snapshot, {Value(m_id)});
    for (; !rs.eof(); rs.moveNext())
        LisaaElain(NullToString(rs.field(1)), rs.field(0).toInt64());
}

const std::vector<cPair>& cSopimus::GetAnimals() const
{
    static const std::vector<cPair> none;
    return m_empty ? none : m_animals;
}

void cSopimus::LisaaElain(const QString& nimi, qint64 id)
{
    const bool present = std::any_of(m_animals.begin(), m_animals.end(), [id](const cPair& p) { return p.ElainId == id; });
    if (!present)
        m_animals.push_back(cPair{nimi, id});
}

void cSopimus::writeContractRow()
{
    using record::dateValue;
    using record::textValue;
    Params p = {textValue(m_f.nimi),
                textValue(m_f.osoite),
                textValue(m_f.postinumero),
                textValue(m_f.postitoimipaikka),
                Value(m_f.koskee),
                textValue(m_f.eiKoske),
                Value(m_f.voimassa),
                Value(m_f.irtisanomisaika),
                dateValue(m_f.alkaen),
                dateValue(m_f.paattyy),
                Value(m_f.vastike),
                Value(m_f.vastikeVuosi),
                dateValue(m_f.vuosiErapaiva),
                Value(m_f.vastikeKausi),
                dateValue(m_f.kausiErapaiva),
                textValue(m_f.pankkiyhteys),
                Value(m_f.oikeus),
                textValue(m_f.siirtaminen),
                Value(m_f.koirat),
                Value(m_f.omistusmuutos),
                textValue(m_f.metsastysOikeus),
                textValue(m_f.yleisetEhdot),
                textValue(m_f.muutEhdot),
                textValue(m_f.paikkaJaAika),
                textValue(m_f.puhelinnumero)};
    static const QString columns = QStringLiteral(
        "vsNimi, vsOsoite, vsPostinumero, vsPostitoimipaikka, vsKoskee, vsEiKoskeSeuraavia, vsVoimassa, "
        "vsVoimassaIrtisanomisaika, vsVoimassaAlkaen, vsVoimassaPaattyy, vsVastike, vsVastikeVuosi, "
        "vsVastikeVuosiErapaiva, vsVastikeKausi, vsVastikeKausiErapaiva, vsVastikePankkiYhteys, vsOikeus, "
        "vsOikeusSiirtaminen, vsKoirat, vsOmistusmuutos, vsVuokranantajanMetsastysOikeus, vsYleisetEhdot, "
        "vsMuutEhdot, vsPaikkaJaAika, vsPuhelinnumero");
    if (m_id != 0) {
        QString sets = columns;
        sets.replace(QStringLiteral(", "), QStringLiteral(" = ?, "));
        p.push_back(Value(m_id));
        m_db.execute(QStringLiteral("UPDATE vs SET ") + sets + QStringLiteral(" = ? WHERE vsID = ?"), p);
        return;
    }
    QString marks = QStringLiteral("?");
    for (std::size_t i = 1; i < p.size(); ++i)
        marks += QStringLiteral(", ?");
    m_db.execute(QStringLiteral("INSERT INTO vs (") + columns + QStringLiteral(") VALUES (") + marks + QLatin1Char(')'), p);
    m_id = m_db.lastInsertId();
}

void cSopimus::writeAnimals()
{
    // The existing link rows are reused in order, so their keys stay; surplus rows go.
    std::vector<qint64> rows;
    {
        Recordset rs = m_db.openRecordset(QStringLiteral("SELECT etID FROM et WHERE etvsID = ? ORDER BY etID"),
                                          RecordsetType::Snapshot, {Value(m_id)});
        for (; !rs.eof(); rs.moveNext())
            rows.push_back(rs.field(0).toInt64());
    }
    std::size_t i = 0;
    for (const cPair& animal : m_animals) {
        if (i < rows.size())
            m_db.execute(QStringLiteral("UPDATE et SET etelID = ? WHERE etID = ?"), {Value(animal.ElainId), Value(rows[i])});
        else
            m_db.execute(QStringLiteral("INSERT INTO et (etvsID, etelID) VALUES (?, ?)"),
                         {Value(m_id), Value(animal.ElainId)});
        ++i;
    }
    for (; i < rows.size(); ++i)
        m_db.execute(QStringLiteral("DELETE FROM et WHERE etID = ?"), {Value(rows[i])});
}

bool cSopimus::hasPendingChanges() const
{
    return m_dirty || std::any_of(m_estates.begin(), m_estates.end(), [](const Estate& e) { return e->isDirty(); })
           || std::any_of(m_features.begin(), m_features.end(), [](const Feature& f) { return f->isDirty(); });
}

void cSopimus::writeRow(bool force)
{
    const qint64 idBefore = m_id;
    // Copies to put back when the transaction fails: a rolled-back row must not keep a key the
    // database no longer has, and its changes must stay pending.
    std::vector<cTila> estatesBefore;
    for (const Estate& e : m_estates)
        estatesBefore.push_back(*e);
    std::vector<cOminaisuus> featuresBefore;
    for (const Feature& f : m_features)
        featuresBefore.push_back(*f);
    try {
        Transaction t(m_db);
        if (force || m_dirty || m_id == 0) {
            writeContractRow();
            writeAnimals();
        }
        for (const Estate& e : m_estates) {
            e->setVsId(m_id);
            e->Save(false);
        }
        for (const Feature& f : m_features) {
            f->setVsId(m_id);
            f->Save(false);
        }
        t.commit();
    } catch (...) {
        m_id = idBefore;
        for (std::size_t i = 0; i < m_estates.size(); ++i)
            *m_estates[i] = estatesBefore[i];
        for (std::size_t i = 0; i < m_features.size(); ++i)
            *m_features[i] = featuresBefore[i];
        throw;
    }
}

void cSopimus::DeleteContract(Database& db, qint64 id)
{
    Transaction t(db);
    // The boundary points of the contract's estates go with the estates.
    db.execute(QStringLiteral("DELETE FROM rj WHERE rjtlID IN (SELECT tlID FROM tl WHERE tlvsID = ?)"), {Value(id)});
    db.execute(QStringLiteral("DELETE FROM tl WHERE tlvsID = ?"), {Value(id)});
    db.execute(QStringLiteral("DELETE FROM mt WHERE mtvsID = ?"), {Value(id)});
    db.execute(QStringLiteral("DELETE FROM et WHERE etvsID = ?"), {Value(id)});
    db.execute(QStringLiteral("DELETE FROM vs WHERE vsID = ?"), {Value(id)});
    t.commit();
}

void cSopimus::deleteRow()
{
    if (m_id != 0)
        DeleteContract(m_db, m_id);
}

cSopimus::Estate cSopimus::AddNewTila()
{
    Tilat();
    auto estate = std::make_shared<cTila>(m_db);
    estate->setVsId(m_id);
    if (m_id != 0)
        estate->Save(true);
    m_estates.push_back(estate);
    return estate;
}

cSopimus::Feature cSopimus::AddNewOminaisuus(qint64 piId)
{
    Ominaisuudet();
    auto feature = std::make_shared<cOminaisuus>(m_db);
    feature->setVsId(m_id);
    feature->setPiId(piId);
    if (m_id != 0)
        feature->Save(true);
    feature->ReadPiData();
    m_features.push_back(feature);
    return feature;
}

const std::vector<cSopimus::Estate>& cSopimus::Tilat()
{
    static const std::vector<Estate> none;
    if (m_empty)
        return none;
    if (!m_estatesLoaded) {
        m_estatesLoaded = true;
        if (m_id != 0) {
            Recordset rs = m_db.openRecordset(QStringLiteral("SELECT tlID FROM tl WHERE tlvsID = ? ORDER BY tlID"),
                                              RecordsetType::Snapshot, {Value(m_id)});
            for (; !rs.eof(); rs.moveNext()) {
                auto estate = std::make_shared<cTila>(m_db);
                estate->Read(rs.field(0).toInt64());
                m_estates.push_back(estate);
            }
        }
    }
    return m_estates;
}

const std::vector<cSopimus::Feature>& cSopimus::Ominaisuudet()
{
    static const std::vector<Feature> none;
    if (m_empty)
        return none;
    if (!m_featuresLoaded) {
        m_featuresLoaded = true;
        if (m_id != 0) {
            Recordset rs = m_db.openRecordset(QStringLiteral("SELECT mtID FROM mt WHERE mtvsID = ? ORDER BY mtID"),
                                              RecordsetType::Snapshot, {Value(m_id)});
            for (; !rs.eof(); rs.moveNext()) {
                auto feature = std::make_shared<cOminaisuus>(m_db);
                feature->Read(rs.field(0).toInt64());
                m_features.push_back(feature);
            }
        }
    }
    return m_features;
}

} // namespace tikkeli
