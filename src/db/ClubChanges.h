#pragma once

#include "db/ChangedMembers.h"
#include "db/HeldChanges.h"

#include <QObject>
#include <QSet>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>

namespace tikkeli {

class Database;

// The one place where the club's data announces that it changed. The core's writers announce
// each change they made; windows that show the same data follow the kinds they show and read
// again. A change announced inside a transaction is told only when the whole transaction, with
// the savepoint it was made in, reaches the file: a savepoint rolled back drops what was
// announced in it, and a transaction that rolls back, or that SQLite ends by itself after a
// failure, drops everything.
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

    // Announces a change written through db: at once, or when db's open transaction commits. A
    // change of the members announced so may have touched any member's row.
    static void announce(const Database& db, Kind kind);
    // Announces a change of one member's row (or its removal): a window that shows many members
    // reads that one again rather than all of them.
    static void announceMember(const Database& db, qint64 memberId);

    // How a window follows a kind: listener runs, in receiver's thread and for as long as receiver
    // lives, after each change of that kind. A listener's failure is shown once, as a failed
    // command's is, and the other listeners and the later kinds of the same change are told all
    // the same.
    static QMetaObject::Connection follow(QObject* receiver, Kind kind, std::function<void()> listener);
    // How a window follows the members and which of them changed: listener runs as above, after
    // each change of the members, with the members it touched (possibly any).
    static QMetaObject::Connection followMembers(QObject* receiver,
                                                 std::function<void(const ChangedMembers& which)> listener);
    // How a window follows fileReplaced, shielded in the same way.
    static QMetaObject::Connection followReplaced(QObject* receiver, std::function<void(const QString& path)> listener);

    // The database layer found that the file at path is no longer the one it had open (something
    // outside this program restored a backup over it, or removed it). Told by fileReplaced on the
    // next turn of the event loop, once the command that met it has unwound and shown its message,
    // and before any change announced meanwhile. Until then no command may use the file (untold):
    // the command that met it fails as a whole, and nothing it read or typed against the old file
    // reaches the new one. Callable from any thread.
    static void replaced(const QString& path);
    static bool untold(const QString& path);
    // A whole-file step of this program put another file at path (a repair): the windows are
    // told in the same way, and the program's own commands go on.
    static void replacedHere(const QString& path);

signals:
    // Which members the change touched: any of them, unless it named them.
    void membersChanged(const tikkeli::ChangedMembers& which = tikkeli::ChangedMembers::any());
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
    // Tells the changes at once, or keeps them with db's open transaction.
    static void hold(const Database& db, const HeldChanges& changes);
    // The outermost transaction committed with these changes announced in it.
    static void committed(const HeldChanges& changes);
    // Each kind of the changes once, in the order Kind lists them.
    void emitKinds(const HeldChanges& changes);
    void emitEach(const HeldChanges& changes);
    void tellReplaced();

    void noteReplaced(const QString& path, bool refuse);

    std::mutex m_replacedMutex;
    QSet<QString> m_replaced;              // found replaced, not yet told
    QSet<QString> m_refused;               // of those, the files no command may use until told
    std::atomic<bool> m_anyRefused{false}; // asked at every statement: the set is rarely filled
};

} // namespace tikkeli
