#include "db/DatabaseProbe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tikkeli {

namespace {

DbFileProbe make(DbFileKind kind, int number, const QString& text)
{
    return DbFileProbe{kind, DbError{number, text}};
}

} // namespace

DbFileProbe ProbeDatabaseFile(const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (path.isEmpty())
        return make(DbFileKind::Missing, DbErr::FileNotFound, QStringLiteral("Tietokantatiedostoa ei ole annettu."));
    const QFileInfo fi(path);
    if (!fi.exists()) {
        if (!fi.absoluteDir().exists())
            return make(DbFileKind::FolderMissing, DbErr::PathNotFound,
                        QStringLiteral("Kansiota '%1' ei löydy.").arg(QDir::toNativeSeparators(fi.absolutePath())));
        return make(DbFileKind::Missing, DbErr::FileNotFound, QStringLiteral("Tiedostoa '%1' ei löydy.").arg(shown));
    }
    if (fi.isDir())
        return make(DbFileKind::NotADatabase, DbErr::NotADatabase,
                    QStringLiteral("'%1' on kansio eikä tietokantatiedosto.").arg(shown));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return make(DbFileKind::Unreadable, DbErr::InUseOrReadOnly,
                    QStringLiteral("Tiedostoa '%1' ei voi lukea: se on toisen ohjelman käytössä tai siihen ei ole "
                                   "lukuoikeutta.").arg(shown));
    const QByteArray head = f.read(100);
    if (head.isEmpty())
        return make(DbFileKind::Empty, DbErr::NotADatabase,
                    QStringLiteral("Tiedosto '%1' on tyhjä eikä siis tietokanta.").arg(shown));
    const QByteArray jet = head.mid(4, 15);
    if (jet == "Standard Jet DB" || jet == "Standard ACE DB")
        return make(DbFileKind::Access, DbErr::AccessDatabase,
                    QStringLiteral("Tiedosto '%1' on Microsoft Access -tietokanta. Tämä ohjelmaversio ei pysty "
                                   "käyttämään sitä: tietokanta on ensin muunnettava. Tiedostoon ei ole tehty "
                                   "muutoksia.").arg(shown));
    if (head.size() < 100 || !head.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return make(DbFileKind::NotADatabase, DbErr::NotADatabase,
                    QStringLiteral("Tiedosto '%1' ei ole tietokanta tai sen muotoa ei tunnisteta.").arg(shown));
    return DbFileProbe{DbFileKind::SQLite, DbError{}};
}

} // namespace tikkeli
