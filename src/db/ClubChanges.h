#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <mutex>

namespace tikkeli {

class Database;

// The one place where the club's data announces that it changed. The core's writers announce
// each change they made; windows that show the same data connect to the signals and read again.
// A change announced inside a transaction is held until the outermost transaction commits and
// dropped if it rolls back, so no window re-reads data that never reached the file.
class ClubChanges : public QObject {
    Q_OBJECT
public:
    enum class Kind : unsigned {
        Members = 1u << 0,
        FeatureDefinitions = 1u << 1,
        FeatureValues = 1u << 2, // members' feature rows
        Contracts = 1u << 3,     // contracts, their estates, animals and feature values
        Boundaries = 1u << 4,
        Catches = 1u << 5,
        ReportTemplates = 1u << 6,
        ContractFeatureValues = 1u << 7, // added to many contracts at once
    };

    static ClubChanges& instance();

    // Announces a change written through db: at once, or when db's open transaction commits.
    static void announce(const Database& db, Kind kind);

    // The database layer found that the file at path is no longer the one it had open (another
    // program restored a backup over it, or removed it). Told by fileReplaced on the next turn of
    // the event loop, once the command that met it has unwound and shown its message, and before
    // any change announced meanwhile. Callable from any thread.
    static void replaced(const QString& path);

signals:
    void membersChanged();
    void featureDefinitionsChanged();
    void featureValuesChanged();
    void contractsChanged();
    void boundariesChanged();
    void catchesChanged();
    void reportTemplatesChanged();
    void contractFeatureValuesChanged();
    // What a window shows and holds typed was read from a file that is gone: it drops its unsaved
    // edits (the user was told the change was not saved) and reads the file now at path.
    void fileReplaced(const QString& path);

private:
    friend class Transaction;
    // What the outermost transaction on a file did: its announced changes are told or dropped.
    static void committed(const QString& path);
    static void rolledBack(const QString& path);
    // Each kind of the mask once, in the order Kind lists them.
    void emitKinds(unsigned kinds);
    void emitEach(unsigned kinds);
    void tellReplaced();

    QHash<QString, unsigned> m_pending; // by the file's path: the open transaction's changes
    std::mutex m_replacedMutex;
    QSet<QString> m_replaced; // found replaced, not yet told
};

} // namespace tikkeli
