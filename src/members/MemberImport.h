#pragma once

#include "members/MemberImportFile.h"

#include <QString>

#include <functional>
#include <vector>

namespace tikkeli {

class Database;

// Adds the lines of an import file to the member table jr, one new member per line, nothing
// matched against existing members. Column j goes to the field of fieldCodes[j]
// (MemberImportFields); fields of a line beyond the codes are ignored, an empty value leaves the
// field at its default, and of two columns on the same field the later non-empty one wins.
// A first line whose mapped columns hold the chosen fields' names is a heading and is skipped.
// Member numbers are unique: a number already in the register, or one the file gives twice,
// refuses the whole file. With automatic numbering on, a member the file gives no number gets the
// next free one; the stored counter is moved past every number the import gave or brought.
// All lines go in one transaction: a line the database refuses leaves the register as it was.
class MemberImport {
public:
    // A value cut to its field's width, or a date that could not be read and was left empty.
    struct Change {
        int line = 0;
        QString field; // the field's name as the field list shows it
    };
    struct Result {
        bool ok = false;
        int imported = 0;
        int failedLine = 0; // the file's line number of a refused line
        QString error;      // Finnish, for the user
        bool headingSkipped = false;
        std::vector<Change> cut;
        std::vector<Change> unreadDates;
        // "Tietokantaan lisättiin 3 jäsentä." and, when some values were cut or left empty, the lines.
        QString summary() const;
    };
    // Called after each line: lines done and lines in all.
    using Progress = std::function<void(int done, int total)>;

    // Reads the automatic numbering and the member-number counter from the shared settings and
    // writes the moved counter back to the database and the settings.
    static Result run(Database& db, const MemberImportFile& file, const std::vector<int>& fieldCodes,
                      const Progress& progress = {});

    // Whether the fields are a heading: every mapped column holds its field's name (case and blanks
    // around it aside), and at least one column is mapped.
    static bool isHeading(const QStringList& fields, const std::vector<int>& fieldCodes);
};

} // namespace tikkeli
