#pragma once

#include "base/FileSafety.h"
#include "base/Prompter.h"

#include <QString>
#include <optional>

namespace tikkeli {

// Where a file the program writes for the user (an export, a PDF) may go. It never takes the place
// of a database of ours (a file with the program's mark, a damaged one of ours, or an Access file
// the club's data is converted from), nor of a file that a program of ours has open: every program
// on the club would go on with a workbook or a PDF as its club file, and no copy of the rows would
// be kept.
class OutputTarget {
public:
    // Why nothing written for the user may be put at path (70, saying that the file is the club's
    // database); nullopt when it may. Asked when the user names the file and again right before
    // the file is put in place.
    static std::optional<FileError> refusal(const QString& path);
    // A save dialog for such a file: a refused name is told, and the dialog asks again.
    static void guard(FileDialogRequest& request);
    static QString clubDatabaseText(const QString& path);
};

} // namespace tikkeli
