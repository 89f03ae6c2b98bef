#include "maps/EstatesToDraw.h"

#include "contracts/ContractSelection.h"
#include "db/Transaction.h"

namespace tikkeli {

std::optional<EstatesToDraw> EstatesToDraw::fromChoice(bool kaikkiTilat, const AnimalChoice& choice)
{
    EstatesToDraw d;
    d.KaikkiTilat = kaikkiTilat;
    if (kaikkiTilat)
        return d; // every estate: the options are not used, so no animal is asked for
    ContractCriteria::Animals animals = BuildAnimalCriteria(choice);
    if (animals.Keskeytetty)
        return std::nullopt;
    d.RajausSQL = std::move(animals.RajausSQL);
    return d;
}

void EstatesToDraw::markContracts(Database& db) const
{
    if (KaikkiTilat || RajausSQL.isEmpty())
        return;
    Transaction t(db);
    ContractSelection::ResetSelection(db);
    ContractSelection::FilterSelection(db, RajausSQL);
    t.commit();
}

} // namespace tikkeli
