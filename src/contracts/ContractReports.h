#pragma once

#include "contracts/ContractCriteria.h"

#include <QString>

namespace tikkeli {

// The contract lists of the contract window's "Raportit" menu. Each narrows the contract
// selection by its criteria (or rebuilds the summary table) and fills the report control
// (MainReport()) with its file, formulas, selection and sort; the window then runs it.
class ContractReports {
public:
    enum class Command {
        AnimalWithPeriod,
        AnimalWithoutPeriod,
        AnimalCompact,
        VillageWithPeriod,
        VillageWithoutPeriod,
        LandownerWithPeriod,
        LandownerWithoutPeriod,
        LandownerCompact,
        FeatureWithPeriod,
        FeatureWithoutPeriod,
        FeatureCompact,
        LessorList,
        LessorLabels,
        RentList,
    };
    static constexpr int CommandCount = 14;

    // The criteria dialogs a command asks, in this order, before the print dialog.
    enum Dialog { AnimalDialog = 1, ValidityDialog = 2, FeatureDialog = 4, RentDialog = 8 };
    static int dialogs(Command c);
    // The feature dialog offers labels ("Tarrat") only to the feature lists that can print them.
    static bool offersLabels(Command c);
    // The menu entry's object name (mRapMVAlueetElainNormaaliVuokraAika ...).
    static QString menuItem(Command c);

    // Applies the criteria to the selection and fills the report control after the print dialog
    // has answered (destination, copies). Throws the database's or the report engine's error.
    static void prepare(Database& db, Command c, const ContractCriteria& criteria);

    static inline const QString SelectedContracts = QStringLiteral("{vs.vsMukaan} = true");

private:
    static void selectByValidity(Database& db, const ContractCriteria& criteria, bool withAnimals);
};

} // namespace tikkeli
