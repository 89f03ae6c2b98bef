#include "../invoicing/InvoiceTestDb.h"

#include "app/MaintenanceCommands.h"
#include "backup/BackupRows.h"
#include "base/ScriptedPrompter.h"
#include "base/SharedState.h"
#include "catch/CatchList.h"
#include "contracts/ContractAnimals.h"
#include "contracts/cTila.h"
#include "invoicing/InvoiceHistory.h"
#include "invoicing/InvoicePayments.h"
#include "invoicing/InvoiceRun.h"
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
#include "members/MemberInvoices.h"
#include "members/MemberRecords.h"
#include "support/TempProgramEnvironment.h"

#include <QDateTime>
#include <QDirIterator>
#include <QRegularExpression>
#include <functional>
#include <set>
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

    qint64 history = 0;

    qint64 first(const char* sql) { return db.openRecordset(QString::fromLatin1(sql)).field(0).toInt64(); }
    // Every member's row as stored.
    QStringList memberRows()
    {
        QStringList rows;
        for (Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM jr ORDER BY jrID")); !rs.eof(); rs.moveNext()) {
            QStringList row;
            for (int i = 0; i < rs.fieldCount(); ++i)
                row << (rs.field(i).isNull() ? QStringLiteral("<null>") : rs.field(i).toString());
            rows << row.join(u'|');
        }
        return rows;
    }
    // An unpaid fee invoice in the history, of a member whose fee is not paid.
    qint64 unpaidFeeInvoice()
    {
        const qint64 id = first("SELECT MIN(jmhID) FROM jmhist WHERE jmhjmjrID IN (SELECT jrID FROM jr)");
        const qint64 member =
            db.scalar(QStringLiteral("SELECT jmhjmjrID FROM jmhist WHERE jmhID = ?"), {Value(id)}).toInt64();
        db.execute(QStringLiteral("UPDATE jmhist SET jmhjmJasMak = True, jmhjmMaksettu = False WHERE jmhID = ?"),
                   {Value(id)});
        db.execute(QStringLiteral("UPDATE jr SET jrJasenmaksu = False WHERE jrID = ?"), {Value(member)});
        return id;
    }
    void importOneMember()
    {
        QString error;
        auto file = MemberImportFile::fromLines({"Tuotu"}, MemberImportFormat(QStringLiteral(";"), {}), &error);
        ASSERT_TRUE(file) << error.toStdString();
        ASSERT_EQ(MemberImport::run(db, *file, {MemberImportFields::Surname}).imported, 1);
    }
    void feeInvoiceRun(qint64 member)
    {
        db.execute(QStringLiteral("DELETE FROM jmRivi WHERE jmRjmID IN (SELECT jmID FROM jm)"));
        db.execute(QStringLiteral("DELETE FROM jm"));
        InvoiceRunRequest r = test::InvoiceTestDb::request(RecipientKind::Member, member);
        r.feeInvoice = true;
        InvoiceRunResult result = InvoiceRun(db).run(r);
        ASSERT_EQ(result.added, 1) << result.message.toStdString();
    }
};

TEST_F(ClubChangesFromTheCore, EveryKindIsToldByTheCoreThatWritesIt)
{
    struct Case {
        const char* what;
        std::function<void(ClubChangesFromTheCore&)> change;
        QStringList expected;
    };
    const Case cases[] = {
        {"member import", [](ClubChangesFromTheCore& t) { t.importOneMember(); }, {"members"}},
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

// Each writer of a member's row, run with no window in between: the member rows change and the
// hub tells of it, so an open member card follows. The selection marks (jrMukaan) are the
// outputs' own scratch: no window shows them.
struct MemberRowWriter {
    const char* file; // where the writer lives
    const char* what;
    std::function<void(ClubChangesFromTheCore&)> prepare;
    std::function<void(ClubChangesFromTheCore&)> write;
};

std::vector<MemberRowWriter> memberRowWriters()
{
    using T = ClubChangesFromTheCore;
    return {
        {"src/invoicing/InvoicePayments.cpp", "payment book marks a fee invoice paid",
         [](T& t) { t.history = t.unpaidFeeInvoice(); },
         [](T& t) { ASSERT_TRUE(InvoicePayments::MarkReminderPaid(t.db, t.history)); }},
        {"src/members/MemberInvoices.cpp", "member card's invoice marked paid",
         [](T& t) { t.history = t.unpaidFeeInvoice(); },
         [](T& t) { ASSERT_NE(MemberInvoices::markPaid(t.db, qint32(t.history)).feePaidMemberId, 0); }},
        {"src/invoicing/InvoiceRun.cpp", "fee invoice run",
         [](T& t) { t.db.execute(QStringLiteral("UPDATE jr SET jrJasenmaksu = True")); },
         [](T& t) { t.feeInvoiceRun(t.first("SELECT MIN(jrID) FROM jr")); }},
        {"src/invoicing/InvoiceHistory.cpp", "run's invoices deleted",
         [](T& t) {
             t.db.execute(QStringLiteral("UPDATE jr SET jrJasenmaksu = True"));
             t.feeInvoiceRun(t.first("SELECT MIN(jrID) FROM jr"));
         },
         [](T& t) { ASSERT_EQ(InvoiceHistory::DeleteAll(t.db), 1); }},
        {"src/members/MemberImport.cpp", "member import", {}, [](T& t) { t.importOneMember(); }},
        {"src/members/MemberRecords.cpp",
         "member window's record saved",
         {},
         [](T& t) {
             MemberRecords records;
             records.open(t.db.path());
             records.beginEdit();
             records.recordset().setField(QStringLiteral("jrEtunimi"), Value(QStringLiteral("Uusi")));
             records.write();
         }},
        {"src/members/MemberRecords.cpp",
         "member window's record deleted",
         {},
         [](T& t) {
             MemberRecords records;
             records.open(t.db.path());
             records.deleteCurrent();
         }},
        {"src/app/MaintenanceCommands.cpp",
         "typed SQL statement",
         {},
         [](T&) {
             ScriptedPrompter prompter;
             prompter.answerText(QStringLiteral("UPDATE jr SET jrPostitoimipaikka = 'OULU'"));
             MaintenanceCommands::sqlStatement();
             EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("SQL-lause suoritettu.")});
         }},
        {"src/backup/BackupRows.cpp", "rows a backup left marked",
         [](T& t) {
             t.db.execute(QStringLiteral("UPDATE jr SET BackupRow = True WHERE jrID = ?"),
                          {Value(t.first("SELECT MIN(jrID) FROM jr"))});
         },
         [](T& t) { ASSERT_GT(DeleteBackupRows(t.db), 0); }},
        {"src/app/MaintenanceCommands.cpp",
         "service command deletes everything (last: it leaves no member)",
         {},
         [](T& t) {
             ASSERT_FALSE(MaintenanceCommands::runServiceCommand(t.db, QStringLiteral("POISTA KAIKKI")).isEmpty());
         }},
    };
}

TEST_F(ClubChangesFromTheCore, EveryWriterOfAMembersRowTellsTheHub)
{
    State().DatabasePath = db.path();
    std::set<QString> covered;
    for (const MemberRowWriter& w : memberRowWriters()) {
        SCOPED_TRACE(w.what);
        covered.insert(QString::fromLatin1(w.file));
        if (w.prepare)
            w.prepare(*this);
        const QStringList before = memberRows();
        told.clear();
        w.write(*this);
        EXPECT_TRUE(memberRows() != before) << "the case writes no member's row";
        EXPECT_TRUE(told.contains(QStringLiteral("members"))) << told.join(u',').toStdString();
    }

    // A statement writing the member table in a file that no case above runs is a writer the hub
    // may never hear of.
    const QRegularExpression writesMembers(
        QStringLiteral(R"((UPDATE|INSERT\s+INTO|DELETE(\s+\*)?\s+FROM)\s+jr\b|openRecordset\(QStringLiteral\("jr"\))"));
    const std::set<QString> selectionMarksOnly = {QStringLiteral("src/lists/MemberSelection.cpp")};
    const QString root = QStringLiteral(TIKKELI_SOURCE_DIR "/");
    int writers = 0;
    for (QDirIterator it(root + QStringLiteral("src"), {QStringLiteral("*.cpp")}, QDir::Files, QDirIterator::Subdirectories);
         it.hasNext();) {
        QFile f(it.next());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        if (!writesMembers.match(QString::fromUtf8(f.readAll())).hasMatch())
            continue;
        ++writers;
        const QString file = f.fileName().mid(root.size());
        EXPECT_TRUE(covered.count(file) || selectionMarksOnly.count(file))
            << file.toStdString() << " writes the member table; no case shows that it tells the hub";
    }
    EXPECT_GE(writers, 6);
}

} // namespace
