#include "contracts/ContractAnimals.h"

#include "base/NullConversions.h"
#include "db/ClubChanges.h"
#include "db/Recordset.h"
#include "db/Transaction.h"

namespace tikkeli {

namespace {

std::vector<cElain> animalsOf(Database& db, const QString& sql, const Params& params)
{
    std::vector<cElain> animals;
    Recordset rs = db.openRecordset(sql, RecordsetType::Snapshot, params);
    for (; !rs.eof(); rs.moveNext())
        animals.push_back({rs.field(QStringLiteral("elID")).toInt64(), NullToString(rs.field(QStringLiteral("elNimi")))});
    return animals;
}

} // namespace

std::vector<cElain> ContractAnimals::LoadAllAnimals(Database& db)
{
    return animalsOf(db, QStringLiteral("SELECT elID, elNimi FROM el WHERE elNimi <> '' ORDER BY elNimi"), {});
}

std::vector<cElain> ContractAnimals::LoadContractAnimals(Database& db, qint64 vsId)
{
    return animalsOf(db, QStringLiteral("SELECT elID, elNimi FROM et, el WHERE etelID = elID AND etvsID = ? ORDER BY etID"),
                     {vsId});
}

QString ContractAnimals::JoinNames(const std::vector<cElain>& animals)
{
    QStringList names;
    for (const cElain& animal : animals)
        names << animal.Nimi;
    return names.join(QStringLiteral(", "));
}

std::optional<QString> ContractAnimals::SaveContractAnimals(Database& db, qint64 vsId, const std::vector<cElain>& animals)
{
    const QString names = JoinNames(animals);
    if (names.size() > NamesMaxLength)
        return QStringLiteral("Valittujen eläinten nimet eivät mahdu sopimukselle (enintään %1 merkkiä). "
                              "Valitse vähemmän eläimiä.")
            .arg(NamesMaxLength);
    Transaction tx(db);
    db.execute(QStringLiteral("DELETE FROM et WHERE etvsID = ?"), {vsId});
    for (const cElain& animal : animals)
        db.execute(QStringLiteral("INSERT INTO et (etvsID, etelID) VALUES (?, ?)"), {vsId, animal.id});
    db.execute(QStringLiteral("UPDATE vs SET vsEiKoskeSeuraavia = ? WHERE vsID = ?"),
               {names.isEmpty() ? Value() : Value(names), vsId});
    ClubChanges::announce(db, ClubChanges::Kind::Contracts);
    tx.commit();
    return std::nullopt;
}

} // namespace tikkeli
