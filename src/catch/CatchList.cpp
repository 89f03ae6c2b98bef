#include "catch/CatchList.h"

#include "catch/CatchLists.h"
#include "db/DbError.h"
#include "db/ClubChanges.h"

namespace tikkeli {

CatchList::CatchList(Database db) : RecordCatalogue(std::move(db), QStringLiteral("si"), QStringLiteral("siID")) {}

CatchEntry CatchList::current() const
{
    if (adding() || !hasCurrent())
        return CatchEntry{};
    return CatchFields::fromRow(m_data);
}

std::optional<QString> CatchList::write(const CatchEntry& typed)
{
    if (!hasCurrent())
        return std::nullopt;
    // A new catch the user has not typed in holds nothing of a catch: it is dropped, not stored.
    if (adding() && typed == CatchEntry{}) {
        cancelNew();
        return std::nullopt;
    }
    if (std::optional<QString> problem = CatchFields::problem(typed))
        return problem;
    std::vector<std::pair<QString, Value>> changes = CatchFields::values(typed);
    if (!adding()) {
        // Only what the user changed is written: a stored value the box shows in another form (a
        // date with a time of day) stays as it is.
        const auto stored = CatchFields::values(current());
        std::vector<std::pair<QString, Value>> changed;
        for (std::size_t i = 0; i < changes.size(); ++i) {
            if (!(changes[i].second == stored[i].second))
                changed.push_back(changes[i]);
        }
        if (changed.empty())
            return std::nullopt;
        changes = std::move(changed);
    }
    try {
        store(changes);
    } catch (const DbException& e) {
        return e.description();
    }
    return std::nullopt;
}

void CatchList::deleteCurrent()
{
    const std::optional<qint64> id = currentId();
    if (adding() || !id) {
        cancelNew();
        return;
    }
    m_db.execute(QStringLiteral("DELETE FROM si WHERE siID = ?"), {*id});
    refresh();
}

void CatchList::deleteAll()
{
    if (adding())
        cancelNew();
    m_db.execute(QStringLiteral("DELETE FROM si"));
    refresh();
}

int CatchList::deleteSpecies(Database& db, const QString& species)
{
    db.execute(QStringLiteral("DELETE FROM si WHERE ") + CatchLists::speciesCondition(),
               {Value(CatchLists::speciesPattern(species))});
    const int deleted = db.rowsAffected();
    if (deleted > 0)
        ClubChanges::announce(db, ClubChanges::Kind::Catches);
    return deleted;
}

} // namespace tikkeli
