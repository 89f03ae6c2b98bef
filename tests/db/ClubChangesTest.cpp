#include "db/ClubChanges.h"
#include "db/Transaction.h"
#include "DbTestSupport.h"

#include <gtest/gtest.h>

namespace tikkeli {
namespace {

using Kind = ClubChanges::Kind;

// Counts what the hub tells, by signal.
struct Heard : QObject {
    QStringList told;
    Heard()
    {
        ClubChanges& c = ClubChanges::instance();
        connect(&c, &ClubChanges::membersChanged, this, [this] { told << "members"; });
        connect(&c, &ClubChanges::featureDefinitionsChanged, this, [this] { told << "definitions"; });
        connect(&c, &ClubChanges::featureValuesChanged, this, [this] { told << "values"; });
        connect(&c, &ClubChanges::contractsChanged, this, [this] { told << "contracts"; });
        connect(&c, &ClubChanges::boundariesChanged, this, [this] { told << "boundaries"; });
        connect(&c, &ClubChanges::catchesChanged, this, [this] { told << "catches"; });
        connect(&c, &ClubChanges::reportTemplatesChanged, this, [this] { told << "templates"; });
    }
};

class ClubChangesTest : public ::testing::Test {
protected:
    DbFolder folder;
    Database db = folder.create();
    Heard heard;
};

TEST_F(ClubChangesTest, AChangeIsToldWhenItReachesTheFileAndNeverWhenItIsUndone)
{
    ClubChanges::announce(db, Kind::Catches);
    EXPECT_EQ(heard.told, QStringList{"catches"}) << "outside a transaction the change is in the file already";
    heard.told.clear();

    {
        Transaction outer(db);
        ClubChanges::announce(db, Kind::Members);
        {
            Transaction inner(db);
            ClubChanges::announce(db, Kind::FeatureValues);
            ClubChanges::announce(db, Kind::Members);
            inner.commit();
        }
        EXPECT_TRUE(heard.told.isEmpty()) << "a savepoint's release is no commit";
        outer.commit();
    }
    EXPECT_EQ(heard.told, (QStringList{"members", "values"})) << "each kind once, at the commit";
    heard.told.clear();

    {
        Transaction undone(db);
        ClubChanges::announce(db, Kind::Contracts);
    }
    {
        Transaction next(db);
        next.commit();
    }
    EXPECT_TRUE(heard.told.isEmpty()) << "a rolled-back change is never told, nor left for the next commit";
}

} // namespace
} // namespace tikkeli
