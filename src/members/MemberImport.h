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
// All lines go in one transaction: a line the database refuses leaves the register as it was.
class MemberImport {
public:
    struct Result {
        bool ok = false;
        int imported = 0;
        int failedLine = 0;   // the file's line number of a refused line
        QString error;        // Finnish, for the user
    };
    // Called after each line: lines done and lines in all.
    using Progress = std::function<void(int done, int total)>;

    static Result run(Database& db, const MemberImportFile& file, const std::vector<int>& fieldCodes,
                      const Progress& progress = {});
};

} // namespace tikkeli
