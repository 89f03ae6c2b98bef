#pragma once

#include "base/Value.h"
#include "db/Database.h"

#include <QString>
#include <optional>
#include <unordered_map>
#include <vector>

namespace tikkeli {

// The alphabetical member list of the member window: letter groups A-Z, Å, Ä, Ö in that fixed
// order, then the group for other initials (InitialGroups), each with its members in name order
// (surname, first name, Finnish collation, a Null name first). Every member has an entry.
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

    // The letter groups of one reading of the members. The rows are read once, unsorted; a
    // letter's members are put in order only when that letter is asked for, so a window can show
    // the letters at once and list a letter's members when the user opens it.
    class Groups {
    public:
        // The non-empty groups in tree order.
        int letterCount() const { return int(m_letters.size()); }
        const QString& letter(int index) const { return m_letters[std::size_t(index)].caption; }
        // The members of a group, in name order.
        std::vector<Member> members(int index) const;
        // The group listing the member, -1 when none does.
        int letterOf(qint64 id) const;
        // The member leaves its group (deleted); its group stays, possibly empty.
        void remove(qint64 id);

        // What reading one member again did to the groups.
        struct Change {
            int from = -1;         // the group that listed the member, -1 for none
            int to = -1;           // the group that lists it now, -1 for none
            bool changed = false;  // listed, unlisted, renamed or moved to another group
            bool newGroup = false; // it belongs in a group the tree does not have: nothing changed,
                                   // the groups must be read again
        };

    private:
        friend class MemberTree;
        struct Row {
            qint64 id = 0;
            QString surname, firstName;
            bool surnameNull = false, firstNameNull = false;
            bool operator==(const Row&) const = default;
        };
        // The member as read now (nullopt: not listed) takes its place in the groups.
        Change update(qint64 id, const std::optional<Row>& now);
        struct Group {
            QString caption;
            std::vector<Row> rows; // in no order: members() sorts them
        };
        // Where a member's row is: a change of one member finds it at once, not by a walk
        // through its group.
        struct Place {
            int group = -1;
            std::size_t row = 0;
        };
        std::vector<Group> m_letters;
        std::unordered_map<qint64, Place> m_placeOf;
    };

    // featureId 0: every member; otherwise only the members with that member feature (each once).
    static Groups read(Database& db, qint64 featureId);
    // A member's name as stored: surname and first name (a Null apart from an empty text).
    struct Name {
        Value surname, firstName;
    };
    // The member, listed now under its name (nullopt: not listed), takes its place in groups that
    // read() gave; the other members stay as they are.
    static Groups::Change place(Groups& groups, qint64 id, const std::optional<Name>& name);
    // The same, the member read again for groups that read() gave for featureId.
    static Groups::Change reread(Database& db, qint64 featureId, Groups& groups, qint64 id);
    // Every group with its members listed.
    static std::vector<Letter> build(Database& db, qint64 featureId);

    // The member id of a node key ("57ID" gives 57, case-insensitive); 0 for keys without "ID".
    static qint64 idFromKey(const QString& key);

    // The letter sequence of the tree: "A".."Z", "Å", "Ä", "Ö" (the other group comes after them).
    static const QStringList& letters();
};

} // namespace tikkeli
