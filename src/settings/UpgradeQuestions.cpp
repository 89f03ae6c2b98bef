#include "settings/UpgradeQuestions.h"

#include "base/Prompter.h"

namespace tikkeli {

namespace {

QString catchPlaceQuestion()
{
    const QString br = QStringLiteral("\r\n");
    return QStringLiteral("Saalisluettelon tietokantaa tulisi päivittää. ")
           + QStringLiteral("Päivitystä on syytä lykätä niin kauan, kunnes") + br
           + QStringLiteral("saalisilmoitus on tältä vuodelta loppuun täytetty ja tulostettu.") + br
           + QStringLiteral("Kun päivitys tehdään, se tyhjentää 'Pyyntipaikka' tiedot") + br
           + QStringLiteral("kaikista syötetyistä kaadoista.") + br + br + QStringLiteral("Haluatko tehdä päivityksen nyt?");
}

} // namespace

UpgradeHooks AskingUpgradeHooks()
{
    UpgradeHooks hooks;
    hooks.widenCatchPlace = [] { return AskYesNo(catchPlaceQuestion()); };
    return hooks;
}

std::vector<int> UpdateDatabaseAsking(Database& db)
{
    return UpdateDatabase(db, AskingUpgradeHooks());
}

} // namespace tikkeli
