#pragma once

#include "db/Database.h"

#include <QString>

namespace tikkeli {

// Fills the report control (MainReport) for the contract forms after the print dialog has
// answered: the report file, the page margins, destination and copies, the club as the lessee
// (named formulas ValRegName .. ValRegPostitoimipaikka) and the selection of one contract.
class ContractPrint {
public:
    // The contract on the lease form "vse.rpt". Its validity period reaches the form as the
    // formula ValVsVoimassa; without it the form gets a blank in its place.
    static void prepareContract(Database& db, qint64 contractId, bool printValidity);
    // The empty form "vsempty.rpt": the club's details and no contract.
    static void prepareEmptyForm();
    // "Toistaiseksi, irtisanomisaika 3 kk" or "1.5.2013 - 31.12.2026" (an end left open stays
    // empty); "" for a contract that does not exist.
    static QString validityText(Database& db, qint64 contractId);
};

} // namespace tikkeli
