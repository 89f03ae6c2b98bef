#include "members/FeatureName.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/UpdateDatabase.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tikkeli;

TEST(FeatureName, NameOfTheDefinitionOrEmpty)
{
    QTemporaryDir dir;
    Database db = Database::create(dir.filePath(QStringLiteral("f.mdb")));
    Schema::createBaseTables(db);
    UpdateDatabase(db);
    db.execute(QStringLiteral("INSERT INTO pi (piID, piNimi) VALUES (?, ?)"), {7, QStringLiteral("Hirviporukka")});
    db.execute(QStringLiteral("INSERT INTO pi (piID) VALUES (?)"), {8});
    EXPECT_EQ(FeatureName(db, 7), QStringLiteral("Hirviporukka"));
    EXPECT_EQ(FeatureName(db, 8), QString()); // name Null
    EXPECT_EQ(FeatureName(db, 9), QString()); // no such definition
    EXPECT_EQ(FeatureName(db, -1), QString());
}
