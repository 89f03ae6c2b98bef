#pragma once

#include "db/Database.h"

#include <QDate>
#include <QString>
#include <vector>

namespace tikkeli {

// The contract list of the contract window, three ways at once: alphabetically by lessor (letter
// groups A..Z, Å, Ä, Ö, then one group for every other initial), by how soon a fixed-term contract
// ends (30-day blocks counted from the given day) and by the villages of the contract's estates.
// Every contract reaches each branch it belongs to; no group is empty.
class ContractTree {
public:
    // One contract row as the tree needs it; rows come in the database's name order.
    struct Contract {
        qint64 id = 0;
        QString name;
        int validity = 0; // vsVoimassa: 1 until further notice, 2 fixed term, other codes neither
        QDate end;        // vsVoimassaPaattyy; invalid when the row holds no date
    };
    // One estate row joined with its contract; rows come ordered by village, then lessor name.
    struct Estate {
        qint64 id = 0;         // tlID
        qint64 contractId = 0; // tlvsID
        QString village;       // tlKyla, empty for Null
        QString name;          // the contract's vsNimi
    };
    struct Node {
        QString text;
        QString key; // "12ID", "12ID2" or "12ID3" followed by the first estate's tlID
    };
    struct Group {
        QString text;
        std::vector<Node> nodes;
    };
    struct Tree {
        std::vector<Group> alphabetical; // under "Aakkostettu"
        std::vector<Group> validity;     // under "Voimassaoloaika"
        std::vector<Group> villages;     // under "Kylät"
    };

    static QString alphabeticalRoot() { return QStringLiteral("Aakkostettu"); }
    static QString validityRoot() { return QStringLiteral("Voimassaoloaika"); }
    static QString villageRoot() { return QStringLiteral("Kylät"); }
    static QString unnamed() { return QStringLiteral("(nimetön)"); }

    // The tree of the given rows, `today` being the day the validity blocks count from.
    static Tree build(const std::vector<Contract>& contracts, const std::vector<Estate>& estates, const QDate& today);
    // Reads vs and tl and builds the tree. A contract without a lessor's name is listed as
    // unnamed() under the other initials. Throws DbException.
    static Tree build(Database& db, const QDate& today);
    // The rows build(db, today) reads, in the order it needs them.
    static std::vector<Contract> readContracts(Database& db);
    static std::vector<Estate> readEstates(Database& db);

    // The contract id of a node key (everything before the first "ID", any case); 0 for keys
    // without one (roots and groups have no key).
    static qint64 idFromKey(const QString& key);
    // The validity group of a fixed-term contract ending `days` days from today.
    static QString validityGroup(qint64 days);
};

} // namespace tikkeli
