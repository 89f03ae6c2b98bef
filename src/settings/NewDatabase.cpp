#include "settings/NewDatabase.h"

#include "base/Folders.h"
#include "base/FileSafety.h"
#include "base/Prompter.h"
#include "db/DbError.h"
#include "platform/SettingsError.h"
#include "settings/SettingsLoader.h"
#include "base/SharedState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tikkeli {

namespace {

void showFailure(int number, const QString& description, const QString& newPath)
{
    if (number == FileErr::PermissionDenied)
        ShowInfo(QStringLiteral("Tietokannan luonti epäonnistui, koska tiedostoa:\n") + newPath
                 + QStringLiteral(" ei pystytty kirjoittamaan.\n\nPyydä tietokoneen pääkäyttäjältä ohjeita.\n"
                                  "Lisätietoja vaadituista käyttöoikeuksista ohjelman toimittajalta."));
    else
        ShowInfo(QStringLiteral("Tietokannan luonti epäonnistui, virhe: %1 / %2").arg(number).arg(description));
}

} // namespace

QString NewDatabaseIntro()
{
    return QStringLiteral("Tämä toiminto luo uuden tietokannan yhdistyksen jäsenrekisterin pohjaksi.");
}

QString NewDatabaseTemplate()
{
    return QStringLiteral("malli.mdb");
}

QString NewDatabaseNameProblem(const QString& name)
{
    bool control = false;
    for (const QChar c : name)
        control = control || c.category() == QChar::Other_Control;
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.contains(QStringLiteral("..")) || control
        || name.startsWith(QLatin1Char('.')))
        return QStringLiteral("Tietokannan nimessä ei voi olla kauttaviivaa (/ tai \\), kahta peräkkäistä pistettä "
                              "eikä ohjausmerkkejä, eikä nimi voi alkaa pisteellä. Toiminto keskeytetään.");
    return {};
}

NewDatabaseResult CreateNewDatabase(const QString& intro, const QString& templateName)
{
    SharedState& s = State();
    ShowInfo(intro);
    const auto answer = Prompter::instance().input(QStringLiteral("Anna uudelle tietokannalle nimi (max. 8 kirjainta)."),
                                                   s.ProgramTitle, QString());
    // A name of blanks only would found a file called "   .mdb".
    if (!answer || answer->trimmed().isEmpty()) {
        ShowInfo(QStringLiteral("Tietokannan nimi ei voi olla tyhjä. Toiminto keskeytetään."));
        return NewDatabaseResult::Cancelled;
    }
    const QString name = answer->trimmed().left(8);
    if (const QString problem = NewDatabaseNameProblem(name); !problem.isEmpty()) {
        ShowInfo(problem);
        return NewDatabaseResult::Cancelled;
    }
    const QString folder = JoinPath(DocumentsFolder(), s.ProgramTitle);
    const QString newPath = JoinPath(folder, name + QStringLiteral(".mdb"));
    const QString templatePath = JoinPath(JoinPath(ProgramFolder(), QStringLiteral("mallit")), templateName);
    const QString previousPath = s.DatabasePath;
    bool copied = false;
    try {
        if (!QDir().mkpath(folder))
            throw DbException(FileErr::PermissionDenied, folder);
        if (QFileInfo::exists(newPath)) {
            ShowInfo(QStringLiteral("Nimi: ") + name + QStringLiteral(" on jo käytössä. Toiminto keskeytetään."));
            return NewDatabaseResult::Cancelled;
        }
        if (const auto e = FileSafety::instance().copyFile(templatePath, newPath, FileSafety::Existing::Keep))
            throw DbException(e->number, e->description + QStringLiteral(": ") + newPath);
        copied = true;
        SaveDatabasePath(newPath);
    } catch (const DbException& e) {
        s.DatabasePath = previousPath;
        if (copied)
            QFile::remove(newPath);
        showFailure(e.number(), e.description(), newPath);
        return NewDatabaseResult::Failed;
    } catch (const SettingsError& e) {
        // The ini file still names the old database: the running program stays on it too, and
        // the fresh copy goes so the same name can be tried again.
        s.DatabasePath = previousPath;
        if (copied)
            QFile::remove(newPath);
        showFailure(FileErr::AccessError, e.message(), newPath);
        return NewDatabaseResult::Failed;
    }
    ShowInfo(QStringLiteral("Tyhjä tietokanta on kopioitu ja se tulee käyttöön, kun Tikkeli seuraavan kerran "
                            "käynnistetään."));
    ShowInfo(QStringLiteral("Tikkeli suljetaan, koska tietokanta on vaihdettu."));
    return NewDatabaseResult::Created;
}

} // namespace tikkeli
