#pragma once

#include "db/Database.h"
#include "db/Recordset.h"

#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace tikkeli {

// One row back (forward = false) or on in a recordset of a record window; false at either end,
// where the position stays on the first or last row.
bool StepRecord(Recordset& rs, bool forward);

// One named row of a catalogue tree.
struct CatalogueTreeEntry {
    qint64 id = 0;
    QString name;
};

// A letter node with its rows, in the order of the tree.
struct CatalogueLetterGroup {
    QString letter;
    std::vector<CatalogueTreeEntry> entries;
};

// A catalogue table (feature definitions, game animals) as its window edits it: one row at a
// time through a recordset over the whole table, in table order, with a pending new row that can
// be dropped again.
class RecordCatalogue {
public:
    enum class Move { First, Previous, Next, Last };

    // Opens the recordset and shows the first row. DbException on failure.
    RecordCatalogue(Database db, QString table, QString keyField);

    Database& database() { return m_db; }
    Recordset& data() { return m_data; }

    int rowCount();

    // Tree node keys: the id in decimal followed by "ID".
    static QString treeKey(qint64 id);
    static std::optional<qint64> idFromTreeKey(const QString& key);
    // The letter groups of rows sorted by name (id, name): every row is listed, one with a Null
    // name or another initial in the group for other initials.
    static std::vector<CatalogueLetterGroup> groupByInitial(const std::vector<std::pair<qint64, Value>>& sortedRows);

    bool hasCurrent() const;
    bool adding() const { return m_data.editMode() == EditMode::Add; }
    std::optional<qint64> currentId() const;

    void startNew();
    // Drops a pending new row; back on the row shown before.
    void cancelNew();
    // False when there is no row to move to (the caller beeps); the position stays then.
    bool move(Move where);
    bool find(qint64 id);
    // Drops what is pending, re-reads the table and shows its first row.
    void refresh();

protected:
    // The groups of a query whose first two columns are the id and the name, sorted by name.
    std::vector<CatalogueLetterGroup> groupsOf(const QString& sql, const Params& params = {});
    // Writes the changes into the shown row (or the pending new one, which stays current). A
    // refused write leaves the row as it was shown and throws the DbException.
    void store(const std::vector<std::pair<QString, Value>>& changes);

    Database m_db;
    Recordset m_data;

private:
    QString m_table;
    QString m_key;
    Bookmark m_beforeNew = 0;
};

} // namespace tikkeli
