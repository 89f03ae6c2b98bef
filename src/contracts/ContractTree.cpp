#include "contracts/ContractTree.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"
#include "base/InitialGroups.h"
#include "members/MemberTree.h"

#include <QHash>
#include <QStringList>
#include <algorithm>

namespace tikkeli {

namespace {

const QString kCheck = QStringLiteral("Tarkista!!");
const QString kExpired = QStringLiteral("Umpeutuneet");
const QString kOverYear = QStringLiteral("Yli vuosi");
const QString kUntilNotice = QStringLiteral("Toistaiseksi");

// A contract saved without a lessor's name is listed all the same, so it can be opened, corrected
// or deleted; nothing deletes it behind the user's back.
QString shownName(const QString& name)
{
    return name.isEmpty() ? ContractTree::unnamed() : name;
}

QString key(qint64 id, const QString& tail)
{
    return QString::number(id) + QStringLiteral("ID") + tail;
}

// The order of the validity groups: check, expired, months 1..12, over a year, until notice.
int validityRank(qint64 days)
{
    if (days < 0)
        return 1;
    if (days >= 360)
        return 14;
    return 2 + int(days / 30);
}

} // namespace

QString ContractTree::validityGroup(qint64 days)
{
    if (days < 0)
        return kExpired;
    if (days >= 360)
        return kOverYear;
    // The blank stands where a sign would: the texts read " 1 kk" .. " 12 kk".
    return QStringLiteral(" %1 kk").arg(days / 30 + 1);
}

ContractTree::Tree ContractTree::build(const std::vector<Contract>& contracts, const std::vector<Estate>& estates,
                                       const QDate& today)
{
    Tree tree;

    // Alphabetical: one pass, every name reaches a group (odd initials under the other group).
    QStringList names;
    names.reserve(qsizetype(contracts.size()));
    for (const Contract& c : contracts)
        names.append(c.name);
    for (const InitialGroups::Group& g : InitialGroups::group(names)) {
        Group group{g.letter, {}};
        group.nodes.reserve(g.indexes.size());
        for (const std::size_t i : g.indexes)
            group.nodes.push_back({shownName(contracts[i].name), key(contracts[i].id, QString())});
        tree.alphabetical.push_back(std::move(group));
    }

    // Validity: ranks 0 (no end date) .. 15 (until notice); the name order is kept inside a rank
    // and, for the dated ones, inside one end date.
    std::vector<const Contract*> check, untilNotice, dated;
    for (const Contract& c : contracts) {
        if (c.validity == 1)
            untilNotice.push_back(&c);
        else if (c.validity == 2)
            (c.end.isValid() ? dated : check).push_back(&c);
    }
    std::stable_sort(dated.begin(), dated.end(), [](const Contract* a, const Contract* b) { return a->end < b->end; });
    const auto addRun = [&tree](const QString& text, const std::vector<const Contract*>& run) {
        if (run.empty())
            return;
        Group group{text, {}};
        for (const Contract* c : run)
            group.nodes.push_back({shownName(c->name), key(c->id, QStringLiteral("2"))});
        tree.validity.push_back(std::move(group));
    };
    addRun(kCheck, check);
    std::vector<const Contract*> run;
    int rank = -1;
    for (const Contract* c : dated) {
        const qint64 days = today.daysTo(c->end);
        const int r = validityRank(days);
        if (r != rank && !run.empty()) {
            addRun(validityGroup(today.daysTo(run.front()->end)), run);
            run.clear();
        }
        rank = r;
        run.push_back(c);
    }
    if (!run.empty())
        addRun(validityGroup(today.daysTo(run.front()->end)), run);
    addRun(kUntilNotice, untilNotice);

    // Villages: one node per contract and village, keyed by its first estate there, so lessors of
    // the same name stay apart. Village texts are told apart exactly, as typed.
    QHash<QString, std::size_t> villageAt;
    std::vector<QHash<qint64, bool>> seen;
    for (const Estate& e : estates) {
        auto it = villageAt.constFind(e.village);
        std::size_t at;
        if (it == villageAt.constEnd()) {
            at = tree.villages.size();
            villageAt.insert(e.village, at);
            tree.villages.push_back({e.village, {}});
            seen.emplace_back();
        } else {
            at = *it;
        }
        if (seen[at].contains(e.contractId))
            continue;
        seen[at].insert(e.contractId, true);
        tree.villages[at].nodes.push_back(
            {shownName(e.name), key(e.contractId, QStringLiteral("3") + QString::number(e.id))});
    }
    return tree;
}

std::vector<ContractTree::Contract> ContractTree::readContracts(Database& db)
{
    std::vector<Contract> rows;
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT vsID, vsNimi, vsVoimassa, vsVoimassaPaattyy FROM vs ORDER BY vsNimi, vsID"),
        RecordsetType::Snapshot);
    for (; !rs.eof(); rs.moveNext()) {
        Contract c;
        c.id = rs.field(0).toInt64();
        c.name = NullToString(rs.field(1));
        const Value validity = rs.field(2);
        c.validity = validity.isNull() ? 0 : int(validity.toInt64());
        const Value end = rs.field(3);
        if (!end.isNull())
            c.end = end.toDate();
        rows.push_back(std::move(c));
    }
    return rows;
}

std::vector<ContractTree::Estate> ContractTree::readEstates(Database& db)
{
    std::vector<Estate> rows;
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT tl.tlID, tl.tlvsID, tl.tlKyla, vs.vsNimi FROM tl, vs WHERE tl.tlvsID = vs.vsID"
                       " ORDER BY tl.tlKyla, vs.vsNimi, vs.vsID, tl.tlID"),
        RecordsetType::Snapshot);
    for (; !rs.eof(); rs.moveNext()) {
        Estate e;
        e.id = rs.field(0).toInt64();
        e.contractId = rs.field(1).toInt64();
        e.village = NullToString(rs.field(2));
        e.name = NullToString(rs.field(3));
        rows.push_back(std::move(e));
    }
    return rows;
}

ContractTree::Tree ContractTree::build(Database& db, const QDate& today)
{
    return build(readContracts(db), readEstates(db), today);
}

qint64 ContractTree::idFromKey(const QString& key)
{
    return MemberTree::idFromKey(key);
}

} // namespace tikkeli
