#pragma once

#include "db/Database.h"
#include "db/Recordset.h"

#include <QSet>
#include <QString>

namespace tikkeli {

// The member window's data control: the club database held open and a recordset over the whole
// table jr, in the order the engine returns the rows. Other windows borrow its database.
class MemberRecords {
public:
    // Throws DbException when the file cannot be opened.
    void open(const QString& databasePath);
    bool isOpen() const { return m_rs.isOpen(); }

    Database& database() { return m_db; }
    Recordset& recordset() { return m_rs; }

    bool hasCurrent() const;
    // The current member's jrID, 0 without a current record (or while a new one is being added).
    qint64 currentId() const;
    EditMode editMode() const { return m_rs.isOpen() ? m_rs.editMode() : EditMode::None; }

    // Drops a pending edit, re-reads the table and makes the first record current.
    void refresh();
    // Reads these members' rows again, the rest of the set as it was (their change was made
    // elsewhere): a member gone leaves the set, a new one joins its end. A pending edit is
    // dropped; the member shown stays current while it exists, otherwise the first one is.
    void reread(const QSet<qint64>& ids);
    // The member becomes current; false (position kept) when the set does not hold it.
    bool findId(qint64 id);

    // Puts the current record into edit mode when it is in neither edit nor add mode.
    void beginEdit();
    void addNew();
    void cancel();
    // Writes the pending record and makes it current. A member number that another member already
    // has is refused with DbException 3022 before anything is written (the table has no unique
    // index on it, older files may even hold duplicates, so only a changed number is checked).
    void write();

    // Deletes the current member with its feature rows (pt) in one transaction, then refreshes.
    // The member's invoices stay.
    void deleteCurrent();
    // Both writes announce the change of the members; while one runs, the window holding this
    // control hears its own write, not a change made elsewhere.
    bool writing() const { return m_writing; }

    // The member-number counter: the value the new member gets; the shared counter goes one on
    // and is stored under "Jasennro" at once. Throws DbException 6 when the counter would overflow.
    QString NextMemberNumber();

private:
    Database m_db;
    Recordset m_rs;
    bool m_writing = false;
};

} // namespace tikkeli
