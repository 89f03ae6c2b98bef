#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace tikkeli {

// The letter groups of the member and feature trees. Every name gets a group: its upper-case
// initial when that is one of A..Z, Å, Ä, Ö (in that order), otherwise the group for other initials
// after them (digits, blanks, É, Ø, "_", an empty name...). One pass, so no name can hide another.
class InitialGroups {
public:
    struct Group {
        QString letter;
        std::vector<std::size_t> indexes; // into the names, in their given order
    };

    // The caption of the group for every other initial.
    static QString otherCaption();
    // "A".."Z", "Å", "Ä", "Ö".
    static const QStringList& letters();
    // The group of one name: its index into letters(), or letters().size() for the other group.
    static int groupOf(const QString& name);
    // The non-empty groups in tree order.
    static std::vector<Group> group(const QStringList& names);
};

} // namespace tikkeli
