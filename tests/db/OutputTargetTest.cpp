#include "db/OutputTarget.h"

#include "support/OtherProgramHolding.h"
#include "support/TempProgramEnvironment.h"
#include "support/TestFiles.h"

#include "db/Database.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace tikkeli::test {
namespace {

// Which files a file written for the user may take the place of: none that is a database of ours,
// open here, in another program or nowhere, nor one another program of ours holds whatever its
// header now says; any other file, or no file at all.
TEST(OutputTarget, RefusesEveryDatabaseOfOursAndEveryFileAProgramOfOursHolds)
{
    TempProgramEnvironment env;
    const auto at = [&](const char* name) { return env.root() + u'/' + QLatin1String(name); };
    const QString own = env.copyOfShipped(QStringLiteral("mallit/malli.mdb"), QStringLiteral("oma.mdb"));
    Database ownOpen = Database::open(own);
    const QString closed = env.copyOfShipped(QStringLiteral("mallit/malli.mdb"), QStringLiteral("suljettu.mdb"));
    const QString held = env.copyOfShipped(QStringLiteral("mallit/malli.mdb"), QStringLiteral("toisella.mdb"));
    const QString damaged = env.copyOfShipped(QStringLiteral("mallit/malli.mdb"), QStringLiteral("vioittunut.mdb"));
    OtherProgramHolding holdingOne(held);
    OtherProgramHolding holdingDamaged(damaged);
    ASSERT_TRUE(holdingOne.holds() && holdingDamaged.holds());
    // The header of the file the other program has open is overwritten: it reads as no database.
    QFile header(damaged);
    ASSERT_TRUE(header.open(QIODevice::ReadWrite));
    ASSERT_EQ(header.write(QByteArray(16, 'x')), 16);
    header.close();
    WriteFileBytes(at("muistio.txt"), "teksti");
    WriteFileBytes(at("suljettu.mdb-journal"), QByteArray(512, '\0'));
    WriteFileBytes(at("access.mdb"), QByteArray(4, '\0') + "Standard Jet DB" + QByteArray(3000, '\0'));
    sqlite3* foreign = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(at("muu.sqlite")).constData(), &foreign), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(foreign, "CREATE TABLE muistiinpanot (x TEXT)", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(foreign);
    ASSERT_TRUE(QFile::link(closed, at("linkki.mdb")));

    const struct {
        const char* name;
        QString path;
        bool refused;
    } cases[] = {
        {"the program's own club", own, true},
        {"a closed club file of ours", closed, true},
        {"a link to a club file of ours", at("linkki.mdb"), true},
        {"a club another program holds", held, true},
        {"a file another program holds, its header damaged", damaged, true},
        {"an Access database", at("access.mdb"), true},
        {"the journal beside a club file of ours", at("suljettu.mdb-journal"), true},
        {"a text file", at("muistio.txt"), false},
        {"a journal's name beside no database", at("muistio.txt-journal"), false},
        {"another program's SQLite database", at("muu.sqlite"), false},
        {"no file", at("uusi.pdf"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<FileError> refused = OutputTarget::refusal(c.path);
        ASSERT_EQ(refused.has_value(), c.refused);
        if (refused) {
            EXPECT_EQ(refused->number, FileErr::PermissionDenied);
            EXPECT_EQ(refused->description, OutputTarget::clubDatabaseText(c.path));
        }
    }
}

} // namespace
} // namespace tikkeli::test
