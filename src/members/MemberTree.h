#pragma once

#include "db/Database.h"

#include <QString>
#include <vector>

namespace tikkeli {

// The alphabetical member list of the member window: letter groups A-Z, Å, Ä, Ö in that fixed
// order, then the group for other initials (InitialGroups), each with its members in the
// database's order (surname, first name). Every member has an entry.
class MemberTree {
public:
    struct Member {
        qint64 id = 0;
        QString text;        // surname, a space, first name (a Null part counts as empty)
        QString key() const; // "57ID"
    };
    struct Letter {
        QString letter;
        std::vector<Member> members;
    };

    // featureId 0: every member; otherwise only the members with that member feature (each once).
    static std::vector<Letter> build(Database& db, qint64 featureId);

    // The member id of a node key ("57ID" gives 57, case-insensitive); 0 for keys without "ID".
    static qint64 idFromKey(const QString& key);

    // The letter sequence of the tree: "A".."Z", "Å", "Ä", "Ö" (the other group comes after them).
    static const QStringList& letters();
};

} // namespace tikkeli
