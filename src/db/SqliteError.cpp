#include "db/SqliteError.h"

#include "db/Connection.h"

#include <sqlite3.h>

namespace tikkeli {

DbException SqliteError::from(sqlite3* db, int rc)
{
    const QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    const int code = db ? sqlite3_extended_errcode(db) : rc;
    const char* file = db ? sqlite3_db_filename(db, "main") : nullptr;
    if (!file || !*file)
        return from(code, msg);
    int moved = 0;
    sqlite3_file_control(db, "main", SQLITE_FCNTL_HAS_MOVED, &moved);
    // A damaged file that has left the path is nobody's any more: the connection lets it go, and
    // the file at the path is not suspected of its damage.
    if (moved || code == SQLITE_READONLY_DBMOVED)
        Connection::noteReplaced(QString::fromUtf8(file));
    else if ((code & 0xff) == SQLITE_CORRUPT || (code & 0xff) == SQLITE_NOTADB)
        Connection::noteDamaged(QString::fromUtf8(file));
    return from(code, msg);
}

DbException SqliteError::from(int rc, const QString& msg)
{
    auto ex = [&](int number, const QString& text) {
        return DbException(number, msg.isEmpty() ? text : text + QStringLiteral(" (") + msg + u')');
    };
    switch (rc) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_ROWID:
        return ex(DbErr::DuplicateKey, QStringLiteral("Tietoja ei tallennettu, koska ne olisivat aiheuttaneet kaksoisarvoja "
                                                      "perusavaimeen tai yksilöivään indeksiin."));
    case SQLITE_CONSTRAINT_NOTNULL: return ex(DbErr::NullNotAllowed, QStringLiteral("Kenttään on annettava arvo."));
    case SQLITE_CONSTRAINT_CHECK:
        if (msg.contains(QLatin1String("length("), Qt::CaseInsensitive)
            || msg.contains(QLatin1String("_pituus"), Qt::CaseInsensitive))
            return ex(DbErr::FieldTooLong, QStringLiteral("Kentän arvo on liian pitkä."));
        return ex(DbErr::ValidationFailed, QStringLiteral("Kentän arvo ei kelpaa."));
    case SQLITE_CONSTRAINT_FOREIGNKEY:
        return ex(DbErr::RelatedRecordRequired, QStringLiteral("Tietuetta ei voi tallentaa: liittyvä tietue puuttuu."));
    case SQLITE_BUSY:
    case SQLITE_BUSY_SNAPSHOT:
    case SQLITE_BUSY_RECOVERY:
    case SQLITE_LOCKED:
    case SQLITE_LOCKED_SHAREDCACHE:
        return ex(DbErr::Locked, QStringLiteral("Tietokanta on lukittu: toinen käyttäjä tai ohjelma käsittelee sitä."));
    case SQLITE_FULL: return ex(DbErr::DiskFull, QStringLiteral("Levyllä ei ole tarpeeksi tilaa."));
    case SQLITE_CORRUPT:
    case SQLITE_CORRUPT_INDEX:
    case SQLITE_CORRUPT_SEQUENCE:
    case SQLITE_CORRUPT_VTAB: return ex(DbErr::Damaged, QStringLiteral("Tietokanta on vioittunut."));
    case SQLITE_NOTADB: return ex(DbErr::NotADatabase, QStringLiteral("Tiedosto ei ole tietokanta."));
    case SQLITE_TOOBIG: return ex(DbErr::FieldTooLong, QStringLiteral("Arvo on liian suuri."));
    case SQLITE_READONLY_DBMOVED:
        // Another program put a new file in place of the one open here, or removed it (a restore
        // from a backup, say); a write here would go to a file nobody sees any more.
        return DbException(DbErr::InUseOrReadOnly,
                           QStringLiteral("Tietokantatiedosto on vaihdettu toiseen tai poistettu sen jälkeen, kun se "
                                          "avattiin (esimerkiksi palautettu varmuuskopiolta toisessa ohjelmassa), "
                                          "joten muutosta ei tallennettu. Tiedot luetaan tiedostosta uudelleen: "
                                          "tarkista ne ja tee muutos tarvittaessa uudestaan."));
    case SQLITE_MISMATCH:
    case SQLITE_RANGE: return ex(DbErr::ConversionError, QStringLiteral("Tietotyyppien muunnosvirhe."));
    default: break;
    }
    switch (rc & 0xff) {
    case SQLITE_CONSTRAINT: return ex(DbErr::ValidationFailed, QStringLiteral("Kentän arvo ei kelpaa."));
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
        return ex(DbErr::InUseOrReadOnly,
                  QStringLiteral("Tietokantaan ei voi kirjoittaa: se on vain luku -tilassa tai toisen ohjelman käytössä."));
    case SQLITE_IOERR: return ex(DbErr::Generic, QStringLiteral("Levyn luku- tai kirjoitusvirhe."));
    case SQLITE_ERROR:
        if (msg.startsWith(QLatin1String("no such table")))
            return ex(DbErr::TableNotFound, QStringLiteral("Taulua tai kyselyä ei löydy."));
        return ex(DbErr::SyntaxError, QStringLiteral("Virhe kyselylausekkeessa."));
    default: return ex(DbErr::Generic, QStringLiteral("Tietokantavirhe."));
    }
}

} // namespace tikkeli
