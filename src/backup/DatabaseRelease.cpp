#include "backup/DatabaseRelease.h"

#include "base/Prompter.h"
#include "db/Database.h"

namespace tikkeli {

bool ReleaseDatabase(const QString& databasePath)
{
    if (ConnectionRegistry::closeAll(databasePath))
        return true;
    ShowWarning(QStringLiteral("Tietokannan tallennus on kesken toisessa ikkunassa, joten toimintoa ei voida tehdä nyt.\n"
                               "Tallenna tai peru muutokset ja yritä uudestaan. Tietokantaan ei tehty muutoksia."));
    return false;
}

} // namespace tikkeli
