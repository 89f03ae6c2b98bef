#include "contracts/AnimalCatalogue.h"

#include "base/NullConversions.h"
#include "db/DbError.h"
#include "db/Transaction.h"

namespace tikkeli {

namespace {
const QString kName = QStringLiteral("elNimi");
} // namespace

AnimalCatalogue::AnimalCatalogue(Database db) : RecordCatalogue(std::move(db), QStringLiteral("el"), QStringLiteral("elID"))
{
}

QString AnimalCatalogue::currentName() const
{
    return hasCurrent() ? NullToString(m_data.field(kName)) : QString();
}

std::vector<CatalogueLetterGroup> AnimalCatalogue::treeGroups()
{
    return groupsOf(QStringLiteral("SELECT elID, elNimi FROM el ORDER BY elNimi"));
}

int AnimalCatalogue::removeNamelessAnimals(Database& db)
{
    const QString nameless = QStringLiteral("elNimi IS NULL OR elNimi = ''");
    if (db.scalar(QStringLiteral("SELECT COUNT(*) FROM el WHERE ") + nameless).toInt64() == 0)
        return 0;
    Transaction tx(db);
    db.execute(QStringLiteral("DELETE FROM et WHERE etelID IN (SELECT elID FROM el WHERE ") + nameless
               + QStringLiteral(")"));
    db.execute(QStringLiteral("DELETE FROM el WHERE ") + nameless);
    const int removed = db.rowsAffected();
    tx.commit();
    return removed;
}

int AnimalCatalogue::removeNamelessAnimals()
{
    const std::optional<qint64> shown = currentId();
    const int removed = removeNamelessAnimals(m_db);
    if (removed > 0 && (!shown || !find(*shown)))
        refresh();
    return removed;
}

std::optional<QString> AnimalCatalogue::write(const QString& name)
{
    if (!hasCurrent())
        return std::nullopt;
    if (name.size() > NameMaxLength)
        return QStringLiteral("Nimi on liian pitkä: enintään %1 merkkiä.").arg(NameMaxLength);
    if (adding() && name.isEmpty()) {
        cancelNew();
        return std::nullopt;
    }
    const Value value = name.isEmpty() ? Value() : Value(name);
    if (!adding() && m_data.field(kName) == value)
        return std::nullopt;
    // A name is what contracts and reports show of the animal; removing one is done with Poista.
    if (value.isNull())
        return QStringLiteral("Eläimellä pitää olla nimi.");
    try {
        store({{kName, value}});
    } catch (const DbException& e) {
        return e.description();
    }
    return std::nullopt;
}

void AnimalCatalogue::deleteAnimal(qint64 id)
{
    Transaction tx(m_db);
    m_db.execute(QStringLiteral("DELETE FROM et WHERE etelID = ?"), {id});
    m_db.execute(QStringLiteral("DELETE FROM el WHERE elID = ?"), {id});
    tx.commit();
    refresh();
}

} // namespace tikkeli
