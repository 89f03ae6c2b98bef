#pragma once

#include "contracts/ContractReportCriteria.h"

namespace tikkeli {

// Which estates the map draws: every estate, or the estates of the contracts a query selects by
// the hunting they concern (vsKoskee) and, for the animal-list kinds, the chosen animals. The
// query is the animal criteria's query of the contract lists, with its values bound.
struct EstatesToDraw {
    bool KaikkiTilat = false;
    ContractQuery RajausSQL; // empty when every estate is drawn or no choice was made

    // The dialog's choice: option 0 "Kaikkia eläimiä", 1 "Hirvieläimiä", 2 "Seuraavia eläimiä",
    // 3 "Ei seuraavia eläimiä", the two "Piirrä myös" boxes and the chosen animals.
    // nullopt when an animal-list option has no animal chosen and not every estate is asked for.
    static std::optional<EstatesToDraw> fromChoice(bool kaikkiTilat, const AnimalChoice& choice);

    // Marks exactly the query's contracts with vsMukaan, in one transaction; with KaikkiTilat
    // or an empty query nothing is marked.
    void markContracts(Database& db) const;
};

} // namespace tikkeli
