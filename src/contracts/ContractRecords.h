#pragma once

#include "db/Database.h"
#include "db/Recordset.h"

#include <QString>

namespace tikkeli {

// The contract window's data control: the club database held open for the window's life and a
// recordset over the whole table vs. The contract search borrows its database.
class ContractRecords {
public:
    // Throws DbException when the file cannot be opened. Removes estates whose contract is gone.
    void open(const QString& databasePath);
    bool isOpen() const { return m_rs.isOpen(); }

    Database& database() { return m_db; }
    Recordset& recordset() { return m_rs; }

    bool hasCurrent() const;
    // The current contract's vsID; 0 without one and while a new contract is being added.
    qint64 currentId() const;
    EditMode editMode() const { return m_rs.isOpen() ? m_rs.editMode() : EditMode::None; }
    // The number of contracts in the table.
    int count();

    // Drops a pending edit, re-reads the table and makes the first contract current.
    void refresh();
    // The contract becomes current; false (position kept) when the set does not hold it.
    bool findId(qint64 id);
    // Puts the current contract into edit mode unless it is being edited or added already.
    // False when there is no contract to edit.
    bool beginEdit();
    void addNew();
    void cancel();
    // Writes the pending contract and keeps it current (a new one gets its key).
    void write();
    // Deletes the current contract with its estates, feature values and animal links in one
    // transaction, then shows the first contract.
    void deleteCurrent();

    // The number a new contract gets (ContractNumbers::next).
    QString NextContractNumber();
    // After the card was stored past the recordset: drops the pending edit, reads the table again
    // and makes the stored contract current.
    void showStored(qint64 id);

private:
    Database m_db;
    Recordset m_rs;
};

} // namespace tikkeli
