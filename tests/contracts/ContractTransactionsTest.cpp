// The all-or-nothing commands of the contracts: each test makes the command's last statement (or
// each of its statements) fail, through a trigger, and checks that nothing of the command remains.
#include "contracts/ContractCardStore.h"
#include "contracts/ContractNumbers.h"
#include "contracts/ContractSelection.h"
#include "contracts/cSopimus.h"
#include "db/Recordset.h"
#include "members/FeatureAttach.h"
#include "members/FeatureTable.h"
#include "settings/DatabaseSettingsStore.h"
#include "ContractTestDb.h"
#include "support/TestThread.h"

#include <QFile>
#include <gtest/gtest.h>
#include <atomic>
#include <set>
#include <unistd.h>

using namespace tikkeli;
using test::ContractTestDb;
using F = ContractCardFields;

namespace {

void failWith(ContractTestDb& t, const QString& when)
{
    t.db.execute(QStringLiteral("CREATE TRIGGER injected ") + when
                 + QStringLiteral(" BEGIN SELECT RAISE(ABORT, 'levy täynnä'); END"));
}

// Everything the contract tables hold, as one text to compare before and after.
QString contents(ContractTestDb& t)
{
    QString all;
    for (const char* sql : {"SELECT vsID, vsNimi, vsSopimusNo, vsVastikeVuosi FROM vs ORDER BY vsID",
                            "SELECT tlID, tlvsID, tlTilaPalsta, tlPa FROM tl ORDER BY tlID",
                            "SELECT mtID, mtvsID, mtpiID FROM mt ORDER BY mtID", "SELECT etID, etvsID FROM et ORDER BY etID",
                            "SELECT * FROM mvs ORDER BY mvsID"}) {
        Recordset rs = t.db.openRecordset(QString::fromUtf8(sql), RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext()) {
            for (int c = 0; c < rs.fieldCount(); ++c)
                all += rs.field(c).toString() + QLatin1Char('|');
            all += QLatin1Char('\n');
        }
    }
    return all;
}

ContractCardEdit newContractWithEstates(int estates)
{
    ContractCardEdit edit;
    edit.boxes[F::SopimusNo] = QStringLiteral("31");
    edit.boxes[F::Nimi] = QStringLiteral("Korpela Aino");
    edit.boxes[F::VuosiVastike] = QStringLiteral("80,50");
    edit.boxes[F::Alkaa] = QStringLiteral("1.5.2013");
    edit.options[F::Voimassa] = 2;
    for (int i = 0; i < estates; ++i) {
        ContractEstates::Row row;
        row.texts[ContractEstates::TilaPalsta] = QStringLiteral("Tila %1").arg(i + 1);
        row.texts[ContractEstates::PintaAla] = QStringLiteral("%1,5").arg(i + 1);
        edit.estates.push_back(row);
    }
    return edit;
}

} // namespace

// A new contract with 20 estates, failed at each of its statements: the contract row, the first,
// a middle and the last estate, and the contract number written last. Every time the database is
// left as it was: no contract, no estate.
TEST(ContractCardStore, ANewContractIsStoredWithAllItsEstatesOrNotAtAll)
{
    const int estates = 20;
    const char* failures[] = {
        "BEFORE INSERT ON vs",
        "BEFORE INSERT ON tl WHEN (SELECT COUNT(*) FROM tl WHERE tlvsID = NEW.tlvsID) = 0",
        "BEFORE INSERT ON tl WHEN (SELECT COUNT(*) FROM tl WHERE tlvsID = NEW.tlvsID) = 9",
        "BEFORE INSERT ON tl WHEN (SELECT COUNT(*) FROM tl WHERE tlvsID = NEW.tlvsID) = 19",
        "BEFORE UPDATE OF vsSopimusNo ON vs",
    };
    for (const char* when : failures) {
        SCOPED_TRACE(when);
        ContractTestDb t;
        const qint64 other = t.contract(QStringLiteral("Aho"), QStringLiteral("1"));
        t.estate(other, QStringLiteral("Ahola"));
        const QString before = contents(t);
        failWith(t, QString::fromUtf8(when));
        EXPECT_THROW(ContractCardStore::save(t.db, newContractWithEstates(estates)), DbException);
        EXPECT_EQ(contents(t), before);
        EXPECT_FALSE(t.db.inTransaction());

        t.db.execute(QStringLiteral("DROP TRIGGER injected"));
        const ContractCardStored stored = ContractCardStore::save(t.db, newContractWithEstates(estates));
        EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM tl WHERE tlvsID = ?"), {Value(stored.id)}), estates);
        ASSERT_EQ(stored.estateIds.size(), std::size_t(estates));
        EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT tlTilaPalsta FROM tl WHERE tlID = ?"), {Value(stored.estateIds[19])})
                      .toString(),
                  QStringLiteral("Tila 20"));
    }
}

// A stored contract edited on the card with a changed estate and two new ones: a failure at the
// last statement leaves the card, the old estate and the estate count as they were.
TEST(ContractCardStore, AnEditedContractKeepsItsOldStateWhenTheSaveFails)
{
    ContractTestDb t;
    const qint64 id = t.contract(QStringLiteral("Aho"), QStringLiteral("7"));
    const qint64 old = t.estate(id, QStringLiteral("Ahola"));
    ContractCardEdit edit;
    edit.id = id;
    edit.boxes[F::Nimi] = QStringLiteral("Aho Aapo");
    edit.boxes[F::SopimusNo] = QStringLiteral("8");
    ContractEstates::Row changed;
    changed.id = old;
    changed.texts[ContractEstates::TilaPalsta] = QStringLiteral("Ahola 2");
    edit.estates = {changed, ContractEstates::Row{}, ContractEstates::Row{}};
    const QString before = contents(t);
    failWith(t, QStringLiteral("BEFORE UPDATE OF vsSopimusNo ON vs"));
    EXPECT_THROW(ContractCardStore::save(t.db, edit), DbException);
    EXPECT_EQ(contents(t), before);

    t.db.execute(QStringLiteral("DROP TRIGGER injected"));
    const ContractCardStored stored = ContractCardStore::save(t.db, edit);
    EXPECT_EQ(stored.id, id);
    ASSERT_EQ(stored.estateIds.size(), 3u);
    EXPECT_EQ(stored.estateIds[0], old);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM tl WHERE tlvsID = ?"), {Value(id)}), 3);
    EXPECT_EQ(
        t.db.scalar(QStringLiteral("SELECT vsNimi || '/' || vsSopimusNo FROM vs WHERE vsID = ?"), {Value(id)}).toString(),
        QStringLiteral("Aho Aapo/8"));
}

// What the card leaves empty stays Null (a printed contract shows a blank to fill in, not 0);
// what is typed wrong stops the save before anything is written.
TEST(ContractCardStore, EmptyNumbersStayNullAndARefusedTextWritesNothing)
{
    ContractTestDb t;
    ContractCardEdit edit = newContractWithEstates(1);
    edit.boxes.erase(F::VuosiVastike);
    const ContractCardStored stored = ContractCardStore::save(t.db, edit);
    for (const char* column : {"vsVastikeVuosi", "vsVastikeKausi", "vsVoimassaIrtisanomisaika", "vsOmistusmuutos"})
        EXPECT_TRUE(
            t.db.scalar(QStringLiteral("SELECT %1 FROM vs WHERE vsID = ?").arg(QLatin1String(column)), {Value(stored.id)})
                .isNull())
            << column;
    EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT vsVoimassa FROM vs WHERE vsID = ?"), {Value(stored.id)}).toInt64(), 2);

    const QString before = contents(t);
    for (const auto& [box, text] :
         {std::pair{int(F::Paattyy), "15.12"}, std::pair{int(F::Alkaa), "12:30"}, std::pair{int(F::VuosiVastike), "-50"}}) {
        ContractCardEdit bad = newContractWithEstates(2);
        bad.boxes[box] = QString::fromUtf8(text);
        EXPECT_THROW(ContractCardStore::save(t.db, bad), DbException) << text;
    }
    ContractCardEdit badArea = newContractWithEstates(3);
    badArea.estates[2].texts[ContractEstates::PintaAla] = QStringLiteral("iso");
    EXPECT_THROW(ContractCardStore::save(t.db, badArea), DbException);
    EXPECT_EQ(contents(t), before);
}

TEST(ContractCardStore, AContractDeletedElsewhereIsNotWrittenBack)
{
    ContractTestDb t;
    const qint64 id = t.contract(QStringLiteral("Aho"));
    t.db.execute(QStringLiteral("DELETE FROM vs WHERE vsID = ?"), {Value(id)});
    ContractCardEdit edit;
    edit.id = id;
    edit.boxes[F::Nimi] = QStringLiteral("Aho Aapo");
    try {
        ContractCardStore::save(t.db, edit);
        ADD_FAILURE() << "saved";
    } catch (const DbException& e) {
        EXPECT_EQ(e.number(), DbErr::RecordDeleted);
    }
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM vs")), 0);
}

// The contract delete's last statement removes the contract row itself: failing it leaves the
// estates, feature values and animal links that went before it.
TEST(ContractTransactions, AFailedDeleteLeavesTheWholeContract)
{
    ContractTestDb t;
    const qint64 id = t.contract(QStringLiteral("Aho"));
    for (int i = 0; i < 3; ++i)
        t.estate(id, QStringLiteral("Tila %1").arg(i));
    t.value(id, t.feature(QStringLiteral("Kartta")));
    t.link(id, t.animal(QStringLiteral("Hirvi")));
    const QString before = contents(t);
    failWith(t, QStringLiteral("BEFORE DELETE ON vs"));
    EXPECT_THROW(cSopimus::DeleteContract(t.db, id), DbException);
    EXPECT_EQ(contents(t), before);
}

// The summary rebuild empties mvs and writes a row set per contract; failing the last contract's
// row keeps the summary of the previous report whole.
TEST(ContractTransactions, AFailedSummaryRebuildKeepsTheEarlierSummary)
{
    ContractTestDb t;
    for (const char* name : {"Aho", "Berg", "Carlsson"}) {
        const qint64 id = t.contract(QString::fromUtf8(name));
        t.estate(id, QStringLiteral("Tila"));
    }
    const ContractQuery first{QStringLiteral("SELECT * FROM vs WHERE vsNimi <> 'Carlsson' ORDER BY vsNimi"), {}};
    ContractSelection::RebuildSummaryTable(t.db, first);
    const QString before = contents(t);
    ASSERT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM mvs")), 2);
    failWith(t, QStringLiteral("BEFORE INSERT ON mvs WHEN (SELECT COUNT(*) FROM mvs) = 2"));
    EXPECT_THROW(ContractSelection::RebuildSummaryTable(t.db, {QStringLiteral("SELECT * FROM vs ORDER BY vsNimi"), {}}),
                 DbException);
    EXPECT_EQ(contents(t), before);
}

// The bulk attach writes one value row per chosen contract; failing the last contract's row
// writes none.
TEST(ContractTransactions, AFailedBulkAttachAddsNoValueRow)
{
    ContractTestDb t;
    std::vector<qint64> ids;
    for (const char* name : {"Aho", "Berg", "Carlsson"})
        ids.push_back(t.contract(QString::fromUtf8(name)));
    const qint64 feature = t.feature(QStringLiteral("Kartta"));
    const QString before = contents(t);
    failWith(t, QStringLiteral("BEFORE INSERT ON mt WHEN NEW.mtvsID = %1").arg(ids.back()));
    EXPECT_THROW(FeatureAttach::attach(t.db, FeatureTable::contracts(), feature, ids, AttachValues{}, false), DbException);
    EXPECT_EQ(contents(t), before);
}

// Two program instances on one database: each has its own remembered counter, as it read it at
// its start. The numbers they hand out come from the database and never repeat, and a number a
// contract already holds is never handed out.
TEST(ContractNumbers, TwoConnectionsNeverHandOutTheSameNumber)
{
    ContractTestDb t;
    // A second name for the same file gives a second connection, as another instance has.
    const QString second = t.path + QStringLiteral(".toinen");
    ASSERT_EQ(::link(QFile::encodeName(t.path).constData(), QFile::encodeName(second).constData()), 0);
    Database other = Database::open(second);
    DatabaseSettingsStore(t.db).write(QStringLiteral("5"), QStringLiteral("Sopimusnro"));

    // Both take numbers at the same moment, each on its own connection, as two instances do.
    State().ContractNumberCounter = 5; // what both instances read at their start
    constexpr int PerSide = 100;
    QStringList given[2];
    std::atomic<int> ready{0};
    const auto take = [&](Database& db, QStringList& out) {
        ++ready;
        while (ready < 2) {
        }
        for (int i = 0; i < PerSide; ++i)
            out << ContractNumbers::next(db);
    };
    test::TestThread one([&] { take(t.db, given[0]); });
    test::TestThread two([&] { take(other, given[1]); });
    one.join();
    two.join();
    std::set<int> numbers;
    QStringList twice;
    for (const QString& n : given[0] + given[1])
        if (!numbers.insert(n.toInt()).second)
            twice << n;
    EXPECT_TRUE(twice.isEmpty()) << "handed out twice: " << twice.join(QStringLiteral(", ")).toStdString();
    // None skipped either: the numbers run on from 5 without a gap.
    EXPECT_EQ(numbers.size(), size_t(2 * PerSide));
    EXPECT_EQ(*numbers.begin(), 5);
    EXPECT_EQ(*numbers.rbegin(), 4 + 2 * PerSide);
    EXPECT_EQ(DatabaseSettingsStore(other).read(QStringLiteral("Sopimusnro")), QString::number(5 + 2 * PerSide));

    // A number typed by hand on a contract: the counter goes past it.
    t.contract(QStringLiteral("Aho"), QStringLiteral("40"));
    t.contract(QStringLiteral("Berg"), QStringLiteral("A-99"));
    EXPECT_EQ(ContractNumbers::next(other), QStringLiteral("205"));
    t.contract(QStringLiteral("Cede"), QStringLiteral("400"));
    EXPECT_EQ(ContractNumbers::next(other), QStringLiteral("401"));

    EXPECT_EQ(DatabaseSettingsStore(t.db).read(QStringLiteral("Sopimusnro")), QStringLiteral("402"));
    other.close();
    QFile::remove(second);
}
