#include "db/ClubChanges.h"

#include "base/ErrorHandling.h"
#include "db/Database.h"

namespace tikkeli {

ClubChanges& ClubChanges::instance()
{
    static ClubChanges changes;
    return changes;
}

void ClubChanges::announce(const Database& db, Kind kind)
{
    const unsigned bit = static_cast<unsigned>(kind);
    if (db.isOpen() && db.inTransaction()) {
        instance().m_pending[db.path()] |= bit;
        return;
    }
    instance().emitKinds(bit);
}

void ClubChanges::replaced(const QString& path)
{
    ClubChanges& changes = instance();
    {
        std::lock_guard lock(changes.m_replacedMutex);
        // Every write of a command may meet the same replaced file: the windows read it once.
        if (changes.m_replaced.contains(path))
            return;
        changes.m_replaced.insert(path);
    }
    QMetaObject::invokeMethod(&changes, &ClubChanges::tellReplaced, Qt::QueuedConnection);
}

void ClubChanges::tellReplaced()
{
    QSet<QString> paths;
    {
        std::lock_guard lock(m_replacedMutex);
        paths.swap(m_replaced);
    }
    for (const QString& path : std::as_const(paths))
        IgnoringErrors("club changes: a window failed to read a replaced file", [&] { emit fileReplaced(path); });
}

void ClubChanges::committed(const QString& path)
{
    if (const unsigned kinds = instance().m_pending.take(path))
        instance().emitKinds(kinds);
}

void ClubChanges::rolledBack(const QString& path)
{
    instance().m_pending.remove(path);
}

void ClubChanges::emitKinds(unsigned kinds)
{
    // A window told of a change writes what it holds typed before it reads again: what it typed
    // against a replaced file must be dropped before that.
    tellReplaced();
    // The change is in the file by now: a listener that fails to follow it must not make the
    // writer report its work as failed.
    IgnoringErrors("club changes: a listener failed", [&] { emitEach(kinds); });
}

void ClubChanges::emitEach(unsigned kinds)
{
    using K = Kind;
    const auto has = [kinds](K k) { return (kinds & static_cast<unsigned>(k)) != 0; };
    if (has(K::Members))
        emit membersChanged();
    if (has(K::FeatureDefinitions))
        emit featureDefinitionsChanged();
    if (has(K::FeatureValues))
        emit featureValuesChanged();
    if (has(K::Contracts))
        emit contractsChanged();
    if (has(K::Boundaries))
        emit boundariesChanged();
    if (has(K::Catches))
        emit catchesChanged();
    if (has(K::ReportTemplates))
        emit reportTemplatesChanged();
    if (has(K::ContractFeatureValues))
        emit contractFeatureValuesChanged();
}

} // namespace tikkeli
