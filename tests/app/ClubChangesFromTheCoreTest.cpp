#include "catch/CatchList.h"
#include "contracts/ContractAnimals.h"
#include "contracts/cTila.h"
#include "db/ClubChanges.h"
#include "db/Recordset.h"
#include "lists/GroupEmail.h"
#include "lists/cRapMaaritys.h"
#include "maps/cRaja.h"
#include "members/FeatureAttach.h"
#include "members/FeatureCatalogue.h"
#include "members/MemberImport.h"
#include "members/MemberImportFields.h"
#include "members/MemberImportFile.h"
#include "support/TempProgramEnvironment.h"

#include <QDateTime>
#include <functional>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

// Each kind of change is heard from the core that makes it, with no window in between: a window
// that follows the hub sees every such change, whoever made it.
class ClubChangesFromTheCore : public ::testing::Test {
public:
    test::TempProgramEnvironment env;
    Database db = Database::open(env.copyOfShipped(QStringLiteral("demo1.mdb"), QStringLiteral("seura.mdb")));
    QStringList told;
    QObject listener;

    void SetUp() override
    {
        ClubChanges& c = ClubChanges::instance();
        const auto hear = [this, &c](auto signal, const char* name) {
            QObject::connect(&c, signal, &listener, [this, name] { told << QString::fromLatin1(name); });
        };
        hear(&ClubChanges::membersChanged, "members");
        hear(&ClubChanges::featureDefinitionsChanged, "definitions");
        hear(&ClubChanges::featureValuesChanged, "values");
        hear(&ClubChanges::contractsChanged, "contracts");
        hear(&ClubChanges::boundariesChanged, "boundaries");
        hear(&ClubChanges::catchesChanged, "catches");
        hear(&ClubChanges::reportTemplatesChanged, "templates");
        hear(&ClubChanges::contractFeatureValuesChanged, "contract values");
    }

    qint64 first(const char* sql) { return db.openRecordset(QString::fromLatin1(sql)).field(0).toInt64(); }
};

TEST_F(ClubChangesFromTheCore, EveryKindIsToldByTheCoreThatWritesIt)
{
    struct Case {
        const char* what;
        std::function<void(ClubChangesFromTheCore&)> change;
        QStringList expected;
    };
    const Case cases[] = {
        {"member import",
         [](ClubChangesFromTheCore& t) {
             QString error;
             auto file = MemberImportFile::fromLines({"Tuotu"}, MemberImportFormat(QStringLiteral(";"), {}), &error);
             ASSERT_TRUE(file) << error.toStdString();
             ASSERT_EQ(MemberImport::run(t.db, *file, {MemberImportFields::Surname}).imported, 1);
         },
         {"members"}},
        {"definition deleted with its values",
         [](ClubChangesFromTheCore& t) { FeatureCatalogue(t.db).deleteDefinition(t.first("SELECT MIN(piID) FROM pi")); },
         {"definitions", "values"}},
        {"feature attached to members",
         [](ClubChangesFromTheCore& t) {
             FeatureAttach::attach(t.db, FeatureTable::members(), t.first("SELECT MIN(piID) FROM pi WHERE piType = 1"),
                                   {t.first("SELECT MIN(jrID) FROM jr")}, {}, false);
         },
         {"values"}},
        {"feature attached to contracts",
         [](ClubChangesFromTheCore& t) {
             FeatureAttach::attach(t.db, FeatureTable::contracts(), t.first("SELECT MIN(piID) FROM pi WHERE piType = 2"),
                                   {t.first("SELECT MIN(vsID) FROM vs")}, {}, false);
         },
         {"contract values"}},
        {"failed e-mail group",
         [](ClubChangesFromTheCore& t) {
             GroupEmail::CreateFailedGroup(t.db, QStringLiteral("Kokous"), {qint32(t.first("SELECT MIN(jrID) FROM jr"))},
                                           QDateTime::currentDateTime());
         },
         {"definitions", "values"}},
        {"estate record",
         [](ClubChangesFromTheCore& t) {
             cTila estate(t.db);
             ASSERT_TRUE(estate.Read(t.first("SELECT MIN(tlID) FROM tl")));
             estate.setTila(QStringLiteral("Uusi nimi"));
             estate.Save();
         },
         {"contracts"}},
        {"contract animals",
         [](ClubChangesFromTheCore& t) {
             ContractAnimals::SaveContractAnimals(t.db, t.first("SELECT MIN(vsID) FROM vs"), {});
         },
         {"contracts"}},
        {"boundary point",
         [](ClubChangesFromTheCore& t) {
             cRaja point(t.db);
             point.setTlId(t.first("SELECT MIN(tlID) FROM tl"));
             point.setX(1);
             point.Save(true);
         },
         {"boundaries"}},
        {"species delete",
         [](ClubChangesFromTheCore& t) {
             const QString species = t.db.openRecordset(QStringLiteral("SELECT MIN(siLaji) FROM si")).field(0).toString();
             ASSERT_GT(CatchList::deleteSpecies(t.db, species), 0);
         },
         {"catches"}},
        {"report template",
         [](ClubChangesFromTheCore& t) {
             cRapMaaritys pohja(t.db);
             pohja.Save(true);
         },
         {"templates"}},
    };
    for (const Case& c : cases) {
        told.clear();
        c.change(*this);
        EXPECT_EQ(told, c.expected) << c.what;
    }
}

} // namespace
