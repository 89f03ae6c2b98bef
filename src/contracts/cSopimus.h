#pragma once

#include "contracts/cOminaisuus.h"
#include "contracts/cTila.h"
#include "base/Currency.h"
#include "db/RecordObject.h"

#include <QDate>
#include <QString>
#include <memory>
#include <vector>

namespace tikkeli {

// A game animal the contract concerns (a link row of et), with the animal's name from el.
struct cPair {
    QString ElainNimi;
    qint64 ElainId = 0;
};

// The fields of a vs row the record reads and writes.
struct cSopimusFields {
    QString nimi, osoite, postinumero, postitoimipaikka;
    quint8 koskee = 1;
    QString eiKoske;
    quint8 voimassa = 1;
    quint8 irtisanomisaika = 0;
    QDate alkaen, paattyy;
    quint8 vastike = 1;
    Currency vastikeVuosi, vastikeKausi;
    QDate vuosiErapaiva, kausiErapaiva;
    QString pankkiyhteys;
    quint8 oikeus = 1;
    QString siirtaminen;
    quint8 koirat = 1;
    quint8 omistusmuutos = 0;
    QString metsastysOikeus, yleisetEhdot, muutEhdot, paikkaJaAika, puhelinnumero;
};

// One land-lease contract: a row of vs with its estates (tl, as cTila), its feature values
// (mt, as cOminaisuus) and its animal links (et). Dirty flag, IsEmpty, snapshot, Undo and Release
// work as in cTila. Save stores the contract row, every estate and feature value the record has
// handed out that has changes, and the animal links, all in one transaction: either everything is
// stored or nothing is. Missing dates are stored as Null. The contract number and the selection
// flags are not the record's business and are never written.
class cSopimus : public RecordObject<cSopimus, cSopimusFields> {
public:
    using Estate = std::shared_ptr<cTila>;
    using Feature = std::shared_ptr<cOminaisuus>;

    static constexpr int NameWidth = 50;
    static constexpr int PostalCodeWidth = 5;
    static constexpr int LongTextWidth = 255;
    static constexpr int PlaceWidth = 100;

    cSopimus() = default;
    explicit cSopimus(const Database& db) : RecordObject(db) {}

    // Deletes a contract with its estates and their boundary points, feature values and animal
    // links in one transaction.
    static void DeleteContract(Database& db, qint64 id);

    QString Nimi() const { return text(m_f.nimi); }
    void setNimi(const QString& v);
    QString Osoite() const { return text(m_f.osoite); }
    void setOsoite(const QString& v);
    QString Postinumero() const { return text(m_f.postinumero); }
    void setPostinumero(const QString& v);
    QString Postitoimipaikka() const { return text(m_f.postitoimipaikka); }
    void setPostitoimipaikka(const QString& v);
    // Codes read back as stored when they are one of the window's options, else as option 1.
    quint8 Koskee() const { return code(m_f.koskee, 4); }
    void setKoskee(quint8 v);
    QString EiKoskeSeuraavia() const { return text(m_f.eiKoske); }
    void setEiKoskeSeuraavia(const QString& v);
    quint8 Voimassa() const { return code(m_f.voimassa, 2); }
    void setVoimassa(quint8 v);
    quint8 VoimassaIrtisanomisaika() const { return m_empty ? 0 : m_f.irtisanomisaika; }
    void setVoimassaIrtisanomisaika(quint8 v);
    QDate VoimassaAlkaen() const { return date(m_f.alkaen); }
    void setVoimassaAlkaen(const QDate& v);
    QDate VoimassaPaattyy() const { return date(m_f.paattyy); }
    void setVoimassaPaattyy(const QDate& v);
    quint8 Vastike() const { return code(m_f.vastike, 4); }
    void setVastike(quint8 v);
    Currency VastikeVuosi() const { return m_empty ? Currency() : m_f.vastikeVuosi; }
    void setVastikeVuosi(Currency v);
    Currency VastikeKausi() const { return m_empty ? Currency() : m_f.vastikeKausi; }
    void setVastikeKausi(Currency v);
    QDate VastikeVuosiErapaiva() const { return date(m_f.vuosiErapaiva); }
    void setVastikeVuosiErapaiva(const QDate& v);
    QDate VastikeKausiErapaiva() const { return date(m_f.kausiErapaiva); }
    void setVastikeKausiErapaiva(const QDate& v);
    QString VastikePankkiYhteys() const { return text(m_f.pankkiyhteys); }
    void setVastikePankkiYhteys(const QString& v);
    quint8 Oikeus() const { return code(m_f.oikeus, 3); }
    void setOikeus(quint8 v);
    QString OikeusSiirtaminen() const { return text(m_f.siirtaminen); }
    void setOikeusSiirtaminen(const QString& v);
    // All three choices of the window pass: the lessee, the lessor, both.
    quint8 Koirat() const { return code(m_f.koirat, 3); }
    void setKoirat(quint8 v);
    quint8 Omistusmuutos() const { return m_empty ? 0 : m_f.omistusmuutos; }
    void setOmistusmuutos(quint8 v);
    QString VuokranantajanMetsastysOikeus() const { return text(m_f.metsastysOikeus); }
    void setVuokranantajanMetsastysOikeus(const QString& v);
    QString YleisetEhdot() const { return text(m_f.yleisetEhdot); }
    void setYleisetEhdot(const QString& v);
    QString MuutEhdot() const { return text(m_f.muutEhdot); }
    void setMuutEhdot(const QString& v);
    QString PaikkaJaAika() const { return text(m_f.paikkaJaAika); }
    void setPaikkaJaAika(const QString& v);
    QString Puhelinnumero() const { return text(m_f.puhelinnumero); }
    void setPuhelinnumero(const QString& v);

    // ---- the rows that belong to the contract
    // The animals (the held list: later changes show); empty while the record is empty. Changes
    // are stored by the next Save that writes.
    const std::vector<cPair>& GetAnimals() const;
    void TyhjennaElaimet() { m_animals.clear(); }
    // Adds the animal unless it is there already.
    void LisaaElain(const QString& nimi, qint64 id);

    // A new estate of this contract. On a stored contract it is stored at once (so it has its
    // own id); on a contract not yet stored it is stored with the contract's first Save.
    Estate AddNewTila();
    // A new feature value of this contract for the definition piId, stored like AddNewTila's
    // estate, with its definition read.
    Feature AddNewOminaisuus(qint64 piId);
    // The contract's estates / feature values, read from the database on the first call after a
    // Read; the same objects afterwards, so changes made through them are saved with the contract.
    const std::vector<Estate>& Tilat();
    const std::vector<Feature>& Ominaisuudet();

private:
    friend class RecordObject<cSopimus, cSopimusFields>;
    static constexpr ClubChanges::Kind ChangeKind = ClubChanges::Kind::Contracts;
    bool readRow(qint64 id);
    // Stores the row, its animal links and the pending estates and feature values in one
    // transaction; a failure leaves the record and its rows as they were before the call.
    void writeRow(bool force);
    void deleteRow();
    bool hasPendingChanges() const;
    void resetExtras();
    void afterDelete() { m_empty = true; }

    QString text(const QString& v) const { return m_empty ? QString() : v; }
    QDate date(const QDate& v) const { return m_empty ? QDate() : v; }
    quint8 code(quint8 v, quint8 highest) const { return m_empty || v < 1 || v > highest ? 1 : v; }
    void loadAnimals();
    void writeContractRow();
    void writeAnimals();

    std::vector<cPair> m_animals;
    std::vector<Estate> m_estates;
    std::vector<Feature> m_features;
    bool m_estatesLoaded = false;
    bool m_featuresLoaded = false;
};

} // namespace tikkeli
