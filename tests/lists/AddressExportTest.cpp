#include "contracts/ContractTestDb.h"
#include "lists/ListsTestDb.h"
#include "support/FailingFileSafety.h"

#include "lists/AddressExport.h"
#include "lists/MemberListReports.h"
#include "printing/PrintChoices.h"
#include "printing/ReportServices.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace tikkeli::test {
namespace {

// The Debian python, which has openpyxl (scripts/setup installs python3-openpyxl).
QString python()
{
    return QFileInfo::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                                 : QStringLiteral("python3");
}

struct Sheet {
    bool ok = false;
    QJsonArray rows;     // [[value or null, ...], ...]
    QStringList formats; // number format of every cell written
    int maxColumn = 0;
};

// Reads the workbook back with openpyxl.
Sheet readBack(const QString& path)
{
    const QString script = QStringLiteral(R"(
import json, sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]
rows = [[c.value for c in r] for r in ws.iter_rows()]
formats = sorted({c.number_format for r in ws.iter_rows() for c in r if c.value is not None})
print(json.dumps({"rows": rows, "formats": formats, "maxColumn": ws.max_column}))
)");
    QProcess p;
    p.start(python(), {QStringLiteral("-c"), script, path});
    Sheet s;
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return s;
    const QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    s.ok = true;
    s.rows = o.value(QStringLiteral("rows")).toArray();
    for (const auto& f : o.value(QStringLiteral("formats")).toArray())
        s.formats << f.toString();
    s.maxColumn = o.value(QStringLiteral("maxColumn")).toInt();
    return s;
}

bool haveOpenpyxl()
{
    QProcess p;
    p.start(python(), {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
    return p.waitForFinished(30000) && p.exitCode() == 0;
}

class AddressExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!haveOpenpyxl())
            GTEST_SKIP() << "python3-openpyxl missing (scripts/setup installs it)";
        ASSERT_TRUE(dir.isValid());
        target = dir.filePath(QStringLiteral("jasenosoitteet.xlsx"));
    }
    QStringList leftovers() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".jasenosoitteet"));
    }

    ListsTestDb club;
    QTemporaryDir dir;
    QString target;
};

TEST_F(AddressExportTest, WritesSixTextColumnsWithoutHeader)
{
    const AddressExport::Result r = AddressExport::Export(club.db, NoCriteria(), 0, target);
    ASSERT_FALSE(r.failure) << r.failure->toStdString();
    EXPECT_EQ(r.count, 6);
    EXPECT_EQ(r.message(), QStringLiteral("Tiedostoon kirjoitettiin 6 osoitetta."));
    const Sheet s = readBack(target);
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.maxColumn, 6);
    ASSERT_EQ(s.rows.size(), 6);
    EXPECT_EQ(s.formats, QStringList{QStringLiteral("@")});
    const QJsonArray aho = s.rows.at(0).toArray();
    EXPECT_EQ(aho.at(0).toString(), QStringLiteral("0007"));
    EXPECT_EQ(aho.at(1).toString(), QStringLiteral("Aho"));
    EXPECT_EQ(aho.at(2).toString(), QStringLiteral("Antti"));
    EXPECT_EQ(aho.at(3).toString(), QStringLiteral("Kyläntie 1"));
    EXPECT_EQ(aho.at(4).toString(), QStringLiteral("00100"));
    EXPECT_EQ(aho.at(5).toString(), QStringLiteral("Äänekoski"));
    const QJsonArray bjork = s.rows.at(1).toArray();
    EXPECT_EQ(bjork.at(2).toString(), QStringLiteral("Åsa"));
    // Eerola: no first name, no postcode: empty cells, the rest filled.
    const QJsonArray eerola = s.rows.at(3).toArray();
    EXPECT_EQ(eerola.at(1).toString(), QStringLiteral("Eerola"));
    EXPECT_TRUE(eerola.at(2).isNull());
    EXPECT_TRUE(eerola.at(4).isNull());
    EXPECT_EQ(eerola.at(5).toString(), QStringLiteral("Äänekoski"));
    EXPECT_EQ(s.rows.at(5).toArray().at(1).toString(), QStringLiteral("Ö'Brien"));
    EXPECT_TRUE(leftovers().isEmpty());
}

// The C library's number formatting follows the process's locale; a Finnish desktop's decimal comma
// must not reach the sheet's XML, which spreadsheet programs then refuse.
TEST_F(AddressExportTest, AFinnishDesktopWritesASheetSpreadsheetsOpen)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "fi_FI.UTF-8"))
        GTEST_SKIP() << "the locale fi_FI.UTF-8 is not installed (locale-gen fi_FI.UTF-8)";
    const AddressExport::Result r = AddressExport::Export(club.db, NoCriteria(), 0, target);
    std::setlocale(LC_ALL, previous.c_str());
    ASSERT_FALSE(r.failure);
    const Sheet s = readBack(target);
    ASSERT_TRUE(s.ok) << "openpyxl refused the sheet";
    EXPECT_EQ(s.rows.size(), 6);
}

TEST_F(AddressExportTest, CountsOneAndNoneInTheirOwnWords)
{
    MemberCriteria one = NoCriteria();
    one.OmistajaValinta = 1;
    one.JasenmaksuValinta = 1;
    AddressExport::Result r = AddressExport::Export(club.db, one, 0, target);
    EXPECT_EQ(r.message(), QStringLiteral("Tiedostoon kirjoitettiin 1 osoite."));
    EXPECT_EQ(readBack(target).rows.size(), 1);
    MemberCriteria none = NoCriteria();
    none.PostinumeroAlku = QStringLiteral("A");
    none.PostinumeroLoppu = QStringLiteral("B");
    club.db.execute(QStringLiteral("UPDATE jr SET jrPostinumero = '00000' WHERE jrPostinumero IS NULL"));
    r = AddressExport::Export(club.db, none, 0, target);
    EXPECT_EQ(r.message(), QStringLiteral("Tiedostoon kirjoitettiin 0 osoitetta."));
    const Sheet s = readBack(target);
    ASSERT_TRUE(s.ok);
    EXPECT_TRUE(s.rows.isEmpty() || s.rows.at(0).toArray().at(0).isNull());
}

TEST_F(AddressExportTest, EveryFailedFileStepLeavesTheOldFileOrTheWholeNewOne)
{
    int steps = 0;
    {
        FailingFileSafety count;
        ASSERT_FALSE(AddressExport::Export(club.db, NoCriteria(), 0, target).failure);
        steps = count.steps();
    }
    ASSERT_GE(steps, 4); // create, write, sync, rename (and the folder's flush)
    const QByteArray old = "vanha tiedosto";
    for (int n = 1; n <= steps; ++n) {
        SCOPED_TRACE(n);
        QFile::remove(target);
        {
            QFile f(target);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(old);
        }
        FailingFileSafety failing;
        failing.failAt = n;
        failing.error = ENOSPC;
        const AddressExport::Result r = AddressExport::Export(club.db, NoCriteria(), 0, target);
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        if (r.failure) {
            EXPECT_EQ(*r.failure, QStringLiteral("Osoitetiedoston tallennus epäonnistui: Levy on täynnä"));
            EXPECT_EQ(f.readAll(), old);
        } else {
            // Only a failed flush of the folder after the rename goes unreported: the file is whole.
            EXPECT_EQ(failing.calls.value(n - 1).section(QLatin1Char(' '), 0, 0), FileStepName(FileStep::SyncFolder));
            EXPECT_EQ(readBack(target).rows.size(), 6);
        }
        EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(QLatin1Char(' ')).toStdString();
    }
}

TEST_F(AddressExportTest, AFolderThatCannotBeWrittenIsReported)
{
    const AddressExport::Result r = AddressExport::Export(club.db, NoCriteria(), 0,
                                                          dir.filePath(QStringLiteral("ei/ole/jasenet.xlsx")));
    ASSERT_TRUE(r.failure);
    EXPECT_TRUE(r.failure->startsWith(QStringLiteral("Osoitetiedoston tallennus epäonnistui: ")));
}

// The same criteria through the list, the label sheet and the export give the same members.
TEST(MemberOutputsAgree, SameCriteriaSameMembersEverywhere)
{
    if (!haveOpenpyxl())
        GTEST_SKIP() << "python3-openpyxl missing";
    ContractTestDb club(ContractTestDb::Source::Sample);
    club.stageAllReports();
    QTemporaryDir dir;
    MemberCriteria c = NoCriteria();
    c.setHepiID(0, 2); // Hirviporukka
    c.setHepiID(1, 1); // Ampumakoe
    c.OminaisuudetJa = false;
    c.JasenmaksuValinta = 0;
    c.OmistajaValinta = 0;
    c.PostinumeroAlku = QStringLiteral("40100");
    c.PostinumeroLoppu = QStringLiteral("41980");
    c.SyntymaAika = ReadDateCriterion(QStringLiteral("19*")).value;

    const AddressExport::Result r = AddressExport::Export(club.db, c, 0, dir.filePath(QStringLiteral("a.xlsx")));
    ASSERT_FALSE(r.failure);
    QStringList exported, listNames;
    for (const auto& row : readBack(dir.filePath(QStringLiteral("a.xlsx"))).rows) {
        exported << row.toArray().at(2).toString() + QLatin1Char(' ') + row.toArray().at(1).toString();
        listNames << row.toArray().at(1).toString() + QLatin1Char(' ') + row.toArray().at(2).toString();
    }
    ASSERT_GT(exported.size(), 2);
    ASSERT_LT(exported.size(), 60);

    club.db.execute(QStringLiteral("UPDATE jr SET jrMukaan = 0"));
    MemberListReports::PrintMemberList(club.db, c, 3, 0);
    const auto labels = MainReport().layoutReport();
    EXPECT_EQ(labels->rowCount, exported.size());

    club.db.execute(QStringLiteral("UPDATE jr SET jrMukaan = 0"));
    MemberListReports::PrintMemberList(club.db, c, 0, 0);
    const auto listed = MainReport().layoutReport();
    EXPECT_EQ(listed->rowCount, exported.size());
    for (const QString& name : exported)
        EXPECT_FALSE(labels->find(name).empty()) << name.toStdString();
    for (const QString& name : listNames)
        EXPECT_FALSE(listed->find(name).empty()) << name.toStdString();
    MainReport() = ReportEngine{};
    Printing() = PrintChoices{};
}

} // namespace
} // namespace tikkeli::test
