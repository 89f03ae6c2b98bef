#pragma once

#include "base/SharedState.h"
#include "db/Database.h"

#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <utility>

// A club database for the benchmarks: the demo file of the staged program folder copied into a
// temporary folder, its members replaced by `members` generated ones (surnames spread over every
// initial, Å, Ä and Ö included), the program's folders pointed there. With features, each member
// also gets two member features.
struct ClubFixture {
    QTemporaryDir dir;
    QString database;
    int members = 0;

    explicit ClubFixture(int count, bool features = false) : members(count)
    {
        // The staged program folder of the build: bench/ and bin/ lie side by side.
        const QString program = qEnvironmentVariable("TIKKELI_PROGRAM_DIR",
                                                     QCoreApplication::applicationDirPath() + QStringLiteral("/../bin"));
        database = dir.path() + QStringLiteral("/seura.mdb");
        QFile::copy(program + QStringLiteral("/demo1.mdb"), database);
        QFile::setPermissions(database, QFile::permissions(database) | QFileDevice::WriteOwner);
        qputenv("TIKKELI_PROGRAM_DIR", program.toUtf8());
        qputenv("TIKKELI_DOCUMENTS", (dir.path() + QStringLiteral("/docs")).toUtf8());
        qputenv("TIKKELI_INI", (dir.path() + QStringLiteral("/Tikkeli.ini")).toUtf8());
        QFile ini(dir.path() + QStringLiteral("/Tikkeli.ini"));
        ini.open(QIODevice::WriteOnly);
        ini.write(QStringLiteral("[TIKKELI]\nDatabase=%1\nDatabaseBackup=%2/v/\n").arg(database, dir.path()).toUtf8());
        ini.close();

        static const QString initials = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZÅÄÖ");
        // Four of the seven first names hold an "a": a search for it finds 4/7 of the members.
        static const QStringList firstNames = {QStringLiteral("Anna"),  QStringLiteral("Eero"), QStringLiteral("Kalle"),
                                               QStringLiteral("Liisa"), QStringLiteral("Timo"), QStringLiteral("Maija"),
                                               QStringLiteral("Olli")};
        tikkeli::Database db = tikkeli::Database::open(database);
        db.execute(QStringLiteral("DELETE FROM pt"));
        db.execute(QStringLiteral("DELETE FROM jr"));
        db.execute(QStringLiteral("BEGIN"));
        for (int i = 0; i < count; ++i)
            db.execute(
                QStringLiteral("INSERT INTO jr (jrJasennumero, jrSukunimi, jrEtunimi, jrOsoite, jrPostinumero, "
                               "jrPostitoimipaikka, jrPuhelin, jrEmail) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                {QString::number(5000 + i), QStringLiteral("%1sukunimi%2").arg(initials[(i * 7) % initials.size()]).arg(i),
                 firstNames[i % firstNames.size()], QStringLiteral("Metsätie %1").arg(i % 200), QStringLiteral("41990"),
                 QStringLiteral("Hirvilahti"), QStringLiteral("040-%1").arg(i), QStringLiteral("j%1@seura.fi").arg(i)});
        if (features) {
            db.execute(QStringLiteral("INSERT INTO pi (piNimi, piType, piEnbldLong) VALUES ('Jahtikortti', 1, 1)"));
            const qint64 card = db.lastInsertId();
            db.execute(QStringLiteral("INSERT INTO pi (piNimi, piType, piEnbldMemo) VALUES ('Koira', 1, 1)"));
            const qint64 dog = db.lastInsertId();
            db.execute(QStringLiteral("INSERT INTO pt (ptjrID, ptpiID, ptValLong) SELECT jrID, ?, jrID FROM jr"), {card});
            // Every third member has a dog: the filtered list.
            db.execute(QStringLiteral("INSERT INTO pt (ptjrID, ptpiID, ptValMemo) SELECT jrID, ?, 'Pystykorva' FROM jr "
                                      "WHERE jrID % 3 = 0"),
                       {dog});
        }
        db.execute(QStringLiteral("COMMIT"));
        db.close();
        tikkeli::ConnectionRegistry::closeAll(database);
    }
};

// One club of each size for the whole benchmark program, made when first asked for; the program's
// database is set to it, as a window opening it expects.
inline ClubFixture& SharedClubFixture(int members, bool features)
{
    static std::map<std::pair<int, bool>, std::unique_ptr<ClubFixture>> made;
    auto& f = made[{members, features}];
    if (!f)
        f = std::make_unique<ClubFixture>(members, features);
    tikkeli::State().DatabasePath = f->database;
    return *f;
}
