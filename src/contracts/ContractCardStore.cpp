#include "contracts/ContractCardStore.h"

#include "base/NullConversions.h"
#include "contracts/cSopimus.h"
#include "db/ClubChanges.h"
#include "db/Recordset.h"
#include "db/Transaction.h"

#include <QStringList>

namespace tikkeli {

namespace {

using F = ContractCardFields;

// The card's columns that the contract record does not hold as the card does: the contract
// number, which the record never writes, and the numbers a card may leave empty, which the record
// would store as 0 (and a printed contract would then show 0 where a blank is to be filled in).
constexpr int kOwnColumns[] = {F::SopimusNo, F::SopimIrtisAika, F::VuosiVastike, F::KausiVastike, F::Muutokset};

QDate dateOf(const Value& v)
{
    return v.isNull() ? QDate() : v.toDate();
}

void applyBox(cSopimus& c, int index, const QString& text)
{
    const Value v = F::valueOf(index, text);
    switch (index) {
    case F::Nimi: c.setNimi(text); break;
    case F::Osoite0: c.setOsoite(text); break;
    case F::Osoite1: c.setPostinumero(text); break;
    case F::Osoite2: c.setPostitoimipaikka(text); break;
    case F::Osoite3: c.setPuhelinnumero(text); break;
    case F::Elaimet: c.setEiKoskeSeuraavia(text); break;
    case F::SopimIrtisAika: c.setVoimassaIrtisanomisaika(quint8(NullToByte(v))); break;
    case F::Alkaa: c.setVoimassaAlkaen(dateOf(v)); break;
    case F::Paattyy: c.setVoimassaPaattyy(dateOf(v)); break;
    case F::VuosiVastike: c.setVastikeVuosi(NullToCurrency(v)); break;
    case F::VuosiErapaiva: c.setVastikeVuosiErapaiva(dateOf(v)); break;
    case F::KausiVastike: c.setVastikeKausi(NullToCurrency(v)); break;
    case F::KausiErapaiva: c.setVastikeKausiErapaiva(dateOf(v)); break;
    case F::Pankkiyhteys: c.setVastikePankkiYhteys(text); break;
    case F::MetsOikSiirto: c.setOikeusSiirtaminen(text); break;
    case F::Muutokset: c.setOmistusmuutos(quint8(NullToByte(v))); break;
    case F::MetsastysOikeus: c.setVuokranantajanMetsastysOikeus(text); break;
    case F::YleisetEhdot: c.setYleisetEhdot(text); break;
    case F::MuutEhdot: c.setMuutEhdot(text); break;
    case F::PaikkaJaAika: c.setPaikkaJaAika(text); break;
    default: break; // SopimusNo: written beside the record
    }
}

void applyOption(cSopimus& c, int group, int code)
{
    const auto v = quint8(code);
    switch (group) {
    case F::Koskee: c.setKoskee(v); break;
    case F::Voimassa: c.setVoimassa(v); break;
    case F::Vastike: c.setVastike(v); break;
    case F::Oikeus: c.setOikeus(v); break;
    case F::Koira: c.setKoirat(v); break;
    default: break;
    }
}

} // namespace

ContractCardStored ContractCardStore::save(Database& db, const ContractCardEdit& edit)
{
    // Everything typed is read first: a refused text stops the save before anything is written.
    std::map<int, Value> values;
    for (const auto& [index, text] : edit.boxes)
        values[index] = F::valueOf(index, text);

    Transaction t(db);
    cSopimus contract(db);
    std::map<int, Value> own;
    if (edit.id != 0) {
        if (!contract.Read(edit.id))
            throw DbException(DbErr::RecordDeleted, QStringLiteral("Tietue on poistettu."));
        Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM vs WHERE vsID = ?"), RecordsetType::Snapshot,
                                        {Value(edit.id)});
        for (const int index : kOwnColumns)
            own[index] = rs.field(QLatin1String(F::box(index).field));
    }
    if (edit.cardChanged) {
        for (const auto& [index, text] : edit.boxes)
            applyBox(contract, index, text);
        for (int g = 0; g < F::GroupCount; ++g) {
            if (edit.options[std::size_t(g)] > 0)
                applyOption(contract, g, edit.options[std::size_t(g)]);
        }
    }

    // Each typed row goes to the contract's own estate of that key; a row whose estate is gone
    // (or never was) becomes a new estate, so nothing typed is lost.
    std::vector<cSopimus::Estate> estates;
    for (const ContractEstates::Row& row : edit.estates) {
        cSopimus::Estate estate;
        for (const cSopimus::Estate& e : contract.Tilat()) {
            if (row.id != 0 && e->id() == row.id)
                estate = e;
        }
        if (!estate)
            estate = contract.AddNewTila();
        ContractEstates::apply(*estate, row);
        estates.push_back(estate);
    }

    contract.Save(edit.id == 0);
    if (edit.cardChanged) {
        QStringList sets;
        Params p;
        for (const int index : kOwnColumns) {
            sets << QLatin1String(F::box(index).field) + QStringLiteral(" = ?");
            const auto typed = values.find(index);
            p.push_back(typed != values.end() ? typed->second : own[index]);
        }
        p.push_back(Value(contract.id()));
        db.execute(QStringLiteral("UPDATE vs SET ") + sets.join(QStringLiteral(", ")) + QStringLiteral(" WHERE vsID = ?"),
                   p);
    }
    ClubChanges::announce(db, ClubChanges::Kind::Contracts);
    t.commit();

    ContractCardStored stored;
    stored.id = contract.id();
    for (const cSopimus::Estate& e : estates)
        stored.estateIds.push_back(e->id());
    return stored;
}

} // namespace tikkeli
