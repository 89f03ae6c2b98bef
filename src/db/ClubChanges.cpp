#include "db/ClubChanges.h"

#include "base/ErrorHandling.h"
#include "db/Database.h"
#include "db/Transaction.h"

#include <array>
#include <utility>

namespace tikkeli {

namespace {

using Signal = void (ClubChanges::*)();
using K = ClubChanges::Kind;

// The kinds after the members in the order they are told, each with its signal. The members come
// first, with the members named.
constexpr std::array<std::pair<K, Signal>, 7> Signals = {{
    {K::FeatureDefinitions, &ClubChanges::featureDefinitionsChanged},
    {K::FeatureValues, &ClubChanges::featureValuesChanged},
    {K::Contracts, &ClubChanges::contractsChanged},
    {K::Boundaries, &ClubChanges::boundariesChanged},
    {K::Catches, &ClubChanges::catchesChanged},
    {K::ReportTemplates, &ClubChanges::reportTemplatesChanged},
    {K::ContractFeatureValues, &ClubChanges::contractFeatureValuesChanged},
}};

Signal signalOf(K kind)
{
    for (const auto& [k, signal] : Signals)
        if (k == kind)
            return signal;
    return nullptr;
}

} // namespace

ClubChanges& ClubChanges::instance()
{
    static ClubChanges changes;
    return changes;
}

void ClubChanges::announce(const Database& db, Kind kind)
{
    hold(db, {static_cast<unsigned>(kind), kind == Kind::Members ? ChangedMembers::any() : ChangedMembers()});
}

void ClubChanges::announceMember(const Database& db, qint64 memberId)
{
    hold(db, {static_cast<unsigned>(Kind::Members), ChangedMembers::only(memberId)});
}

void ClubChanges::hold(const Database& db, const HeldChanges& changes)
{
    if (!Transaction::holdChanges(db, changes))
        instance().emitKinds(changes);
}

void ClubChanges::replaced(const QString& path)
{
    instance().noteReplaced(path, true);
}

void ClubChanges::replacedHere(const QString& path)
{
    instance().noteReplaced(path, false);
}

void ClubChanges::noteReplaced(const QString& path, bool refuse)
{
    {
        std::lock_guard lock(m_replacedMutex);
        if (refuse) {
            m_refused.insert(path);
            m_anyRefused = true;
        }
        // Every write of a command may meet the same replaced file: the windows read it once.
        if (m_replaced.contains(path))
            return;
        m_replaced.insert(path);
    }
    QMetaObject::invokeMethod(this, &ClubChanges::tellReplaced, Qt::QueuedConnection);
}

bool ClubChanges::untold(const QString& path)
{
    ClubChanges& changes = instance();
    if (!changes.m_anyRefused)
        return false;
    std::lock_guard lock(changes.m_replacedMutex);
    return changes.m_refused.contains(path);
}

void ClubChanges::tellReplaced()
{
    QSet<QString> paths;
    {
        std::lock_guard lock(m_replacedMutex);
        paths.swap(m_replaced);
        m_refused.clear();
        m_anyRefused = false;
    }
    for (const QString& path : std::as_const(paths))
        IgnoringErrors("club changes: a window failed to read a replaced file", [&] { emit fileReplaced(path); });
}

namespace {

// An exception must not cross Qt's signal dispatch (Qt leaves that undefined), nor stop the
// dispatch before the other listeners and kinds are told: each listener is shielded on its own,
// and its failure shown once, as a failed command's is.
void shielded(const std::function<void()>& listener)
{
    const QString prefix = QStringLiteral("Ikkunan päivitys muutoksen jälkeen ei onnistunut: ");
    try {
        listener();
    } catch (const std::exception& e) {
        IgnoringErrors("club changes: report a listener's failure", [&] { detail::ShowFailure(prefix, e); });
    } catch (...) {
        IgnoringErrors("club changes: report a listener's failure",
                       [&] { detail::ShowFailure(prefix, std::runtime_error("tuntematon virhe")); });
    }
}

} // namespace

QMetaObject::Connection ClubChanges::follow(QObject* receiver, Kind kind, std::function<void()> listener)
{
    if (kind == Kind::Members)
        return followMembers(receiver, [listener = std::move(listener)](const ChangedMembers&) { listener(); });
    return connect(&instance(), signalOf(kind), receiver, [listener = std::move(listener)] { shielded(listener); });
}

QMetaObject::Connection ClubChanges::followMembers(QObject* receiver,
                                                   std::function<void(const ChangedMembers& which)> listener)
{
    return connect(&instance(), &ClubChanges::membersChanged, receiver,
                   [listener = std::move(listener)](const ChangedMembers& which) { shielded([&] { listener(which); }); });
}

QMetaObject::Connection ClubChanges::followReplaced(QObject* receiver, std::function<void(const QString& path)> listener)
{
    return connect(&instance(), &ClubChanges::fileReplaced, receiver,
                   [listener = std::move(listener)](const QString& path) { shielded([&] { listener(path); }); });
}

void ClubChanges::committed(const HeldChanges& changes)
{
    if (changes.kinds)
        instance().emitKinds(changes);
}

void ClubChanges::emitKinds(const HeldChanges& changes)
{
    // A window told of a change writes what it holds typed before it reads again: what it typed
    // against a replaced file must be dropped before that.
    tellReplaced();
    // The change is in the file by now: a listener that fails to follow it must not make the
    // writer report its work as failed.
    IgnoringErrors("club changes: a listener failed", [&] { emitEach(changes); });
}

void ClubChanges::emitEach(const HeldChanges& changes)
{
    if (changes.kinds & static_cast<unsigned>(Kind::Members))
        emit membersChanged(changes.members);
    for (const auto& [kind, signal] : Signals)
        if (changes.kinds & static_cast<unsigned>(kind))
            emit(this->*signal)();
}

} // namespace tikkeli
