#pragma once

#include "db/Database.h"
#include "members/MemberCriteria.h"

#include <QString>
#include <optional>

namespace tikkeli {

// "Osoitetietojen vienti": the names and addresses of the members meeting the criteria as a
// spreadsheet (.xlsx) file. One row per member from the first row, no header, six columns all
// formatted as text so that "0007" and "00100" keep their zeros: member number, surname, first
// name, address, postcode, post office; a Null field is an empty cell. The file is written beside
// the target and put in place whole (FileSafety), or not at all: an earlier file of that name
// stays as it was when anything fails, and a database of ours is never replaced (OutputTarget).
class AddressExport {
public:
    struct Result {
        int count = 0;
        std::optional<QString> failure; // the whole message to show, when the export failed
        // "Tiedostoon kirjoitettiin 1 osoite." / "... N osoitetta.", or the failure.
        QString message() const;
    };

    // Marks the members of the criteria (MemberSelection) and writes them in the order of
    // sortOrder (0 surname, 1 postcode, 2 birth date) to target. Never throws.
    static Result Export(Database& db, const MemberCriteria& criteria, int sortOrder, const QString& target);
    // Writes the members whose jrMukaan is set; the count of rows written.
    static Result WriteAddressRows(Database& db, int sortOrder, const QString& target);

    static QString CountMessage(int count);
    // "Osoitetiedoston tallennus epäonnistui: <reason>"
    static QString FailureMessage(const QString& reason);
    // The file the save dialog proposes: "jasenosoitteet.xlsx" in the documents folder.
    static QString ProposedPath();
};

} // namespace tikkeli
