#include "base/Folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

#ifndef TIKKELI_PROGRAM_DIR_FROM_BIN
#define TIKKELI_PROGRAM_DIR_FROM_BIN "../share/tikkeli"
#endif

namespace tikkeli {

QString ProgramFolder()
{
    const QString overridePath = qEnvironmentVariable("TIKKELI_PROGRAM_DIR");
    if (!overridePath.isEmpty())
        return QDir::cleanPath(overridePath);
    return ProgramFolderOf(QCoreApplication::applicationDirPath());
}

QString ProgramFolderOf(const QString& executableFolder)
{
    const QDir programDir(executableFolder);
    if (programDir.exists(QStringLiteral("reports")))
        return QDir::cleanPath(programDir.absolutePath());
    const QString installed = QDir::cleanPath(programDir.absoluteFilePath(QStringLiteral(TIKKELI_PROGRAM_DIR_FROM_BIN)));
    if (QDir(installed).exists(QStringLiteral("reports")))
        return installed;
    return QDir::cleanPath(programDir.absolutePath());
}

QString DocumentsFolder()
{
    const QString overridePath = qEnvironmentVariable("TIKKELI_DOCUMENTS");
    if (!overridePath.isEmpty())
        return QDir::cleanPath(overridePath);
    return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

QString UserDataFolder()
{
    return JoinPath(DocumentsFolder(), QStringLiteral("Tikkeli"));
}

QString JoinPath(const QString& folder, const QString& name)
{
    if (folder.isEmpty())
        return name;
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString CsidlFolderPath(int csidl)
{
    auto standard = [](QStandardPaths::StandardLocation l) { return QStandardPaths::writableLocation(l); };
    switch (csidl) {
    case 0: return standard(QStandardPaths::DesktopLocation);        // DESKTOP
    case 2: return standard(QStandardPaths::ApplicationsLocation);   // PROGRAMS
    case 5: return DocumentsFolder();                                // PERSONAL
    case 16: return standard(QStandardPaths::DesktopLocation);       // DESKTOPDIRECTORY
    case 20: return standard(QStandardPaths::FontsLocation);         // FONTS
    case 26: return standard(QStandardPaths::GenericConfigLocation); // APPDATA
    case 28: return standard(QStandardPaths::GenericDataLocation);   // LOCAL_APPDATA
    case 32: return standard(QStandardPaths::GenericCacheLocation);  // INTERNET_CACHE
    case 38: return QStringLiteral("/usr/bin");                      // PROGRAM_FILES
    case 39: return standard(QStandardPaths::PicturesLocation);      // MYPICTURES
    case 40: return QDir::homePath();                                // PROFILE
    default: return {};
    }
}

QString TempFolderPath()
{
    QString path = QDir::tempPath();
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path.size() >= 100 ? QString() : path;
}

QString SpecialFolderPath(int folder)
{
    // The shell ids of the program's folder numbers, in the alphabetical order of their names.
    static const int csidl[43] = {48, 29, 26, 47, 30, 35, 25, 46, 31, 23, 22, 24, 45, 49, 3, 33, 0, 16, 17, 6,  20, 34,
                                  1,  32, 28, 39, 19, 18, 5,  4,  27, 40, 38, 43, 2,  8,  9, 11, 7, 37, -1, 21, 36};
    if (folder < 0 || folder > 42)
        return {};
    if (folder == 40)
        return TempFolderPath();
    return CsidlFolderPath(csidl[folder]);
}

QString TempFileNameIn(const QString& folder)
{
    if (folder.isEmpty() || !QDir(folder).exists())
        return {};
    QTemporaryFile f(JoinPath(folder, QStringLiteral("XXXXXX.tmp")));
    f.setAutoRemove(false);
    if (!f.open())
        return {};
    return f.fileName();
}

QString TempFileName(const QString& prefix)
{
    const QString folder = TempFolderPath();
    if (folder.isEmpty())
        return {};
    QTemporaryFile f(folder + prefix.left(3) + QStringLiteral("XXXXXX.tmp"));
    f.setAutoRemove(false);
    if (!f.open())
        return {};
    return f.fileName();
}

} // namespace tikkeli
