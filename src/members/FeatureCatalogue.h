#pragma once

#include "db/RecordCatalogue.h"

#include <QString>
#include <optional>
#include <vector>

namespace tikkeli {

using FeatureTreeEntry = CatalogueTreeEntry;
using FeatureLetterGroup = CatalogueLetterGroup;

// The card's view of one definition row. A kind flag that is Null leaves the check box as it was.
struct FeatureDefinitionView {
    QString nimi, kuvaus, memo;
    QString date, longValue, currency;
    int type = 1; // 0 leaves the option pair as it is
    std::optional<bool> enabledDate, enabledLong, enabledCurrency, enabledMemo;
};

// What the card holds when the row is written. A kind flag is given only when the user clicked
// its check box since the row was shown, so a Null flag stays Null otherwise.
struct FeatureDefinitionInput {
    QString nimi, kuvaus, memo;
    QString date, longValue, currency;
    int type = 1; // 1 or 2; 0 = no option selected
    std::optional<bool> enabledDate, enabledLong, enabledCurrency, enabledMemo;
};

// The feature definitions (table pi) as the catalogue window edits them: one row at a time
// through a recordset over the whole table, in table order.
class FeatureCatalogue : public RecordCatalogue {
public:
    static constexpr int NameMaxLength = 50;

    // Opens the recordset and shows the first definition. DbException on failure.
    explicit FeatureCatalogue(Database db);

    int definitionCount() { return rowCount(); }

    // The letter nodes of one type (1 members, 2 contracts) in name order.
    std::vector<FeatureLetterGroup> treeGroups(int type);

    FeatureDefinitionView current() const;

    // Stores the card's values in the shown row (or the new one) when they differ from it; a new
    // row that is still blank is dropped. Returns a Finnish message when a value cannot be stored
    // (the row is left as it was); DbException when the database refuses.
    std::optional<QString> write(const FeatureDefinitionInput& input);

    // The definition and every member and contract value that uses it, all or nothing.
    void deleteDefinition(qint64 id);
    // Member and contract values whose definition no longer exists, all or nothing.
    void removeOrphanValues();
};

} // namespace tikkeli
