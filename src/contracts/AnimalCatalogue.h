#pragma once

#include "db/RecordCatalogue.h"

#include <QString>
#include <optional>
#include <vector>

namespace tikkeli {

// The game-animal catalogue (table el) as its window edits it: one animal at a time in table
// order. An animal leaves the catalogue together with its contract links (et), so no contract
// points at an animal that is gone.
class AnimalCatalogue : public RecordCatalogue {
public:
    static constexpr int NameMaxLength = 35;

    // Opens the recordset and shows the first animal. DbException on failure.
    explicit AnimalCatalogue(Database db);

    int animalCount() { return rowCount(); }
    // The shown animal's name ("" without one and for a Null name).
    QString currentName() const;

    // Every animal in name order, grouped by initial; a name that begins with no letter of the
    // alphabet is listed in the group for other initials.
    std::vector<CatalogueLetterGroup> treeGroups();
    // Animals without a name (Null or empty) can be neither shown nor chosen: they go, with
    // their links, all or nothing. The shown animal stays current when it remains. The number
    // removed.
    int removeNamelessAnimals();
    // The same on a database without the window's recordset (lists that read the catalogue).
    static int removeNamelessAnimals(Database& db);

    // Stores the name in the shown animal (or the new one) when it differs from the stored one;
    // a new animal still without a name is dropped. A Finnish reason when the name cannot be
    // stored, the database's own when it refuses; the row is left as it was then.
    std::optional<QString> write(const QString& name);

    // The animal and its contract links, all or nothing; the first animal is shown afterwards.
    void deleteAnimal(qint64 id);
};

} // namespace tikkeli
