#pragma once

#include <QString>

namespace tikkeli {

// The program's own files: reports/, lasku.txt, karhu.txt, demo1.mdb and mallit/. In the build tree
// they lie beside the program file; installed, in share/tikkeli/ beside the bin/ folder that holds it.
// The environment variable TIKKELI_PROGRAM_DIR names another folder (tests, running from a build).
// Never written to: it may belong to root once installed.
QString ProgramFolder();
// The same for a program file in executableFolder: that folder when it holds reports/ (the build
// tree), else ../share/tikkeli/ when that does (an installed prefix), else the folder itself.
QString ProgramFolderOf(const QString& executableFolder);
// The user's documents folder (XDG documents); TIKKELI_DOCUMENTS overrides it.
QString DocumentsFolder();
// The program's own folder under the documents folder ("Tikkeli"): the user's databases live here.
QString UserDataFolder();
// Joins a folder and a name with one '/' between them.
QString JoinPath(const QString& folder, const QString& name);

// The shell's special folders by the program's numbers 0..42 (28 = the user's documents,
// 40 = the temporary folder); the empty string for a number outside that range or a folder that has
// no counterpart here.
QString SpecialFolderPath(int folder);
// The same by the Windows shell id (5 = documents); the empty string when there is no counterpart.
QString CsidlFolderPath(int csidl);
// The temporary folder with a trailing '/'; the empty string when its path is 100 characters or
// longer (callers were written for a buffer of that size).
QString TempFolderPath();
// Creates an empty file with a unique name in folder and returns its path; "" on failure.
QString TempFileNameIn(const QString& folder);
// The same in the temporary folder, the name starting with the first three characters of prefix.
QString TempFileName(const QString& prefix);

} // namespace tikkeli
