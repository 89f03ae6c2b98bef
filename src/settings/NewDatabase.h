#pragma once

#include <QString>

namespace tikkeli {

enum class NewDatabaseResult { Cancelled, Failed, Created };

// The arguments every caller of CreateNewDatabase passes.
QString NewDatabaseIntro();    // "Tämä toiminto luo uuden tietokannan ..."
QString NewDatabaseTemplate(); // "malli.mdb"

// Why a database name cannot be used as a file name in the user's folder ("" when it can): path
// separators, "..", control characters and a leading dot would put the file elsewhere or hide it.
QString NewDatabaseNameProblem(const QString& name);

// Founds the club's own database: asks a name (at most 8 characters), copies the empty template
// from the program folder's "mallit" into documents folder/<ProgramTitle>/<name>.mdb and points
// the ini file at it. Created means the caller ends the program, so the next start opens the new
// file; on every other result the program runs on with its current database.
NewDatabaseResult CreateNewDatabase(const QString& intro, const QString& templateName);

} // namespace tikkeli
