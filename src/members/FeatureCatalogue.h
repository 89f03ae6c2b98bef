#pragma once

#include "db/Database.h"
#include "db/Recordset.h"

#include <QString>
#include <optional>
#include <vector>

namespace tikkeli {

// One definition node of the catalogue tree.
struct FeatureTreeEntry {
    qint64 id = 0;
    QString name;
};

// A letter node with its definitions, in the order of the tree.
struct FeatureLetterGroup {
    QString letter;
    std::vector<FeatureTreeEntry> entries;
};

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
class FeatureCatalogue {
public:
    enum class Move { First, Previous, Next, Last };
    static constexpr int NameMaxLength = 50;

    // Opens the recordset and shows the first definition. DbException on failure.
    explicit FeatureCatalogue(Database db);

    Database& database() { return m_db; }
    Recordset& data() { return m_data; }

    int definitionCount();

    // Tree node keys: the id in decimal followed by "ID".
    static QString treeKey(qint64 id);
    static std::optional<qint64> idFromTreeKey(const QString& key);

    // The letter nodes of one type (1 members, 2 contracts) in name order.
    std::vector<FeatureLetterGroup> treeGroups(int type);
    // The letter groups of rows sorted by name (id, piNimi), as the member tree groups its members:
    // every row is listed, one with a Null name or another initial in the group for other initials.
    static std::vector<FeatureLetterGroup> groupByInitial(const std::vector<std::pair<qint64, Value>>& sortedRows);

    bool hasCurrent() const;
    bool adding() const { return m_data.editMode() == EditMode::Add; }
    std::optional<qint64> currentId() const;
    FeatureDefinitionView current() const;

    // Stores the card's values in the shown row (or the new one) when they differ from it; a new
    // row that is still blank is dropped. Returns a Finnish message when a value cannot be stored
    // (the row is left as it was); DbException when the database refuses.
    std::optional<QString> write(const FeatureDefinitionInput& input);
    void startNew();
    // Drops a pending new row; back on the row shown before.
    void cancelNew();
    // False when there is no row to move to (the caller beeps); the position stays then.
    bool move(Move where);
    bool find(qint64 id);
    void refresh();

    // The definition and every member and contract value that uses it, all or nothing.
    void deleteDefinition(qint64 id);
    // Member and contract values whose definition no longer exists, all or nothing.
    void removeOrphanValues();

private:
    Database m_db;
    Recordset m_data;
    Bookmark m_beforeNew = 0;
};

} // namespace tikkeli
